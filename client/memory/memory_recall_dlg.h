#pragma once

// CMemoryRecallDlg: "Recalling Memory", the stored memories in slot order;
// "Select" (or a double-click on a row) ends it with the picked memory's
// slot and name. Select without a row ends it with no slot.
//
// Modal, the panel as parent; GUI thread only.

#include <QDialog>

#include <string>

class CK2MemoryCfg;
class CxShadeButton;
class QTableWidget;
namespace pelorin {
class CRegistryStore;
}  // namespace pelorin

class CMemoryRecallDlg : public QDialog {
    Q_OBJECT

  public:
    static constexpr int IDD = 152;
    static constexpr int IDC_MEMNAME_LISTCTRL = 1190;

    CMemoryRecallDlg(CK2MemoryCfg& memories, pelorin::CRegistryStore& store, QWidget* panel);

    // Fills the list and places the window; exec() runs it first.
    void OnInitDialog();
    int exec() override;
    void accept() override;

    // After Accepted: the picked memory, or slot -1 and the name as it was.
    int m_nSelectedSlot = -1;
    std::string m_strSelectedName;

    QTableWidget* list() const { return m_list; }

  private:
    void OnDblclkMemnameListctrl();

    CK2MemoryCfg& m_memories;
    pelorin::CRegistryStore& m_store;
    CxShadeButton* m_btnSelect = nullptr;
    QTableWidget* m_list = nullptr;
};
