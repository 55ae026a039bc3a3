#include "controls/digi_marquee.h"
#include "controls/digi_clock.h"

#include "tests/support/row_names.h"

#include <gtest/gtest.h>

#include <QTimer>

#include <string>
#include <vector>

namespace {

struct MarqueeCase {
    const char* name;
    const char* text;
    int count;
    bool scrolling;
    int ticks;
    const char* shown;
};
ROW_NAME(MarqueeCase, row.name);

class MarqueeTest : public ::testing::TestWithParam<MarqueeCase> {};

TEST_P(MarqueeTest, ShowsTheWindowAfterTicks) {
    const MarqueeCase& c = GetParam();
    CDigiMarquee marquee;
    marquee.SetDisplayChars(c.count);
    marquee.SetScrollText(QString::fromLatin1(c.text));
    marquee.EnableScrolling(c.scrolling);
    for (int i = 0; i < c.ticks; ++i) {
        marquee.OnTimer();
    }
    EXPECT_EQ(marquee.GetText().toStdString(), std::string(c.shown));
    EXPECT_EQ(marquee.GetText().size(), c.count);
}

const MarqueeCase kMarqueeCases[] = {
    {"ShortTextShowsPadded", "HELLO", 12, true, 0, "HELLO       "},
    {"ShortTextRotatesLeft", "HELLO", 12, true, 1, "ELLO       H"},
    {"ShortTextRotatesThroughSevenBlanks", "HELLO", 12, true, 5, "       HELLO"},
    {"ShortTextComesRound", "HELLO", 12, true, 12, "HELLO       "},
    {"LongTextShowsItsStart", "ABCDEFGHIJKLMNOP", 12, true, 0, "ABCDEFGHIJKL"},
    {"LongTextScrolls", "ABCDEFGHIJKLMNOP", 12, true, 5, "FGHIJKLMNOP "},
    {"LongTextOneBlankBeforeRestart", "ABCDEFGHIJKLMNOP", 12, true, 16, " ABCDEFGHIJK"},
    {"LongTextRestarts", "ABCDEFGHIJKLMNOP", 12, true, 17, "ABCDEFGHIJKL"},
    {"TrailingBlankGetsNoSecond", "ABCDEFGHIJKLMN ", 12, true, 14, " ABCDEFGHIJK"},
    {"TrailingBlankRestarts", "ABCDEFGHIJKLMN ", 12, true, 15, "ABCDEFGHIJKL"},
    {"EmptyTextShowsBlanks", "", 12, true, 3, "            "},
    {"ScrollingOffKeepsTheWindow", "ABCDEFGHIJKLMNOP", 12, false, 3, "ABCDEFGHIJKL"},
    // A window of no characters shows nothing whatever the working text holds, and every new
    // window or text rebuilds that text; in trees without Qt's asserts, rotating an empty
    // working text reads the string's terminator and goes on. So these rows show what is
    // displayed; no row can see ScrollBy's empty-text guard missing.
    {"CountZeroEmptyTextScrolls", "", 0, true, 3, ""},
    {"CountZeroLongText", "ABC", 0, true, 2, ""},
};

INSTANTIATE_TEST_SUITE_P(Table, MarqueeTest, ::testing::ValuesIn(kMarqueeCases), CaseName());

TEST(MarqueeSettersTest, ScrollByRotatesBothWays) {
    CDigiMarquee marquee;
    marquee.SetDisplayChars(6);
    marquee.SetScrollText(QStringLiteral("ABC"));
    marquee.ScrollBy(-1);
    EXPECT_EQ(marquee.GetText(), QStringLiteral(" ABC  "));
    marquee.ScrollBy(3);
    EXPECT_EQ(marquee.GetText(), QStringLiteral("C   AB"));
    marquee.ScrollBy(0);
    EXPECT_EQ(marquee.GetText(), QStringLiteral("C   AB"));
}

TEST(MarqueeSettersTest, DisplayCountChangesReshowTheStart) {
    CDigiMarquee marquee;
    marquee.SetScrollText(QStringLiteral("ABCDEFGHIJKLMNOP"));
    marquee.EnableScrolling(true);
    for (int i = 0; i < 3; ++i) {
        marquee.OnTimer();
    }
    EXPECT_EQ(marquee.GetText(), QStringLiteral("DEFGHIJKLMNO"));
    marquee.SetDisplayChars(-1);
    EXPECT_EQ(marquee.GetDisplayChars(), 12);
    EXPECT_EQ(marquee.GetText(), QStringLiteral("DEFGHIJKLMNO"));
    // The start of the source is shown again, but the working text keeps its
    // rotation: the next tick jumps back to where it was.
    marquee.SetDisplayChars(10);
    EXPECT_EQ(marquee.GetText(), QStringLiteral("ABCDEFGHIJ"));
    marquee.OnTimer();
    EXPECT_EQ(marquee.GetText(), QStringLiteral("EFGHIJKLMN"));
}

TEST(MarqueeSettersTest, SpeedHasAFloorOf50Milliseconds) {
    CDigiMarquee marquee;
    QTimer* timer = marquee.findChild<QTimer*>();
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 200);
    marquee.SetSpeed(10);
    EXPECT_EQ(timer->interval(), 50);
    EXPECT_TRUE(timer->isActive());
    marquee.SetSpeed(250);
    EXPECT_EQ(timer->interval(), 250);
}

TEST(MarqueeSettersTest, ShowsItsInitialTextUntilGivenOne) {
    CDigiMarquee marquee;
    marquee.setProperty("initialText", QStringLiteral("Ready"));
    marquee.EnableScrolling(true);
    EXPECT_EQ(marquee.GetDigiChars().size(), 5u);
    EXPECT_EQ(marquee.GetText(), QStringLiteral("Ready"));
}

class ClockTest : public ::testing::Test {
  protected:
    void SetUp() override {
        looks::setBeepHook([this] { ++m_beeps; });
        m_clock.SetTimeSource([] { return QTime(9, 5, 7); });
    }
    void TearDown() override { looks::setBeepHook({}); }

    std::vector<QString> tick(int times) {
        std::vector<QString> shown;
        for (int i = 0; i < times; ++i) {
            m_clock.OnTimer();
            shown.push_back(m_clock.GetText());
        }
        return shown;
    }

    int m_beeps = 0;
    CDigiClock m_clock;
};

TEST_F(ClockTest, ShowsTheTimeEverySecond) {
    EXPECT_EQ(m_clock.GetText(), QStringLiteral("--:--:--"));
    QTimer* timer = m_clock.findChild<QTimer*>();
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 1000);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(tick(2), (std::vector<QString>{"09:05:07", "09:05:07"}));
    EXPECT_EQ(m_beeps, 0);
}

TEST_F(ClockTest, AlarmBlinksAndBeepsEveryTick) {
    EXPECT_FALSE(m_clock.SetAlarm(true));
    EXPECT_EQ(tick(4), (std::vector<QString>{"  :  :  ", "09:05:07", "  :  :  ", "09:05:07"}));
    EXPECT_EQ(m_beeps, 4);
    EXPECT_TRUE(m_clock.SetAlarm(false));
    EXPECT_EQ(tick(1), (std::vector<QString>{"09:05:07"}));
    EXPECT_EQ(m_beeps, 4);
}

TEST_F(ClockTest, BlinkFollowsTheTickCountNotTheAlarmStart) {
    tick(1);  // tick 1 with the alarm off
    m_clock.SetAlarm(true);
    EXPECT_EQ(tick(2), (std::vector<QString>{"09:05:07", "  :  :  "}));
}

}  // namespace
