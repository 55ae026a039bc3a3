#include "client/cw/cw_transmit_dlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTest>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "client/base/notify_messages.h"
#include "client/cw/keyboard_cw_owner.h"
#include "client/cw/memory_key_store.h"
#include "client/panel/front_panel_layout.h"
#include "controls/clr_button.h"
#include "controls/highlight_button.h"
#include "controls/static_ex.h"
#include "cw_panel_fixture.h"
#include "radiolink/k2_status.h"
#include "tests/support/row_names.h"

namespace {

// The fake server, recording each keyed text.
class CwRemote : public FakePanelRemote {
  public:
    RemoteStatus KeyboardCW(const std::string& cwText) override {
        const RemoteStatus status = FakePanelRemote::KeyboardCW(cwText);
        if (status && *status == 0) {
            m_keyed.push_back(cwText);
        }
        return status;
    }
    std::vector<std::string> m_keyed;
};

constexpr COLORREF kGrey = 0xC0C0C0;
constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kOrange = 0x0080FF;

class CwWindow : public CwPanelFixture {
  protected:
    void SetUp() override {
        FrontPanelFixture::SetUp();
        looks::setBeepHook([this] { ++m_beeps; });
    }
    void TearDown() override {
        looks::setBeepHook({});
        CwPanelFixture::TearDown();
    }

    // The panel with the owner's entry points, connected unless told not to,
    // and the keyboard-CW window open.
    CCWTransmitDlg& open(bool connected = true) {
        makePanel(m_cw, [this](PanelCommandEntryPoints& commands) {
            commands.saveStackRegister = [this] { m_log.push_back("162"); };
            commands.recallMemory = [this] { m_log.push_back("165"); };
        });
        if (connected) {
            notice(SERVER_STATUS_CONNECTED);
        }
        m_panel->move(40, 30);
        m_panel->show();
        m_panel->OnCommandControl(front_panel::IDC_CW_WINDOW);
        CCWTransmitDlg* window = m_owner->window();
        EXPECT_NE(window, nullptr);
        window->FinishSlide();
        QCoreApplication::processEvents();
        m_cw.m_calls.clear();
        return *window;
    }

    void setMemory(int index, const std::string& text) { m_owner->memories().write(index, text); }

    void shoot(QWidget& widget, const char* name) {
        std::filesystem::create_directories(PANEL_SCREENSHOT_DIR);
        QCoreApplication::processEvents();
        widget.grab().save(QString::fromLatin1(PANEL_SCREENSHOT_DIR "/") +
                           QString::fromLatin1(name));
    }

    std::string pendingShown(const CCWTransmitDlg& window) const {
        return window.pendingView()->toPlainText().toStdString();
    }

