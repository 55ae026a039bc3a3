#include "client/qso/qso_info.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "client/qso/qso_log_file.h"
#include "tests/support/row_names.h"

namespace {

using namespace pelorin;
using W = RADIO_SNAPSHOT::Word;

// What happened to the entry windows, by style.
struct WindowLog {
    int made = 0;
    int deleted = 0;
    int shown = 0;
    int toggled = 0;
    int placed = 0;
    std::optional<QRect> movedInto;
    std::vector<std::string> shownCalls;
};

class FakeEntryWindow : public IQsoEntryWindow {
  public:
    FakeEntryWindow(int style, QRect rect, WindowLog& log)
        : m_style(style), m_rect(rect), m_log(log) {
        ++m_log.made;
    }
    ~FakeEntryWindow() override { ++m_log.deleted; }
    int Style() const override { return m_style; }
    void Show() override { ++m_log.shown; }
    void Toggle() override { ++m_log.toggled; }
    void Place() override { ++m_log.placed; }
    QRect Rect() const override { return m_rect; }
    void MoveInto(const QRect& rect) override {
        m_rect = rect;
        m_log.movedInto = rect;
    }
    void ShowEntry(const QSO_LOG_ENTRY& entry) override {
        m_log.shownCalls.push_back(entry.szCall);
    }

