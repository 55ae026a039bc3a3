#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QWheelEvent>
#include <QWidget>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "button_events.h"
#include "controls/remote_cmd_receiver.h"
#include "controls/trackbar_slider.h"
#include "controls/turbo_slider_ctrl.h"
#include "tests/support/row_names.h"

namespace {

using namespace button_events;
using Notice = std::pair<int, int>;  // code, position
using Notices = std::vector<Notice>;

struct KeyCase {
    const char* name;
    int key;
    int position;
    int code;
    int newPosition;
};
ROW_NAME(KeyCase, row.name);

class TrackbarKeys : public ::testing::TestWithParam<KeyCase> {};

// Range 0..100, so the page step is 20.
TEST_P(TrackbarKeys, MapToCodeAndPosition) {
    const KeyCase& c = GetParam();
    const auto step = TrackbarSlider::keyStep(c.key, c.position, 0, 100, 20);
    ASSERT_TRUE(step.has_value());
    EXPECT_EQ(step->code, c.code);
    EXPECT_EQ(step->position, c.newPosition);
}

const KeyCase kKeys[] = {
    {"LeftLowers", Qt::Key_Left, 50, TrackbarSlider::TB_LINEUP, 49},
    {"UpLowers", Qt::Key_Up, 50, TrackbarSlider::TB_LINEUP, 49},
    {"LineUpStopsAtMinimum", Qt::Key_Left, 0, TrackbarSlider::TB_LINEUP, 0},
    {"RightRaises", Qt::Key_Right, 50, TrackbarSlider::TB_LINEDOWN, 51},
    {"DownRaises", Qt::Key_Down, 50, TrackbarSlider::TB_LINEDOWN, 51},
    {"LineDownStopsAtMaximum", Qt::Key_Down, 100, TrackbarSlider::TB_LINEDOWN, 100},
    {"PageUp", Qt::Key_PageUp, 50, TrackbarSlider::TB_PAGEUP, 30},
    {"PageUpStopsAtMinimum", Qt::Key_PageUp, 10, TrackbarSlider::TB_PAGEUP, 0},
    {"PageDown", Qt::Key_PageDown, 50, TrackbarSlider::TB_PAGEDOWN, 70},
    {"PageDownStopsAtMaximum", Qt::Key_PageDown, 90, TrackbarSlider::TB_PAGEDOWN, 100},
    {"HomeIsTop", Qt::Key_Home, 50, TrackbarSlider::TB_TOP, 0},
    {"EndIsBottom", Qt::Key_End, 50, TrackbarSlider::TB_BOTTOM, 100},
};
INSTANTIATE_TEST_SUITE_P(Keys, TrackbarKeys, ::testing::ValuesIn(kKeys), CaseName());

TEST(TrackbarSliderLogic, OtherKeysAreNotTrackbarKeys) {
    EXPECT_FALSE(TrackbarSlider::keyStep(Qt::Key_A, 5, 0, 10, 2).has_value());
    EXPECT_FALSE(TrackbarSlider::keyStep(Qt::Key_Return, 5, 0, 10, 2).has_value());
}

TEST(TrackbarSliderLogic, PageStepIsAFifthOfTheRangeAndAtLeastOne) {
    EXPECT_EQ(TrackbarSlider::pageStepFor(0, 100), 20);
    EXPECT_EQ(TrackbarSlider::pageStepFor(-50, 50), 20);
    EXPECT_EQ(TrackbarSlider::pageStepFor(0, 4), 1);
    EXPECT_EQ(TrackbarSlider::pageStepFor(0, 0), 1);
}

// A shown slider of 0..100 at position 50, recording its notices.
class SliderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dialog = std::make_unique<QWidget>();
        dialog->resize(300, 300);
        dialog->show();
    }

    template <class Slider>
    Slider* make(Qt::Orientation orientation) {
        auto* s = new Slider(orientation, dialog.get());
        if (orientation == Qt::Horizontal) {
            s->setGeometry(10, 10, 200, 30);
        } else {
            s->setGeometry(10, 10, 30, 200);
        }
        s->setRange(0, 100);
        s->setValue(50);
        s->show();
        QObject::connect(s, &TrackbarSlider::trackbarNotify,
                         [this](int code, int pos) { notices.emplace_back(code, pos); });
        return s;
    }

    std::unique_ptr<QWidget> dialog;
    Notices notices;
};

struct InputCase {
    const char* name;
    Qt::Orientation orientation;
    std::function<void(QWidget*)> input;
    Notices expected;
};
ROW_NAME(InputCase, row.name);

class TrackbarInput : public SliderTest, public ::testing::WithParamInterface<InputCase> {};

TEST_P(TrackbarInput, ReportsCodesEndingInEndOfScroll) {
    TrackbarSlider* s = make<TrackbarSlider>(GetParam().orientation);
    GetParam().input(s);
    EXPECT_EQ(notices, GetParam().expected);
    ASSERT_FALSE(notices.empty());
    EXPECT_EQ(s->value(), notices.back().second);
}

