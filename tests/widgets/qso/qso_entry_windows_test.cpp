// The normal and contest QSO entry windows on a real settings store, with
// recording links in place of the info object and the panel: keys, buttons,
// macro slots, the text rule of every box, the popup, show and hide, and
// where they open. Screenshots land beside the log window's.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "client/base/registry_store.h"
#include "client/qso/qso_info_dlg.h"
#include "controls/cx_shade_button.h"
#include "controls/edit_ex.h"
#include "platform/message_service.h"
#include "tests/support/row_names.h"
#include "tests/support/settings_sandbox.h"
#include "tests/widgets/qso/window_boxes.h"

namespace {

using pelorin::QSO_LOG_ENTRY;

// The entries a window of each kind logs for, and shows from, its texts.
QSO_LOG_ENTRY normalContact() {
    QSO_LOG_ENTRY e;
    e.nLogStyle = pelorin::kNormalLogStyle;
    e.szCall = "N0CALL";
    e.szName = "J\xFCrgen";  // Latin-1
    e.szQTH = "Anytown";
    e.szHisSig = "599";
    e.szMySig = "579";
    e.szComment = "tnx";
    return e;
}

QSO_LOG_ENTRY contestContact() {
    QSO_LOG_ENTRY e;
    e.nLogStyle = pelorin::kContestLogStyle;
    e.szCall = "K1TEST";
    e.szExchange = "599 05";
    e.szComment = "qrq";
    return e;
}

class QsoEntryWindows : public ::testing::Test {
  protected:
    void SetUp() override {
        looks::setBeepHook([this] { ++m_beeps; });
        MessageService::queueAnswers({});
    }
    void TearDown() override {
        MessageService::queueAnswers({});
        looks::setBeepHook({});
    }

    pelorin::QsoEntryWindowLinks links() {
        pelorin::QsoEntryWindowLinks links;
        links.logIt = [this](const QSO_LOG_ENTRY& entry) {
            m_logged.push_back(entry);
            m_calls.push_back("logIt " + entry.szCall);
        };
        links.searchLog = [this](const std::string& call) { m_calls.push_back("search " + call); };
        links.executeRemoteCmd = [this](int cmd, long param) {
            m_calls.push_back("remote " + std::to_string(cmd) + " " + std::to_string(param));
        };
        return links;
    }

    std::unique_ptr<CQSOInfoDlg> normal() {
        return std::make_unique<CQSOInfoDlg>(m_store, links());
    }
    std::unique_ptr<CContestQSOInfoDlg> contest() {
        return std::make_unique<CContestQSOInfoDlg>(m_store, links());
    }

    // Macro slots 1 to 8, as setSlots takes them.
    std::vector<std::string> macroSlots() const {
        std::vector<std::string> texts(8);
        for (std::size_t i = 0; i < texts.size(); ++i) {
            m_store.GetStringSlot(static_cast<int>(i) + 1, texts[i]);
        }
        return texts;
    }
    void setSlots(const std::vector<std::string>& texts) {
        for (std::size_t i = 0; i < texts.size(); ++i) {
            m_store.SetStringSlot(static_cast<int>(i) + 1, texts[i]);
        }
    }

    // Types into every box of a window, in the window's order.
    struct NormalTexts {
        QString call, name, qth, hisSig, mySig, comment;
    };
    static void fill(CQSOInfoDlg& window, const NormalTexts& texts) {
        window.callEdit()->setText(texts.call);
        window.nameEdit()->setText(texts.name);
        window.qthEdit()->setText(texts.qth);
        window.hisSigEdit()->setText(texts.hisSig);
        window.mySigEdit()->setText(texts.mySig);
        window.commentEdit()->setText(texts.comment);
    }
    struct ContestTexts {
        QString call, exchange, comment;
    };
    static void fill(CContestQSOInfoDlg& window, const ContestTexts& texts) {
        window.callEdit()->setText(texts.call);
        window.exchangeEdit()->setText(texts.exchange);
        window.commentEdit()->setText(texts.comment);
    }

    static void shoot(QWidget& window, const char* name) {
        std::filesystem::create_directories(QSO_SCREENSHOT_DIR);
        QCoreApplication::processEvents();
        window.grab().save(QString::fromLatin1(QSO_SCREENSHOT_DIR "/") + QString::fromLatin1(name));
    }

