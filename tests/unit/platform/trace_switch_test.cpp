// The traces switch: RIGCONTROL_TRACE=1 and nothing else turns the programs'
// debug output on; warnings and Qt's own categories are not its business.

#include <gtest/gtest.h>

#include <QLoggingCategory>
#include <QString>
#include <QtGlobal>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/trace_switch.h"
#include "tests/support/row_names.h"

namespace {

Q_LOGGING_CATEGORY(lcQuietByDefault, "rigcontrol.test.quiet", QtInfoMsg)
Q_LOGGING_CATEGORY(lcQtOwn, "qt.rigcontrol.test", QtDebugMsg)

std::vector<std::string>* g_seen = nullptr;

void recordMessage(QtMsgType, const QMessageLogContext&, const QString& text) {
    if (g_seen != nullptr) {
        g_seen->push_back(text.toStdString());
    }
}

struct SwitchCase {
    const char* name;
    std::optional<const char*> value;  // none: the variable is not set
    bool on;
};
ROW_NAME(SwitchCase, row.name);

class TraceSwitch : public ::testing::TestWithParam<SwitchCase> {
  protected:
    void SetUp() override {
        g_seen = &m_seen;
        m_previousHandler = qInstallMessageHandler(recordMessage);
    }
    void TearDown() override {
        qInstallMessageHandler(m_previousHandler);
        g_seen = nullptr;
        unsetenv(platform::kTraceVariable);
        platform::applyTraceSwitch();
    }

    std::vector<std::string> m_seen;
    QtMessageHandler m_previousHandler = nullptr;
};

TEST_P(TraceSwitch, WritesTracesOnlyWhenAskedFor) {
    const SwitchCase& c = GetParam();
    if (c.value) {
        setenv(platform::kTraceVariable, *c.value, 1);
    } else {
        unsetenv(platform::kTraceVariable);
    }
    EXPECT_EQ(platform::applyTraceSwitch(), c.on);

    qDebug("Cmd = FA00014060000");
    qCDebug(lcQuietByDefault, "Getting Right Mouse Button Down");
    qCDebug(lcQtOwn, "a Qt category's debug line");
    qWarning("a warning");

    std::vector<std::string> expected;
    if (c.on) {
        expected = {"Cmd = FA00014060000", "Getting Right Mouse Button Down"};
    }
    // Qt's own categories keep Qt's rules, which leave "qt.*" debug off.
    expected.push_back("a warning");
    EXPECT_EQ(m_seen, expected);
}

const SwitchCase kSwitchCases[] = {
    {"Unset", std::nullopt, false}, {"One", "1", true},    {"Zero", "0", false},
    {"Empty", "", false},           {"Yes", "yes", false},
};
INSTANTIATE_TEST_SUITE_P(Variable, TraceSwitch, ::testing::ValuesIn(kSwitchCases), CaseName());

TEST(TraceSwitchLater, ACategoryMadeAfterTheSwitchFollowsIt) {
    setenv(platform::kTraceVariable, "1", 1);
    ASSERT_TRUE(platform::applyTraceSwitch());
    QLoggingCategory later("rigcontrol.test.later", QtWarningMsg);
    EXPECT_TRUE(later.isDebugEnabled());
    unsetenv(platform::kTraceVariable);
    ASSERT_FALSE(platform::applyTraceSwitch());
    EXPECT_FALSE(later.isDebugEnabled());
    QLoggingCategory laterStill("rigcontrol.test.later.still", QtDebugMsg);
    EXPECT_FALSE(laterStill.isDebugEnabled());
}

}  // namespace
