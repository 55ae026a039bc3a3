#pragma once

// The whole server under test: omniNames on a free loopback port, the K2
// simulator on a pty linked as com1 in a temporary serial folder, a fresh
// settings folder, the real Brakton as a child process, and a scripted client
// in this process that serves and binds "RadioCmdNotification" and stamps
// every call-back with the time it arrived.
//
//   BraktonRig rig;
//   ASSERT_TRUE(rig.startAll()) << rig.error();
//   RadioComm_var server = rig.server();
//   server->Connect("Nemo");
//   auto calls = rig.client().waitFor(1, 9s);     // Connect("Brakton")
//
// Tests and the benchmark share it. Everything is removed when it goes.

#include <netdb.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include <QSettings>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "RadioCmdNotification.hh"
#include "RadioComm.hh"
#include "idl/naming.h"
#include "idl/orb_options.h"
#include "server/server_registry_store.h"
#include "sim/k2_simulator.h"
#include "tests/support/test_support.h"

namespace e2e {

// True when "localhost" resolves to an IPv6 address before any IPv4 one.
inline bool localhostPrefersIpv6() {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo("localhost", nullptr, &hints, &found) != 0 || found == nullptr) {
        return false;
    }
    const bool ipv6 = found->ai_family == AF_INET6;
    ::freeaddrinfo(found);
    return ipv6;
}

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct Callback {
    std::string op;  // "Connect", "NotifyCmd", "NotifyTextMessageSent", ...
    int code = 0;    // NotifyCmd's code, NotifyTextMessageSent's length
    std::string text;
    Clock::time_point time;
};

// The test's RadioCmdNotification: records every call.
class RecordingClient : public POA_RadioCmdNotification {
  public:
    void Connect(const char* who) override { add({"Connect", 0, who, Clock::now()}); }
    void Disconnect() override { add({"Disconnect", 0, "", Clock::now()}); }
    void NotifyCmd(CORBA::Short code, const char* reply) override {
        add({"NotifyCmd", code, reply, Clock::now()});
    }
    void NotifyTextMessageSent(CORBA::Short length, const char* text) override {
        add({"NotifyTextMessageSent", length, text, Clock::now()});
    }
    void NotifyTextMessageEmpty() override { add({"NotifyTextMessageEmpty", 0, "", Clock::now()}); }
    void NotifyRFAmpOptionChange(CORBA::Short option) override {
        add({"NotifyRFAmpOptionChange", option, "", Clock::now()});
    }

    std::vector<Callback> calls() const {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }
    // Waits until `count` calls have arrived; what has arrived by then.
    std::vector<Callback> waitFor(std::size_t count, std::chrono::milliseconds timeout) const {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, timeout, [&] { return m_calls.size() >= count; });
        return m_calls;
    }
    // Waits for the first call of `op` at index `from` or later.
    std::optional<Callback> waitForOp(const std::string& op, std::chrono::milliseconds timeout,
                                      std::size_t from = 0) const {
        std::unique_lock lock(m_mutex);
        std::optional<Callback> found;
        m_changed.wait_for(lock, timeout, [&] {
            for (std::size_t i = from; i < m_calls.size(); ++i) {
                if (m_calls[i].op == op) {
                    found = m_calls[i];
                    return true;
                }
            }
            return false;
        });
        return found;
    }
    std::size_t count() const {
        std::lock_guard lock(m_mutex);
        return m_calls.size();
    }

  private:
    void add(Callback call) {
        {
            std::lock_guard lock(m_mutex);
            m_calls.push_back(std::move(call));
        }
        m_changed.notify_all();
    }

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::vector<Callback> m_calls;
};

struct Settings {
    int commPort = 1;
    std::string nsHost = "127.0.0.1";
    int nsPort = 0;  // 0: the fixture's naming port
    int loggingMode = 0xE3;
    std::string audioCommand;  // set: audio host enabled with this program
};

class BraktonRig {
  public:
    BraktonRig() {
        m_config = m_dir.path() / "config";
        m_serial = m_dir.path() / "serial";
        m_runtime = m_dir.path() / "run";
        std::filesystem::create_directories(m_config);
        std::filesystem::create_directories(m_serial);
        std::filesystem::create_directories(m_runtime);
        ::chmod(m_runtime.c_str(), 0700);
        m_messages = m_dir.path() / "messages.log";
    }
    ~BraktonRig() { stopAll(); }