auto keyStroke(int k) {
    return [k](QWidget* w) {
        keyPress(w, k);
        keyRelease(w, k);
    };
}

// Turns the wheel by `delta` units of angle; positive is away from the operator.
void wheel(QWidget* w, int delta) {
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    QWheelEvent event(at, w->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &event);
}

auto wheelBy(std::vector<int> deltas) {
    return [deltas](QWidget* w) {
        for (const int delta : deltas) {
            wheel(w, delta);
        }
    };
}

const InputCase kInputs[] = {
    {"LeftKey", Qt::Horizontal, keyStroke(Qt::Key_Left), {{0, 49}, {8, 49}}},
    {"DownKey", Qt::Horizontal, keyStroke(Qt::Key_Down), {{1, 51}, {8, 51}}},
    {"PageUpKey", Qt::Horizontal, keyStroke(Qt::Key_PageUp), {{2, 30}, {8, 30}}},
    {"PageDownKey", Qt::Horizontal, keyStroke(Qt::Key_PageDown), {{3, 70}, {8, 70}}},
    {"HomeKey", Qt::Horizontal, keyStroke(Qt::Key_Home), {{6, 0}, {8, 0}}},
    {"EndKey", Qt::Horizontal, keyStroke(Qt::Key_End), {{7, 100}, {8, 100}}},
    {"HeldKeyEndsOnce",
     Qt::Horizontal,
     [](QWidget* w) {
         keyPress(w, Qt::Key_Right);
         key(w, QEvent::KeyRelease, Qt::Key_Right, true);
         key(w, QEvent::KeyPress, Qt::Key_Right, true);
         keyRelease(w, Qt::Key_Right);
     },
     {{1, 51}, {1, 52}, {8, 52}}},
    {"ClickLeftOfThumb",
     Qt::Horizontal,
     [](QWidget* w) { click(w, QPoint(3, 15)); },
     {{2, 30}, {8, 30}}},
    {"ClickRightOfThumb",
     Qt::Horizontal,
     [](QWidget* w) { click(w, QPoint(196, 15)); },
     {{3, 70}, {8, 70}}},
    // Vertical: the minimum is at the top, so the top is the page-up side.
    {"VerticalClickAboveThumb",
     Qt::Vertical,
     [](QWidget* w) { click(w, QPoint(15, 3)); },
     {{2, 30}, {8, 30}}},
    {"VerticalClickBelowThumb",
     Qt::Vertical,
     [](QWidget* w) { click(w, QPoint(15, 196)); },
     {{3, 70}, {8, 70}}},
    {"VerticalDownKeyRaises", Qt::Vertical, keyStroke(Qt::Key_Down), {{1, 51}, {8, 51}}},
    // One line per notch, each ended at once: away from the operator is Up.
    {"WheelAwayIsLineUp", Qt::Horizontal, wheelBy({120}), {{0, 49}, {8, 49}}},
    {"WheelTowardsIsLineDown", Qt::Horizontal, wheelBy({-120}), {{1, 51}, {8, 51}}},
    {"VerticalWheelAwayIsLineUp", Qt::Vertical, wheelBy({120}), {{0, 49}, {8, 49}}},
    {"TwoNotchesAtOnceAreTwoSteps",
     Qt::Horizontal,
     wheelBy({240}),
     {{0, 49}, {8, 49}, {0, 48}, {8, 48}}},
    {"TouchpadDeltasAddUpToNotches",
     Qt::Horizontal,
     wheelBy({50, 50, 50, 50, 50}),
     {{0, 49}, {8, 49}, {0, 48}, {8, 48}}},
    {"ReversingSpendsTheRemainderFirst",
     Qt::Horizontal,
     wheelBy({100, -100, -120}),
     {{1, 51}, {8, 51}}},
};
INSTANTIATE_TEST_SUITE_P(Inputs, TrackbarInput, ::testing::ValuesIn(kInputs), CaseName());

TEST_F(SliderTest, DraggingTheThumbTracksThenReportsThePositionAndTheEnd) {
    TrackbarSlider* s = make<TrackbarSlider>(Qt::Horizontal);
    press(s, QPoint(100, 15));
    EXPECT_TRUE(notices.empty()) << "a press on the thumb reports nothing yet";
    move(s, QPoint(130, 15), Qt::LeftButton);
    move(s, QPoint(160, 15), Qt::LeftButton);
    release(s, QPoint(160, 15));
    ASSERT_EQ(notices.size(), 4u);
    EXPECT_EQ(notices[0].first, TrackbarSlider::TB_THUMBTRACK);
    EXPECT_EQ(notices[1].first, TrackbarSlider::TB_THUMBTRACK);
    EXPECT_GT(notices[0].second, 50);
    EXPECT_GT(notices[1].second, notices[0].second);
    EXPECT_EQ(notices[2], Notice(TrackbarSlider::TB_THUMBPOSITION, notices[1].second));
    EXPECT_EQ(notices[3], Notice(TrackbarSlider::TB_ENDTRACK, notices[1].second));
    EXPECT_EQ(s->value(), notices[1].second);
}

