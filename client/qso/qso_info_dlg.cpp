#include "client/qso/qso_info_dlg.h"

#include <utility>

#include "controls/edit_ex.h"
#include "platform/message_service.h"

namespace {

using pelorin::QsoBlanks;
using pelorin::QsoText;
using pelorin::SetQsoText;

constexpr COLORREF kBlue = 0xFF0000;
constexpr COLORREF kTeal = 0x808000;

// Macro slots of the client settings store.
constexpr int kSlotMySig = 4;
constexpr int kSlotCall = 5;
constexpr int kSlotName = 6;
constexpr int kSlotQth = 7;
constexpr int kSlotHisSig = 8;

constexpr const char* kClearQuestion = "Clearing All Variable?";

}  // namespace

// --- Normal window ---------------------------------------------------------------------------

CQSOInfoDlg::CQSOInfoDlg(pelorin::CRegistryStore& store, pelorin::QsoEntryWindowLinks links,
                         QWidget* panel)
    : QsoEntryDialog(pelorin::kNormalLogStyle, QStringLiteral("QSO Information"), QSize(172, 112),
                     store, std::move(links), panel) {
    SetCallEdit(AddBox("His Call: ", 6, 41, QRect(48, 5, 60, 16), kBlue, -18,
                       pelorin::kMaxCallLength, QsoBlanks::Refused));
    m_name = AddBox("His Name:", 6, 41, QRect(48, 24, 76, 14), kBlue, -16, pelorin::kMaxNameLength,
                    QsoBlanks::Allowed);
    m_hisSig = AddBox("His Sig:", 6, 41, QRect(48, 43, 33, 13), kBlue, -14,
                      pelorin::kMaxSignalReportLength, QsoBlanks::Allowed);
    m_mySig = AddBox("My Sig", 88, 24, QRect(114, 43, 33, 13), kBlue, -14,
                     pelorin::kMaxSignalReportLength, QsoBlanks::Allowed);
    m_qth = AddBox("His QTH:", 6, 41, QRect(48, 60, 114, 13), kBlue, -14, pelorin::kMaxQthLength,
                   QsoBlanks::Allowed);
    m_comment = AddBox("Comment", 6, 41, QRect(48, 76, 115, 13), kBlue, -14,
                       pelorin::kMaxCommentLength, QsoBlanks::Allowed);
    AddButtons(97);
    Open();
}

pelorin::QSO_LOG_ENTRY CQSOInfoDlg::TakeTexts() const {
    pelorin::QSO_LOG_ENTRY entry;
    entry.nLogStyle = pelorin::kNormalLogStyle;
    entry.szCall = QsoText(*callEdit());
    entry.szName = QsoText(*m_name);
    entry.szQTH = QsoText(*m_qth);
    entry.szHisSig = QsoText(*m_hisSig);
    entry.szMySig = QsoText(*m_mySig);
    entry.szComment = QsoText(*m_comment);
    return entry;
}

void CQSOInfoDlg::SetTexts(const pelorin::QSO_LOG_ENTRY& entry) {
    SetQsoText(*callEdit(), entry.szCall);
    SetQsoText(*m_name, entry.szName);
    SetQsoText(*m_qth, entry.szQTH);
    SetQsoText(*m_hisSig, entry.szHisSig);
    SetQsoText(*m_mySig, entry.szMySig);
    SetQsoText(*m_comment, entry.szComment);
}

void CQSOInfoDlg::LoadMacros() {
    SetQsoText(*callEdit(), Slot(kSlotCall));
    SetQsoText(*m_name, Slot(kSlotName));
    SetQsoText(*m_qth, Slot(kSlotQth));
    SetQsoText(*m_hisSig, Slot(kSlotHisSig));
}

void CQSOInfoDlg::StoreMacros() {
    SetSlot(kSlotCall, QsoText(*callEdit()));
    SetSlot(kSlotName, QsoText(*m_name));
    SetSlot(kSlotQth, QsoText(*m_qth));
    SetSlot(kSlotHisSig, QsoText(*m_hisSig));
    SetSlot(kSlotMySig, QsoText(*m_mySig));
}

void CQSOInfoDlg::ClearTexts() {
    if (!MessageService::askYesNo(kClearQuestion, MessageService::Icon::Information, this)) {
        return;
    }
    for (CEditEx* box : {callEdit(), m_name, m_qth, m_hisSig, m_mySig, m_comment}) {
        box->clear();
    }
    StoreMacros();
}

// --- Contest window --------------------------------------------------------------------------

CContestQSOInfoDlg::CContestQSOInfoDlg(pelorin::CRegistryStore& store,
                                       pelorin::QsoEntryWindowLinks links, QWidget* panel)
    : QsoEntryDialog(pelorin::kContestLogStyle, QStringLiteral("Contest QSO Information"),
                     QSize(172, 114), store, std::move(links), panel) {
    SetCallEdit(AddBox("His Call: ", 6, 41, QRect(48, 3, 69, 16), kBlue, -18,
                       pelorin::kMaxCallLength, QsoBlanks::Refused));
    m_exchange = AddBox("Exchange:", 6, 41, QRect(48, 24, 113, 16), kTeal, -18,
                        pelorin::kMaxExchangeLength, QsoBlanks::Allowed);
    m_comment = AddBox("Comment", 6, 41, QRect(48, 47, 115, 13), kTeal, -14,
                       pelorin::kMaxCommentLength, QsoBlanks::Allowed);
    AddButtons(69);
    Open();
}

pelorin::QSO_LOG_ENTRY CContestQSOInfoDlg::TakeTexts() const {
    pelorin::QSO_LOG_ENTRY entry;
    entry.nLogStyle = pelorin::kContestLogStyle;
    entry.szCall = QsoText(*callEdit());
    entry.szExchange = QsoText(*m_exchange);
    entry.szComment = QsoText(*m_comment);
    return entry;
}

void CContestQSOInfoDlg::SetTexts(const pelorin::QSO_LOG_ENTRY& entry) {
    SetQsoText(*callEdit(), entry.szCall);
    SetQsoText(*m_exchange, entry.szExchange);
    SetQsoText(*m_comment, entry.szComment);
}

void CContestQSOInfoDlg::LoadMacros() {
    SetQsoText(*callEdit(), Slot(kSlotCall));
}

void CContestQSOInfoDlg::StoreMacros() {
    SetSlot(kSlotCall, QsoText(*callEdit()));
}

void CContestQSOInfoDlg::ClearTexts() {
    for (CEditEx* box : {callEdit(), m_exchange, m_comment}) {
        box->clear();
    }
    SetSlot(kSlotCall, std::string());
}

// --- Factory ---------------------------------------------------------------------------------

std::unique_ptr<pelorin::IQsoEntryWindow> MakeQsoEntryWindow(int style,
                                                             pelorin::CRegistryStore& store,
                                                             pelorin::QsoEntryWindowLinks links,
                                                             QWidget* panel) {
    if (style == pelorin::kNormalLogStyle) {
        return std::make_unique<CQSOInfoDlg>(store, std::move(links), panel);
    }
    if (style == pelorin::kContestLogStyle) {
        return std::make_unique<CContestQSOInfoDlg>(store, std::move(links), panel);
    }
    return nullptr;
}