    SettingsSandbox m_settings{"qso-entry"};
    pelorin::CRegistryStore m_store;
    std::vector<std::string> m_calls;
    std::vector<QSO_LOG_ENTRY> m_logged;
    int m_beeps = 0;
};

// --- Keys ------------------------------------------------------------------------------------

struct KeyCase {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    std::vector<std::string> calls;  // after the queued click has run
};
ROW_NAME(KeyCase, row.name);

const KeyCase kKeyCases[] = {
    {"EscAbortsTheCwText", Qt::Key_Escape, Qt::NoModifier, {"remote 10 27"}},
    {"F1IsMemoryKeyZero", Qt::Key_F1, Qt::NoModifier, {"remote 10 0"}},
    {"F10IsMemoryKeyNine", Qt::Key_F10, Qt::NoModifier, {"remote 10 9"}},
    {"F11IsMemoryKeyTen", Qt::Key_F11, Qt::NoModifier, {"remote 10 10"}},
    {"AltF5IsMemoryKeyFourToo", Qt::Key_F5, Qt::AltModifier, {"remote 10 4"}},
    {"AltLLogsTheCall", Qt::Key_L, Qt::AltModifier, {"logIt N0CALL"}},
    {"AltXAsksThePanelToExit", Qt::Key_X, Qt::AltModifier, {"remote 9 0"}},
    {"AltCOnlyTraces", Qt::Key_C, Qt::AltModifier, {}},
    {"AltSOnlyTraces", Qt::Key_S, Qt::AltModifier, {}},
    // No button is a default one that Enter would click.
    {"EnterLogsNothing", Qt::Key_Return, Qt::NoModifier, {}},
};

class EntryWindowKeys : public QsoEntryWindows, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(EntryWindowKeys, ActOnceInTheCallBoxAndLeaveTheWindowOpen) {
    const KeyCase& row = GetParam();
    auto window = normal();
    window->callEdit()->setText(QStringLiteral("n0call"));
    QTest::keyClick(window->callEdit(), row.key, row.modifiers);
    QCoreApplication::processEvents();
    EXPECT_EQ(m_calls, row.calls);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->IsShown());
    // An Alt letter is no typing.
    EXPECT_EQ(window->callEdit()->text(), QStringLiteral("n0call"));
}

INSTANTIATE_TEST_SUITE_P(Keys, EntryWindowKeys, ::testing::ValuesIn(kKeyCases), CaseName());

TEST_F(QsoEntryWindows, KeysOnTheWindowItselfAndOnAButtonActOnceToo) {
    auto window = contest();
    QTest::keyClick(window.get(), Qt::Key_F2);
    QTest::keyClick(window->clearButton(), Qt::Key_Escape);
    QTest::keyClick(window->exchangeEdit(), Qt::Key_X, Qt::AltModifier);
    EXPECT_EQ(m_calls, (std::vector<std::string>{"remote 10 1", "remote 10 27", "remote 9 0"}));
    EXPECT_TRUE(window->isVisible());
}

TEST_F(QsoEntryWindows, AltLClicksLogItOnlyAfterTheKeyIsDone) {
    auto window = normal();
    window->callEdit()->setText(QStringLiteral("k1abc"));
    QTest::keyClick(window->callEdit(), Qt::Key_L, Qt::AltModifier);
    EXPECT_TRUE(m_calls.empty());
    QCoreApplication::processEvents();
    EXPECT_EQ(m_calls, (std::vector<std::string>{"logIt K1ABC"}));
}

// --- Log It ----------------------------------------------------------------------------------

struct LogItCase {
    const char* name;
    QString call;
    std::string logged;  // empty: refused with the message
};
ROW_NAME(LogItCase, row.name);

const LogItCase kLogItCases[] = {
    {"EmptyCallIsRefused", "", ""},
    {"CallOfBlanksIsRefused", "  ", ""},
    {"LowerCaseCallIsLoggedInUpperCase", "n0call", "N0CALL"},
    {"BlanksAroundACallAreTrimmed", " dl1abc ", "DL1ABC"},
    {"OnlyAsciiLettersChangeCase", "ok1ñ/p", "OK1ñ/P"},
};

class EntryWindowLogIt : public QsoEntryWindows, public ::testing::WithParamInterface<LogItCase> {};

