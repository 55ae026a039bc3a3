// The radio link wired to the server's store and logger: a simulated K2 on a pseudo-terminal,
// the real settings file, the real logger task and log file.

#include "server/radio_link_services.h"

#include "radiolink/k2_radio_port.h"
#include "server/message_logger_thread.h"
#include "server/server_registry_store.h"
#include "sim/k2_simulator.h"
#include "store_fixture.h"
#include "tests/support/row_names.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <memory>
#include <mutex>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using ::testing::HasSubstr;
using ::testing::Not;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Forwards every reply to the test and fails the call-back for the frequency reply, the way a
// client that has gone away fails it. The first `failCwSent` keyboard-CW notices of text sent
// fail the same way; the CW notices that get through are counted.
class FailingNotifier final : public ClientNotifier {
  public:
    bool NotifyCmd(int, std::string_view reply) override {
        bool ok = true;
        if (reply.rfind("FA", 0) == 0) {
            ok = callClient(
                "NotifyCmd", [] { throw CORBA::TRANSIENT(); }, m_failures);
        }
        {
            const std::lock_guard<std::mutex> lock(m_lock);
            m_replies.emplace_back(reply);
        }
        m_changed.notify_all();
        return ok;
    }
    bool NotifyTextMessageSent(int, std::string_view) override {
        if (failCwSent > 0) {
            --failCwSent;
            return callClient(
                "NotifyTextMessageSent", [] { throw CORBA::TRANSIENT(); }, m_failures);
        }
        ++cwNotices;
        return true;
    }
    bool NotifyTextMessageEmpty() override {
        ++cwNotices;
        return true;
    }

    std::atomic<int> failCwSent{0};
    std::atomic<int> cwNotices{0};

    bool waitForReply(const std::string& reply) {
        std::unique_lock<std::mutex> lock(m_lock);
        return m_changed.wait_for(lock, 10s, [&] {
            return std::find(m_replies.begin(), m_replies.end(), reply) != m_replies.end();
        });
    }

  private:
    ServerCallFailureSink m_failures;
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<std::string> m_replies;
};

struct BindingCase {
    const char* name;
    const char* storedMode;  // "SW Logging Mode" as stored
    bool radioLinesLogged;
};
ROW_NAME(BindingCase, row.name);

// A simulated K2 without line pacing and a logger that writes every record to a file.
class RadioLinkFixture : public StoreFixture {
  protected:
    void SetUp() override {
        StoreFixture::SetUp();
        m_logDir = m_dir / "logs";

        sim::K2SimulatorOptions options;
        options.folder = m_dir / "dev";
        options.com = 1;
        options.pacing = false;
        m_radio = std::make_unique<sim::K2Simulator>(options);
        ASSERT_TRUE(m_radio->start().ok());

        m_logger = std::make_unique<CMessageLoggerThread>();
        ASSERT_TRUE(m_logger->start());
        LogParams params;
        params.enabled = true;
        params.level = 3;
        params.destination = kLogToFile;
        params.hasFileInfo = true;
        params.directory = m_logDir.string();
        params.fileName = "Orvo.Log";
        m_logger->PostParams(std::move(params));
    }

    void TearDown() override {
        m_logger.reset();
        m_radio.reset();
        StoreFixture::TearDown();
    }

    // Switching the log off writes what is buffered; the file is then final.
    std::string logAfterSwitchingOff() {
        LogParams off;
        off.enabled = false;
        off.level = 3;
        off.destination = kLogToFile;
        m_logger->PostParams(std::move(off));
        m_logger->stop();
        return readFile(m_logDir / "Orvo.Log");
    }

    fs::path m_logDir;
    std::unique_ptr<sim::K2Simulator> m_radio;
    std::unique_ptr<CMessageLoggerThread> m_logger;
};

class RadioLinkLoggingTest : public RadioLinkFixture,
                             public ::testing::WithParamInterface<BindingCase> {};

TEST_P(RadioLinkLoggingTest, CommandsAndRepliesFollowTheStoredMode) {
    brakton::CServerRegistryStore store;
    store.CreateDefaults();
    setSettingValue("SW Logging Mode", GetParam().storedMode);

    ServerLogSink logSink;
    FailingNotifier notifier;
    RadioPortServices services;
    services.log = &logSink;
    services.notifier = &notifier;
    services.serialDir = m_dir / "dev";
    services.replyPollInterval = 20ms;
    {
        CK2RadioPort port(services, ReadRadioLoggingMode(store));
        ASSERT_EQ(port.OpenRadioPort(1, 4800, 8, 0, 1), K2ERR_NONE);
        port.SetNotifierAddress(NOTIFIER_CORBA);
        ASSERT_EQ(port.OperatingMode(1, 3), K2ERR_NONE);
        ASSERT_TRUE(m_radio->waitForCommand("MD3", 5s).has_value());
        m_radio->injectRaw("FA00014060000;");
        ASSERT_TRUE(notifier.waitForReply("FA00014060000"));
        port.CloseRadioPort();
    }

    const std::string log = logAfterSwitchingOff();
    const std::regex stampedFailure(R"((^|\n)\d\d-\d\d-\d\d \d\d:\d\d:\d\d CORBA Exception in )"
                                    R"(NotifyCmd\r\n)");
    EXPECT_TRUE(std::regex_search(log, stampedFailure)) << log;
    if (GetParam().radioLinesLogged) {
        EXPECT_THAT(log, HasSubstr("\r\nMD3;\r\n"));
        EXPECT_THAT(log, HasSubstr("\r\nFA00014060000\r\n"));
    } else {
        EXPECT_THAT(log, Not(HasSubstr("MD3;")));
        EXPECT_THAT(log, Not(HasSubstr("FA00014060000")));
    }
}

