// What Brakton's application object writes to the server log when the radio
// port or a connect-back fails: the real application, logger, settings file,
// ORB and omniNames, in this process.

#include "server/brakton_app.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "idl/naming.h"
#include "server/message_logger_thread.h"
#include "tests/support/test_support.h"
#include "tests/unit/server/store_fixture.h"

namespace {

using namespace std::chrono_literals;
using brakton::CServerRegistryStore;

struct LoggedLine {
    int level = 0;
    std::string text;
};

class BraktonAppLog : public StoreFixture {
  protected:
    void SetUp() override {
        StoreFixture::SetUp();
        m_serialDir = m_dir / "serial";
        std::filesystem::create_directories(m_serialDir);
        ::setenv("RIGCONTROL_SERIAL_DIR", m_serialDir.c_str(), 1);
        ASSERT_TRUE(m_logger.start());
        LogParams params;
        params.enabled = true;
        params.level = 3;
        params.destination = kLogToScreen;
        params.display = [this](int level, const std::string& line) {
            {
                std::lock_guard lock(m_mutex);
                m_lines.push_back({level, line});
            }
            m_changed.notify_all();
        };
        m_logger.PostParams(std::move(params));
    }
    void TearDown() override {
        m_logger.stop();
        ::unsetenv("RIGCONTROL_SERIAL_DIR");
        StoreFixture::TearDown();
    }

    // Waits for a shown line that ends with `text` (the time stamp comes
    // first); its level, or 0 when none came.
    int waitForLine(const std::string& text, std::chrono::milliseconds timeout) {
        std::unique_lock lock(m_mutex);
        int level = 0;
        m_changed.wait_for(lock, timeout, [&] {
            for (const LoggedLine& line : m_lines) {
                if (line.text.size() >= text.size() &&
                    line.text.compare(line.text.size() - text.size(), text.size(), text) == 0) {
                    level = line.level;
                    return true;
                }
            }
            return false;
        });
        return level;
    }

    std::string shown() {
        std::lock_guard lock(m_mutex);
        std::string all;
        for (const LoggedLine& line : m_lines) {
            all += line.text + "\n";
        }
        return all;
    }

    std::filesystem::path m_serialDir;
    CMessageLoggerThread m_logger;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<LoggedLine> m_lines;
};

// Beside the start-up box, the log says which port failed and which device
// that port stood for.
TEST_F(BraktonAppLog, MissingRadioDeviceLogsThePortAndItsDevice) {
    const std::filesystem::path gone = m_dir / "no-such-device";
    std::filesystem::create_symlink(gone, m_serialDir / "com3");
    CServerRegistryStore store;
    store.WriteCommPort(3, 4800, 0, 1);
    std::ostringstream err;
    CBraktonApp app(store, {"brakton"}, err);
    CK2RadioPort radio(app.RadioServices(), 0);
    app.AttachRadio(radio);

    app.OpenRadioPort();
    EXPECT_FALSE(app.IsPortOpened());
    EXPECT_EQ(messages(), std::vector<std::string>{"error\tError occurred in Opening Radio Port?"});
    EXPECT_EQ(waitForLine("Cannot open COM3: missing (" + gone.string() + ")", 5s), kLogLevelError)
        << shown();
}

// A connect-back that cannot find the client's object says why in the log,
// not only on the error stream.
TEST_F(BraktonAppLog, FailedConnectBackNamesTheExceptionInTheLog) {
    NamingService naming;
    ASSERT_TRUE(naming.start()) << naming.error();
    CServerRegistryStore store;
    store.WriteCommPort(0, 4800, 0, 1);
    store.WriteNameService(naming.host(), static_cast<std::uint32_t>(naming.port()));
    std::ostringstream err;
    CBraktonApp app(store, {"brakton", "-ORBendPoint", "giop:tcp:127.0.0.1:"}, err);
    CK2RadioPort radio(app.RadioServices(), 0);
    app.AttachRadio(radio);
    app.StartOrbThread();

    {
        // The ORB is the process's one: this is the application's own.
        int argc = 0;
        CORBA::ORB_var orb = CORBA::ORB_init(argc, nullptr);
        RadioComm_var server;
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (CORBA::is_nil(server.in()) && std::chrono::steady_clock::now() < deadline) {
            try {
                server = resolveRadioComm(orb.in());
            } catch (const CORBA::Exception&) {
                std::this_thread::sleep_for(50ms);
            }
        }
        ASSERT_FALSE(CORBA::is_nil(server.in())) << err.str();
        // Nothing is bound as "RadioCmdNotification".
        EXPECT_EQ(server->Connect("Nemo"), 0);
    }
    EXPECT_EQ(waitForLine("CORBA Exception in ConnectBackThreadProc: NotFound", 15s),
              kLogLevelError)
        << shown();
    EXPECT_NE(err.str().find("CORBA exception raised! NotFound"), std::string::npos) << err.str();

    app.StopConnectBacks();
    app.StopCallbacks();
    app.StopServing();
    app.CloseRadio();
    app.DestroyOrb();
}

// The same for the ORB thread: a naming service that cannot be reached is
// named in the log line of the failed binding.
TEST_F(BraktonAppLog, UnreachableNamingServiceIsNamedInTheLog) {
    const PortHold dead = PortHold::anyPort();
    ASSERT_TRUE(dead.holding()) << dead.error();
    CServerRegistryStore store;
    store.WriteCommPort(0, 4800, 0, 1);
    store.WriteNameService("127.0.0.1", static_cast<std::uint32_t>(dead.port()));
    std::ostringstream err;
    CBraktonApp app(store, {"brakton", "-ORBendPoint", "giop:tcp:127.0.0.1:"}, err);
    CK2RadioPort radio(app.RadioServices(), 0);
    app.AttachRadio(radio);
    app.StartOrbThread();

    EXPECT_EQ(waitForLine("CORBA Exception in ServerOrbThreadProc: TRANSIENT", 15s), kLogLevelError)
        << shown();
    app.StopConnectBacks();
    app.StopCallbacks();
    app.StopServing();
    app.CloseRadio();
    app.DestroyOrb();
}

}  // namespace