TEST_P(EntryWindowLogIt, SendsTheUpperCaseCallOrSaysItIsEmpty) {
    const LogItCase& row = GetParam();
    auto window = normal();
    // Blanks cannot be typed into a call box; a found entry can bring them.
    window->callEdit()->setText(row.call);
    window->logItButton()->click();
    if (row.logged.empty()) {
        EXPECT_TRUE(m_calls.empty());
        EXPECT_EQ(m_settings.messages(), (std::vector<std::string>{"error\tCallsign is empty!"}));
    } else {
        ASSERT_EQ(m_logged.size(), 1U);
        EXPECT_EQ(m_logged[0].szCall,
                  QString::fromUtf8(row.logged.c_str()).toLatin1().toStdString());
        EXPECT_TRUE(m_settings.messages().empty());
    }
    EXPECT_EQ(window->callEdit()->text(), row.call);
}

INSTANTIATE_TEST_SUITE_P(Calls, EntryWindowLogIt, ::testing::ValuesIn(kLogItCases), CaseName());

TEST_F(QsoEntryWindows, LogItSendsEveryTextOfTheWindowsKindAndKeepsThem) {
    auto window = normal();
    fill(*window, {"n0call", "Jürgen", "Anytown", "599", "579", "tnx"});
    window->logItButton()->click();
    ASSERT_EQ(m_logged.size(), 1U);
    EXPECT_EQ(m_logged[0], normalContact());
    EXPECT_EQ(window->nameEdit()->text(), QStringLiteral("Jürgen"));

    auto other = contest();
    fill(*other, {"k1test", "599 05", "qrq"});
    other->logItButton()->click();
    ASSERT_EQ(m_logged.size(), 2U);
    EXPECT_EQ(m_logged[1], contestContact());
}

// --- The text rule of every box --------------------------------------------------------------

struct BoxCase {
    const char* name;
    bool contestWindow;
    std::function<CEditEx*(QsoEntryDialog&)> box;
    int limit;
    bool blanks;
};
ROW_NAME(BoxCase, row.name);

CQSOInfoDlg& asNormal(QsoEntryDialog& w) {
    return static_cast<CQSOInfoDlg&>(w);
}
CContestQSOInfoDlg& asContest(QsoEntryDialog& w) {
    return static_cast<CContestQSOInfoDlg&>(w);
}

const BoxCase kBoxCases[] = {
    {"NormalCall", false, [](QsoEntryDialog& w) { return w.callEdit(); }, 19, false},
    {"NormalName", false, [](QsoEntryDialog& w) { return asNormal(w).nameEdit(); }, 19, true},
    {"NormalHisSig", false, [](QsoEntryDialog& w) { return asNormal(w).hisSigEdit(); }, 19, true},
    {"NormalMySig", false, [](QsoEntryDialog& w) { return asNormal(w).mySigEdit(); }, 19, true},
    {"NormalQth", false, [](QsoEntryDialog& w) { return asNormal(w).qthEdit(); }, 39, true},
    {"NormalComment", false, [](QsoEntryDialog& w) { return asNormal(w).commentEdit(); }, 79, true},
    {"ContestCall", true, [](QsoEntryDialog& w) { return w.callEdit(); }, 19, false},
    {"ContestExchange", true, [](QsoEntryDialog& w) { return asContest(w).exchangeEdit(); }, 79,
     true},
    {"ContestComment", true, [](QsoEntryDialog& w) { return asContest(w).commentEdit(); }, 79,
     true},
};

class EntryWindowBoxes : public QsoEntryWindows, public ::testing::WithParamInterface<BoxCase> {
  protected:
    std::unique_ptr<QsoEntryDialog> make(bool contestWindow) {
        if (contestWindow) {
            return contest();
        }
        return normal();
    }
    void paste(CEditEx& box, const QString& text) {
        QApplication::clipboard()->setText(text);
        box.paste();
    }
    void type(CEditEx& box, const QString& text) {
        for (const QChar ch : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(&box, &press);
        }
    }
};

