#pragma once

#include <QDialog>

#include <cstddef>
#include <initializer_list>

#include "client/qso/qso_log_entry.h"
#include "client/qso/qso_log_view.h"
#include "client/qso/qso_text_filter.h"
#include "controls/looks.h"

class CEditEx;
class CStaticEx;
class CxShadeButton;
class QLabel;
class QLineEdit;
class QToolButton;

// The modal editors of one logged contact: "Edit QSO Log" for a normal entry,
// "Edit Contest QSO Log" for a contest entry. The log window opens one on a
// copy of its record, at its own left edge one pixel below it.
//
// Modify checks the boxes (ApplyQsoEdit): a bad box shows its message and the
// editor stays open; otherwise the editor closes with the changed record.
// Delete closes at once, unchecked. Cancel and Esc change nothing. The mode
// and QSL state have their own up and down buttons: up steps to the next
// name, down to the previous one, both wrapping.
//
// GUI thread only.
namespace pelorin {

class CQSOLogEditDlg : public QDialog {
    Q_OBJECT

  public:
    enum class Action { None, Modify, Delete };

    Action action() const { return m_action; }
    // The changed record after Modify; the opened one before.
    const QSO_LOG_ENTRY& entry() const { return m_entry; }

    CEditEx* callEdit() const { return m_call; }
    CEditEx* commentEdit() const { return m_comment; }
    CEditEx* dateEdit() const { return m_date; }
    CEditEx* timeEdit() const { return m_time; }
    CEditEx* bandEdit() const { return m_band; }
    CEditEx* frequencyEdit() const { return m_freq; }
    CStaticEx* modeText() const { return m_modeText; }
    QLabel* qslText() const { return m_qslText; }
    QToolButton* modeUp() const { return m_modeUp; }
    QToolButton* modeDown() const { return m_modeDown; }
    QToolButton* qslUp() const { return m_qslUp; }
    QToolButton* qslDown() const { return m_qslDown; }
    CxShadeButton* modifyButton() const { return m_btnModify; }
    CxShadeButton* cancelButton() const { return m_btnCancel; }
    CxShadeButton* deleteButton() const { return m_btnDelete; }

  public slots:
    void accept() override;  // Modify
    void OnDelete();

  protected:
    // Builds the controls every editor has and fills them from `entry`; the
    // editor of each kind places them and adds its own boxes.
    CQSOLogEditDlg(const QSO_LOG_ENTRY& entry, BandLookup bandOf, QWidget* parent);

    // The boxes of the editor's own kind into and out of the form.
    virtual void fillOwnBoxes(const QsoEditForm& form) = 0;
    virtual void readOwnBoxes(QsoEditForm& form) const = 0;

    // A text box: white, "Times New Roman" bold, `color` at `height`.
    CEditEx* makeBox(COLORREF color, int height);
    // The same, taking at most `maxChars` characters by the QSO text rule.
    CEditEx* makeBox(COLORREF color, int height, std::size_t maxChars, QsoBlanks blanks);
    // A labelled box on row `row` of the left column, `boxWidth` and `height`
    // in dialog units; or of the right column, where every box has one size.
    void placeLeft(const char* label, QWidget* box, int row, int boxWidth, int height);
    void placeRight(const char* label, QWidget* box, int row);
    // The QSL state with its up and down buttons on a row of the left column;
    // the mode with its buttons on a row of the right column.
    void placeQslSpinner(int row);
    void placeModeSpinner(int row);
    // Modify, Cancel and Delete on row `row`, two dialog units lower; sizes
    // the editor to end below them.
    void placeButtons(int row);
    // Tab goes from each widget to the next one listed.
    void chainTabOrder(std::initializer_list<QWidget*> widgets);
    void fillBoxes();

    static constexpr COLORREF kBlue = 0xFF0000;
    static constexpr COLORREF kTeal = 0x808000;
    static constexpr int kBigHeight = -18;
    static constexpr int kHeight = -14;

  private:
    // A label at the left of a box, both in dialog units.
    void placeLabelled(const char* label, QWidget* box, int x, int y, int labelWidth, int boxWidth,
                       int height);
    // The mode text or QSL state text with its up and down buttons.
    void placeSpinner(const char* label, QWidget* text, QToolButton* up, QToolButton* down, int x,
                      int y, int labelWidth, int textWidth, int height);
    void showMode();
    void showQsl();
    // The box a refused Modify puts the focus in.
    CEditEx* boxOf(QsoEditField field) const;

    QSO_LOG_ENTRY m_entry;
    BandLookup m_bandOf;
    QsoEditForm m_form;
    Action m_action = Action::None;

    CEditEx* m_call = nullptr;
    CEditEx* m_comment = nullptr;
    CEditEx* m_date = nullptr;
    CEditEx* m_time = nullptr;
    CEditEx* m_band = nullptr;
    CEditEx* m_freq = nullptr;
    CStaticEx* m_modeText = nullptr;
    QLabel* m_qslText = nullptr;
    QToolButton* m_modeUp = nullptr;
    QToolButton* m_modeDown = nullptr;
    QToolButton* m_qslUp = nullptr;
    QToolButton* m_qslDown = nullptr;
    CxShadeButton* m_btnModify = nullptr;
    CxShadeButton* m_btnCancel = nullptr;
    CxShadeButton* m_btnDelete = nullptr;
};

// "Edit QSO Log": call, name, QTH, both reports, QSL state, comment, date,
// time, band, frequency and mode.
class CNormalQSOLogEditDlg : public CQSOLogEditDlg {
    Q_OBJECT

  public:
    CNormalQSOLogEditDlg(const QSO_LOG_ENTRY& entry, BandLookup bandOf, QWidget* parent = nullptr);

    CEditEx* nameEdit() const { return m_name; }
    CEditEx* qthEdit() const { return m_qth; }
    CEditEx* hisSigEdit() const { return m_hisSig; }
    CEditEx* mySigEdit() const { return m_mySig; }

  protected:
    void fillOwnBoxes(const QsoEditForm& form) override;
    void readOwnBoxes(QsoEditForm& form) const override;

  private:
    CEditEx* m_name = nullptr;
    CEditEx* m_qth = nullptr;
    CEditEx* m_hisSig = nullptr;
    CEditEx* m_mySig = nullptr;
};

// "Edit Contest QSO Log": call, QSL state, exchange, comment, date, time,
// band, frequency and mode.
class CContestQSOLogEditDlg : public CQSOLogEditDlg {
    Q_OBJECT

  public:
    CContestQSOLogEditDlg(const QSO_LOG_ENTRY& entry, BandLookup bandOf, QWidget* parent = nullptr);

    CEditEx* exchangeEdit() const { return m_exchange; }

  protected:
    void fillOwnBoxes(const QsoEditForm& form) override;
    void readOwnBoxes(QsoEditForm& form) const override;

  private:
    CEditEx* m_exchange = nullptr;
};

}  // namespace pelorin
