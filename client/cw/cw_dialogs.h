#pragma once

// The keyboard-CW window's modal dialogs: memory autoplay
// (CMemoryKeyAutoplayDlg), the serial counter (CNewCounterValueInputDlg) and
// the operator's own signal report (CQSOMySigRptDlg). Each places itself
// under the panel's stored rectangle, or centred on the panel's screen when
// that place would not lie wholly on a screen.
//
// GUI thread only.

#include <QDialog>

#include <array>
#include <optional>
#include <string>

class CEditEx;
class CxShadeButton;
class QCheckBox;
class QComboBox;
class SteppedValue;
namespace pelorin {
class CRegistryStore;
}  // namespace pelorin

// "Memory Key Autoplay": one memory with a text, an interval from the table
// and a number of times (0: until interrupted). "Play" is on only while a
// memory is selected.
class CMemoryKeyAutoplayDlg : public QDialog {
    Q_OBJECT

  public:
    CMemoryKeyAutoplayDlg(pelorin::CRegistryStore& store, QWidget* panel, QWidget* parent);

    void SetData(const std::array<bool, 11>& present, int memory, int intervalSeconds, int times);
    void GetData(int& memory, int& intervalSeconds, int& times) const;

    QComboBox* memoryList() const { return m_memories; }
    SteppedValue* intervalStepper() const { return m_interval; }
    SteppedValue* timesStepper() const { return m_times; }
    QCheckBox* untilInterrupted() const { return m_until; }
    CxShadeButton* playButton() const { return m_play; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void refresh();

    pelorin::CRegistryStore& m_store;
    QWidget* m_panel;
    QComboBox* m_memories = nullptr;
    SteppedValue* m_interval = nullptr;
    SteppedValue* m_times = nullptr;
    QCheckBox* m_until = nullptr;
    CxShadeButton* m_play = nullptr;
    int m_intervalIndex = 2;
    int m_timesValue = 1;
};

// "Setting New Counter Value": the value (0-2147483647), the digits to send
// (0-5) and the cut-number form. An unknown value (nothing) shows an empty
// edit, and "Set" is refused with a beep until a value is entered. "Set"
// writes both "Counter Value" and "Output Mode"; "Cancel" writes nothing.
class CNewCounterValueInputDlg : public QDialog {
    Q_OBJECT

  public:
    CNewCounterValueInputDlg(pelorin::CRegistryStore& store, QWidget* panel, QWidget* parent,
                             std::optional<int> value, int digits, bool cut);

    void GetValues(int& value, int& digits, bool& cut) const;

    CEditEx* valueEdit() const { return m_value; }
    SteppedValue* digitsStepper() const { return m_digits; }
    QCheckBox* cutCheck() const { return m_cut; }
    // False when the settings could not be written.
    bool saved() const { return m_saved; }

  public slots:
    void accept() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    pelorin::CRegistryStore& m_store;
    QWidget* m_panel;
    CEditEx* m_value = nullptr;
    SteppedValue* m_digits = nullptr;
    QCheckBox* m_cut = nullptr;
    int m_digitCount = 0;
    bool m_saved = true;
};

// "My Signal Report": "599" at every opening; OK stores the report in text
// slot 4 (the ~MS macro).
class CQSOMySigRptDlg : public QDialog {
    Q_OBJECT

  public:
    CQSOMySigRptDlg(pelorin::CRegistryStore& store, QWidget* panel, QWidget* parent);

    CEditEx* reportEdit() const { return m_report; }

  public slots:
    void accept() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    pelorin::CRegistryStore& m_store;
    QWidget* m_panel;
    CEditEx* m_report = nullptr;
};