TEST_P(EntryWindowBoxes, TakeTheirFieldAndRefuseWholeWhatBreaksTheRule) {
    const BoxCase& row = GetParam();
    auto window = make(row.contestWindow);
    CEditEx& box = *row.box(*window);
    box.clear();
    const QString full(row.limit - 1, QLatin1Char('x'));
    paste(box, full);
    type(box, QStringLiteral("y"));
    const QString filled = full + QLatin1Char('y');
    ASSERT_EQ(box.text(), filled);
    EXPECT_EQ(m_beeps, 0);
    type(box, QStringLiteral("z"));  // one past the field
    EXPECT_EQ(box.text(), filled);
    EXPECT_EQ(m_beeps, 1);

    box.clear();
    type(box, QStringLiteral("a;"));
    paste(box, QStringLiteral("b;c"));
    type(box, QStringLiteral("€"));
    EXPECT_EQ(box.text(), QStringLiteral("a"));
    EXPECT_EQ(m_beeps, 4);
    type(box, QStringLiteral(" "));
    EXPECT_EQ(box.text(), row.blanks ? QStringLiteral("a ") : QStringLiteral("a"));
}

INSTANTIATE_TEST_SUITE_P(Boxes, EntryWindowBoxes, ::testing::ValuesIn(kBoxCases), CaseName());

// --- Macro slots -----------------------------------------------------------------------------

TEST_F(QsoEntryWindows, OpeningFillsTheBoxesFromTheMacroSlots) {
    setSlots({"OP", "OPNAME", "OPQTH", "589", "N0CALL", "Ann", "Anytown", "599"});
    auto window = normal();
    EXPECT_EQ(window->callEdit()->text(), QStringLiteral("N0CALL"));
    EXPECT_EQ(window->nameEdit()->text(), QStringLiteral("Ann"));
    EXPECT_EQ(window->qthEdit()->text(), QStringLiteral("Anytown"));
    EXPECT_EQ(window->hisSigEdit()->text(), QStringLiteral("599"));
    // My report and the comment start empty.
    EXPECT_TRUE(window->mySigEdit()->text().isEmpty());
    EXPECT_TRUE(window->commentEdit()->text().isEmpty());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->IsShown());

    auto other = contest();
    EXPECT_EQ(other->callEdit()->text(), QStringLiteral("N0CALL"));
    EXPECT_TRUE(other->exchangeEdit()->text().isEmpty());
}

TEST_F(QsoEntryWindows, SetMacroStoresTheNormalTextsInTheirSlots) {
    setSlots({"OP", "OPNAME", "OPQTH", "", "", "", "", ""});
    auto window = normal();
    fill(*window, {"DL1ABC", "Jürgen", "Köln", "579", "599", "tnx"});
    window->setMacroButton()->click();
    EXPECT_EQ(macroSlots(), (std::vector<std::string>{"OP", "OPNAME", "OPQTH", "599", "DL1ABC",
                                                      "J\xFCrgen", "K\xF6ln", "579"}));
}

TEST_F(QsoEntryWindows, ContestSetMacroStoresTheCallOnly) {
    setSlots({"OP", "", "", "589", "OLD", "Ann", "Anytown", "599"});
    auto window = contest();
    window->callEdit()->setText(QStringLiteral("K1TEST"));
    window->exchangeEdit()->setText(QStringLiteral("599 05"));
    window->setMacroButton()->click();
    EXPECT_EQ(macroSlots(),
              (std::vector<std::string>{"OP", "", "", "589", "K1TEST", "Ann", "Anytown", "599"}));
}

TEST_F(QsoEntryWindows, ClearAsksAndOnYesEmptiesTheBoxesAndTheirSlots) {
    setSlots({"OP", "", "", "589", "N0CALL", "Ann", "Anytown", "599"});
    auto window = normal();
    window->mySigEdit()->setText(QStringLiteral("579"));
    window->commentEdit()->setText(QStringLiteral("tnx"));

    window->clearButton()->click();  // answered No
    EXPECT_EQ(window->callEdit()->text(), QStringLiteral("N0CALL"));
    EXPECT_EQ(window->commentEdit()->text(), QStringLiteral("tnx"));
    EXPECT_EQ(macroSlots(),
              (std::vector<std::string>{"OP", "", "", "589", "N0CALL", "Ann", "Anytown", "599"}));

    MessageService::queueAnswers({true});
    window->clearButton()->click();
    for (CEditEx* box : {window->callEdit(), window->nameEdit(), window->qthEdit(),
                         window->hisSigEdit(), window->mySigEdit(), window->commentEdit()}) {
        EXPECT_TRUE(box->text().isEmpty());
    }
    EXPECT_EQ(macroSlots(), (std::vector<std::string>{"OP", "", "", "", "", "", "", ""}));
    EXPECT_EQ(m_settings.messages(),
              (std::vector<std::string>{"question\tClearing All Variable?\tNo",
                                        "question\tClearing All Variable?\tYes"}));
}

