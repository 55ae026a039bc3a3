#include "client/cw/cw_key_map.h"

#include <gtest/gtest.h>

#include "tests/support/row_names.h"

#include <QtCore/qnamespace.h>

#include <string>
#include <vector>

namespace {

// What a press asked for: "M<n>" a memory key, "R<n>" a stack register.
struct KeyCase {
    const char* name;
    int key;
    bool alt;
    bool taken;
    std::vector<std::string> asked;
};
ROW_NAME(KeyCase, row.name);

const KeyCase kKeys[] = {
    {"EscAborts", Qt::Key_Escape, false, true, {"M27"}},
    {"AltEscAbortsToo", Qt::Key_Escape, true, true, {"M27"}},
    {"F1SendsMemory1", Qt::Key_F1, false, true, {"M0"}},
    {"F10SendsMemory10", Qt::Key_F10, false, true, {"M9"}},
    {"F11SendsMemory11", Qt::Key_F11, false, true, {"M10"}},
    {"AltF1IsStackRegister1", Qt::Key_F1, true, true, {"R0"}},
    {"AltF4IsStackRegister4", Qt::Key_F4, true, true, {"R3"}},
    {"AltF5IsTakenAndDoesNothing", Qt::Key_F5, true, true, {}},
    {"AltF9IsTakenAndDoesNothing", Qt::Key_F9, true, true, {}},
    {"AltF10SendsMemory10", Qt::Key_F10, true, true, {"M9"}},
    {"AltF11IsTakenAndDoesNothing", Qt::Key_F11, true, true, {}},
    {"F12IsNotShared", Qt::Key_F12, false, false, {}},
    {"AltTIsTheWindowsOwn", Qt::Key_T, true, false, {}},
    {"EnterIsTheWindowsOwn", Qt::Key_Return, false, false, {}},
    {"ALetterIsNotAKey", Qt::Key_A, false, false, {}},
};

class SharedKeyMap : public ::testing::TestWithParam<KeyCase> {};

TEST_P(SharedKeyMap, AsksForWhatTheKeyDoes) {
    const KeyCase& row = GetParam();
    std::vector<std::string> asked;
    const cw::SharedKeyHooks hooks{
        [&asked](int memKey) { asked.push_back("M" + std::to_string(memKey)); },
        [&asked](int reg) { asked.push_back("R" + std::to_string(reg)); }};
    EXPECT_EQ(cw::HandleSharedKey(row.key, row.alt, hooks), row.taken);
    EXPECT_EQ(asked, row.asked);
}

INSTANTIATE_TEST_SUITE_P(Keys, SharedKeyMap, ::testing::ValuesIn(kKeys), CaseName());

}  // namespace