const BindingCase kBindingCases[] = {
    {"CommandsAndReplies", "3", true},
    {"Nothing", "0", false},
};

INSTANTIATE_TEST_SUITE_P(RadioLink, RadioLinkLoggingTest, ::testing::ValuesIn(kBindingCases),
                         CaseName());

// The keyboard-CW task's own call-back fails: it logs the failure once, tells the client
// nothing more until notification is set again, aborts the radio's CW and lets the status
// polling it had paused go on.
class KeyboardCwCallbackTest : public RadioLinkFixture {};

TEST_F(KeyboardCwCallbackTest, FailedTextNoticeAbortsAndStopsNotices) {
    brakton::CServerRegistryStore store;
    store.CreateDefaults();

    ServerLogSink logSink;
    FailingNotifier notifier;
    notifier.failCwSent = 1;
    RadioPortServices services;
    services.log = &logSink;
    services.notifier = &notifier;
    services.serialDir = m_dir / "dev";
    services.replyPollInterval = 20ms;
    services.cwPollInterval = 20ms;
    services.statusPollPeriod = 100ms;
    {
        CK2RadioPort port(services, ReadRadioLoggingMode(store));
        ASSERT_EQ(port.OpenRadioPort(1, 4800, 8, 0, 1), K2ERR_NONE);
        port.SetNotifierAddress(NOTIFIER_CORBA);
        ASSERT_EQ(port.EnableStatusQuery(1), K2ERR_NONE);
        ASSERT_TRUE(m_radio->waitForCommand("DS", 5s).has_value());

        // The text pauses the status polling; the radio's first answer, "still sending", makes
        // the progress notice that fails.
        m_radio->setKyAnswer(sim::KyAnswer::Never);
        ASSERT_EQ(port.KeyboardCW("CQ CQ DE N0CALL "), K2ERR_NONE);
        m_radio->injectRaw("KY0;");
        const auto abort = m_radio->waitForCommand("KY @", 5s);
        ASSERT_TRUE(abort.has_value());
        EXPECT_TRUE(m_radio->waitForCommand("DS", 5s, abort->index + 1).has_value())
            << "status polling did not resume";
        m_radio->setKyAnswer(sim::KyAnswer::Normal);

        // More text while notification is off: sent, but nothing told.
        const int noticesBefore = notifier.cwNotices;
        const std::size_t before = m_radio->commandCount();
        ASSERT_EQ(port.KeyboardCW("TEST "), K2ERR_NONE);
        ASSERT_TRUE(m_radio->waitForCommand("KY TEST ", 5s, before).has_value());
        std::this_thread::sleep_for(300ms);
        EXPECT_EQ(notifier.cwNotices, noticesBefore);

        // Set again, notification comes back.
        port.SetNotifierAddress(NOTIFIER_CORBA);
        ASSERT_EQ(port.KeyboardCW("AGN "), K2ERR_NONE);
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (notifier.cwNotices == noticesBefore && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(20ms);
        }
        EXPECT_GT(notifier.cwNotices, noticesBefore);
        port.CloseRadioPort();
    }

    const std::string log = logAfterSwitchingOff();
    std::size_t records = 0;
    for (std::size_t at = log.find("CORBA Exception in NotifyTextMessageSent");
         at != std::string::npos;
         at = log.find("CORBA Exception in NotifyTextMessageSent", at + 1)) {
        ++records;
    }
    EXPECT_EQ(records, 1u) << log;
}

// The real call-back path: a client reference that cannot be reached, and no reference at all.
TEST(ClientCallbackNotifierTest, FailedCallsAreLoggedWithTheOperationName) {
    int argc = 0;
    CORBA::ORB_var orb = CORBA::ORB_init(argc, nullptr);

    std::vector<std::string> shown;
    std::mutex shownLock;
    CMessageLoggerThread logger;
    ASSERT_TRUE(logger.start());
    LogParams params;
    params.enabled = true;
    params.level = 3;
    params.display = [&](int, const std::string& line) {
        const std::lock_guard<std::mutex> lock(shownLock);
        shown.push_back(line);
    };
    logger.PostParams(std::move(params));

    NotifierHolder holder;
    ServerCallFailureSink failures;
    ClientCallbackNotifier notifier(holder, failures);
    EXPECT_FALSE(notifier.NotifyTextMessageEmpty());  // no client yet

    // Port 1 on the loopback refuses the connection at once.
    CORBA::Object_var object = orb->string_to_object("corbaloc::127.0.0.1:1/RadioCmdNotification");
    RadioCmdNotification_var unreachable = RadioCmdNotification::_unchecked_narrow(object.in());
    holder.set(unreachable.in());
    EXPECT_FALSE(notifier.NotifyCmd(6, "FA00014060000"));
    EXPECT_FALSE(notifier.NotifyTextMessageSent(3, "CQ "));
    logger.stop();

    ASSERT_EQ(shown.size(), 3u);
    EXPECT_THAT(shown[0], ::testing::EndsWith(" CORBA Exception in NotifyTextMessageEmpty"));
    EXPECT_THAT(shown[1], ::testing::EndsWith(" CORBA Exception in NotifyCmd"));
    EXPECT_THAT(shown[2], ::testing::EndsWith(" CORBA Exception in NotifyTextMessageSent"));

    holder.clear();
    orb->destroy();
}

}  // namespace