// The entry window's boxes are modal to it only: the front panel and the log
// window go on taking input while one is open.
struct EntryBoxCase {
    const char* name;
    bool question;  // the box waits for its answer
    std::function<void(CQSOInfoDlg&)> raise;
    const char* text;
};
ROW_NAME(EntryBoxCase, row.name);

const EntryBoxCase kEntryBoxes[] = {
    {"LogItWithoutACall", false,
     [](CQSOInfoDlg& window) {
         window.callEdit()->clear();
         window.logItButton()->click();
     },
     "Callsign is empty!"},
    {"ClearQuestion", true, [](CQSOInfoDlg& window) { window.clearButton()->click(); },
     "Clearing All Variable?"},
};

class EntryWindowMessageBoxes : public QsoEntryWindows,
                                public ::testing::WithParamInterface<EntryBoxCase> {};

TEST_P(EntryWindowMessageBoxes, AreModalToTheirWindowOnly) {
    const EntryBoxCase& c = GetParam();
    qsotest::StandInPanel panel;
    auto window = normal();
    window->show();
    qsotest::BlockedWatch entryWatch;
    window->installEventFilter(&entryWatch);
    const qsotest::RealBoxes realBoxes;

    bool seen = false;
    const auto whileOpen = [&] {
        seen = true;
        QMessageBox* box = qsotest::ShownMessageBox();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text().toStdString(), c.text);
        EXPECT_EQ(box->parentWidget(), window.get());
        EXPECT_EQ(box->windowModality(), Qt::WindowModal);
        EXPECT_TRUE(entryWatch.blocked);
        EXPECT_FALSE(panel.watch.blocked);
        QAbstractButton* answer = box->button(c.question ? QMessageBox::No : QMessageBox::Ok);
        ASSERT_NE(answer, nullptr);
        answer->click();
    };
    if (c.question)
        QTimer::singleShot(0, whileOpen);
    c.raise(*window);
    if (!c.question)
        whileOpen();
    QCoreApplication::processEvents();
    EXPECT_TRUE(seen);
    EXPECT_EQ(qsotest::ShownMessageBox(), nullptr);
    EXPECT_TRUE(m_calls.empty()) << ::testing::PrintToString(m_calls);
}

INSTANTIATE_TEST_SUITE_P(Boxes, EntryWindowMessageBoxes, ::testing::ValuesIn(kEntryBoxes),
                         CaseName());

TEST_F(QsoEntryWindows, ContestClearEmptiesWithoutAskingAndClearsTheCallSlotOnly) {
    setSlots({"OP", "", "", "589", "K1TEST", "Ann", "", ""});
    auto window = contest();
    window->exchangeEdit()->setText(QStringLiteral("599 05"));
    window->commentEdit()->setText(QStringLiteral("qrq"));
    window->clearButton()->click();
    for (CEditEx* box : {window->callEdit(), window->exchangeEdit(), window->commentEdit()}) {
        EXPECT_TRUE(box->text().isEmpty());
    }
    EXPECT_EQ(macroSlots(), (std::vector<std::string>{"OP", "", "", "589", "", "Ann", "", ""}));
    EXPECT_TRUE(m_settings.messages().empty());
}

// --- Found entries, popup, show and hide ------------------------------------------------------