TEST_F(SliderTest, DraggingAVerticalThumbDownRaisesThePosition) {
    TrackbarSlider* s = make<TrackbarSlider>(Qt::Vertical);
    s->setValue(0);
    press(s, QPoint(15, 8));
    move(s, QPoint(15, 100), Qt::LeftButton);
    release(s, QPoint(15, 100));
    ASSERT_EQ(notices.size(), 3u);
    EXPECT_GT(notices[0].second, 30);
    EXPECT_EQ(notices.back().first, TrackbarSlider::TB_ENDTRACK);
}

TEST_F(SliderTest, RangeChangeKeepsThePageStepAFifth) {
    TrackbarSlider* s = make<TrackbarSlider>(Qt::Horizontal);
    EXPECT_EQ(s->pageStep(), 20);
    s->setRange(0, 500);
    EXPECT_EQ(s->pageStep(), 100);
    EXPECT_EQ(s->singleStep(), 1);
}

TEST_F(SliderTest, LessThanANotchMovesNothing) {
    TrackbarSlider* s = make<TrackbarSlider>(Qt::Horizontal);
    wheel(s, 119);
    wheel(s, -119);
    wheel(s, 100);
    EXPECT_EQ(s->value(), 50);
    EXPECT_TRUE(notices.empty());
}

class RecordingReceiver : public RemoteCmdReceiver {
  public:
    void executeRemoteCmd(int command, std::intptr_t param) override {
        commands.emplace_back(command, static_cast<int>(param));
    }
    std::vector<std::pair<int, int>> commands;
};

// The parent of the turbo slider: records every press and menu request that
// reaches it.
class PanelWidget : public QWidget {
  public:
    int presses = 0;
    int menus = 0;

  protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
    void contextMenuEvent(QContextMenuEvent*) override { ++menus; }
};

class TurboSliderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        panel = std::make_unique<PanelWidget>();
        panel->resize(300, 100);
        slider = new CTurboSliderCtrl(Qt::Horizontal, panel.get());
        slider->setGeometry(10, 10, 200, 30);
        slider->setRange(0, 100);
        slider->setValue(50);
        panel->show();
    }

    std::unique_ptr<PanelWidget> panel;
    CTurboSliderCtrl* slider = nullptr;
    RecordingReceiver receiver;
};

TEST_F(TurboSliderTest, RightClickQueuesOneCommandTwentyAndKeepsThePressFromTheParent) {
    slider->SetNotifyWindow(&receiver);
    press(slider, QPoint(100, 15), Qt::RightButton);
    EXPECT_TRUE(receiver.commands.empty()) << "queued, not called inside the press";
    release(slider, QPoint(100, 15), Qt::RightButton);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(100, 15),
                           slider->mapToGlobal(QPoint(100, 15)));
    QApplication::sendEvent(slider, &menu);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(receiver.commands, (std::vector<std::pair<int, int>>{{20, 0}}));
    EXPECT_EQ(panel->presses, 0);
    EXPECT_EQ(panel->menus, 0);
    EXPECT_EQ(slider->value(), 50);

    click(slider, QPoint(100, 15), Qt::RightButton);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(receiver.commands.size(), 2u) << "every right click sends one";
}

TEST_F(TurboSliderTest, WithoutNotifyWindowARightClickSendsNothing) {
    click(slider, QPoint(100, 15), Qt::RightButton);
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(receiver.commands.empty());
    EXPECT_EQ(panel->presses, 0);
}

TEST_F(TurboSliderTest, LeftDragMovesTheSliderWithoutCommand) {
    slider->SetNotifyWindow(&receiver);
    std::vector<int> codes;
    QObject::connect(slider, &TrackbarSlider::trackbarNotify,
                     [&codes](int code, int) { codes.push_back(code); });
    press(slider, QPoint(100, 15));
    move(slider, QPoint(150, 15), Qt::LeftButton);
    release(slider, QPoint(150, 15));
    QCoreApplication::sendPostedEvents();
    EXPECT_GT(slider->value(), 50);
    EXPECT_TRUE(receiver.commands.empty());
    EXPECT_EQ(codes, (std::vector<int>{5, 4, 8}));
}

TEST_F(TurboSliderTest, CommandQueuedBeforeTheSliderIsDeletedIsDropped) {
    slider->SetNotifyWindow(&receiver);
    press(slider, QPoint(100, 15), Qt::RightButton);
    delete slider;
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(receiver.commands.empty());
}

}  // namespace