    CwRemote m_cw;
    std::vector<std::string> m_log;
    int m_beeps = 0;
};

TEST_F(CwWindow, TypedWordsGoAtTheirSeparatorsAndWaitInThePendingText) {
    CCWTransmitDlg& window = open();
    QTest::keyClicks(window.typeInLine(), "CQ CQ DE");
    EXPECT_EQ(m_cw.m_keyed, (std::vector<std::string>{"CQ ", "CQ "}));
    EXPECT_EQ(pendingShown(window), "CQ CQ ");
    // Typed words leave "Abort TX!" as it is until Brakton reports keying.
    EXPECT_EQ(window.abortButton()->FaceColor(), kGrey);
    QTest::keyClick(window.typeInLine(), Qt::Key_Backspace);
    EXPECT_EQ(window.typeInLine()->text(), "CQ CQ D");
    QTest::keyClick(window.typeInLine(), Qt::Key_Home);
    QTest::keyClick(window.typeInLine(), Qt::Key_Backspace);
    EXPECT_EQ(m_beeps, 1);
    EXPECT_EQ(window.typeInLine()->text(), "CQ CQ D");
}

TEST_F(CwWindow, PasteAndUndoStayInTheUnsentTail) {
    CCWTransmitDlg& window = open();
    QTest::keyClicks(window.typeInLine(), "CQ ");
    QApplication::clipboard()->setText(QStringLiteral("A\tB C "));
    window.typeInLine()->setCursorPosition(1);
    QTest::keyClick(window.typeInLine(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(m_cw.m_keyed, (std::vector<std::string>{"CQ ", "A ", "B ", "C "}));
    QTest::keyClick(window.typeInLine(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(window.typeInLine(), Qt::Key_Home);
    QTest::keyClick(window.typeInLine(), Qt::Key_Delete);
    EXPECT_EQ(window.typeInLine()->text(), "CQ A B C ");
    QApplication::clipboard()->setText(QString::fromUtf8("CAF\xC3\xA9 "));
    QTest::keyClick(window.typeInLine(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(m_beeps, 1);
    EXPECT_EQ(m_cw.m_keyed.size(), 4U);
}

struct ResultCase {
    const char* name;
    bool connected;
    std::optional<std::int32_t> answer;  // nothing: the call fails
    bool called;
    std::string pending;
    COLORREF face;
    std::string status;
};
ROW_NAME(ResultCase, row.name);

const ResultCase kResults[] = {
    {"Taken", true, 0, true, "TEST ", kRed, ""},
    {"NotConnectedAtServer", true, std::int32_t{K2ERR_CLIENT_NOT_CONNECTED}, true, "", kGrey,
     "CW not sent: not connected"},
    {"PortNotOpen", true, std::int32_t{K2ERR_PORT_NOT_OPEN}, true, "", kGrey,
     "CW not sent: radio port not open"},
    {"QueueFull", true, std::int32_t{K2ERR_INVALID_PARAM}, true, "", kGrey,
     "CW not sent: Brakton's CW queue is full"},
    {"CallFailed", true, std::nullopt, true, "", kGrey, "CW not sent: not connected"},
    {"PanelNotConnected", false, 0, false, "", kGrey, "CW not sent: not connected"},
};

class CwWindowResults : public CwWindow, public ::testing::WithParamInterface<ResultCase> {};

TEST_P(CwWindowResults, PendingFaceAndStatus) {
    const ResultCase& row = GetParam();
    CCWTransmitDlg& window = open(row.connected);
    setMemory(0, "TEST");
    if (!row.answer) {
        m_cw.m_failing.insert("KeyboardCW");
    } else {
        m_cw.m_answers["KeyboardCW"] = *row.answer;
    }
    window.RequestTransmitMemKey(0);
    EXPECT_EQ(std::count(m_cw.m_calls.begin(), m_cw.m_calls.end(), "KeyboardCW"),
              row.called ? 1 : 0);
    EXPECT_EQ(window.pending().text(), row.pending);
    EXPECT_EQ(pendingShown(window), row.pending);
    EXPECT_EQ(window.abortButton()->FaceColor(), row.face);
    if (!row.status.empty()) {
        EXPECT_EQ(m_panel->statusText(), row.status);
        EXPECT_EQ(m_panel->statusKind(), 2);
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, CwWindowResults, ::testing::ValuesIn(kResults), CaseName());

TEST_F(CwWindow, RefusedTypedWordStaysUnsentAndGoesWithTheNextSeparator) {
    CCWTransmitDlg& window = open();
    m_cw.m_answers["KeyboardCW"] = static_cast<std::int32_t>(K2ERR_PORT_NOT_OPEN);
    QTest::keyClicks(window.typeInLine(), "CQ ");
    EXPECT_EQ(window.typeInLine()->cutter().sentPosition(), 0);
    m_cw.m_answers.clear();
    QTest::keyClicks(window.typeInLine(), "DE ");
    EXPECT_EQ(m_cw.m_keyed, (std::vector<std::string>{"CQ ", "DE "}));
}

TEST_F(CwWindow, NoticesShrinkThePendingTextAndQueueEmptyTurnsTheButtonGrey) {
    CCWTransmitDlg& window = open();
    setMemory(1, "CQ CQ DE N0CALL K");
    window.RequestTransmitMemKey(1);
    shoot(window, "cw_window_sending.png");
    m_panel->onWindowMessage(WindowMessage{WM_NOTIFY_TXTMESG_SENT, TXTMESG_SENT, 0, "CQ CQ DE "});
    EXPECT_EQ(pendingShown(window), "N0CALL K ");
    m_panel->onWindowMessage(WindowMessage{WM_NOTIFY_TXTMESG_SENT, TXTMESG_EMPTY, 0, ""});
    EXPECT_EQ(window.abortButton()->FaceColor(), kGrey);
    EXPECT_EQ(pendingShown(window), "N0CALL K ");
    m_panel->onWindowMessage(WindowMessage{WM_NOTIFY_TXTMESG_SENT, TXTMESG_SENT, 0, ""});
    EXPECT_EQ(window.abortButton()->FaceColor(), kRed);
    EXPECT_EQ(pendingShown(window), "N0CALL K ");
}

struct AbortCase {
    const char* name;
    std::function<void(CCWTransmitDlg&)> abort;
};
ROW_NAME(AbortCase, row.name);

const AbortCase kAborts[] = {
    {"Escape", [](CCWTransmitDlg& w) { QTest::keyClick(w.abortButton(), Qt::Key_Escape); }},
    {"Button", [](CCWTransmitDlg& w) { w.abortButton()->click(); }},
    {"KeyAbove10", [](CCWTransmitDlg& w) { w.RequestTransmitMemKey(27); }},
};

class CwWindowAbort : public CwWindow, public ::testing::WithParamInterface<AbortCase> {};

TEST_P(CwWindowAbort, ClearsLineAndPendingAndEndsAutoplay) {
    CCWTransmitDlg& window = open();
    setMemory(2, "TEST");
    window.autoplay().play(2, 5, 0);
    shoot(window, "cw_window_autoplay.png");
    EXPECT_EQ(window.autoplayLamp()->GetBkColor(), kOrange);
    EXPECT_FALSE(window.memoryKey(2)->isEnabled());
    QTest::keyClicks(window.typeInLine(), "AB");
    GetParam().abort(window);
    EXPECT_TRUE(waitFor([&] { return !window.autoplay().running(); }));
    EXPECT_EQ(window.typeInLine()->text(), "");
    EXPECT_EQ(pendingShown(window), "");
    EXPECT_EQ(window.autoplayLamp()->GetBkColor(), kGrey);
    EXPECT_TRUE(window.memoryKey(2)->isEnabled());
    EXPECT_EQ(std::count(m_cw.m_calls.begin(), m_cw.m_calls.end(), "AbortKeyboardCW"), 1);
}

INSTANTIATE_TEST_SUITE_P(Ways, CwWindowAbort, ::testing::ValuesIn(kAborts), CaseName());

// Every way Abort can be answered: the window is cleared whatever came back,
// and what was not a plain 0 is said.
struct AbortAnswerCase {
    const char* name;
    std::optional<std::int32_t> answer;  // nothing: the call fails
    std::string status;                  // empty: no word about the abort
    bool connected;                      // the panel's belief afterwards
};
ROW_NAME(AbortAnswerCase, row.name);

const AbortAnswerCase kAbortAnswers[] = {
    {"Done", 0, "", true},
    {"NoAnswer", std::nullopt, "Abort not confirmed by Brakton: no answer", false},
    {"NotConnectedAtServer", std::int32_t{K2ERR_CLIENT_NOT_CONNECTED},
     "Abort not confirmed by Brakton: not connected", false},
    {"PortNotOpen", std::int32_t{K2ERR_PORT_NOT_OPEN},
     "Abort not confirmed by Brakton: radio port not open", true},
};

class CwWindowAbortAnswers : public CwWindow,
                             public ::testing::WithParamInterface<AbortAnswerCase> {};

TEST_P(CwWindowAbortAnswers, ClearTheWindowAndSayWhatWasNotConfirmed) {
    const AbortAnswerCase& row = GetParam();
    CCWTransmitDlg& window = open();
    setMemory(2, "TEST");
    window.autoplay().play(2, 5, 0);
    ASSERT_EQ(window.pending().text(), "TEST ");
    if (!row.answer) {
        m_cw.m_failing.insert("AbortKeyboardCW");
    } else {
        m_cw.m_answers["AbortKeyboardCW"] = *row.answer;
    }
    window.abortButton()->click();
    EXPECT_EQ(std::count(m_cw.m_calls.begin(), m_cw.m_calls.end(), "AbortKeyboardCW"), 1);
    EXPECT_EQ(pendingShown(window), "");
    EXPECT_FALSE(window.autoplay().running());
    EXPECT_EQ(window.autoplayLamp()->GetBkColor(), kGrey);
    EXPECT_TRUE(window.memoryKey(2)->isEnabled());
    EXPECT_EQ(window.abortButton()->FaceColor(), kGrey);
    if (row.status.empty()) {
        EXPECT_EQ(m_panel->statusText().rfind("Abort", 0), std::string::npos)
            << m_panel->statusText();
    } else {
        EXPECT_EQ(m_panel->statusText(), row.status);
        EXPECT_EQ(m_panel->statusKind(), 2);
    }
    EXPECT_EQ(m_panel->model().m_bConnected != 0, row.connected);
}

INSTANTIATE_TEST_SUITE_P(Answers, CwWindowAbortAnswers, ::testing::ValuesIn(kAbortAnswers),
                         CaseName());

TEST_F(CwWindow, AbortAsksTheServerAfterTheLinkWasMarkedDown) {
    CCWTransmitDlg& window = open();
    setMemory(0, "CQ CQ CQ");
    window.RequestTransmitMemKey(0);
    // One time-out, while the server goes on keying.
    m_cw.m_failing.insert("KeyboardCW");
    QTest::keyClicks(window.typeInLine(), "DE ");
    ASSERT_EQ(m_panel->model().m_bConnected, 0);
    m_cw.m_failing.clear();
    m_cw.m_calls.clear();
    QTest::keyClick(window.typeInLine(), Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_EQ(m_cw.m_calls, (std::vector<std::string>{"AbortKeyboardCW"}));
    EXPECT_EQ(pendingShown(window), "");
}

TEST_F(CwWindow, ANotConnectedAnswerToCwDisconnectsThePanelAndLaterSendsCallNoOne) {
    CCWTransmitDlg& window = open();
    setMemory(0, "TEST");
    window.autoplay().play(0, 5, 0);
    ASSERT_EQ(window.pending().text(), "TEST ");
    // A text from the memory-key panel while autoplay runs.
    m_cw.m_answers["KeyboardCW"] = static_cast<std::int32_t>(K2ERR_CLIENT_NOT_CONNECTED);
    window.TransmitMemoryText("CQ");
    auto* connectTo = qobject_cast<CStaticEx*>(m_panel->control(front_panel::IDC_CONNECT_TO));
    ASSERT_NE(connectTo, nullptr);
    EXPECT_EQ(connectTo->text(), QStringLiteral("None"));
    EXPECT_EQ(m_panel->statusText(), "CW not sent: not connected");
    EXPECT_EQ(m_panel->statusKind(), 2);

    m_cw.m_answers.clear();
    m_cw.m_calls.clear();
    window.OnNotifyTextMessageSent(TXTMESG_SENT, "TEST ");
    ASSERT_TRUE(window.pending().empty());
    window.autoplay().tick();
    EXPECT_FALSE(window.autoplay().running());
    QTest::keyClicks(window.typeInLine(), "DE ");
    EXPECT_EQ(std::count(m_cw.m_calls.begin(), m_cw.m_calls.end(), "KeyboardCW"), 0);
    EXPECT_EQ(m_panel->statusText(), "CW not sent: not connected");
}

TEST_F(CwWindow, AnAutoplayTickWaitsWhileTextIsPendingAndSendsOnceItHasDrained) {
    CCWTransmitDlg& window = open();
    setMemory(0, "TEST");
    QTest::keyClicks(window.typeInLine(), "CQ ");
    window.autoplay().play(0, 5, 0);
    window.autoplay().tick();
    EXPECT_EQ(m_cw.m_keyed, (std::vector<std::string>{"CQ "}));
    window.OnNotifyTextMessageSent(TXTMESG_SENT, "CQ ");
    window.autoplay().tick();
    EXPECT_EQ(m_cw.m_keyed, (std::vector<std::string>{"CQ ", "TEST "}));
    EXPECT_TRUE(window.autoplay().running());
}

TEST_F(CwWindow, AutoplayOfAMemoryEmptiedSinceItWasChosenSaysSoAndEnds) {
    CCWTransmitDlg& window = open();
    setMemory(2, "TEST");
    window.autoplay().play(2, 5, 0);
    window.AbortTransmit();
    setMemory(2, "");
    m_cw.m_calls.clear();
    ASSERT_TRUE(window.autoplay().repeat());
    EXPECT_FALSE(window.autoplay().running());
    EXPECT_EQ(window.autoplayLamp()->GetBkColor(), kGrey);
    EXPECT_EQ(std::count(m_cw.m_calls.begin(), m_cw.m_calls.end(), "KeyboardCW"), 0);
    EXPECT_EQ(m_panel->statusText(), "Memory F3 is empty");
    EXPECT_EQ(m_panel->statusKind(), 2);
}

// --- Brakton gone quiet ----------------------------------------------------------------------

constexpr int kShortSilenceMs = 300;

class CwWindowSilence : public CwWindow {
  protected:
    CCWTransmitDlg& openWatched() {
        CCWTransmitDlg& window = open();
        window.SetSilenceLimit(kShortSilenceMs);
        return window;
    }

    // Runs the events for `ms`, reporting `report` every 100 ms when set.
    void runFor(int ms, const std::function<void()>& report = {}) {
        QElapsedTimer timer;
        timer.start();
        qint64 last = 0;
        while (timer.elapsed() < ms) {
            if (report && timer.elapsed() - last >= 100) {
                last = timer.elapsed();
                report();
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
    }

    long aborts() const {
        return std::count(m_cw.m_calls.begin(), m_cw.m_calls.end(), "AbortKeyboardCW");
    }
};

TEST_F(CwWindowSilence, PendingTextWithoutReportsIsEndedOnBothSidesAndSaid) {
    CCWTransmitDlg& window = openWatched();
    setMemory(2, "TEST");
    QTest::keyClicks(window.typeInLine(), "AB");
    window.autoplay().play(2, 5, 0);
    ASSERT_EQ(window.pending().text(), "TEST ");
    ASSERT_TRUE(waitFor([&] { return aborts() > 0; }));
    EXPECT_EQ(aborts(), 1);
    EXPECT_EQ(m_panel->statusText(), "CW stopped by Brakton: 5 characters not keyed");
    EXPECT_EQ(m_panel->statusKind(), 2);
    EXPECT_EQ(pendingShown(window), "");
    EXPECT_FALSE(window.autoplay().running());
    EXPECT_EQ(window.autoplayLamp()->GetBkColor(), kGrey);
    EXPECT_TRUE(window.memoryKey(2)->isEnabled());
    EXPECT_TRUE(window.typeInLine()->isEnabled());
    // What was typed and not yet handed on stays in the line.
    EXPECT_EQ(window.typeInLine()->text(), "AB");
}

// Each kind of report shows that Brakton is still there, however slowly the
// pending text shrinks.
struct ReportCase {
    const char* name;
    int kind;
    const char* text;
};
ROW_NAME(ReportCase, row.name);

const ReportCase kReports[] = {
    {"Chunk", TXTMESG_SENT, "V"},
    {"Progress", TXTMESG_SENT, ""},
    {"Empty", TXTMESG_EMPTY, ""},
};

class CwWindowReports : public CwWindowSilence, public ::testing::WithParamInterface<ReportCase> {};

TEST_P(CwWindowReports, KeepPendingTextWatchedButNotStopped) {
    const ReportCase& row = GetParam();
    CCWTransmitDlg& window = openWatched();
    const std::string text(40, 'V');
    setMemory(0, text);
    window.RequestTransmitMemKey(0);
    runFor(4 * kShortSilenceMs, [&] { window.OnNotifyTextMessageSent(row.kind, row.text); });
    EXPECT_EQ(aborts(), 0);
    EXPECT_FALSE(window.pending().empty());
    EXPECT_EQ(m_panel->statusText().find("CW stopped"), std::string::npos);
    // Then the reports stop.
    EXPECT_TRUE(waitFor([&] { return aborts() == 1; }));
    EXPECT_TRUE(window.pending().empty());
}

INSTANTIATE_TEST_SUITE_P(Kinds, CwWindowReports, ::testing::ValuesIn(kReports), CaseName());

TEST_F(CwWindowSilence, TextKeyedToTheEndIsNotWatched) {
    CCWTransmitDlg& window = openWatched();
    setMemory(0, "TEST");
    window.RequestTransmitMemKey(0);
    window.OnNotifyTextMessageSent(TXTMESG_SENT, "TEST ");
    window.OnNotifyTextMessageSent(TXTMESG_EMPTY, "");
    runFor(3 * kShortSilenceMs);
    EXPECT_EQ(aborts(), 0);
    EXPECT_EQ(m_panel->statusText().find("CW stopped"), std::string::npos);
}

struct KeyCase {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    std::vector<std::string> keyed;  // memories are "M1 " ... "M11 "
    std::vector<std::string> panelLog;
};
ROW_NAME(KeyCase, row.name);

const KeyCase kKeys[] = {
    {"F1", Qt::Key_F1, Qt::NoModifier, {"M1 "}, {}},
    {"F11", Qt::Key_F11, Qt::NoModifier, {"M11 "}, {}},
    {"AltF10", Qt::Key_F10, Qt::AltModifier, {"M10 "}, {}},
    {"AltF1", Qt::Key_F1, Qt::AltModifier, {}, {"162"}},
    {"AltF4", Qt::Key_F4, Qt::AltModifier, {}, {"165"}},
    {"AltF5", Qt::Key_F5, Qt::AltModifier, {}, {}},
    {"AltF11", Qt::Key_F11, Qt::AltModifier, {}, {}},
    {"Enter", Qt::Key_Return, Qt::NoModifier, {}, {}},
};

class CwWindowKeys : public CwWindow, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(CwWindowKeys, ReachTheirMemoryOrThePanelAfterTheKeyEvent) {
    const KeyCase& row = GetParam();
    CCWTransmitDlg& window = open();
    for (int i = 0; i < 11; ++i) {
        setMemory(i, "M" + std::to_string(i + 1));
    }
    QTest::keyClick(window.typeInLine(), row.key, row.modifiers);
    // Queued: nothing has happened while the key event ran.
    EXPECT_TRUE(m_cw.m_keyed.empty());
    EXPECT_TRUE(m_log.empty());
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(m_cw.m_keyed, row.keyed);
    EXPECT_EQ(m_log, row.panelLog);
}

INSTANTIATE_TEST_SUITE_P(Keys, CwWindowKeys, ::testing::ValuesIn(kKeys), CaseName());

TEST_F(CwWindow, AltTClosesTheWindowThroughThePanelAfterTheKeyEvent) {
    CCWTransmitDlg& window = open();
    QPointer<CCWTransmitDlg> watched(&window);
    QTest::keyClick(window.typeInLine(), Qt::Key_T, Qt::AltModifier);
    EXPECT_TRUE(watched);
    EXPECT_TRUE(waitFor([&] { return watched.isNull(); }));
    EXPECT_EQ(m_owner->window(), nullptr);
    EXPECT_EQ(m_panel->model().m_bCWWindowOpen, 0);
    // Notices and keys after the close go nowhere.
    m_panel->onWindowMessage(WindowMessage{WM_NOTIFY_TXTMESG_SENT, TXTMESG_SENT, 0, "X"});
}

TEST_F(CwWindow, ReopeningWhileSlidingInFinishesThatSlide) {
    open();
    QPointer<CCWTransmitDlg> first(m_owner->window());
    m_panel->OnCommandControl(front_panel::IDC_CW_WINDOW);
    EXPECT_TRUE(first->slidingIn());
    m_panel->OnCommandControl(front_panel::IDC_CW_WINDOW);
    EXPECT_NE(m_owner->window(), first.data());
    EXPECT_TRUE(waitFor([&] { return first.isNull(); }));
}

TEST_F(CwWindow, MemoryKeysFollowTheStoreWithOneBlankInTheirTooltip) {
    CCWTransmitDlg& window = open();
    EXPECT_FALSE(window.memoryKey(2)->isEnabled());
    setMemory(2, "5NN TU");
    EXPECT_TRUE(window.memoryKey(2)->isEnabled());
    EXPECT_EQ(window.memoryKey(2)->toolTip(), "5NN TU ");
    setMemory(2, "");
    EXPECT_FALSE(window.memoryKey(2)->isEnabled());
}

TEST_F(CwWindow, PopupItemsInOrderAndQsoLoggingReachesThePanel) {
    int qsoLogging = 0;
    makePanel(m_cw, [&qsoLogging](PanelCommandEntryPoints& commands) {
        commands.startQsoLogging = [&qsoLogging] { ++qsoLogging; };
    });
    m_panel->show();
    m_panel->OnCommandControl(front_panel::IDC_CW_WINDOW);
    ASSERT_NE(m_owner->window(), nullptr);
    CCWTransmitDlg& window = *m_owner->window();
    window.FinishSlide();
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            window.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&window, &event);
    ASSERT_NE(window.popupMenu(), nullptr);
    const auto actions = window.popupMenu()->actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(actions[0]->text(), "Set My RST");
    EXPECT_EQ(actions[1]->text(), "Set New Serial No");
    EXPECT_EQ(actions[2]->text(), "QSO Logging");
    window.popupMenu()->hide();
    actions[2]->trigger();
    // Queued: the panel starts QSO logging once the menu's event is done.
    EXPECT_EQ(qsoLogging, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(qsoLogging, 1);
}

TEST_F(CwWindow, DocksBelowThePanelAsWideAsItAndHalfItsHeight) {
    CCWTransmitDlg& window = open();
    const QRect panel = m_panel->frameGeometry();
    EXPECT_EQ(window.geometry(),
              QRect(panel.left(), panel.top() + panel.height(), panel.width(), panel.height() / 2));
    shoot(window, "cw_window_idle.png");
    // The panel with the window docked, drawn from their rectangles.
    const QRect both = panel.united(window.geometry());
    QImage image(both.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.drawPixmap(panel.topLeft() - both.topLeft(), m_panel->grab());
    painter.drawPixmap(window.geometry().topLeft() - both.topLeft(), window.grab());
    painter.end();
    image.save(QString::fromLatin1(PANEL_SCREENSHOT_DIR "/cw_window_docked.png"));
    m_panel->move(80, 60);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.geometry().topLeft(),
              QPoint(m_panel->frameGeometry().left(), m_panel->frameGeometry().bottom() + 1));
}

}  // namespace