TEST_F(QsoEntryWindows, AFoundEntryFillsTheWindowOfItsKindAndShowsIt) {
    auto window = normal();
    window->Toggle();
    ASSERT_FALSE(window->isVisible());
    const QSO_LOG_ENTRY found = normalContact();
    window->ShowEntry(found);
    EXPECT_EQ(window->callEdit()->text(), QStringLiteral("N0CALL"));
    EXPECT_EQ(window->nameEdit()->text(), QStringLiteral("Jürgen"));
    EXPECT_EQ(window->qthEdit()->text(), QStringLiteral("Anytown"));
    EXPECT_EQ(window->hisSigEdit()->text(), QStringLiteral("599"));
    EXPECT_EQ(window->mySigEdit()->text(), QStringLiteral("579"));
    EXPECT_EQ(window->commentEdit()->text(), QStringLiteral("tnx"));
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->IsShown());

    auto other = contest();
    other->ShowEntry(contestContact());
    EXPECT_EQ(other->callEdit()->text(), QStringLiteral("K1TEST"));
    EXPECT_EQ(other->exchangeEdit()->text(), QStringLiteral("599 05"));
    EXPECT_EQ(other->commentEdit()->text(), QStringLiteral("qrq"));
    // An entry of the other kind is not this window's.
    other->ShowEntry(found);
    EXPECT_EQ(other->callEdit()->text(), QStringLiteral("K1TEST"));
}

TEST_F(QsoEntryWindows, SearchLogFromThePopupSendsANonEmptyCall) {
    auto window = normal();
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 150), QPoint(5, 150));
    QApplication::sendEvent(window.get(), &click);
    QMenu* popup = window->popupMenu();
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(popup->actions().size(), 1);
    QAction* search = popup->actions().front();
    EXPECT_EQ(search->text(), QStringLiteral("Search Log"));
    popup->hide();
    search->trigger();  // empty call
    EXPECT_TRUE(m_calls.empty());
    window->callEdit()->setText(QStringLiteral("n0call"));
    search->trigger();
    EXPECT_EQ(m_calls, (std::vector<std::string>{"search n0call"}));
}

TEST_F(QsoEntryWindows, CloseBoxAndCancelHideTheWindowButEscKeepsIt) {
    auto window = normal();
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->IsShown());
    window->Toggle();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->IsShown());

    QTest::keyClick(window->callEdit(), Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
    // The Esc is used up: the next cancel hides the window.
    window->reject();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->IsShown());
    window->Show();
    window->close();  // also right after an Esc
    EXPECT_FALSE(window->isVisible());
}

// --- Placement, factory, screenshots ---------------------------------------------------------

TEST_F(QsoEntryWindows, OpensBelowRightOfThePanelAndMovesIntoARectangle) {
    ASSERT_TRUE(m_store.WriteWindowRect(20, 30, 320, 230));
    auto window = normal();
    EXPECT_EQ(window->Rect().topLeft(), QPoint(321, 231));
    window->MoveInto(QRect(40, 50, 10, 10));
    EXPECT_EQ(window->Rect().topLeft(), QPoint(40, 50));
    EXPECT_EQ(window->size(), looks::dluToPixels(QSize(172, 112)));
    window->Place();
    EXPECT_EQ(window->Rect().topLeft(), QPoint(321, 231));
}

TEST_F(QsoEntryWindows, TheFactoryMakesTheWindowOfAStyle) {
    const auto normalWindow =
        MakeQsoEntryWindow(pelorin::kNormalLogStyle, m_store, links(), nullptr);
    ASSERT_NE(dynamic_cast<CQSOInfoDlg*>(normalWindow.get()), nullptr);
    EXPECT_EQ(normalWindow->Style(), pelorin::kNormalLogStyle);
    EXPECT_EQ(dynamic_cast<QWidget*>(normalWindow.get())->windowTitle(),
              QStringLiteral("QSO Information"));
    const auto contestWindow =
        MakeQsoEntryWindow(pelorin::kContestLogStyle, m_store, links(), nullptr);
    ASSERT_NE(dynamic_cast<CContestQSOInfoDlg*>(contestWindow.get()), nullptr);
    EXPECT_EQ(contestWindow->Style(), pelorin::kContestLogStyle);
    EXPECT_EQ(dynamic_cast<QWidget*>(contestWindow.get())->windowTitle(),
              QStringLiteral("Contest QSO Information"));
    EXPECT_EQ(MakeQsoEntryWindow(2, m_store, links(), nullptr), nullptr);
}

TEST_F(QsoEntryWindows, ScreenshotsOfBothWindowsWithTexts) {
    auto window = normal();
    fill(*window, {"DL1ABC", "Jürgen", "Köln", "579", "599", "tnx fer QSO, 73"});
    shoot(*window, "qso_entry_normal.png");

    auto other = contest();
    fill(*other, {"K1TEST", "599 05", "first of the day"});
    shoot(*other, "qso_entry_contest.png");
}

}  // namespace
