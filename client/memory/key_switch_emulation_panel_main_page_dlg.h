#pragma once

// CKeySwitchEmulationPanelMainPageDlg: "Key Switch Emulation Panel", the
// modeless window around the "Basic" and "Advance" pages. Built once, at the
// first press of the panel's "SW Panel" button, with the panel as parent;
// OK, Cancel, Esc and closing only hide it, so the pages keep their state
// until the panel goes. It places itself under the panel's stored rectangle
// (PlaceUnderFrontPanel) when built and when the panel moves with its
// windows.
//
// GUI thread only.

#include <QDialog>

class CKeySwitchEmulationPanel1Dlg;
class CKeySwitchEmulationPanel2Dlg;
class KeySwitchTarget;
class QTabWidget;
namespace pelorin {
class CRegistryStore;
}  // namespace pelorin

class CKeySwitchEmulationPanelMainPageDlg : public QDialog {
    Q_OBJECT

  public:
    static constexpr int IDD = 171;
    static constexpr int IDC_PLACEHOLDER = 1277;

    CKeySwitchEmulationPanelMainPageDlg(KeySwitchTarget* target, pelorin::CRegistryStore& store,
                                        QWidget* panel);

    void PlaceUnderFrontPanel();

    CKeySwitchEmulationPanel1Dlg* basicPage() const { return m_page1; }
    CKeySwitchEmulationPanel2Dlg* scanPage() const { return m_page2; }
    QTabWidget* sheet() const { return m_sheet; }

    void accept() override;
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    pelorin::CRegistryStore& m_store;
    QTabWidget* m_sheet = nullptr;
    CKeySwitchEmulationPanel1Dlg* m_page1 = nullptr;
    CKeySwitchEmulationPanel2Dlg* m_page2 = nullptr;
};
