// The log window and its editors on a real settings store in a sandbox, with
// recording links and file chooser; the delete test drives the real logger
// over a log file in the test's folder. Message boxes are recorded lines,
// their answers queued. Screenshots land in the build tree.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "client/base/registry_store.h"
#include "client/qso/qso_log_edit_dlg.h"
#include "client/qso/qso_log_file.h"
#include "client/qso/qso_log_guard.h"
#include "client/qso/qso_logger.h"
#include "client/qso/qso_logging_dlg.h"
#include "controls/cx_shade_button.h"
#include "controls/edit_ex.h"
#include "controls/static_ex.h"
#include "platform/atomic_file.h"
#include "platform/message_service.h"
#include "platform/windows_path.h"
#include "tests/support/band_table.h"
#include "tests/support/event_wait.h"
#include "tests/support/qso_test_entries.h"
#include "tests/support/row_names.h"
#include "tests/support/settings_sandbox.h"
#include "tests/widgets/qso/window_boxes.h"

namespace {

using namespace pelorin;
namespace fs = std::filesystem;

using qsotest::BlockedWatch;
using qsotest::changed;
using qsotest::normalEntry;

// With a comment in Latin-1.
QSO_LOG_ENTRY contestEntry(const std::string& call = "K1TEST") {
    return changed(qsotest::contestEntry(call),
                   [](QSO_LOG_ENTRY& e) { e.szComment = "J\xFCrgen"; });
}

// What the window asked of the logger, one line a request.
struct Requests {
    std::vector<std::string> lines;
    std::vector<QSO_LOG_ENTRY> modified;
};

QsoLogWindowLinks recordingLinks(Requests& r) {
    QsoLogWindowLinks links;
    links.open = [&r](const std::string& path) { r.lines.push_back("open " + path); };
    links.save = [&r](const std::string& path) { r.lines.push_back("save " + path); };
    links.newLog = [&r] { r.lines.push_back("new"); };
    links.modify = [&r](int index, const QSO_LOG_ENTRY& e) {
        r.lines.push_back("modify " + std::to_string(index));
        r.modified.push_back(e);
    };
    links.remove = [&r](int index) { r.lines.push_back("remove " + std::to_string(index)); };
    links.toggleInfo = [&r] { r.lines.push_back("toggle info"); };
    links.searchResult = [&r](int index, const std::string& call) {
        r.lines.push_back("search result " + std::to_string(index) + " " + call);
    };
    links.executeRemoteCmd = [&r](int cmd, long param) {
        r.lines.push_back("remote " + std::to_string(cmd) + " " + std::to_string(param));
    };
    return links;
}

// Answers the file dialogs from a list; records the names offered.
class FakeChooser : public IQsoLogFileChooser {
  public:
    struct Log {
        std::vector<std::string> offered;
        std::vector<std::optional<std::string>> answers;
    };
    explicit FakeChooser(Log& log) : m_log(log) {}
    std::optional<std::string> Choose(QWidget*, Purpose purpose,
                                      const std::string& offered) override {
        m_log.offered.push_back((purpose == Purpose::Save ? "save " : "open ") + offered);
        if (m_log.answers.empty())
            return std::nullopt;
        std::optional<std::string> answer = m_log.answers.front();
        m_log.answers.erase(m_log.answers.begin());
        return answer;
    }

  private:
    Log& m_log;
};

class QsoLogWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        MessageService::queueAnswers({});
        m_store.WriteString("", "HomeDir", m_home.string());
        m_store.SetStringSlot(1, "N0CALL");
        m_store.WriteQsoLoggingMode(kNormalLogStyle);
    }
    void TearDown() override {
        m_window.reset();
        MessageService::queueAnswers({});
    }

    CQSOLoggingDlg& window() {
        if (!m_window) {
            m_window = std::make_unique<CQSOLoggingDlg>(m_store, recordingLinks(m_requests),
                                                        StoreBandLookup(m_store),
                                                        std::make_unique<FakeChooser>(m_chooser));
        }
        return *m_window;
    }

    // Opens the editor of a row; `drive` works it from inside and returns
    // the dialog's result as its event loop would.
    void editRow(int row, std::function<void(CQSOLogEditDlg&)> drive) {
        window().SetModalRunner([drive](QDialog& dialog) {
            auto& editor = dynamic_cast<CQSOLogEditDlg&>(dialog);
            editor.show();
            drive(editor);
            const int result = editor.isVisible() ? QDialog::Rejected : editor.result();
            editor.hide();
            return result;
        });
        doubleClick(window().entryList(), row);
        QCoreApplication::processEvents();  // the editor opens from the event loop
    }

    // A double click as the mouse makes it: press, release, double click.
    static void doubleClick(QTableWidget* list, int row) {
        const QPoint at = list->visualItemRect(list->item(row, 0)).center();
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }

    static QString cell(QTableWidget* list, int row, int column) {
        const QTableWidgetItem* item = list->item(row, column);
        return item != nullptr ? item->text() : QString();
    }

    std::vector<std::string> messages() const { return m_settings.messages(); }

    void shoot(QWidget& widget, const char* name) {
        fs::create_directories(QSO_SCREENSHOT_DIR);
        widget.show();
        QCoreApplication::processEvents();
        widget.grab().save(QString::fromLatin1(QSO_SCREENSHOT_DIR "/") + QString::fromLatin1(name));
    }

    SettingsSandbox m_settings{"qso-log-window"};
    const fs::path m_home = m_settings.dir() / "Orvo";
    CRegistryStore m_store;
    Requests m_requests;
    FakeChooser::Log m_chooser;
    std::unique_ptr<CQSOLoggingDlg> m_window;
};

// --- Rows, counts, search results ------------------------------------------------------------

