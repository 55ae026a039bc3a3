// The connect-back and the vanished-client rule, with a fake lookup and a
// fake clock; the client's callback objects are real servants in this
// process, so calls through the references are real (collocated) calls.

#include "server/client_link.h"
#include "tests/support/row_names.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <omniORB4/Naming.hh>

namespace {

using namespace std::chrono_literals;

// Time moves only when the test says so; waiters look again every millisecond.
class FakeClock final : public WaitClock {
  public:
    TimePoint now() const override { return TimePoint{} + m_offset.load(); }
    void waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                   TimePoint) override {
        cv.wait_for(lock, 1ms);
    }
    void sleepFor(std::chrono::milliseconds pause) override { advance(pause); }
    void advance(std::chrono::milliseconds step) { m_offset = m_offset.load() + step; }

  private:
    std::atomic<std::chrono::nanoseconds> m_offset{std::chrono::nanoseconds(1)};
};

class Client final : public POA_RadioCmdNotification {
  public:
    void Connect(const char* who) override { add(std::string("Connect ") + who); }
    void Disconnect() override {}
    void NotifyCmd(CORBA::Short, const char* reply) override { add(reply); }
    void NotifyTextMessageSent(CORBA::Short, const char*) override {}
    void NotifyTextMessageEmpty() override {}
    void NotifyRFAmpOptionChange(CORBA::Short option) override {
        add("PA " + std::to_string(option));
    }

    std::vector<std::string> calls() const {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }

  private:
    void add(std::string call) {
        std::lock_guard lock(m_mutex);
        m_calls.push_back(std::move(call));
    }
    mutable std::mutex m_mutex;
    std::vector<std::string> m_calls;
};

class Sink final : public CallFailureSink {
  public:
    void LogCorbaException(const char* op) override { add(std::string("corba ") + op); }
    void LogUnknownException(const char* op) override { add(std::string("unknown ") + op); }
    std::vector<std::string> lines() const {
        std::lock_guard lock(m_mutex);
        return m_lines;
    }
    void add(std::string line) {
        std::lock_guard lock(m_mutex);
        m_lines.push_back(std::move(line));
    }

  private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
};

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 3s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

// What one case sees: the client objects, the fake lookup, the notifier
// switches and the reported failures.
class Harness {
  public:
    Harness() {
        int argc = 0;
        m_orb = CORBA::ORB_init(argc, nullptr);
        CORBA::Object_var root = m_orb->resolve_initial_references("RootPOA");
        m_poa = PortableServer::POA::_narrow(root.in());
        PortableServer::POAManager_var manager = m_poa->the_POAManager();
        manager->activate();
        for (Client*& client : m_clients) {
            client = new Client;
            PortableServer::ObjectId_var id = m_poa->activate_object(client);
            CORBA::Object_var object = m_poa->id_to_reference(id.in());
            m_refs.push_back(RadioCmdNotification::_narrow(object.in()));
        }
        ClientLinkServices services;
        services.lookup = [this]() -> RadioCmdNotification_var {
            if (onLookup) {
                onLookup();
            }
            if (m_notBound) {
                throw CosNaming::NamingContext::NotFound();
            }
            return RadioCmdNotification::_duplicate(m_refs[m_bound].in());
        };
        services.setNotifier = [this](int mode) { m_sink.add("notifier " + std::to_string(mode)); };
        services.reportFailure = [this](bool corba, const std::string& name) {
            m_sink.add(std::string(corba ? "failed corba " : "failed ") + name);
        };
        services.reportGaveUp = [this](const std::string& line) { m_sink.add(line); };
        services.callFailures = &m_sink;
        services.clock = &m_clock;
        m_link = std::make_unique<ClientLink>(services);
    }
    ~Harness() {
        m_link.reset();
        m_refs.clear();
        for (Client* client : m_clients) {
            client->_remove_ref();
        }
        m_poa = PortableServer::POA::_nil();
        m_orb->destroy();
    }

    // Runs on the connect-back thread as its look-up begins.
    std::function<void()> onLookup;

    ClientLink& link() { return *m_link; }
    FakeClock& clock() { return m_clock; }
    Sink& sink() { return m_sink; }
    Client& client(std::size_t i) { return *m_clients[i]; }
    RadioCmdNotification_ptr ref(std::size_t i) { return m_refs[i].in(); }
    void bind(std::size_t i) { m_bound = i; }
    void unbind() { m_notBound = true; }
    void deactivate(std::size_t i) {
        PortableServer::ObjectId_var id = m_poa->servant_to_id(m_clients[i]);
        m_poa->deactivate_object(id.in());
    }
    std::size_t connects() const {
        std::size_t n = 0;
        for (Client* client : m_clients) {
            for (const auto& call : client->calls()) {
                n += call.rfind("Connect", 0) == 0 ? 1 : 0;
            }
        }
        return n;
    }

