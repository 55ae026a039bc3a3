#pragma once

// CRadioMemoryEditDlg: "Editing Memory", every stored memory with all its
// settings; Edit (or a double-click) opens the save dialog on the row's
// memory with its name read-only, Delete asks first. Both work on the row's
// slot, so memories of equal names are told apart. The list is filled anew
// after each edit or delete.
//
// Modal, the panel as parent; GUI thread only.

#include <QDialog>

class CK2MemoryCfg;
class CxShadeButton;
class QTableWidget;
namespace pelorin {
class CRegistryStore;
}  // namespace pelorin

class CRadioMemoryEditDlg : public QDialog {
    Q_OBJECT

  public:
    static constexpr int IDD = 153;
    static constexpr int IDC_MEMORY_LIST = 1193;
    static constexpr int IDC_EDIT = 1195;
    static constexpr int IDC_DELETE = 1197;

    CRadioMemoryEditDlg(CK2MemoryCfg& memories, pelorin::CRegistryStore& store, QWidget* panel);

    void OnInitDialog();
    int exec() override;
    void FillMemoryList();
    void OnEdit();
    void OnDelete();

    QTableWidget* list() const { return m_list; }
    CxShadeButton* editButton() const { return m_btnEdit; }
    CxShadeButton* deleteButton() const { return m_btnDelete; }

  signals:
    // The save dialog of an edit, before it runs (tests drive it).
    void editorOpened(QDialog* editor);

  private:
    CK2MemoryCfg& m_memories;
    pelorin::CRegistryStore& m_store;
    CxShadeButton* m_btnDone = nullptr;
    CxShadeButton* m_btnEdit = nullptr;
    CxShadeButton* m_btnDelete = nullptr;
    QTableWidget* m_list = nullptr;
};
