#include "server/ham_band_info_cfg_dlg.h"

#include <QLineEdit>

#include <array>
#include <string>

#include "platform/config_fields.h"
#include "server/comm_port_rules.h"
#include "server/server_settings_reader.h"

namespace brakton {

namespace {

// The band's two edges as the table has them: low, then high.
std::array<const DwordSetting*, 2> edgesOf(const settings::BandSettings& band) {
    return {&band.lowEdge, &band.highEdge};
}

}  // namespace

CHAMBandInfoCFGDlg::CHAMBandInfoCFGDlg(CServerRegistryStore& store,
                                       const ServerSettingsReader& reader, QWidget* parent)
    : ConfigPage(parent), m_store(store) {
    // Dialog units: a label column and two edge columns under their heads.
    constexpr int kLabelX = 14;
    constexpr int kLowX = 50;
    constexpr int kHighX = 140;
    constexpr int kEditW = 76;
    constexpr int kRowH = 12;
    constexpr int kPitch = 15;
    addLabel(QStringLiteral("Low Band Edge (Hz)"), kLowX, 6, 88, 8);
    addLabel(QStringLiteral("High Band Edge (Hz)"), kHighX, 6, 88, 8);

    QString notices;
    bool anyStored = false;
    int y = 18;
    for (int band = 0; band < kBandCount; ++band) {
        const settings::BandSettings& entry = settings::kBands[static_cast<std::size_t>(band)];
        addLabel(QStringLiteral(" ") + QString::fromLatin1(entry.name), kLabelX, y + 2, 34, 8);
        const auto edges = edgesOf(entry);
        for (std::size_t edge = 0; edge < edges.size(); ++edge) {
            const DwordSetting& value = *edges[edge];
            QLineEdit* edit =
                addEdit(kEditIds[band][edge], edge == 0 ? kLowX : kHighX, y, kEditW, kRowH);
            const SettingRead<std::uint32_t> read = reader.read(value);
            if (read.ok()) {
                edit->setText(QString::number(read.value));
            } else {
                edit->setText(QString::number(value.defaultValue));
                notices += QString::fromStdString(
                    unreadNotice(read.status, value.name, std::to_string(value.defaultValue)));
            }
            anyStored = anyStored || read.status != SettingStatus::Missing;
            m_edits[band][edge] = edit;
            connect(edit, &QLineEdit::textChanged, this, [this] { markModified(); });
        }
        y += kPitch;
    }
    // A band table never stored is the defaults; one line says so.
    if (!anyStored) {
        notices =
            QStringLiteral("Stored HAM Band Info is missing: the default edges will be saved.\n");
    }
    setNotices(notices, kLabelX, y + 2, 260, 22);
}

std::variant<Refusal, BandEdgeTable> CHAMBandInfoCFGDlg::checkFields() const {
    BandEdgeTable bands = CServerRegistryStore::DefaultBandInfo();
    for (int band = 0; band < kBandCount; ++band) {
        std::uint32_t edges[2] = {0, 0};
        for (int edge = 0; edge < 2; ++edge) {
            QLineEdit* edit = m_edits[band][edge];
            const platform::FieldCheck check = platform::checkBandEdge(edit->text().toStdString());
            if (!check.ok()) {
                return Refusal{check.message, edit};
            }
            edges[edge] = static_cast<std::uint32_t>(*check.value);
        }
        if (const std::string message = platform::checkBandOrder(
                settings::kBands[static_cast<std::size_t>(band)].name, edges[0], edges[1]);
            !message.empty()) {
            return Refusal{message, m_edits[band][0]};
        }
        bands[band].lowEdge = edges[0];
        bands[band].highEdge = edges[1];
    }
    return bands;
}

std::optional<Refusal> CHAMBandInfoCFGDlg::Check() const {
    if (auto checked = checkFields(); const Refusal* refusal = std::get_if<Refusal>(&checked)) {
        return *refusal;
    }
    return std::nullopt;
}

bool CHAMBandInfoCFGDlg::Apply() {
    const auto checked = checkFields();
    const BandEdgeTable* bands = std::get_if<BandEdgeTable>(&checked);
    if (bands == nullptr || !m_store.WriteBandInfo(*bands)) {
        return false;
    }
    SetModified(false);
    return true;
}

}  // namespace brakton