  private:
    CORBA::ORB_var m_orb;
    PortableServer::POA_var m_poa;
    Client* m_clients[2] = {nullptr, nullptr};
    std::vector<RadioCmdNotification_var> m_refs;
    std::atomic<std::size_t> m_bound{0};
    std::atomic<bool> m_notBound{false};
    FakeClock m_clock;
    Sink m_sink;
    std::unique_ptr<ClientLink> m_link;
};

struct ConnectBackCase {
    const char* name;
    std::function<void(Harness&)> script;
    std::vector<std::string> expectedSink;  // notifier switches and failures, in order
    std::vector<std::string> client0;       // calls the first client received
    std::vector<std::string> client1;
    bool connected;
};
ROW_NAME(ConnectBackCase, row.name);

// Lets the connect-back threads look at the clock once more.
void settle() {
    std::this_thread::sleep_for(30ms);
}

const ConnectBackCase kCases[] = {
    {"ConnectsBackAfterFiveSeconds",
     [](Harness& h) {
         ASSERT_TRUE(h.link().StartConnectBackThread());
         EXPECT_TRUE(h.link().IsConnectBackPending());
         h.clock().advance(4900ms);
         settle();
         EXPECT_EQ(h.connects(), 0u) << "too early";
         EXPECT_FALSE(h.link().IsClientConnected());
         EXPECT_TRUE(h.link().IsConnectBackPending());
         h.clock().advance(200ms);
         ASSERT_TRUE(eventually([&] { return h.link().IsClientConnected(); }));
         ASSERT_TRUE(eventually([&] { return h.sink().lines().size() == 1; }));
         EXPECT_TRUE(eventually([&] { return !h.link().IsConnectBackPending(); }));
     },
     {"notifier 3"},
     {"Connect Brakton"},
     {},
     true},
    {"DisconnectDuringTheWaitCancelsIt",
     [](Harness& h) {
         ASSERT_TRUE(h.link().StartConnectBackThread());
         h.clock().advance(1000ms);
         settle();
         h.link().OnClientDisconnect();
         EXPECT_FALSE(h.link().IsConnectBackPending());
         h.clock().advance(60000ms);
         settle();
     },
     {"notifier 0"},
     {},
     {},
     false},
    {"OnlyTheNewestConnectFires",
     [](Harness& h) {
         ASSERT_TRUE(h.link().StartConnectBackThread());
         h.clock().advance(1000ms);
         settle();
         h.bind(1);
         ASSERT_TRUE(h.link().StartConnectBackThread());
         h.clock().advance(4500ms);
         settle();
         EXPECT_EQ(h.connects(), 0u) << "the first wait was not cancelled";
         h.clock().advance(600ms);
         ASSERT_TRUE(eventually([&] { return h.link().IsClientConnected(); }));
         ASSERT_TRUE(eventually([&] { return h.sink().lines().size() == 1; }));
         h.clock().advance(60000ms);
         settle();
     },
     {"notifier 3"},
     {},
     {"Connect Brakton"},
     true},
    {"NotFoundGivesUp",
     [](Harness& h) {
         h.unbind();
         ASSERT_TRUE(h.link().StartConnectBackThread("Nemo"));
         h.clock().advance(5000ms);
         ASSERT_TRUE(eventually([&] { return h.sink().lines().size() == 2; }));
         EXPECT_TRUE(eventually([&] { return !h.link().IsConnectBackPending(); }));
         EXPECT_TRUE(h.link().ConnectBackGaveUp());
     },
     {"failed corba NotFound",
      "Connect-back to Nemo failed: NotFound; the client must connect again"},
     {},
     {},
     false},
    {"GoneClientFailsConnectAndGivesUp",
     [](Harness& h) {
         h.deactivate(0);
         ASSERT_TRUE(h.link().StartConnectBackThread("Nemo"));
         h.clock().advance(5000ms);
         ASSERT_TRUE(eventually([&] { return h.sink().lines().size() == 2; }));
         EXPECT_TRUE(eventually([&] { return !h.link().IsConnectBackPending(); }));
         EXPECT_TRUE(h.link().ConnectBackGaveUp());
     },
     {"corba Connect",
      "Connect-back to Nemo failed: its Connect call failed; the client must connect again"},
     {},
     {},
     false},
    {"ClientThatConnectsAgainAndIsNotFoundIsNoLongerConnected",
     [](Harness& h) {
         ASSERT_TRUE(h.link().StartConnectBackThread("Nemo"));
         h.clock().advance(5000ms);
         ASSERT_TRUE(eventually([&] { return h.link().IsClientConnected(); }));
         ASSERT_TRUE(eventually([&] { return h.sink().lines().size() == 1; }));
         h.unbind();
         ASSERT_TRUE(h.link().StartConnectBackThread("Nemo"));
         h.clock().advance(5000ms);
         ASSERT_TRUE(eventually([&] { return h.sink().lines().size() == 4; }));
         EXPECT_TRUE(h.link().ConnectBackGaveUp());
         EXPECT_FALSE(h.link().IsClientPresent());
         // The next Connect starts afresh.
         ASSERT_TRUE(h.link().StartConnectBackThread("Nemo"));
         EXPECT_FALSE(h.link().ConnectBackGaveUp());
     },
     {"notifier 3", "failed corba NotFound", "notifier 0",
      "Connect-back to Nemo failed: NotFound; the client must connect again"},
     {"Connect Brakton"},
     {},
     false},
    {"FailedCallbackThroughTheCurrentClientClearsTheFlag",
     [](Harness& h) {
         ASSERT_TRUE(h.link().StartConnectBackThread());
         h.clock().advance(5000ms);
         ASSERT_TRUE(eventually([&] { return h.link().IsClientConnected(); }));
         EXPECT_TRUE(h.link().notifier().NotifyCmd(6, "FA00007000000"));
         h.deactivate(0);
         EXPECT_FALSE(h.link().notifier().NotifyCmd(6, "FA00007000001"));
     },
     {"notifier 3", "corba NotifyCmd"},
     {"Connect Brakton", "FA00007000000"},
     {},
     false},
    {"FailureThroughAReplacedClientKeepsTheFlag",
     [](Harness& h) {
         ASSERT_TRUE(h.link().StartConnectBackThread());
         h.clock().advance(5000ms);
         ASSERT_TRUE(eventually([&] { return h.link().IsClientConnected(); }));
         h.bind(1);
         ASSERT_TRUE(h.link().StartConnectBackThread());
         h.clock().advance(5000ms);
         ASSERT_TRUE(eventually([&] { return h.connects() == 2; }));
         ASSERT_TRUE(eventually([&] { return h.sink().lines().size() == 2; }));
         h.link().OnCallbackFailed(h.ref(0));
     },
     {"notifier 3", "notifier 3"},
     {"Connect Brakton"},
     {"Connect Brakton"},
     true},
};