TEST_F(QsoLogWindowTest, RowsCountsAndSearchResultsOfANormalLog) {
    CQSOLoggingDlg& w = window();
    EXPECT_EQ(w.ColumnsStyle(), kNormalLogStyle);
    ASSERT_EQ(w.entryList()->columnCount(), 13);
    EXPECT_EQ(w.entryList()->horizontalHeaderItem(5)->text(), "Freq (KHz)");
    EXPECT_EQ(w.entryList()->columnWidth(12), 150);
    EXPECT_EQ(w.totalText(), "   0");

    QSO_LOG_ENTRY forty = normalEntry("W1AW");
    forty.nBand = 6;
    forty.lFreq = 7030000;
    QSO_LOG_ENTRY noBand = normalEntry("DL1ABC");
    noBand.nBand = -1;
    noBand.lFreq = 50100000;
    for (const QSO_LOG_ENTRY& e : {normalEntry(), forty, normalEntry("N0CALL"), noBand})
        w.AddEntry(e);

    EXPECT_TRUE(w.isVisible());
    ASSERT_EQ(w.entryList()->rowCount(), 4);
    QStringList first;
    for (int c = 0; c < 13; ++c)
        first << cell(w.entryList(), 0, c);
    EXPECT_EQ(first, (QStringList{"   1", "N0CALL", "07/04/1999", "14:30:00", "  20M", "  14025.00",
                                  "CW", "Ann", "Anytown", "599", "579", "Sent", "tnx"}));
    EXPECT_EQ(cell(w.entryList(), 3, 0), "   4");
    EXPECT_EQ(cell(w.entryList(), 3, 5), "  50100.00");
    EXPECT_EQ(w.totalText(), "   4");
    EXPECT_EQ(w.bandCountText(4), "   2");
    EXPECT_EQ(w.bandCountText(6), "   1");
    EXPECT_EQ(w.bandCountText(0), "   0");

    w.AddSearchResult("N0CALL CW QSO on 07/04/1999 at 14:30:00 on   20M");
    w.AddSearchResult("N0CALL CW QSO on 07/04/1999 at 14:30:00 on   20M");
    EXPECT_EQ(w.searchList()->columnWidth(0), 300);
    w.SetCaption((m_home / "N0CALL.QSO.Log").string());
    EXPECT_EQ(w.windowTitle().toStdString(), (m_home / "N0CALL.QSO.Log").string());
    shoot(w, "qso_log_window_normal.png");

    // A double click on the second line sends the second entry of that call.
    doubleClick(w.searchList(), 1);
    ASSERT_FALSE(m_requests.lines.empty());
    EXPECT_EQ(m_requests.lines.back(), "search result 1 N0CALL");

    w.ClearSearchResults();
    EXPECT_EQ(w.searchList()->rowCount(), 0);
    w.ClearList();
    EXPECT_EQ(w.entryList()->rowCount(), 0);
    EXPECT_EQ(w.totalText(), "   0");
    EXPECT_EQ(w.bandCountText(4), "   0");
}

TEST_F(QsoLogWindowTest, RebuiltForContestTheRowsTakeTheContestColumns) {
    CQSOLoggingDlg& w = window();
    w.AddEntry(normalEntry());
    w.RebuildColumns(kContestLogStyle);
    EXPECT_EQ(w.ColumnsStyle(), kContestLogStyle);
    EXPECT_EQ(w.entryList()->rowCount(), 0);
    EXPECT_EQ(w.totalText(), "   0");
    ASSERT_EQ(w.entryList()->columnCount(), 10);
    EXPECT_EQ(w.entryList()->horizontalHeaderItem(7)->text(), "Exchange");
    EXPECT_EQ(w.entryList()->columnWidth(7), 100);

    w.AddEntry(contestEntry());
    w.AddEntry(contestEntry("K2ABC"));
    EXPECT_EQ(cell(w.entryList(), 0, 7), "599 05");
    EXPECT_EQ(cell(w.entryList(), 0, 9), QString::fromLatin1("J\xFCrgen"));
    EXPECT_EQ(w.bandCountText(6), "   2");
    w.AddSearchResult("K2ABC CW QSO on 11/23/2024 at 18:30:05 on   40M");
    shoot(w, "qso_log_window_contest.png");
}

// Positions are the frame's: the window manager's border counts.
TEST_F(QsoLogWindowTest, PlacedRightOfThePanelWithItsHeightWhenThePanelIsLargeEnough) {
    m_store.WriteWindowRect(10, 20, 310, 470);
    CQSOLoggingDlg& w = window();  // placed as it is made
    EXPECT_EQ(w.frameGeometry().topLeft(), QPoint(311, 20));
    EXPECT_EQ(w.frameGeometry().height(), 450);

    w.Show();  // now with its frame
    w.move(40, 30);
    const int frameWidth = w.frameGeometry().width();
    m_store.WriteWindowRect(10, 20, 110, 120);  // smaller than the window: it stays
    w.Place();
    EXPECT_EQ(w.pos(), QPoint(40, 30));

    m_store.WriteWindowRect(10, 20, 310, 470);
    w.Place();
    EXPECT_EQ(w.frameGeometry(), QRect(311, 20, frameWidth, 450));
}

// --- Buttons ---------------------------------------------------------------------------------

TEST_F(QsoLogWindowTest, TheListGrowsWithTheWindowAndWhatLiesUnderItMovesDown) {
    CQSOLoggingDlg& w = window();
    w.show();
    const QSize before = w.size();
    const QRect list = w.entryList()->geometry();
    const QRect save = w.saveButton()->geometry();
    const QRect search = w.searchList()->geometry();
    w.resize(before + QSize(300, 120));
    QCoreApplication::processEvents();
    EXPECT_EQ(w.entryList()->geometry(), list.adjusted(0, 0, 300, 120));
    EXPECT_EQ(w.saveButton()->geometry(), save.translated(0, 120));
    EXPECT_EQ(w.searchList()->geometry(), search.translated(0, 120));
    w.resize(before);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.entryList()->geometry(), list);
    EXPECT_EQ(w.saveButton()->geometry(), save);
}

TEST_F(QsoLogWindowTest, SaveOfAnEmptyLogSaysSoAndOpensNoDialog) {
    window().saveButton()->click();
    EXPECT_EQ(messages(), (std::vector<std::string>{"warning\tLog is empty!"}));
    EXPECT_TRUE(m_chooser.offered.empty());
    EXPECT_TRUE(m_requests.lines.empty());
}

TEST_F(QsoLogWindowTest, LoadAndSaveGoThroughTheChooserWhichOffersTheLastPath) {
    const std::string first = joinLocalPath(m_home.string(), "N0CALL.QSO.Log");
    const std::string other = (m_settings.dir() / "other.log").string();
    m_chooser.answers = {std::nullopt, other, (m_settings.dir() / "saved.log").string()};
    CQSOLoggingDlg& w = window();

    w.loadButton()->click();  // cancelled: nothing asked of the logger
    EXPECT_TRUE(m_requests.lines.empty());
    w.loadButton()->click();
    w.AddEntry(normalEntry());
    w.saveButton()->click();
    EXPECT_EQ(m_chooser.offered,
              (std::vector<std::string>{"open " + first, "open " + first, "save " + other}));
    EXPECT_EQ(m_requests.lines,
              (std::vector<std::string>{"open " + other,
                                        "save " + (m_settings.dir() / "saved.log").string()}));
    EXPECT_EQ(w.fileDialogName(), (m_settings.dir() / "saved.log").string());
}