  private:
    int m_style;
    QRect m_rect;
    WindowLog& m_log;
};

struct Range {
    std::uint32_t low;
    std::uint32_t high;
    int band;
};

// The bands the tests use, as the server's band table gives them.
const std::vector<Range> kRanges = {
    {14000000, 14350000, 4},  // 20 m
    {7000000, 7300000, 6},    // 40 m
};

class InfoFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        m_savedTz =
            std::getenv("TZ") ? std::optional<std::string>(std::getenv("TZ")) : std::nullopt;
    }
    void TearDown() override {
        if (m_savedTz) {
            ::setenv("TZ", m_savedTz->c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }

    // An info object with the panel and the logger linked, as the owner links them.
    void Make(int storedStyle = kNormalLogStyle, bool useUtc = true) {
        m_info = std::make_unique<CQSOInfoGUIThread>(
            [this](int style) {
                // Each window opens where its window system puts it; only the
                // first one's place counts.
                const QRect rect(100 + 50 * style + 10 * m_windows[style].made, 200, 300, 150);
                return std::make_unique<FakeEntryWindow>(style, rect, m_windows[style]);
            },
            [this] { return m_now; }, useUtc, [this] { return m_storedStyle; });
        m_storedStyle = storedStyle;
        QsoInfoPanelLinks panel;
        panel.requestRadioData = [this](std::uint64_t request) {
            ++m_requests;
            m_unanswered.push_back(request);
        };
        panel.isConnected = [this] { return m_connected; };
        panel.bandOf = [this](std::uint32_t hz) {
            for (const Range& r : m_ranges) {
                if (r.low <= hz && hz <= r.high) {
                    return r.band;
                }
            }
            return -1;
        };
        panel.showStatus = [this](int kind, const std::string& text) {
            m_status.push_back(std::to_string(kind) + " " + text);
        };
        m_info->OnParamCmd(std::move(panel));
        LinkLogger();
    }

    void LinkLogger() {
        QsoInfoLoggerLinks logger;
        logger.logEntry = [this](const QSO_LOG_ENTRY& e) { m_logged.push_back(e); };
        logger.searchLog = [this](const std::string& call) { m_searches.push_back(call); };
        m_info->OnSetNotifierAddress(std::move(logger));
    }

    static QSO_LOG_ENTRY Contact(const std::string& call, int style = kNormalLogStyle) {
        QSO_LOG_ENTRY e;
        e.nLogStyle = style;
        e.szCall = call;
        return e;
    }

    static RADIO_SNAPSHOT Snapshot(std::int32_t vfoA, std::int32_t vfoB = 7040000,
                                   std::int32_t txVfo = 0, std::int32_t mode = 3,
                                   std::int32_t band = 4) {
        RADIO_SNAPSHOT s;
        s.words[W::VfoA] = vfoA;
        s.words[W::VfoB] = vfoB;
        s.words[W::TxVFO] = txVfo;
        s.words[W::OpMode] = mode;
        s.words[W::Band] = band;
        s.bRadioAnswered = true;
        return s;
    }

    // The panel answers the oldest request still unanswered, as its queue does.
    void Answer(const RADIO_SNAPSHOT& snapshot) {
        ASSERT_FALSE(m_unanswered.empty());
        const std::uint64_t request = m_unanswered.front();
        m_unanswered.pop_front();
        m_info->OnReportRadioData(request, snapshot);
    }

    // Before the info object, whose windows write into it as they go.
    std::map<int, WindowLog> m_windows;
    std::unique_ptr<CQSOInfoGUIThread> m_info;
    int m_storedStyle = kNormalLogStyle;
    std::int64_t m_now = 0;
    bool m_connected = true;
    std::vector<Range> m_ranges = kRanges;
    int m_requests = 0;
    std::deque<std::uint64_t> m_unanswered;  // the requests, oldest first
    std::vector<std::string> m_status;
    std::vector<QSO_LOG_ENTRY> m_logged;
    std::vector<std::string> m_searches;
    std::optional<std::string> m_savedTz;
};

// --- Frequency, band and mode from the panel's answer -----------------------------------

struct RadioCase {
    const char* name;
    std::int32_t txVfo;
    std::int32_t vfoA;
    std::int32_t vfoB;
    std::int32_t mode;
    std::int32_t word18;  // the receiving VFO's band, as the panel reports it
    bool bandTable;
    bool connected;
    bool radioAnswered;  // the panel had heard from the radio since its connect
    std::int64_t freq;
    int band;
    int logMode;
    std::vector<std::string> status;
};
ROW_NAME(RadioCase, row.name);

class InfoRadioData : public InfoFixture, public ::testing::WithParamInterface<RadioCase> {};

TEST_P(InfoRadioData, ContactTakesTheTransmittingVfoItsBandAndTheMode) {
    const RadioCase& c = GetParam();
    if (!c.bandTable) {
        m_ranges.clear();
    }
    m_connected = c.connected;
    Make();
    m_info->OnRequestQsoLogCmd(Contact("N0CALL"));
    ASSERT_EQ(m_requests, 1);
    EXPECT_TRUE(m_logged.empty()) << "logged before the panel answered";
    RADIO_SNAPSHOT answer = Snapshot(c.vfoA, c.vfoB, c.txVfo, c.mode, c.word18);
    answer.bRadioAnswered = c.radioAnswered;
    Answer(answer);
    ASSERT_EQ(m_logged.size(), 1u);
    EXPECT_EQ(m_logged[0].lFreq, c.freq);
    EXPECT_EQ(m_logged[0].nBand, c.band);
    EXPECT_EQ(m_logged[0].nMode, c.logMode);
    EXPECT_EQ(m_logged[0].nQSLStatus, 0);
    EXPECT_EQ(m_status, c.status);
}

const std::string kNotConnected = std::string("2 ") + CQSOInfoGUIThread::kNotConnectedStatus;
const std::string kNoRadioAnswer = std::string("2 ") + CQSOInfoGUIThread::kNoRadioAnswerStatus;

INSTANTIATE_TEST_SUITE_P(
    Rows, InfoRadioData,
    ::testing::Values(
        RadioCase{"OnVfoA", 0, 14060000, 7040000, 3, 4, true, true, true, 14060000, 4, 3, {}},
        RadioCase{
            "SplitOnAnotherBand", 1, 14060000, 7040000, 2, 4, true, true, true, 7040000, 6, 2, {}},
        RadioCase{
            "NoRangeHoldsIt", 0, 10120000, 7040000, 3, 5, true, true, true, 10120000, -1, 3, {}},
        RadioCase{
            "NoBandTableYet", 0, 14060000, 7040000, 3, 4, false, true, true, 14060000, -1, 3, {}},
        RadioCase{"NotConnected",
                  0,
                  28060000,
                  7040000,
                  1,
                  0,
                  true,
                  false,
                  false,
                  0,
                  -1,
                  0,
                  {kNotConnected}},
        // The panel's start-up values, or the last ones before the port failed.
        RadioCase{"ConnectedWithoutARadioAnswer",
                  0,
                  28060000,
                  14060000,
                  1,
                  0,
                  true,
                  true,
                  false,
                  0,
                  -1,
                  0,
                  {kNoRadioAnswer}}),
    CaseName());

TEST_F(InfoFixture, QuickLogItsAreAllLoggedInOrderEachWithItsOwnAnswer) {
    Make();
    m_info->OnRequestQsoLogCmd(Contact("K1ABC"));
    m_info->OnRequestQsoLogCmd(Contact("K2DEF"));
    EXPECT_EQ(m_requests, 2);
    Answer(Snapshot(14060000));
    Answer(Snapshot(7030000));
    ASSERT_EQ(m_logged.size(), 2u);
    EXPECT_EQ(m_logged[0].szCall, "K1ABC");
    EXPECT_EQ(m_logged[0].lFreq, 14060000);
    EXPECT_EQ(m_logged[1].szCall, "K2DEF");
    EXPECT_EQ(m_logged[1].lFreq, 7030000);
    EXPECT_EQ(m_info->pendingCount(), 0u);
}

// A style change completes the waiting contact into the log it was logged
// for; its answer, arriving later, must not complete the next contact.
TEST_F(InfoFixture, StyleChangeLogsTheWaitingContactAndPassesOverItsLateAnswer) {
    Make();
    m_info->OnRequestQsoLogCmd(Contact("K1ABC"));
    m_info->CompletePendingEntries(Snapshot(14060000));
    ASSERT_EQ(m_logged.size(), 1u);
    EXPECT_EQ(m_logged[0].szCall, "K1ABC");
    EXPECT_EQ(m_logged[0].nLogStyle, kNormalLogStyle);
    EXPECT_EQ(m_logged[0].lFreq, 14060000);

    m_info->OnNotifyQsoLogStyleChange(kContestLogStyle);
    m_info->OnRequestQsoLogCmd(Contact("K2DEF", kContestLogStyle));
    Answer(Snapshot(14060000));  // the late answer for K1ABC
    EXPECT_EQ(m_logged.size(), 1u);
    Answer(Snapshot(7030000));
    ASSERT_EQ(m_logged.size(), 2u);
    EXPECT_EQ(m_logged[1].szCall, "K2DEF");
    EXPECT_EQ(m_logged[1].lFreq, 7030000);
}

TEST_F(InfoFixture, ContactsCompletedBeforeTheLoggerIsKnownReachItOnceLinked) {
    m_info = std::make_unique<CQSOInfoGUIThread>(
        nullptr, [] { return std::int64_t{0}; }, true, [] { return kNormalLogStyle; });
    QsoInfoPanelLinks panel;
    panel.requestRadioData = [this](std::uint64_t request) {
        ++m_requests;
        m_unanswered.push_back(request);
    };
    panel.isConnected = [] { return true; };
    m_info->OnParamCmd(std::move(panel));
    m_info->OnRequestQsoLogCmd(Contact("K1ABC"));
    Answer(Snapshot(14060000));
    m_info->OnRequestQsoLogCmd(Contact("K2DEF"));
    Answer(Snapshot(7030000));
    EXPECT_TRUE(m_logged.empty());
    LinkLogger();
    ASSERT_EQ(m_logged.size(), 2u);
    EXPECT_EQ(m_logged[0].szCall, "K1ABC");
    EXPECT_EQ(m_logged[1].szCall, "K2DEF");
}

// --- The stamp -------------------------------------------------------------------------

// A zone seven hours west of UTC all year, and one that keeps summer time.
constexpr char kFixed[] = "<-07>7";
constexpr char kMountain[] = "MST7MDT,M3.2.0,M11.1.0";

struct StampCase {
    const char* name;
    const char* tz;
    WallClockTime local;  // the operator's clock at Log It
    bool useUtc;
    WallClockTime logged;
};
ROW_NAME(StampCase, row.name);

class InfoStamp : public InfoFixture, public ::testing::WithParamInterface<StampCase> {};

// The system clock's seconds at a local wall-clock time of the current zone.
std::int64_t systemSecondsAt(const WallClockTime& local) {
    std::tm tm{};
    tm.tm_year = local.year - 1900;
    tm.tm_mon = local.month - 1;
    tm.tm_mday = local.day;
    tm.tm_hour = local.hour;
    tm.tm_min = local.minute;
    tm.tm_sec = local.second;
    tm.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&tm));
}