    BraktonRig(const BraktonRig&) = delete;
    BraktonRig& operator=(const BraktonRig&) = delete;

    const std::string& error() const { return m_error; }
    const std::filesystem::path& dir() const { return m_dir.path(); }
    const std::filesystem::path& runtimeDir() const { return m_runtime; }
    const std::filesystem::path& serialDir() const { return m_serial; }
    std::filesystem::path messageLog() const { return m_messages; }
    NamingService& naming() { return m_naming; }
    sim::K2Simulator& radio() { return *m_radio; }
    RecordingClient& client() { return *m_client; }
    ChildProcess& brakton() { return m_brakton; }
    CORBA::ORB_ptr orb() const { return m_orb->orb(); }

    // The server is told "127.0.0.1" and asks for "localhost": where that
    // name leads to ::1 first, omniNames must answer there too.
    bool startNaming() {
        if (localhostPrefersIpv6()) {
            m_naming.addListenHost("[::1]");
        }
        if (!m_naming.start()) {
            m_error = m_naming.error();
            return false;
        }
        return true;
    }

    // `timeScale` speeds up the simulator's keyer and line pacing.
    bool startRadio(bool linkIt = true, double timeScale = 1.0) {
        sim::K2SimulatorOptions options;
        options.folder = linkIt ? m_serial : std::filesystem::path();
        options.com = 1;
        options.timeScale = timeScale;
        m_radio = std::make_unique<sim::K2Simulator>(options);
        const auto result = m_radio->start();
        if (!result.ok()) {
            m_error = "simulator: " + result.message;
            return false;
        }
        return true;
    }