class ConnectBackTest : public ::testing::TestWithParam<ConnectBackCase> {};

TEST_P(ConnectBackTest, OnlyTheNewestConnectBackCommits) {
    const ConnectBackCase& c = GetParam();
    Harness h;
    c.script(h);
    std::ostringstream err;
    EXPECT_TRUE(h.link().Shutdown(1000ms, err)) << err.str();
    EXPECT_EQ(h.sink().lines(), c.expectedSink);
    EXPECT_EQ(h.client(0).calls(), c.client0);
    EXPECT_EQ(h.client(1).calls(), c.client1);
    EXPECT_EQ(h.link().IsClientConnected(), c.connected);
}

INSTANTIATE_TEST_SUITE_P(ClientLink, ConnectBackTest, ::testing::ValuesIn(kCases), CaseName());

TEST(ClientLinkShutdown, CancelsAWaitAtOnceAndRefusesNewConnectBacks) {
    Harness h;
    ASSERT_TRUE(h.link().StartConnectBackThread());
    ASSERT_TRUE(h.link().StartConnectBackThread());
    const auto start = std::chrono::steady_clock::now();
    std::ostringstream err;
    EXPECT_TRUE(h.link().IsConnectBackPending());
    EXPECT_TRUE(h.link().Shutdown(1000ms, err));
    EXPECT_FALSE(h.link().IsConnectBackPending());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1000ms);
    EXPECT_EQ(err.str(), "");
    EXPECT_FALSE(h.link().StartConnectBackThread());
    h.clock().advance(10000ms);
    settle();
    EXPECT_EQ(h.connects(), 0u);
}

// A connect-back still looking the client up is pending; its commit ends that.
TEST(ClientLinkPending, LookUpInProgressCountsAsPending) {
    Harness h;
    std::mutex gate;
    std::condition_variable opened;
    bool looking = false;
    bool release = false;
    h.onLookup = [&] {
        std::unique_lock lock(gate);
        looking = true;
        opened.notify_all();
        opened.wait(lock, [&] { return release; });
    };
    ASSERT_TRUE(h.link().StartConnectBackThread());
    h.clock().advance(5000ms);
    {
        std::unique_lock lock(gate);
        ASSERT_TRUE(opened.wait_for(lock, 3s, [&] { return looking; }));
    }
    EXPECT_TRUE(h.link().IsConnectBackPending());
    EXPECT_FALSE(h.link().IsClientConnected());
    {
        std::lock_guard lock(gate);
        release = true;
    }
    opened.notify_all();
    ASSERT_TRUE(eventually([&] { return h.link().IsClientConnected(); }));
    EXPECT_TRUE(eventually([&] { return !h.link().IsConnectBackPending(); }));
    std::ostringstream err;
    EXPECT_TRUE(h.link().Shutdown(1000ms, err));
}