TEST_P(InfoStamp, ContactIsStampedWithUtcOrLocalWallClock) {
    const StampCase& c = GetParam();
    ::setenv("TZ", c.tz, 1);
    ::tzset();
    m_now = systemSecondsAt(c.local);
    Make(kNormalLogStyle, c.useUtc);
    m_info->OnRequestQsoLogCmd(Contact("N0CALL"));
    Answer(Snapshot(14060000));
    ASSERT_EQ(m_logged.size(), 1u);
    EXPECT_EQ(FormatLogDateTime(m_logged[0].tmQSO),
              FormatLogDateTime(WallClockSeconds(c.logged).value()));
}

const StampCase kStampCases[] = {
    {"SevenHoursWest", kFixed, {2024, 7, 1, 10, 0, 0}, true, {2024, 7, 1, 17, 0, 0}},
    {"MountainSummer", kMountain, {2024, 7, 1, 10, 0, 0}, true, {2024, 7, 1, 16, 0, 0}},
    {"MountainWinter", kMountain, {2024, 1, 15, 10, 0, 0}, true, {2024, 1, 15, 17, 0, 0}},
    {"UtcIsAlreadyTheNextYear", kFixed, {2024, 12, 31, 20, 30, 5}, true, {2025, 1, 1, 3, 30, 5}},
    {"LocalWhenOff", kMountain, {2024, 7, 1, 10, 0, 0}, false, {2024, 7, 1, 10, 0, 0}},
};

