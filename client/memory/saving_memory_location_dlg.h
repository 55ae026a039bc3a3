#pragma once

// CSavingMemoryLocationDlg: "Saving  Radio Memory Location", the memory record
// field by field. The front panel's save command runs it (again and again on
// the same object while the typed name is taken); the edit dialog runs it for
// one stored record, with the name read-only.
//
// Save checks every typed value before anything changes: VFO A and B are
// frequencies as the panel's frequency edits take them, the power a decimal
// 0.0-15.0 W, the CW speed a whole number 1-100. A value that fails shows
// its message, takes the focus and leaves the record as it was.
//
// Modal, the panel as parent; GUI thread only.

#include <QDialog>

#include <map>
#include <string>

#include "client/memory/k2_memory_cfg.h"

class CEditEx;
class CxShadeButton;
class QComboBox;
class QLineEdit;
class SteppedValue;
namespace pelorin {
class CRegistryStore;
}  // namespace pelorin

class CSavingMemoryLocationDlg : public QDialog {
    Q_OBJECT

  public:
    static constexpr int IDD = 151;
    static constexpr int IDC_MEMORY_NAME = 1187;
    static constexpr int IDC_VFOA = 1134;
    static constexpr int IDC_VFOB = 1135;
    static constexpr int IDC_ANTENNA = 1149;
    static constexpr int IDC_ANTENNA_SPIN = 1153;
    static constexpr int IDC_CW_SPEED = 1165;
    static constexpr int IDC_POWER = 1169;

    static constexpr const char* kInvalidFrequency = "Invalid frequency";
    static constexpr const char* kInvalidPower = "Invalid power";
    static constexpr const char* kInvalidCWSpeed = "Invalid CW speed";

    // `store` gives the panel's stored rectangle for the placement; `panel`
    // is the parent.
    CSavingMemoryLocationDlg(pelorin::CRegistryStore& store, QWidget* panel);
    ~CSavingMemoryLocationDlg() override;

    void SetMemoryRecord(int editing, const RADIO_MEMORY_RECORD& record);
    void SetMemoryName(const std::string& name);
    RADIO_MEMORY_RECORD GetMemoryRecord() const { return m_record; }
    std::string GetMemoryName() const { return m_strName; }

    // Formats the fields from the record and places the window; exec() runs
    // it first.
    void OnInitDialog();
    int exec() override;
    // "Save": the checks, then the record, then Accepted.
    void accept() override;

    QWidget* control(int id) const;

  private:
    void OnAntennaStep();

    pelorin::CRegistryStore& m_store;
    CxShadeButton* m_btnSave = nullptr;
    CxShadeButton* m_btnCancel = nullptr;
    std::map<int, QComboBox*> m_combos;
    std::map<int, QWidget*> m_controls;
    SteppedValue* m_spinAntenna = nullptr;
    QLineEdit* m_editCWSpeed = nullptr;
    QLineEdit* m_editPower = nullptr;
    CEditEx* m_editName = nullptr;
    CEditEx* m_editVFOA = nullptr;
    CEditEx* m_editVFOB = nullptr;

    std::string m_strName;
    int m_nAntenna = 1;
    RADIO_MEMORY_RECORD m_record;
    int m_bEditing = 0;
};
