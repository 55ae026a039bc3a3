#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <functional>
#include <ostream>
#include <string>

#include "controls/stepped_value.h"
#include "tests/support/row_names.h"

namespace {

struct StepInput {
    const char* name;
    std::function<void(SteppedValue&)> act;
    int delta;  // 0: no step
};
ROW_NAME(StepInput, row.name);

class SteppedValueTest : public ::testing::TestWithParam<StepInput> {};

// The up arrow and the Up key report -1, the down arrow and the Down key +1; other keys
// report nothing.
TEST_P(SteppedValueTest, ReportsTheStep) {
    SteppedValue value;
    value.resize(90, 24);
    value.setText(QStringLiteral(" COM1 "));
    value.show();
    value.setFocus();
    QSignalSpy spy(&value, &SteppedValue::stepped);
    GetParam().act(value);
    if (GetParam().delta == 0) {
        EXPECT_EQ(spy.count(), 0);
    } else {
        ASSERT_EQ(spy.count(), 1);
        EXPECT_EQ(spy.at(0).at(0).toInt(), GetParam().delta);
    }
    EXPECT_EQ(value.text(), QStringLiteral(" COM1 "));  // the owner sets the next text
}

const StepInput kInputs[] = {
    {"UpArrow", [](SteppedValue& v) { QTest::mouseClick(v.upButton(), Qt::LeftButton); }, -1},
    {"DownArrow", [](SteppedValue& v) { QTest::mouseClick(v.downButton(), Qt::LeftButton); }, 1},
    {"UpKey", [](SteppedValue& v) { QTest::keyClick(&v, Qt::Key_Up); }, -1},
    {"DownKey", [](SteppedValue& v) { QTest::keyClick(&v, Qt::Key_Down); }, 1},
    {"OtherKey", [](SteppedValue& v) { QTest::keyClick(&v, Qt::Key_Right); }, 0},
};

INSTANTIATE_TEST_SUITE_P(Inputs, SteppedValueTest, ::testing::ValuesIn(kInputs), CaseName{});

TEST(SteppedValueLayoutTest, ArrowsStandBesideTheText) {
    SteppedValue value;
    value.resize(90, 24);
    value.show();
    EXPECT_GT(value.upButton()->geometry().left(), 40);
    EXPECT_EQ(value.upButton()->geometry().left(), value.downButton()->geometry().left());
    EXPECT_LT(value.upButton()->geometry().top(), value.downButton()->geometry().top());
}

}  // namespace