// --- The COM-port check's guard ------------------------------------------------------------

// What IsClientPresent answers, the composed guard of the COM-port check, in each state of a
// real link.
struct GuardCase {
    const char* name;
    std::function<void(Harness&)> script;
    bool present;
    bool gaveUp;
};
ROW_NAME(GuardCase, row.name);

const GuardCase kGuards[] = {
    {"NoClient", [](Harness&) {}, false, false},
    {"ConnectBackPending", [](Harness& h) { ASSERT_TRUE(h.link().StartConnectBackThread()); }, true,
     false},
    {"Connected",
     [](Harness& h) {
         ASSERT_TRUE(h.link().StartConnectBackThread());
         h.clock().advance(5000ms);
         ASSERT_TRUE(eventually([&] { return h.link().IsClientConnected(); }));
     },
     true, false},
    {"ConnectBackGaveUp",
     [](Harness& h) {
         h.unbind();
         ASSERT_TRUE(h.link().StartConnectBackThread());
         h.clock().advance(5000ms);
         ASSERT_TRUE(eventually([&] { return h.link().ConnectBackGaveUp(); }));
         ASSERT_TRUE(eventually([&] { return !h.link().IsConnectBackPending(); }));
     },
     false, true},
    {"LookupOvertakenByANewerConnect",
     [](Harness& h) {
         // The first connect-back's lookup fails only once a newer Connect has come.
         std::atomic<int> lookups{0};
         h.onLookup = [&h, &lookups] {
             if (lookups++ == 0) {
                 ASSERT_TRUE(h.link().StartConnectBackThread());
                 h.unbind();
             }
         };
         ASSERT_TRUE(h.link().StartConnectBackThread());
         h.clock().advance(5000ms);
         ASSERT_TRUE(eventually([&] { return !h.sink().lines().empty(); }));
         settle();
         h.onLookup = nullptr;
     },
     true, false},
};

class ClientGuardTest : public ::testing::TestWithParam<GuardCase> {};

TEST_P(ClientGuardTest, CountsAClientConnectedOrConnecting) {
    const GuardCase& c = GetParam();
    Harness h;
    c.script(h);
    EXPECT_EQ(h.link().IsClientPresent(), c.present);
    EXPECT_EQ(h.link().ConnectBackGaveUp(), c.gaveUp);
    std::ostringstream err;
    EXPECT_TRUE(h.link().Shutdown(1000ms, err)) << err.str();
}

INSTANTIATE_TEST_SUITE_P(ClientLink, ClientGuardTest, ::testing::ValuesIn(kGuards), CaseName());

// --- The power-amplifier notice -------------------------------------------------------------

TEST(ClientLinkAmplifierNotice, ReachesOnlyAConnectedClient) {
    Harness h;
    h.link().NotifyRFAmpOptionChange(true);  // no client at all
    ASSERT_TRUE(h.link().StartConnectBackThread());
    h.link().NotifyRFAmpOptionChange(true);  // connect-back still pending
    h.clock().advance(5000ms);
    ASSERT_TRUE(eventually([&] { return h.link().IsClientConnected(); }));
    h.link().NotifyRFAmpOptionChange(true);
    h.link().NotifyRFAmpOptionChange(false);
    // Oneway calls to a collocated servant run in order on this thread.
    EXPECT_TRUE(eventually([&] { return h.client(0).calls().size() == 3; }));
    EXPECT_EQ(h.client(0).calls(), (std::vector<std::string>{"Connect Brakton", "PA 1", "PA 0"}));
    std::ostringstream err;
    EXPECT_TRUE(h.link().Shutdown(1000ms, err));
}

TEST(ClientLinkAmplifierNotice, FailureIsLoggedAndClearsTheFlag) {
    Harness h;
    ASSERT_TRUE(h.link().StartConnectBackThread());
    h.clock().advance(5000ms);
    ASSERT_TRUE(eventually([&] { return h.link().IsClientConnected(); }));
    ASSERT_TRUE(eventually([&] { return h.sink().lines().size() == 1; }));
    h.deactivate(0);
    EXPECT_NO_THROW(h.link().NotifyRFAmpOptionChange(true));
    EXPECT_FALSE(h.link().IsClientConnected());
    EXPECT_EQ(h.sink().lines(),
              (std::vector<std::string>{"notifier 3", "corba NotifyRFAmpOptionChange"}));
    std::ostringstream err;
    EXPECT_TRUE(h.link().Shutdown(1000ms, err));
}

}  // namespace