// The real dialog: "*.log" lists a "*.QSO.Log" file, the offered name is
// selected, and Save asks before it replaces a file (No keeps the dialog open).
TEST_F(QsoLogWindowTest, TheFileDialogListsLogFilesAndAsksBeforeItReplacesOne) {
    fs::create_directories(m_home);
    const fs::path existing = m_home / "N0CALL.QSO.Log";
    std::ofstream(existing) << "0;\n";
    std::ofstream(m_home / "notes.txt") << "x\n";

    QStringList listed;
    QString question;
    QString offered;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->nameFilters(), QStringList{"Log Files (*.log)"});
        EXPECT_EQ(dialog->defaultSuffix(), "log");
        EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
        offered = dialog->selectedFiles().value(0);
        auto* view = dialog->findChild<QAbstractItemView*>(QStringLiteral("listView"));
        ASSERT_NE(view, nullptr);
        test_events::runEventsUntil([&] {
            listed.clear();
            for (int r = 0; r < view->model()->rowCount(view->rootIndex()); ++r)
                listed << view->model()->index(r, 0, view->rootIndex()).data().toString();
            return !listed.isEmpty();
        });
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            question = box->text();
            box->button(QMessageBox::No)->click();
        });
        static_cast<QDialog*>(dialog)->accept();  // asks; No keeps the dialog open
        EXPECT_TRUE(dialog->isVisible());
        dialog->reject();
    });
    QsoLogFileDialogChooser chooser;
    const std::optional<std::string> chosen =
        chooser.Choose(nullptr, IQsoLogFileChooser::Purpose::Save, existing.string());
    EXPECT_FALSE(chosen.has_value());
    EXPECT_EQ(offered.toStdString(), existing.string());
    EXPECT_EQ(listed, QStringList{"N0CALL.QSO.Log"});
    EXPECT_TRUE(question.contains("already exists")) << question.toStdString();
}

TEST_F(QsoLogWindowTest, NewStartsALogOnlyOnYes) {
    MessageService::queueAnswers({false, true});
    window().newButton()->click();
    window().newButton()->click();
    EXPECT_EQ(messages(), (std::vector<std::string>{"question\tOk to Start a New Log?\tNo",
                                                    "question\tOk to Start a New Log?\tYes"}));
    EXPECT_EQ(m_requests.lines, (std::vector<std::string>{"new"}));
}

TEST_F(QsoLogWindowTest, LogInfoTogglesTheEntryWindow) {
    window().logInfoButton()->click();
    EXPECT_EQ(m_requests.lines, (std::vector<std::string>{"toggle info"}));
}

// --- Keys ------------------------------------------------------------------------------------

struct KeyCase {
    std::string name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    std::vector<std::string> sent;
};
ROW_NAME(KeyCase, row.name);