INSTANTIATE_TEST_SUITE_P(Rows, InfoStamp, ::testing::ValuesIn(kStampCases), CaseName());

TEST_F(InfoFixture, CommandTwentyOneTurnsUtcStampsOffAndOn) {
    ::setenv("TZ", kFixed, 1);
    ::tzset();
    m_now = systemSecondsAt({2024, 7, 1, 10, 0, 0});
    Make(kNormalLogStyle, true);
    const auto logOne = [this] {
        m_info->OnRequestQsoLogCmd(Contact("N0CALL"));
        Answer(Snapshot(14060000));
        return BreakDownWallClock(m_logged.back().tmQSO).hour;
    };
    EXPECT_EQ(logOne(), 17);
    m_info->OnExecuteRemoteCmd(CQSOInfoGUIThread::REMOTE_CMD_UTC_LOG_CHANGE, 0);
    EXPECT_EQ(logOne(), 10);
    m_info->OnExecuteRemoteCmd(20, 1);  // not this object's command
    EXPECT_EQ(logOne(), 10);
    m_info->OnExecuteRemoteCmd(CQSOInfoGUIThread::REMOTE_CMD_UTC_LOG_CHANGE, 1);
    EXPECT_EQ(logOne(), 17);
}

// The stamp is taken at Log It, not when the panel answers.
TEST_F(InfoFixture, ContactIsStampedWhenLoggedNotWhenTheAnswerComes) {
    m_now = *WallClockSeconds({2024, 7, 1, 17, 0, 0});
    Make();
    m_info->OnRequestQsoLogCmd(Contact("N0CALL"));
    m_now += 90;
    Answer(Snapshot(14060000));
    ASSERT_EQ(m_logged.size(), 1u);
    EXPECT_EQ(FormatLogDateTime(m_logged[0].tmQSO), "07012024170000");
}

// --- The entry windows -----------------------------------------------------------------

TEST_F(InfoFixture, StyleChangeReplacesTheWindowInTheFirstWindowsPlace) {
    Make(kContestLogStyle);
    EXPECT_EQ(m_windows[kContestLogStyle].made, 1);
    EXPECT_EQ(m_windows[kNormalLogStyle].made, 0);
    const QRect first(150, 200, 300, 150);  // the contest window's own

    m_info->OnNotifyQsoLogStyleChange(kNormalLogStyle);
    EXPECT_EQ(m_windows[kContestLogStyle].deleted, 1);
    EXPECT_EQ(m_windows[kNormalLogStyle].made, 1);
    EXPECT_EQ(m_windows[kNormalLogStyle].movedInto, first);
    EXPECT_EQ(m_windows[kNormalLogStyle].shown, 1);

    m_info->OnNotifyQsoLogStyleChange(kContestLogStyle);
    EXPECT_EQ(m_windows[kContestLogStyle].made, 2);
    EXPECT_EQ(m_windows[kContestLogStyle].movedInto, first);

    // A style without a window keeps the windows as they are and shows none.
    m_info->OnNotifyQsoLogStyleChange(2);
    EXPECT_EQ(m_windows[kContestLogStyle].deleted, 1);
    EXPECT_EQ(m_info->entryWindow(), nullptr);
    m_info->ShowInfoWindow();
    m_info->OnToggleLoginfoWindow();
    m_info->OnPositionWindowCmd();
    EXPECT_EQ(m_windows[kContestLogStyle].shown, 1);
    EXPECT_EQ(m_windows[kContestLogStyle].toggled, 0);
    EXPECT_EQ(m_windows[kContestLogStyle].placed, 0);
}

TEST_F(InfoFixture, FoundEntryShowsOnlyInTheWindowOfItsKind) {
    Make(kNormalLogStyle);
    m_info->OnSearchQsoLogCmd("N0CALL");
    EXPECT_EQ(m_searches, std::vector<std::string>{"N0CALL"});
    m_info->OnSearchQsoLogResultCmd(Contact("K1TEST", kContestLogStyle));
    m_info->OnSearchQsoLogResultCmd(Contact("N0CALL", kNormalLogStyle));
    EXPECT_TRUE(m_windows[kContestLogStyle].shownCalls.empty());
    EXPECT_EQ(m_windows[kNormalLogStyle].shownCalls, std::vector<std::string>{"N0CALL"});
}

}  // namespace
