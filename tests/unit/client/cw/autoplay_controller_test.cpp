#include "client/cw/autoplay_controller.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/row_names.h"

namespace {

using cw::AutoplayController;
using cw::AutoplaySend;

// The window around the controller: a fake timer, a log of sends and key
// locks, and a pending text that the test drains by hand.
struct Window {
    std::vector<std::string> log;
    int timerMs = 0;  // 0: stopped
    bool pending = false;
    bool refuse = false;
    AutoplayController controller{AutoplayController::Hooks{
        {[this](int ms) { timerMs = ms; }, [this] { timerMs = 0; }},
        [this](int memory) {
            if (pending) {
                return AutoplaySend::Waiting;
            }
            if (refuse) {
                return AutoplaySend::Refused;
            }
            log.push_back("send " + std::to_string(memory));
            return AutoplaySend::Sent;
        },
        [this](bool enable) { log.push_back(enable ? "unlock" : "lock"); }}};
};

using Log = std::vector<std::string>;

TEST(Autoplay, ThreeTimesSendsAtOnceThenAtTwoTicksThenUnlocks) {
    Window w;
    w.controller.play(4, 5, 3);
    EXPECT_EQ(w.timerMs, 5000);
    w.controller.tick();
    EXPECT_TRUE(w.controller.running());
    w.controller.tick();
    EXPECT_EQ(w.log, (Log{"lock", "send 4", "send 4", "send 4", "unlock"}));
    EXPECT_FALSE(w.controller.running());
    EXPECT_EQ(w.timerMs, 0);
    w.controller.tick();
    EXPECT_EQ(w.log.size(), 5U);
}

TEST(Autoplay, OnceSendsAndUnlocksWithoutATimer) {
    Window w;
    int starts = 0;
    w.controller = AutoplayController{AutoplayController::Hooks{
        {[&](int) { ++starts; }, [] {}},
        [&](int memory) {
            w.log.push_back("send " + std::to_string(memory));
            return AutoplaySend::Sent;
        },
        [&](bool enable) { w.log.push_back(enable ? "unlock" : "lock"); }}};
    w.controller.play(0, 10, 1);
    EXPECT_EQ(w.log, (Log{"lock", "send 0", "unlock"}));
    EXPECT_EQ(starts, 0);
}

TEST(Autoplay, UntilInterruptedRunsUntilAbortWhichKeepsTheChoice) {
    Window w;
    w.controller.play(2, 1, 0);
    for (int i = 0; i < 50; ++i) {
        w.controller.tick();
    }
    EXPECT_TRUE(w.controller.running());
    EXPECT_EQ(w.log.size(), 52U);
    w.controller.abort();
    EXPECT_FALSE(w.controller.running());
    EXPECT_EQ(w.log.back(), "unlock");
    EXPECT_EQ(w.timerMs, 0);
    EXPECT_EQ(w.controller.times(), 0);
}

TEST(Autoplay, RepeatAfterAFiniteRunRunsTheChosenCountAgain) {
    Window w;
    EXPECT_FALSE(w.controller.repeat());  // nothing chosen yet: the dialog opens
    w.controller.play(1, 5, 3);
    w.controller.tick();
    w.controller.tick();
    ASSERT_FALSE(w.controller.running());
    w.log.clear();
    EXPECT_TRUE(w.controller.repeat());
    w.controller.tick();
    w.controller.tick();
    w.controller.tick();
    EXPECT_EQ(w.log, (Log{"lock", "send 1", "send 1", "send 1", "unlock"}));
    // The dialog opens with the count chosen, not what the run left.
    EXPECT_EQ(w.controller.times(), 3);
}

TEST(Autoplay, PendingTextHoldsATickWithoutSendingOrCounting) {
    Window w;
    w.controller.play(6, 5, 2);
    w.pending = true;  // a typed word waits to be keyed
    w.controller.tick();
    w.controller.tick();
    EXPECT_EQ(w.log, (Log{"lock", "send 6"}));
    EXPECT_TRUE(w.controller.running());
    w.pending = false;
    w.controller.tick();
    EXPECT_EQ(w.log, (Log{"lock", "send 6", "send 6", "unlock"}));
}

TEST(Autoplay, PendingTextAtPlayDelaysTheFirstSendToATick) {
    Window w;
    w.pending = true;
    w.controller.play(3, 5, 1);
    EXPECT_EQ(w.log, (Log{"lock"}));
    EXPECT_EQ(w.timerMs, 5000);
    w.pending = false;
    w.controller.tick();
    EXPECT_EQ(w.log, (Log{"lock", "send 3", "unlock"}));
}

TEST(Autoplay, ARefusedSendEndsTheRun) {
    Window w;
    w.controller.play(0, 5, 0);
    w.refuse = true;
    w.controller.tick();
    EXPECT_FALSE(w.controller.running());
    EXPECT_EQ(w.timerMs, 0);
    EXPECT_EQ(w.log, (Log{"lock", "send 0", "unlock"}));
}

}  // namespace

#include "client/cw/cw_dialog_steps.h"

namespace {

struct StepCase {
    const char* name;
    int (*step)(int, int);
    int from;
    int delta;
    int to;
};
ROW_NAME(StepCase, row.name);

const StepCase kSteps[] = {
    {"IntervalUpRaises", cw::StepIntervalIndex, 2, -1, 3},
    {"IntervalUpWrapsFrom900To1", cw::StepIntervalIndex, 22, -1, 0},
    {"IntervalDownWrapsFrom1To900", cw::StepIntervalIndex, 0, 1, 22},
    {"TimesUpWrapsFrom1000To1", cw::StepTimes, 1000, -1, 1},
    {"TimesDownWrapsFrom1To1000", cw::StepTimes, 1, 1, 1000},
    {"TimesDownLowers", cw::StepTimes, 7, 1, 6},
    {"DigitsUpWrapsFrom5To0", cw::StepDigits, 5, -1, 0},
    {"DigitsDownWrapsFrom0To5", cw::StepDigits, 0, 1, 5},
};

class DialogSteps : public ::testing::TestWithParam<StepCase> {};

TEST_P(DialogSteps, StepAndWrap) {
    EXPECT_EQ(GetParam().step(GetParam().from, GetParam().delta), GetParam().to);
}

INSTANTIATE_TEST_SUITE_P(Steppers, DialogSteps, ::testing::ValuesIn(kSteps), CaseName());

TEST(IntervalIndexOfTest, ValuesOutsideTheTableShowTenSeconds) {
    EXPECT_EQ(cw::IntervalIndexOf(900), 22);
    EXPECT_EQ(cw::IntervalIndexOf(5), 1);
    EXPECT_EQ(cw::IntervalIndexOf(7), 2);
}

}  // namespace
