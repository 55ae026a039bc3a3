#pragma once

// COrvoCfg: Pelorin's "System Configuration" sheet, run modally from the
// panel's system-menu item. Its first page is CSystemCfgDlg; other windows'
// pages (the keyboard-CW transmit memories) are added with addPage. OK and
// Apply check every page first: a refusal shows its text, selects its field,
// keeps the sheet open and writes nothing from any page. Then each modified
// page writes; a failed write shows "Unable to Save System Configuration!"
// and keeps the sheet open. Cancel writes nothing.
//
// GUI thread only.

#include <QDialog>

#include <cstdint>
#include <functional>
#include <vector>

class PropertyPage;
class QDialogButtonBox;
class QPushButton;
class QTabWidget;

namespace pelorin {

class CRegistryStore;
class CSystemCfgDlg;

inline constexpr const char* kSaveConfigFailed = "Unable to Save System Configuration!";

class COrvoCfg : public QDialog {
    Q_OBJECT

  public:
    // Queues a WM_EXECUTE_REMOTE_CMD command for the front panel.
    using PostCommand = std::function<void(int command, std::intptr_t param)>;

    COrvoCfg(CRegistryStore& store, PostCommand post, QWidget* parent = nullptr);
    ~COrvoCfg() override;

    // Another page, as the next tab; `page` must be a PropertyPage.
    void addPage(QWidget* page, const QString& title);

    // Checks, then writes; true when everything was written.
    bool Apply();
    void accept() override;

    CSystemCfgDlg* SystemPage() const { return m_system; }
    QTabWidget* Tabs() const { return m_tabs; }
    QPushButton* ApplyButton() const;

  private:
    void UpdateApply();

    QTabWidget* m_tabs = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
    CSystemCfgDlg* m_system = nullptr;
    std::vector<PropertyPage*> m_pages;
};

}  // namespace pelorin
