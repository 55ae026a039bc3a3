#pragma once

// COrvoCfg: Brakton's "System Configuration" sheet, run modally by the main frame's Config >
// System. Three tabs, in this order: "System Configuration" (CSystemCfgDlg), "K2 COMM Port"
// (CK2CommPortCfgDlg) and "Edit HAM Band Info" (CHAMBandInfoCFGDlg); OK, Cancel and Apply.
//
// Usage:
//   brakton::COrvoCfg sheet(theRegistryStore, radio.SerialDir(), notifyPAOption, this);
//   sheet.exec();
//
// Every page reads its values when the sheet is built; opening the sheet stores nothing. Apply
// is enabled while a page is modified. OK and Apply first check every page that has been
// shown; a refusal shows its message, selects the field on its page, keeps its text and writes
// nothing from any page. Then each shown, modified page writes; a failed write shows "Unable
// to Save System Configuration!" and keeps the sheet open with the page still modified. A page
// never shown writes nothing. Cancel writes nothing and does not undo an Apply.
//
// GUI thread only.

#include <QDialog>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QDialogButtonBox;
class QPushButton;
class QTabWidget;

namespace brakton {

class CServerRegistryStore;

class ConfigPage;
class CHAMBandInfoCFGDlg;
class CK2CommPortCfgDlg;
class CSystemCfgDlg;

inline constexpr const char* kSaveConfigFailed = "Unable to Save System Configuration!";

class COrvoCfg : public QDialog {
    Q_OBJECT

  public:
    using PAOptionNotifier = std::function<void(bool on)>;
    using LogFn = std::function<void(const std::string& line)>;

    // `log` defaults to the server's log (time-stamped information).
    COrvoCfg(CServerRegistryStore& store, std::filesystem::path serialDir,
             PAOptionNotifier notifyPAOption, QWidget* parent = nullptr, LogFn log = {});
    ~COrvoCfg() override;

    // Checks and writes, as the Apply button does. True when everything shown was written.
    bool Apply();

    // A control of any page by its id.
    QWidget* control(int id) const;

    QTabWidget* Tabs() const { return m_tabs; }
    QPushButton* ApplyButton() const;
    QPushButton* OkButton() const;
    CSystemCfgDlg* SystemPage() const { return m_system; }
    CK2CommPortCfgDlg* CommPortPage() const { return m_commPort; }
    CHAMBandInfoCFGDlg* BandPage() const { return m_bands; }

  public slots:
    void accept() override;

  private:
    void updateApply();

    QTabWidget* m_tabs = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
    CSystemCfgDlg* m_system = nullptr;
    CK2CommPortCfgDlg* m_commPort = nullptr;
    CHAMBandInfoCFGDlg* m_bands = nullptr;
    std::vector<ConfigPage*> m_pages;
};

}  // namespace brakton
