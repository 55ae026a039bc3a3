#include "server/ham_band_info_cfg_dlg.h"

#include <QLineEdit>

#include <string>

#include "platform/config_fields.h"
#include "server/comm_port_rules.h"
#include "server/server_settings_reader.h"

namespace brakton {

namespace {

constexpr const char* kBandNames[kBandCount] = {"10M", "12M", "15M", "17M", "20M",
                                                "30M", "40M", "80M", "160M"};
constexpr const char* kEdgeNames[2] = {"Low Band Edge", "High Band Edge"};

std::string valueName(int band, int edge) {
    return std::string(kBandNames[band]) + " " + kEdgeNames[edge];
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

    const BandEdgeTable defaults = CServerRegistryStore::DefaultBandInfo();
    QString notices;
    int y = 18;
    for (int band = 0; band < kBandCount; ++band) {
        addLabel(QStringLiteral(" ") + QString::fromLatin1(kBandNames[band]), kLabelX, y + 2, 34,
                 8);
        const std::uint32_t defaultEdges[2] = {defaults[band].lowEdge, defaults[band].highEdge};
        for (int edge = 0; edge < 2; ++edge) {
            QLineEdit* edit =
                addEdit(kEditIds[band][edge], edge == 0 ? kLowX : kHighX, y, kEditW, kRowH);
            const std::string name = valueName(band, edge);
            const auto read = reader.dword(kBandInfoGroup, QString::fromStdString(name));
            if (read.ok()) {
                edit->setText(QString::number(read.value));
            } else {
                edit->setText(QString::number(defaultEdges[edge]));
                notices += QString::fromStdString(
                    unreadNotice(read.status, name, std::to_string(defaultEdges[edge])));
            }
            m_edits[band][edge] = edit;
            connect(edit, &QLineEdit::textChanged, this, [this] { markModified(); });
        }
        y += kPitch;
    }
    // A band table never stored is the defaults; one line says so.
    bool anyStored = false;
    for (int band = 0; band < kBandCount && !anyStored; ++band) {
        for (int edge = 0; edge < 2; ++edge) {
            if (reader.dword(kBandInfoGroup, QString::fromStdString(valueName(band, edge)))
                    .status != SettingStatus::Missing) {
                anyStored = true;
            }
        }
    }
    if (!anyStored) {
        notices =
            QStringLiteral("Stored HAM Band Info is missing: the default edges will be saved.\n");
    }
    setNotices(notices, kLabelX, y + 2, 260, 22);
}

std::optional<Refusal> CHAMBandInfoCFGDlg::Check() const {
    for (int band = 0; band < kBandCount; ++band) {
        std::int64_t edges[2] = {0, 0};
        for (int edge = 0; edge < 2; ++edge) {
            QLineEdit* edit = m_edits[band][edge];
            const platform::FieldCheck check = platform::checkBandEdge(edit->text().toStdString());
            if (!check.ok()) {
                return Refusal{check.message, edit};
            }
            edges[edge] = *check.value;
        }
        if (const std::string message =
                platform::checkBandOrder(kBandNames[band], edges[0], edges[1]);
            !message.empty()) {
            return Refusal{message, m_edits[band][0]};
        }
    }
    return std::nullopt;
}

bool CHAMBandInfoCFGDlg::Apply() {
    BandEdgeTable bands = CServerRegistryStore::DefaultBandInfo();
    for (int band = 0; band < kBandCount; ++band) {
        bands[band].lowEdge = static_cast<std::uint32_t>(
            *platform::checkBandEdge(m_edits[band][0]->text().toStdString()).value);
        bands[band].highEdge = static_cast<std::uint32_t>(
            *platform::checkBandEdge(m_edits[band][1]->text().toStdString()).value);
    }
    if (!m_store.WriteBandInfo(bands)) {
        return false;
    }
    SetModified(false);
    return true;
}

}  // namespace brakton