class QsoLogWindowKeys : public QsoLogWindowTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(QsoLogWindowKeys, GoToThePanelAndLeaveTheWindowOpen) {
    CQSOLoggingDlg& w = window();
    w.Show();
    QTest::keyClick(w.entryList(), GetParam().key, GetParam().modifiers);
    EXPECT_EQ(m_requests.lines, GetParam().sent);
    EXPECT_TRUE(w.isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Keys, QsoLogWindowKeys,
    ::testing::Values(KeyCase{"Escape", Qt::Key_Escape, Qt::NoModifier, {"remote 10 27"}},
                      KeyCase{"F1", Qt::Key_F1, Qt::NoModifier, {"remote 10 0"}},
                      KeyCase{"F10", Qt::Key_F10, Qt::NoModifier, {"remote 10 9"}},
                      KeyCase{"F11", Qt::Key_F11, Qt::NoModifier, {"remote 10 10"}},
                      KeyCase{"AltF3", Qt::Key_F3, Qt::AltModifier, {"remote 10 2"}},
                      KeyCase{"AltX", Qt::Key_X, Qt::AltModifier, {"remote 9 0"}},
                      KeyCase{"AltL", Qt::Key_L, Qt::AltModifier, {}},
                      KeyCase{"AltC", Qt::Key_C, Qt::AltModifier, {}},
                      KeyCase{"AltS", Qt::Key_S, Qt::AltModifier, {}}),
    CaseName());

TEST_F(QsoLogWindowTest, CloseAndCancelHideTheWindowButNotRightAfterEscape) {
    CQSOLoggingDlg& w = window();
    w.Show();
    QTest::keyClick(w.entryList(), Qt::Key_Escape);
    EXPECT_TRUE(w.isVisible());
    w.reject();  // the flag went with the Escape
    EXPECT_FALSE(w.isVisible());
    w.Show();
    w.close();
    EXPECT_FALSE(w.isVisible());
    w.Show();  // the logger shows it again
    EXPECT_TRUE(w.isVisible());
}

// --- Editors ---------------------------------------------------------------------------------

struct UnchangedCase {
    std::string name;
    QSO_LOG_ENTRY entry;
};
ROW_NAME(UnchangedCase, row.name);

class QsoLogEditUnchanged : public QsoLogWindowTest,
                            public ::testing::WithParamInterface<UnchangedCase> {};

TEST_P(QsoLogEditUnchanged, ModifyGivesBackAnEqualRecord) {
    m_store.SetTuningRanges(pelorinBandTable());
    CQSOLoggingDlg& w = window();
    w.RebuildColumns(GetParam().entry.nLogStyle);
    w.AddEntry(GetParam().entry);
    const QStringList before = [&] {
        QStringList texts;
        for (int c = 0; c < w.entryList()->columnCount(); ++c)
            texts << cell(w.entryList(), 0, c);
        return texts;
    }();
    editRow(0, [](CQSOLogEditDlg& editor) { editor.modifyButton()->click(); });
    ASSERT_EQ(m_requests.lines, (std::vector<std::string>{"modify 0"}));
    EXPECT_EQ(m_requests.modified.at(0), GetParam().entry);
    EXPECT_EQ(w.entries().at(0), GetParam().entry);
    for (int c = 0; c < w.entryList()->columnCount(); ++c)
        EXPECT_EQ(cell(w.entryList(), 0, c), before[c]) << c;
}

INSTANTIATE_TEST_SUITE_P(
    Records, QsoLogEditUnchanged,
    ::testing::Values(UnchangedCase{"OddHertz", normalEntry()},
                      UnchangedCase{"ModeOutsideTheTable",
                                    changed(normalEntry(), [](QSO_LOG_ENTRY& e) { e.nMode = -1; })},
                      UnchangedCase{"SixMetresWithoutBand", changed(normalEntry(),
                                                                    [](QSO_LOG_ENTRY& e) {
                                                                        e.lFreq = 50100000;
                                                                        e.nBand = -1;
                                                                    })},
                      UnchangedCase{"ContestLatin1Comment", contestEntry()}),
    CaseName());

TEST_F(QsoLogWindowTest, TheEditorsShowTheRecordAndTheirSpinnersWrap) {
    CQSOLoggingDlg& w = window();
    w.AddEntry(normalEntry());
    editRow(0, [this](CQSOLogEditDlg& editor) {
        auto& normal = dynamic_cast<CNormalQSOLogEditDlg&>(editor);
        EXPECT_EQ(normal.windowTitle(), "Edit QSO Log");
        EXPECT_EQ(normal.callEdit()->text(), "N0CALL");
        EXPECT_EQ(normal.nameEdit()->text(), "Ann");
        EXPECT_EQ(normal.hisSigEdit()->text(), "579");
        EXPECT_EQ(normal.mySigEdit()->text(), "599");
        EXPECT_EQ(normal.dateEdit()->text(), "07/04/1999");
        EXPECT_EQ(normal.timeEdit()->text(), "14:30:00");
        EXPECT_EQ(normal.bandEdit()->text(), "  20M");
        EXPECT_TRUE(normal.bandEdit()->isReadOnly());
        EXPECT_EQ(normal.frequencyEdit()->text(), "14025001");
        EXPECT_EQ(normal.callEdit()->GetTextColor(), 0xFF0000u);
        EXPECT_EQ(normal.nameEdit()->GetFontDescription()->height, -18);
        EXPECT_EQ(normal.qthEdit()->GetFontDescription()->height, -14);
        shoot(normal, "qso_edit_normal.png");

        QStringList modes;
        for (int i = 0; i < 6; ++i) {
            normal.modeUp()->click();
            modes << normal.modeText()->text();
        }
        EXPECT_EQ(modes, (QStringList{"RTTY", "CWR", "RTTYR", "LSB", "USB", "CW"}));
        normal.modeDown()->click();
        EXPECT_EQ(normal.modeText()->text(), "USB");

        EXPECT_EQ(normal.qslText()->text(), "Sent");
        QStringList states;
        for (int i = 0; i < 4; ++i) {
            normal.qslDown()->click();
            states << normal.qslText()->text();
        }
        EXPECT_EQ(states, (QStringList{"None", "Exchanged", "Received", "Sent"}));
        normal.qslUp()->click();
        normal.modifyButton()->click();
    });
    ASSERT_EQ(m_requests.modified.size(), 1u);
    EXPECT_EQ(m_requests.modified[0].nMode, 2);
    EXPECT_EQ(m_requests.modified[0].nQSLStatus, 2);
    EXPECT_EQ(cell(w.entryList(), 0, 6), "USB");
    EXPECT_EQ(cell(w.entryList(), 0, 11), "Received");
}

TEST_F(QsoLogWindowTest, TheContestEditorShowsItsOwnBoxes) {
    CQSOLoggingDlg& w = window();
    w.RebuildColumns(kContestLogStyle);
    w.AddEntry(contestEntry());
    editRow(0, [this](CQSOLogEditDlg& editor) {
        auto& contest = dynamic_cast<CContestQSOLogEditDlg&>(editor);
        EXPECT_EQ(contest.windowTitle(), "Edit Contest QSO Log");
        EXPECT_EQ(contest.exchangeEdit()->text(), "599 05");
        EXPECT_EQ(contest.commentEdit()->text(), QString::fromLatin1("J\xFCrgen"));
        EXPECT_EQ(contest.modeText()->text(), "CW");
        EXPECT_EQ(contest.qslText()->text(), "None");
        shoot(contest, "qso_edit_contest.png");
        contest.exchangeEdit()->setText("579 12");
        contest.modifyButton()->click();
    });
    ASSERT_EQ(m_requests.modified.size(), 1u);
    EXPECT_EQ(m_requests.modified[0],
              changed(contestEntry(), [](QSO_LOG_ENTRY& e) { e.szExchange = "579 12"; }));
    EXPECT_EQ(cell(w.entryList(), 0, 7), "579 12");
}

// The first `count` widgets Tab reaches from `start`, `start` included.
std::vector<QWidget*> tabChain(QWidget* start, std::size_t count) {
    std::vector<QWidget*> chain;
    QWidget* w = start;
    do {
        if ((w->focusPolicy() & Qt::TabFocus) != 0 && w->isEnabled())
            chain.push_back(w);
        w = w->nextInFocusChain();
    } while (chain.size() < count && w != start);
    return chain;
}

TEST_F(QsoLogWindowTest, TheEditorsTabThroughTheirBoxesAsTheyRead) {
    const BandLookup noBand = [](std::int64_t) { return -1; };
    CNormalQSOLogEditDlg normal(normalEntry(), noBand);
    const std::vector<QWidget*> normalOrder = {
        normal.callEdit(),     normal.nameEdit(),     normal.qthEdit(),
        normal.hisSigEdit(),   normal.mySigEdit(),    normal.commentEdit(),
        normal.dateEdit(),     normal.timeEdit(),     normal.frequencyEdit(),
        normal.modifyButton(), normal.cancelButton(), normal.deleteButton()};
    EXPECT_EQ(tabChain(normal.callEdit(), normalOrder.size()), normalOrder);

    CContestQSOLogEditDlg contest(contestEntry(), noBand);
    const std::vector<QWidget*> contestOrder = {
        contest.callEdit(),     contest.frequencyEdit(), contest.exchangeEdit(),
        contest.commentEdit(),  contest.dateEdit(),      contest.timeEdit(),
        contest.modifyButton(), contest.cancelButton(),  contest.deleteButton()};
    EXPECT_EQ(tabChain(contest.callEdit(), contestOrder.size()), contestOrder);
}

struct BadBoxCase {
    std::string name;
    CEditEx* (*box)(CQSOLogEditDlg&);
    const char* text;
    std::string message;
};
ROW_NAME(BadBoxCase, row.name);

class QsoLogEditBadBox : public QsoLogWindowTest,
                         public ::testing::WithParamInterface<BadBoxCase> {};

TEST_P(QsoLogEditBadBox, ModifyRefusesItAndTheEditorStaysOpen) {
    window().AddEntry(normalEntry());
    bool stayedOpen = false;
    bool badBoxFocused = false;
    editRow(0, [&](CQSOLogEditDlg& editor) {
        GetParam().box(editor)->setText(QString::fromLatin1(GetParam().text));
        editor.modifyButton()->click();
        stayedOpen = editor.isVisible();
        badBoxFocused = editor.focusWidget() == GetParam().box(editor);
        editor.cancelButton()->click();
    });
    EXPECT_TRUE(stayedOpen);
    EXPECT_TRUE(badBoxFocused);
    EXPECT_EQ(messages(), (std::vector<std::string>{"error\t" + GetParam().message}));
    EXPECT_TRUE(m_requests.lines.empty());
    EXPECT_EQ(window().entries().at(0), normalEntry());
}

CEditEx* dateBox(CQSOLogEditDlg& e) {
    return e.dateEdit();
}
CEditEx* timeBox(CQSOLogEditDlg& e) {
    return e.timeEdit();
}
CEditEx* frequencyBox(CQSOLogEditDlg& e) {
    return e.frequencyEdit();
}
CEditEx* callBox(CQSOLogEditDlg& e) {
    return e.callEdit();
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, QsoLogEditBadBox,
    ::testing::Values(BadBoxCase{"ThirtiethOfFebruary", dateBox, "02/30/2024", "Invalid date"},
                      BadBoxCase{"DayFirstDate", dateBox, "31/12/2024", "Invalid date"},
                      BadBoxCase{"Hour25", timeBox, "25:00:00", "Invalid time"},
                      BadBoxCase{"KiloHertz", frequencyBox, "14025.00", "Invalid frequency"},
                      BadBoxCase{"Beyond31Bits", frequencyBox, "4294967296", "Invalid frequency"},
                      BadBoxCase{"EmptyCall", callBox, "", "Callsign is empty!"}),
    CaseName());

TEST_F(QsoLogWindowTest, DeleteIsNotCheckedAndTakesTheRowAway) {
    CQSOLoggingDlg& w = window();
    w.AddEntry(normalEntry("A1"));
    w.AddEntry(normalEntry("B2"));
    w.AddEntry(normalEntry("C3"));
    editRow(1, [](CQSOLogEditDlg& editor) {
        editor.dateEdit()->setText("13/45/2024");
        editor.callEdit()->setText("");
        editor.deleteButton()->click();
    });
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(m_requests.lines, (std::vector<std::string>{"remove 1"}));
    ASSERT_EQ(w.entryList()->rowCount(), 2);
    EXPECT_EQ(cell(w.entryList(), 1, 0), "   2");
    EXPECT_EQ(cell(w.entryList(), 1, 1), "C3");
    EXPECT_EQ(w.totalText(), "   2");
}

TEST_F(QsoLogWindowTest, TheEditorsBoxesTakeOnlyWhatALogLineCanHold) {
    window().AddEntry(normalEntry());
    editRow(0, [](CQSOLogEditDlg& editor) {
        auto& normal = dynamic_cast<CNormalQSOLogEditDlg&>(editor);
        QTest::keyClicks(normal.callEdit(), " X");
        EXPECT_EQ(normal.callEdit()->text(), "N0CALLX");  // the blank was refused
        QTest::keyClicks(normal.commentEdit(), ";!");
        EXPECT_EQ(normal.commentEdit()->text(), "tnx!");
        normal.qthEdit()->setText(QString(39, QLatin1Char('q')));
        QTest::keyClicks(normal.qthEdit(), "r");
        EXPECT_EQ(normal.qthEdit()->text().size(), 39);
        normal.modifyButton()->click();
    });
    ASSERT_EQ(m_requests.modified.size(), 1u);
    EXPECT_EQ(m_requests.modified[0].szCall, "N0CALLX");
    EXPECT_EQ(m_requests.modified[0].szComment, "tnx!");
}

TEST_F(QsoLogWindowTest, CancelChangesNothing) {
    window().AddEntry(normalEntry());
    editRow(0, [](CQSOLogEditDlg& editor) {
        editor.callEdit()->setText("K9XX");
        editor.cancelButton()->click();
    });
    EXPECT_TRUE(m_requests.lines.empty());
    EXPECT_EQ(window().entries().at(0), normalEntry());
    EXPECT_EQ(cell(window().entryList(), 0, 1), "N0CALL");
}

TEST_F(QsoLogWindowTest, AnEditOfARowRefilledMeanwhileChangesNothing) {
    CQSOLoggingDlg& w = window();
    w.AddEntry(normalEntry("A1"));
    w.AddEntry(normalEntry("B2"));
    editRow(1, [&w](CQSOLogEditDlg& editor) {
        // The logger refills the rows: the first one went, another came.
        w.ClearList();
        w.AddEntry(normalEntry("B2"));
        w.AddEntry(normalEntry("C3"));
        editor.callEdit()->setText("K9XX");
        editor.modifyButton()->click();
    });
    EXPECT_TRUE(m_requests.lines.empty());
    EXPECT_EQ(messages(),
              (std::vector<std::string>{
                  "error\tThe log changed while the contact was edited: edit it again"}));
    EXPECT_EQ(w.entries(), (std::vector<QSO_LOG_ENTRY>{normalEntry("B2"), normalEntry("C3")}));
}

TEST_F(QsoLogWindowTest, AWindowGoneWhileItsEditorRunsIsLeftAlone) {
    window().AddEntry(normalEntry());
    QPointer<QDialog> editor;
    window().SetModalRunner([this, &editor](QDialog& dialog) {
        editor = &dialog;
        m_window.reset();  // the logger's exit
        return int(QDialog::Accepted);
    });
    window().entryList()->selectRow(0);
    window().OnDblclkEntryList();
    EXPECT_TRUE(editor.isNull());
    EXPECT_TRUE(m_requests.lines.empty());
}

struct BandMoveCase {
    std::string name;
    bool bandTable;
    const char* frequency;
    int band;
    QString bandText;
    std::vector<int> counted;  // band counts 0..8 after the change
};
ROW_NAME(BandMoveCase, row.name);

class QsoLogEditFrequency : public QsoLogWindowTest,
                            public ::testing::WithParamInterface<BandMoveCase> {};

TEST_P(QsoLogEditFrequency, AChangedFrequencyTakesItsBandAndTheCountsFollow) {
    if (GetParam().bandTable)
        m_store.SetTuningRanges(pelorinBandTable());
    CQSOLoggingDlg& w = window();
    w.AddEntry(normalEntry("A1"));
    w.AddEntry(normalEntry("B2"));
    EXPECT_EQ(w.bandCountText(4), "   2");
    editRow(1, [](CQSOLogEditDlg& editor) {
        editor.frequencyEdit()->setText(QString::fromLatin1(GetParam().frequency));
        editor.modifyButton()->click();
    });
    ASSERT_EQ(m_requests.modified.size(), 1u);
    EXPECT_EQ(m_requests.modified[0].nBand, GetParam().band);
    EXPECT_EQ(cell(w.entryList(), 1, 4), GetParam().bandText);
    std::vector<int> counted;
    for (int band = 0; band < kCountedBands; ++band)
        counted.push_back(w.bandCountText(band).trimmed().toInt());
    EXPECT_EQ(counted, GetParam().counted);
    EXPECT_EQ(w.totalText(), "   2");
}

INSTANTIATE_TEST_SUITE_P(
    Moves, QsoLogEditFrequency,
    ::testing::Values(
        BandMoveCase{"ToFortyMetres", true, "7030000", 6, "  40M", {0, 0, 0, 0, 1, 0, 1, 0, 0}},
        BandMoveCase{"ToSixMetresNoRange", true, "50100000", -1, "", {0, 0, 0, 0, 1, 0, 0, 0, 0}},
        BandMoveCase{"WithoutABandTable", false, "7030000", -1, "", {0, 0, 0, 0, 1, 0, 0, 0, 0}},
        BandMoveCase{
            "WithinTheSameBand", true, "14070000", 4, "  20M", {0, 0, 0, 0, 2, 0, 0, 0, 0}}),
    CaseName());

TEST_F(QsoLogWindowTest, TheEditorOpensOnePixelBelowTheWindowOrAboveWhenItWouldNotShow) {
    CQSOLoggingDlg& w = window();
    w.AddEntry(normalEntry());
    w.resize(w.width(), 200);
    w.move(30, 20);
    QCoreApplication::processEvents();
    QPoint placed;
    editRow(0, [&](CQSOLogEditDlg& editor) {
        placed = editor.pos();
        editor.cancelButton()->click();
    });
    EXPECT_EQ(placed, QPoint(w.frameGeometry().left(), w.frameGeometry().bottom() + 2));

    // Too low on the screen: above the window, wholly on the screen.
    const QRect screen = w.screen()->availableGeometry();
    w.move(30, screen.bottom() - 150);
    QCoreApplication::processEvents();
    QRect frame;
    editRow(0, [&](CQSOLogEditDlg& editor) {
        frame = editor.frameGeometry();
        editor.cancelButton()->click();
    });
    EXPECT_TRUE(screen.contains(frame));
    EXPECT_EQ(frame.topLeft(),
              QPoint(w.frameGeometry().left(), w.frameGeometry().top() - 1 - frame.height()));
}

// --- With the real logger --------------------------------------------------------------------

struct StoredSettings : IQsoLogSettings {
    int mode = kNormalLogStyle;
    std::string name = kDefaultLogFileName;
    int ReadQsoLoggingMode() const override { return mode; }
    void WriteQsoLoggingMode(int m) override { mode = m; }
    std::string ReadCurrentLogFileName() const override { return name; }
    void WriteCurrentLogFileName(const std::string& n) override { name = n; }
};

struct ShownNotices : IQsoNotices {
    void Error(const std::string& text) override { MessageService::showError(text); }
    void Warning(const std::string& text) override { MessageService::showWarning(text); }
    bool AskYesNo(const std::string& text) override { return MessageService::askYesNo(text); }
};

TEST_F(QsoLogWindowTest, DeletingRowThreeOfFiveThroughTheLoggerRenumbersRowsAndFile) {
    fs::create_directories(m_home);
    const fs::path log = m_home / kDefaultLogFileName;
    std::vector<QSO_LOG_ENTRY> five;
    for (const char* call : {"A1", "B2", "C3", "D4", "E5"})
        five.push_back(normalEntry(call));
    ASSERT_EQ(SaveLogFile(log.string(), five, {}), 0u);

    StoredSettings settings;
    ShownNotices notices;
    CQSOLoggerGUIThread logger(m_home.string(), settings, notices, {});
    // The window's requests reach the logger queued, as its owner sends them.
    const PostToLogger post = [&logger](std::function<void(CQSOLoggerGUIThread&)> call) {
        QMetaObject::invokeMethod(
            qApp, [&logger, call] { call(logger); }, Qt::QueuedConnection);
    };
    auto owned =
        std::make_unique<CQSOLoggingDlg>(m_store, LoggerLinks(post), StoreBandLookup(m_store),
                                         std::make_unique<FakeChooser>(m_chooser));
    CQSOLoggingDlg& w = *owned;
    logger.OnParamCmd(std::move(owned));
    ASSERT_EQ(w.entryList()->rowCount(), 5);

    w.SetModalRunner([](QDialog& dialog) {
        dynamic_cast<CQSOLogEditDlg&>(dialog).deleteButton()->click();
        return dialog.result();
    });
    w.entryList()->selectRow(2);
    w.OnDblclkEntryList();
    QCoreApplication::processEvents();

    QStringList rows;
    for (int r = 0; r < w.entryList()->rowCount(); ++r)
        rows << cell(w.entryList(), r, 0) + " " + cell(w.entryList(), r, 1);
    EXPECT_EQ(rows, (QStringList{"   1 A1", "   2 B2", "   3 D4", "   4 E5"}));
    std::ifstream in(log, std::ios::binary);
    std::vector<std::string> heads;
    for (std::string line; std::getline(in, line);)
        heads.push_back(line.substr(0, line.find(';', line.find(';', 2) + 1)));
    EXPECT_EQ(heads, (std::vector<std::string>{"0;1;A1", "0;2;B2", "0;3;D4", "0;4;E5"}));

    // Save as another file: the logger writes it and names the window after it.
    const fs::path other = m_settings.dir() / "copy.log";
    m_chooser.answers = {other.string()};
    w.saveButton()->click();
    QCoreApplication::processEvents();
    std::string bytes;
    ASSERT_EQ(platform::readWholeFileReason(other.string(), bytes), 0);
    EXPECT_EQ(bytes, FormatLogFile({five[0], five[1], five[3], five[4]}, {}));
    EXPECT_EQ(w.windowTitle().toStdString(), other.string());
    EXPECT_TRUE(messages().empty());
}

// The real logger over a real log file, with its window; the window's
// requests reach the logger queued, as its owner sends them.
class QsoLoggerWithWindow : public QsoLogWindowTest {
  protected:
    void start(const std::vector<QSO_LOG_ENTRY>& stored) {
        fs::create_directories(m_home);
        ASSERT_EQ(SaveLogFile(logPath().string(), stored, {}), 0u);
        m_logger = std::make_unique<CQSOLoggerGUIThread>(m_home.string(), m_loggerSettings,
                                                         m_notices, CQSOLoggerGUIThread::Links{});
        const PostToLogger post = [this](std::function<void(CQSOLoggerGUIThread&)> call) {
            QMetaObject::invokeMethod(
                qApp, [this, call] { call(*m_logger); }, Qt::QueuedConnection);
        };
        auto owned =
            std::make_unique<CQSOLoggingDlg>(m_store, LoggerLinks(post), StoreBandLookup(m_store),
                                             std::make_unique<FakeChooser>(m_chooser));
        m_logWindow = owned.get();
        m_logger->OnParamCmd(std::move(owned));
    }
    void TearDown() override {
        m_logger.reset();
        QsoLogWindowTest::TearDown();
    }

