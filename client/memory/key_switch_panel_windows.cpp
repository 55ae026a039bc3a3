#include "client/memory/key_switch_panel_windows.h"

#include <QObject>

#include "client/memory/key_switch_emulation_panel2_dlg.h"
#include "client/memory/key_switch_emulation_panel_main_page_dlg.h"
#include "client/memory/key_switch_target.h"
#include "client/panel/k2_front_panel_control_dlg.h"

// The panel as the pages' target; a child of the panel, so it goes with it.
class KeySwitchPanelWindows::PanelTarget : public QObject, public KeySwitchTarget {
  public:
    explicit PanelTarget(CK2FrontPanelControlDlg& panel) : QObject(&panel), m_panel(panel) {}
    QObject* Object() override { return this; }
    void executeRemoteCmd(int command, std::intptr_t param) override {
        m_panel.executeRemoteCmd(command, param);
    }
    void RequestFrequencyScan(std::int32_t low, std::int32_t high) override {
        m_panel.RequestFrequencyScan(low, high);
    }

  private:
    CK2FrontPanelControlDlg& m_panel;
};

KeySwitchPanelWindows::KeySwitchPanelWindows(pelorin::CRegistryStore& store,
                                             CK2FrontPanelControlDlg& panel)
    : m_store(store), m_panel(panel) {}

KeySwitchPanelWindows::~KeySwitchPanelWindows() = default;

CKeySwitchEmulationPanelMainPageDlg* KeySwitchPanelWindows::window() const {
    return m_window.data();
}

void KeySwitchPanelWindows::Install(PanelCommandEntryPoints& entryPoints) {
    entryPoints.showKeySwitchPanel = [this] { Show(); };
    entryPoints.placeKeySwitchPanel = [this] { Place(); };
    entryPoints.reportScanLimits = [this](std::intptr_t requester, const PanelTuningRange& r) {
        ReportScanLimits(requester, r);
    };
}

void KeySwitchPanelWindows::Show() {
    if (!m_window) {
        m_target = new PanelTarget(m_panel);
        m_window = new CKeySwitchEmulationPanelMainPageDlg(m_target.data(), m_store, &m_panel);
    }
    m_window->show();
}

void KeySwitchPanelWindows::Place() {
    if (m_window) {
        m_window->PlaceUnderFrontPanel();
    }
}

void KeySwitchPanelWindows::ReportScanLimits(std::intptr_t requester,
                                             const PanelTuningRange& range) {
    if (!m_window) {
        return;
    }
    CKeySwitchEmulationPanel2Dlg* page = m_window->scanPage();
    if (page != nullptr && reinterpret_cast<std::intptr_t>(page) == requester) {
        page->OnLimitsAnswer(range);
    }
}
