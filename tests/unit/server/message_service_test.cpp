#include "platform/message_service.h"

#include <QApplication>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class MessageServiceTest : public ::testing::Test {
  protected:
    void TearDown() override { unsetenv("ORVO_MESSAGE_LOG"); }

    TempDir m_dir{"messages-test"};
    fs::path m_log = m_dir.path() / "messages.log";
};

TEST_F(MessageServiceTest, RecordsOneLinePerMessageInTheLogFile) {
    setenv("ORVO_MESSAGE_LOG", m_log.c_str(), 1);
    MessageService::showError("Unable to Read Operator Callsign!");
    EXPECT_FALSE(MessageService::askYesNo(
        "Entering COM Port Diagnostic will interrupt\nNormal operation of Pelorin\r\nProceed?"));
    EXPECT_EQ(readFile(m_log),
              "error\tUnable to Read Operator Callsign!\n"
              "question\tEntering COM Port Diagnostic will interrupt\\nNormal operation of "
              "Pelorin\\nProceed?\tNo\n");
}

TEST_F(MessageServiceTest, WithoutALogFileMessagesGoToStandardError) {
    for (const char* setting : {static_cast<const char*>(""), static_cast<const char*>(nullptr)}) {
        if (setting != nullptr) {
            setenv("ORVO_MESSAGE_LOG", setting, 1);
        } else {
            unsetenv("ORVO_MESSAGE_LOG");
        }
        ::testing::internal::CaptureStderr();
        MessageService::showError("Unable to Create Main Orvo Registry!");
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  "error\tUnable to Create Main Orvo Registry!\n");
    }
}

TEST_F(MessageServiceTest, OffscreenApplicationNeverOpensABox) {
    // The test runner sets QT_QPA_PLATFORM=offscreen; a box here would block the test.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char arg0[] = "message_service_test";
    static char* argv[] = {arg0, nullptr};
    static QApplication app(argc, argv);

    unsetenv("ORVO_MESSAGE_LOG");
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(MessageService::askYesNo("Exiting - Are You Sure?"));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "question\tExiting - Are You Sure?\tNo\n");
}

}  // namespace