    fs::path logPath() const { return m_home / kDefaultLogFileName; }

    // Marks the items of the list but the numbers: a refill or a row shown
    // again makes new items, without it.
    void markItems() {
        QTableWidget* list = m_logWindow->entryList();
        for (int r = 0; r < list->rowCount(); ++r)
            for (int c = 1; c < list->columnCount(); ++c)
                list->item(r, c)->setData(kMark, true);
    }
    // The rows made anew since markItems, numbers aside.
    std::vector<int> unmarkedRows() const {
        std::vector<int> rows;
        QTableWidget* list = m_logWindow->entryList();
        for (int r = 0; r < list->rowCount(); ++r) {
            for (int c = 1; c < list->columnCount(); ++c) {
                if (!list->item(r, c)->data(kMark).toBool()) {
                    rows.push_back(r);
                    break;
                }
            }
        }
        return rows;
    }

    // Opens row `row`'s editor and works it with `drive`.
    void edit(int row, std::function<void(CQSOLogEditDlg&)> drive) {
        m_logWindow->SetModalRunner([drive](QDialog& dialog) {
            auto& editor = dynamic_cast<CQSOLogEditDlg&>(dialog);
            drive(editor);
            return editor.result();
        });
        m_logWindow->entryList()->selectRow(row);
        m_logWindow->OnDblclkEntryList();
        QCoreApplication::processEvents();
    }