    // Writes the settings file the way the server's own store does.
    void writeSettings(const Settings& s) { writeSettingsIn(m_config, s); }
    void writeSettingsIn(const std::filesystem::path& configDir, const Settings& s) {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString::fromStdString(configDir.string()));
        brakton::CServerRegistryStore store;
        store.CreateDefaults();
        store.WriteCommPort(static_cast<std::uint8_t>(s.commPort), 4800, 0, 1);
        store.WriteNameService(
            s.nsHost, static_cast<std::uint32_t>(s.nsPort != 0 ? s.nsPort : m_naming.port()));
        store.WriteByte("", "SW Logging Mode", static_cast<std::uint8_t>(s.loggingMode));
        store.WriteAudioHost(!s.audioCommand.empty(), s.audioCommand);
    }

    // Starts Brakton with `extraArgs` after the loopback endpoint.
    bool startBrakton(const std::vector<std::string>& extraArgs = {},
                      std::optional<std::filesystem::path> configDir = std::nullopt,
                      ChildProcess* process = nullptr, const std::string& name = "brakton") {
        std::vector<std::string> args = loopbackEndpointArgs();
        args.insert(args.end(), extraArgs.begin(), extraArgs.end());
        const std::filesystem::path config = configDir.value_or(m_config);
        std::vector<std::string> env{
            "XDG_CONFIG_HOME=" + config.string(),
            "RIGCONTROL_SERIAL_DIR=" + m_serial.string(),
            "XDG_RUNTIME_DIR=" + m_runtime.string(),
            "ORVO_MESSAGE_LOG=" + m_messages.string(),
            "QT_QPA_PLATFORM=offscreen",
        };
        ChildProcess& child = process != nullptr ? *process : m_brakton;
        if (!child.start(BRAKTON_PROGRAM, args, env, m_dir.path(), name)) {
            m_error = "cannot start " BRAKTON_PROGRAM;
            return false;
        }
        return true;
    }

    // This process's ORB and its recording client, bound as "RadioCmdNotification".
    bool startClient() {
        try {
            m_orb = std::make_unique<TestOrb>(OrbRole::Client, m_naming);
            CORBA::Object_var rootObject = orb()->resolve_initial_references("RootPOA");
            m_poa = PortableServer::POA::_narrow(rootObject.in());
            PortableServer::POAManager_var manager = m_poa->the_POAManager();
            manager->activate();
            m_client = new RecordingClient;
            PortableServer::ObjectId_var id = m_poa->activate_object(m_client);
            CORBA::Object_var ref = m_poa->id_to_reference(id.in());
            rebindName(orb(), "RadioCmdNotification", ref.in());
            return true;
        } catch (const CORBA::Exception& ex) {
            m_error = std::string("client ORB: ") + ex._name();
            return false;
        }
    }

    // Binds this process's client as "RadioCmdNotification" again, after
    // another client took the name over.
    void rebindClient() {
        PortableServer::ObjectId_var id = m_poa->servant_to_id(m_client);
        CORBA::Object_var ref = m_poa->id_to_reference(id.in());
        rebindName(orb(), "RadioCmdNotification", ref.in());
    }

    // Waits until "RadioComm" resolves to a live server, newer than `older` when given.
    RadioComm_var waitForServer(std::chrono::milliseconds timeout = 15s) {
        const auto deadline = Clock::now() + timeout;
        while (Clock::now() < deadline) {
            try {
                RadioComm_var server = resolveRadioComm(orb());
                if (!CORBA::is_nil(server.in()) && !server->_non_existent()) {
                    return server;
                }
            } catch (const CORBA::Exception&) {
            }
            std::this_thread::sleep_for(50ms);
        }
        return RadioComm::_nil();
    }

    // Naming, radio, settings, client, Brakton; then waits for "RadioComm".
    bool startAll(const Settings& settings = {}, const std::vector<std::string>& extraArgs = {},
                  double radioTimeScale = 1.0) {
        if (!startNaming() || !startRadio(true, radioTimeScale)) {
            return false;
        }
        writeSettings(settings);
        if (!startClient() || !startBrakton(extraArgs)) {
            return false;
        }
        m_server = waitForServer();
        if (CORBA::is_nil(m_server.in())) {
            m_error = "RadioComm never bound; stderr: " + readFile(m_brakton.stderrPath());
            return false;
        }
        return true;
    }

    RadioComm_ptr server() const { return m_server.in(); }

    // RadioComm::Connect, then the server's Connect("Brakton") call-back, after
    // which replies and CW notices reach the client.
    bool connectAndWaitForCallBacks(std::chrono::milliseconds timeout = 15s) {
        const std::size_t from = m_client->count();
        if (m_server->Connect("Nemo") != 0) {
            m_error = "Connect refused";
            return false;
        }
        if (!m_client->waitForOp("Connect", timeout, from)) {
            m_error = "no Connect call-back; stderr: " + braktonStderr();
            return false;
        }
        // The server turns its radio threads' call-backs on just after its
        // Connect call-back, from another thread: wait until a reply of the
        // radio comes through, so that what the test starts next is reported.
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            const std::size_t before = m_client->count();
            m_radio->injectRaw("ID017;");
            if (m_client->waitForOp("NotifyCmd", 1s, before)) {
                return true;
            }
        }
        m_error = "call-backs never turned on; stderr: " + braktonStderr();
        return false;
    }

    // SIGTERM (or another signal) and the exit status within `timeout`.
    std::optional<int> signalAndWait(int signal, std::chrono::milliseconds timeout = 5s) {
        m_brakton.signal(signal);
        return m_brakton.waitExit(timeout);
    }

    std::string braktonStderr() const { return readFile(m_brakton.stderrPath()); }
    std::string messages() const { return readFile(m_messages); }

    void stopAll() {
        m_brakton.stop();
        m_server = RadioComm::_nil();
        if (m_client != nullptr) {
            try {
                PortableServer::ObjectId_var id = m_poa->servant_to_id(m_client);
                m_poa->deactivate_object(id.in());
            } catch (const CORBA::Exception&) {
            }
            m_client->_remove_ref();
            m_client = nullptr;
        }
        m_poa = PortableServer::POA::_nil();
        m_orb.reset();
        if (m_radio) {
            m_radio->stop();
        }
        m_naming.stop();
    }

  private:
    TempDir m_dir;
    std::filesystem::path m_config;
    std::filesystem::path m_serial;
    std::filesystem::path m_runtime;
    std::filesystem::path m_messages;
    NamingService m_naming;
    std::unique_ptr<sim::K2Simulator> m_radio;
    std::unique_ptr<TestOrb> m_orb;
    PortableServer::POA_var m_poa;
    RecordingClient* m_client = nullptr;
    ChildProcess m_brakton;
    RadioComm_var m_server;
    std::string m_error;
};

}  // namespace e2e
