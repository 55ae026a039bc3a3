#pragma once

// CHAMBandInfoCFGDlg: the sheet's "Edit HAM Band Info" page: the low and high edge, in Hz, of
// each of the nine bands.
//
// The edges are read when the page is built and shown as stored; an edge that is missing or
// unreadable shows its default with a notice. Applying checks each edge (0..2147483647, the
// range a band edge keeps on its way to a client) and that each band's low edge lies below
// its high edge, then stores the whole table. Every edit marks the page modified.
//
// GUI thread only.

#include <array>
#include <variant>

#include "server/config_page.h"
#include "server/server_registry_store.h"

class QLineEdit;

namespace brakton {

class ServerSettingsReader;

class CHAMBandInfoCFGDlg : public ConfigPage {
    Q_OBJECT

  public:
    // Edit ids, low then high edge, band by band from 10 m to 160 m.
    static constexpr std::array<std::array<int, 2>, kBandCount> kEditIds = {{
        {1023, 1024},
        {1026, 1028},
        {1031, 1034},
        {1041, 1044},
        {1047, 1050},
        {1053, 1055},
        {1057, 1059},
        {1060, 1061},
        {1062, 1063},
    }};

    CHAMBandInfoCFGDlg(CServerRegistryStore& store, const ServerSettingsReader& reader,
                       QWidget* parent = nullptr);

    QString Title() const override { return QStringLiteral("Edit HAM Band Info"); }
    std::optional<Refusal> Check() const override;
    bool Apply() override;

  private:
    // The table the checks accepted, as Apply stores it.
    std::variant<Refusal, BandEdgeTable> checkFields() const;

    CServerRegistryStore& m_store;
    std::array<std::array<QLineEdit*, 2>, kBandCount> m_edits{};
};

}  // namespace brakton