    static constexpr int kMark = Qt::UserRole + 7;
    StoredSettings m_loggerSettings;
    ShownNotices m_notices;
    std::unique_ptr<CQSOLoggerGUIThread> m_logger;
    CQSOLoggingDlg* m_logWindow = nullptr;
};

std::vector<QSO_LOG_ENTRY> numberedLog(int count) {
    std::vector<QSO_LOG_ENTRY> log;
    log.reserve(static_cast<std::size_t>(count));
    for (int n = 0; n < count; ++n)
        log.push_back(normalEntry("K" + std::to_string(n)));
    return log;
}

TEST_F(QsoLoggerWithWindow, ALoggedContactShowsTheWindowAndTheFocusStaysInTheEntryWindow) {
    start({});
    ASSERT_TRUE(m_logWindow->isVisible());  // the start shows it
    m_logWindow->hide();

    // The entry window, its call box focused.
    QDialog entry;
    auto* call = new QLineEdit(&entry);
    entry.show();
    entry.activateWindow();
    call->setFocus();
    ASSERT_TRUE(
        test_events::runEventsUntil([&] { return QApplication::activeWindow() == &entry; }));

    m_logger->OnRequestQsoLogCmd(1, normalEntry("A1"));  // Log It
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_logWindow->isVisible());
    EXPECT_EQ(QApplication::activeWindow(), &entry);
    EXPECT_EQ(QApplication::focusWidget(), call);

