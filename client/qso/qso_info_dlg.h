#pragma once

// The QSO entry windows: CQSOInfoDlg, the normal "QSO Information" window
// (call, name, QTH, both reports, comment), and CContestQSOInfoDlg, the
// contest "Contest QSO Information" window (call, exchange, comment). What
// they share is in QsoEntryDialog; MakeQsoEntryWindow makes the one of a log
// style.
//
// Macro slots of the client settings store: the normal window fills call,
// name, QTH and his report from slots 5, 6, 7 and 8 when it opens and Set
// Macro stores them there and my report in slot 4; the contest window uses
// slot 5 (the call) only.
//
// GUI thread only.

#include <memory>

#include "client/qso/qso_entry_dialog.h"

class CQSOInfoDlg : public QsoEntryDialog {
    Q_OBJECT

  public:
    CQSOInfoDlg(pelorin::CRegistryStore& store, pelorin::QsoEntryWindowLinks links,
                QWidget* panel = nullptr);

    CEditEx* nameEdit() const { return m_name; }
    CEditEx* qthEdit() const { return m_qth; }
    CEditEx* hisSigEdit() const { return m_hisSig; }
    CEditEx* mySigEdit() const { return m_mySig; }
    CEditEx* commentEdit() const { return m_comment; }

  protected:
    pelorin::QSO_LOG_ENTRY TakeTexts() const override;
    void SetTexts(const pelorin::QSO_LOG_ENTRY& entry) override;
    void LoadMacros() override;
    void StoreMacros() override;
    void ClearTexts() override;

  private:
    CEditEx* m_name = nullptr;
    CEditEx* m_hisSig = nullptr;
    CEditEx* m_mySig = nullptr;
    CEditEx* m_qth = nullptr;
    CEditEx* m_comment = nullptr;
};

class CContestQSOInfoDlg : public QsoEntryDialog {
    Q_OBJECT

  public:
    CContestQSOInfoDlg(pelorin::CRegistryStore& store, pelorin::QsoEntryWindowLinks links,
                       QWidget* panel = nullptr);

    CEditEx* exchangeEdit() const { return m_exchange; }
    CEditEx* commentEdit() const { return m_comment; }

  protected:
    pelorin::QSO_LOG_ENTRY TakeTexts() const override;
    void SetTexts(const pelorin::QSO_LOG_ENTRY& entry) override;
    void LoadMacros() override;
    void StoreMacros() override;
    void ClearTexts() override;

  private:
    CEditEx* m_exchange = nullptr;
    CEditEx* m_comment = nullptr;
};

// The entry window of log style `style` (kNormalLogStyle or
// kContestLogStyle), open beside the panel; null for any other style.
// `panel` may be null.
std::unique_ptr<pelorin::IQsoEntryWindow> MakeQsoEntryWindow(int style,
                                                             pelorin::CRegistryStore& store,
                                                             pelorin::QsoEntryWindowLinks links,
                                                             QWidget* panel);
