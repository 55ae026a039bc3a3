#pragma once

// KeySwitchPanelWindows: the front panel's key-switch panel, for the
// application object. Install fills the panel's three key-switch entry
// points: show (built at the first press of "SW Panel", then kept and shown
// at each press), place (the panel moved with its windows) and the band
// limits a scan page asked for (given to that page if it still exists).
//
// The pages send their requests to the panel through a small target object
// owned by the panel, so nothing reaches a panel that is gone.
//
// GUI thread only.

#include <QPointer>

#include <cstdint>
#include <memory>

class CK2FrontPanelControlDlg;
class CKeySwitchEmulationPanelMainPageDlg;
struct PanelCommandEntryPoints;
struct PanelTuningRange;
namespace pelorin {
class CRegistryStore;
}  // namespace pelorin

class KeySwitchPanelWindows {
  public:
    KeySwitchPanelWindows(pelorin::CRegistryStore& store, CK2FrontPanelControlDlg& panel);
    ~KeySwitchPanelWindows();

    void Install(PanelCommandEntryPoints& entryPoints);

    void Show();
    void Place();
    void ReportScanLimits(std::intptr_t requester, const PanelTuningRange& range);

    // Null until the first Show.
    CKeySwitchEmulationPanelMainPageDlg* window() const;

  private:
    class PanelTarget;

    pelorin::CRegistryStore& m_store;
    CK2FrontPanelControlDlg& m_panel;
    QPointer<PanelTarget> m_target;
    QPointer<CKeySwitchEmulationPanelMainPageDlg> m_window;
};