    m_logger->OnRequestQsoLogCmd(1, normalEntry("B2"));  // shown already: left as it is
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), &entry);
    EXPECT_EQ(m_logWindow->entryList()->rowCount(), 2);

    // QSO Logging (Alt+L) brings it up.
    m_logger->ShowLogWindow();
    EXPECT_TRUE(
        test_events::runEventsUntil([&] { return QApplication::activeWindow() == m_logWindow; }));
}

TEST_F(QsoLoggerWithWindow, ModifyOnALongLogRewritesOneRowAndTheFile) {
    std::vector<QSO_LOG_ENTRY> log = numberedLog(20000);
    start(log);
    ASSERT_EQ(m_logWindow->entryList()->rowCount(), 20000);
    markItems();

    edit(12345, [](CQSOLogEditDlg& editor) {
        editor.callEdit()->setText("W9NEW");
        editor.modifyButton()->click();
    });
    EXPECT_EQ(unmarkedRows(), (std::vector<int>{12345}));
    EXPECT_EQ(cell(m_logWindow->entryList(), 12345, 1), "W9NEW");
    EXPECT_EQ(cell(m_logWindow->entryList(), 12345, 0), "12346");
    log[12345].szCall = "W9NEW";
    EXPECT_EQ(m_logger->entries(), log);
    std::string bytes;
    ASSERT_EQ(platform::readWholeFileReason(logPath().string(), bytes), 0);
    EXPECT_EQ(bytes, FormatLogFile(log, {}));
    EXPECT_TRUE(messages().empty());
}

TEST_F(QsoLoggerWithWindow, DeleteOnALongLogRenumbersOnlyTheLaterRows) {
    std::vector<QSO_LOG_ENTRY> log = numberedLog(20000);
    start(log);
    markItems();

    edit(100, [](CQSOLogEditDlg& editor) { editor.deleteButton()->click(); });
    QTableWidget* list = m_logWindow->entryList();
    ASSERT_EQ(list->rowCount(), 19999);
    log.erase(log.begin() + 100);
    // No refill, no row shown again: only the numbers changed.
    EXPECT_TRUE(unmarkedRows().empty());
    for (int r : {0, 99, 100, 101, 19998}) {
        SCOPED_TRACE(r);
        EXPECT_EQ(cell(list, r, 0).toStdString(), FormatCount(r + 1));
        EXPECT_EQ(cell(list, r, 1).toStdString(), log[static_cast<std::size_t>(r)].szCall);
    }
    EXPECT_EQ(m_logWindow->totalText(), "19999");
    EXPECT_EQ(m_logger->entries(), log);
    std::string bytes;
    ASSERT_EQ(platform::readWholeFileReason(logPath().string(), bytes), 0);
    EXPECT_EQ(bytes, FormatLogFile(log, {}));
}

// What the front panel does while an editor of row 1 is open, the editor
// then ended with Modify.
struct PanelWhileEditingCase {
    const char* name;
    std::function<void(CQSOLoggerGUIThread&, StoredSettings&)> act;
    std::vector<std::string> calls;  // the logger's log afterwards, in order
    bool errorShown;                 // "The log changed ..."
};
ROW_NAME(PanelWhileEditingCase, row.name);

const PanelWhileEditingCase kPanelWhileEditing[] = {
    {"LogIt",
     [](CQSOLoggerGUIThread& logger, StoredSettings&) {
         logger.OnRequestQsoLogCmd(1, normalEntry("C3"));
     },
     {"A1", "W9NEW", "C3"},
     false},
    {"StyleChange",
     [](CQSOLoggerGUIThread& logger, StoredSettings& settings) {
         settings.mode = kContestLogStyle;
         settings.name = "contest.log";
         logger.OnOpenLogFile(0);
     },
     {},
     true},
    {"Exit",
     [](CQSOLoggerGUIThread& logger, StoredSettings&) { logger.ExitInstance(); },
     {},
     false},
    // The rows come again as they were: the edit still goes to its contact.
    {"SameLogLoadedAgain",
     [](CQSOLoggerGUIThread& logger, StoredSettings&) { logger.OnOpenLogFile(0); },
     {"A1", "W9NEW"},
     false},
};

class QsoPanelWhileEditing : public QsoLoggerWithWindow,
                             public ::testing::WithParamInterface<PanelWhileEditingCase> {};

TEST_P(QsoPanelWhileEditing, ThePanelWorksAndTheLogStaysWhole) {
    const PanelWhileEditingCase& c = GetParam();
    start({normalEntry("A1"), normalEntry("B2")});

    // The front panel, a top-level window of its own.
    QWidget panel;
    auto* button = new QPushButton(QStringLiteral("RIT"), &panel);
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&clicks] { ++clicks; });
    panel.show();
    BlockedWatch panelWatch, logWatch;
    panel.installEventFilter(&panelWatch);
    m_logWindow->installEventFilter(&logWatch);

    bool ranInside = false;
    QTimer::singleShot(0, [&] {
        ranInside = true;
        auto* editor = qobject_cast<CQSOLogEditDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->windowModality(), Qt::WindowModal);
        EXPECT_FALSE(panelWatch.blocked);
        EXPECT_TRUE(logWatch.blocked);
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(clicks, 1);
        const QPointer<CQSOLogEditDlg> open(editor);
        c.act(*m_logger, m_loggerSettings);
        if (open) {
            open->callEdit()->setText("W9NEW");
            open->modifyButton()->click();
        }
    });
    m_logWindow->entryList()->selectRow(1);
    const QPointer<CQSOLoggingDlg> window(m_logWindow);
    window->OnDblclkEntryList();  // the real modal loop
    ASSERT_TRUE(ranInside);
    QCoreApplication::processEvents();

    std::vector<std::string> calls;
    for (const QSO_LOG_ENTRY& e : m_logger->entries())
        calls.push_back(e.szCall);
    EXPECT_EQ(calls, c.calls);
    const bool errorShown =
        messages() == std::vector<std::string>{
                          "error\tThe log changed while the contact was edited: edit it again"};
    EXPECT_EQ(errorShown, c.errorShown) << ::testing::PrintToString(messages());
    if (!c.errorShown) {
        EXPECT_TRUE(messages().empty()) << ::testing::PrintToString(messages());
    }
    // The file the contacts were logged to holds them all, as the log had them.
    std::string bytes;
    ASSERT_EQ(platform::readWholeFileReason(logPath().string(), bytes), 0);
    std::vector<QSO_LOG_ENTRY> expected;
    for (const std::string& call : c.calls)
        expected.push_back(normalEntry(call));
    if (expected.empty())
        expected = {normalEntry("A1"), normalEntry("B2")};
    EXPECT_EQ(bytes, FormatLogFile(expected, {}));
    if (window) {
        EXPECT_EQ(window->entries(), m_logger->entries());
    }
}

INSTANTIATE_TEST_SUITE_P(Panel, QsoPanelWhileEditing, ::testing::ValuesIn(kPanelWhileEditing),
                         CaseName());

// A box the log window or one of its editors raises: modal to that window
// only, so the front panel goes on taking input.
struct LogWindowBoxCase {
    const char* name;
    bool withContact;  // the log holds one contact
    // Raises the box and calls `whileOpen` with the window it must be modal
    // to while it is open.
    std::function<void(CQSOLoggingDlg&, const std::function<void(QWidget*)>& whileOpen)> raise;
    const char* text;
};
ROW_NAME(LogWindowBoxCase, row.name);

const LogWindowBoxCase kLogWindowBoxes[] = {
    {"NewLogQuestion", true,
     [](CQSOLoggingDlg& window, const std::function<void(QWidget*)>& whileOpen) {
         QTimer::singleShot(0, [&window, whileOpen] { whileOpen(&window); });
         window.OnNew();
     },
     "Ok to Start a New Log?"},
    {"SaveOfAnEmptyLog", false,
     [](CQSOLoggingDlg& window, const std::function<void(QWidget*)>& whileOpen) {
         window.OnSave();
         whileOpen(&window);
     },
     "Log is empty!"},
    {"EditorRefusesABadDate", true,
     [](CQSOLoggingDlg& window, const std::function<void(QWidget*)>& whileOpen) {
         window.SetModalRunner([whileOpen](QDialog& dialog) {
             auto& editor = dynamic_cast<CQSOLogEditDlg&>(dialog);
             editor.show();
             editor.dateEdit()->setText("99/99/99");
             editor.modifyButton()->click();
             whileOpen(&editor);
             return static_cast<int>(QDialog::Rejected);
         });
         window.entryList()->selectRow(0);
         window.OnDblclkEntryList();
     },
     "Invalid date"},
};

class LogWindowBoxes : public QsoLogWindowTest,
                       public ::testing::WithParamInterface<LogWindowBoxCase> {};

TEST_P(LogWindowBoxes, AreModalToTheirWindowOnly) {
    const LogWindowBoxCase& c = GetParam();
    qsotest::StandInPanel panel;
    CQSOLoggingDlg& w = window();
    if (c.withContact)
        w.AddEntry(normalEntry("A1"));
    w.show();
    BlockedWatch logWatch;
    w.installEventFilter(&logWatch);
    const qsotest::RealBoxes realBoxes;

    bool seen = false;
    c.raise(w, [&](QWidget* modalTo) {
        seen = true;
        QMessageBox* box = qsotest::ShownMessageBox();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text().toStdString(), c.text);
        EXPECT_EQ(box->parentWidget(), modalTo);
        EXPECT_EQ(box->windowModality(), Qt::WindowModal);
        EXPECT_TRUE(logWatch.blocked);
        EXPECT_FALSE(panel.watch.blocked);
        QAbstractButton* answer = box->button(QMessageBox::No) != nullptr
                                      ? box->button(QMessageBox::No)
                                      : box->button(QMessageBox::Ok);
        ASSERT_NE(answer, nullptr);
        answer->click();
    });
    QCoreApplication::processEvents();
    EXPECT_TRUE(seen);
    EXPECT_EQ(qsotest::ShownMessageBox(), nullptr);
    EXPECT_TRUE(m_requests.lines.empty()) << ::testing::PrintToString(m_requests.lines);
}

INSTANTIATE_TEST_SUITE_P(Boxes, LogWindowBoxes, ::testing::ValuesIn(kLogWindowBoxes), CaseName());

// The panel's exit while the log window asks: the question ends as No with
// its window, and nothing is asked of the logger.
TEST_F(QsoLoggerWithWindow, TheLogWindowGoingWhileItAsksEndsTheQuestionAsNo) {
    start({normalEntry("A1")});
    m_logWindow->show();
    const qsotest::RealBoxes realBoxes;
    const QPointer<CQSOLoggingDlg> window(m_logWindow);
    bool asked = false;
    QTimer::singleShot(0, [&] {
        asked = qsotest::ShownMessageBox() != nullptr;
        m_logger->ExitInstance();
    });
    window->OnNew();
    ASSERT_TRUE(asked);
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(qsotest::ShownMessageBox(), nullptr);
    QCoreApplication::processEvents();
    std::string bytes;
    ASSERT_EQ(platform::readWholeFileReason(logPath().string(), bytes), 0);
    EXPECT_EQ(bytes, FormatLogFile({normalEntry("A1")}, {}));
}

TEST_F(QsoLoggerWithWindow, ARefusedDeleteOnALogOpenElsewhereShowsTheRowAgain) {
    const std::vector<QSO_LOG_ENTRY> log = numberedLog(3);
    fs::create_directories(m_home);
    ASSERT_EQ(SaveLogFile(logPath().string(), log, {}), 0u);
    // Another program holds the log's lock.
    int ready[2];
    int release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        ::close(ready[0]);
        ::close(release[1]);
        LogFileLock lock;
        const char held = lock.Take(logPath().string()) == LogFileLock::Result::Held ? 'y' : 'n';
        if (::write(ready[1], &held, 1) != 1)
            ::_exit(1);
        char ignored = 0;
        (void)::read(release[0], &ignored, 1);
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    char held = 'n';
    const ssize_t got = ::read(ready[0], &held, 1);
    ::close(ready[0]);
    if (got != 1 || held != 'y') {
        ::close(release[1]);
        ::waitpid(holder, nullptr, 0);
        FAIL() << "the other program took no lock";
    }

    start(log);
    edit(1, [](CQSOLogEditDlg& editor) { editor.deleteButton()->click(); });
    ::close(release[1]);
    ::waitpid(holder, nullptr, 0);

    EXPECT_EQ(m_logger->entries(), log);
    EXPECT_EQ(m_logWindow->entries(), log);
    EXPECT_EQ(m_logWindow->entryList()->rowCount(), 3);
    EXPECT_FALSE(messages().empty());
}

}  // namespace
