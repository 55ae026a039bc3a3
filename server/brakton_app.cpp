#include "server/brakton_app.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <sstream>
#include <utility>

#include "idl/naming.h"
#include "idl/orb_options.h"
#include "platform/message_service.h"
#include "platform/window_message.h"
#include "server/bounded_step.h"
#include "server/message_logger_thread.h"
#include "server/orb_args.h"

CBraktonApp::CBraktonApp(brakton::CServerRegistryStore& store, std::vector<std::string> args,
                         std::ostream& err)
    : m_store(store),
      m_args(std::move(args)),
      m_err(err),
      m_link(ClientLinkServices{
          [this] { return LookUpClient(); },
          [this](int mode) {
              if (m_radio != nullptr) {
                  m_radio->SetNotifierAddress(mode);
              }
          },
          [this](bool corba, const std::string& name) {
              ReportFailure("ConnectBackThreadProc", corba, name);
          },
          [](const std::string& line) { LogMessage(kLogTimeStamped, kLogError, line); },
          &m_callFailures, nullptr, std::chrono::milliseconds(5000),
          std::chrono::milliseconds(2000)}) {}

CBraktonApp::~CBraktonApp() {
    // Normally main() has run every step; these make sure nothing is left
    // running when it could not.
    StopConnectBacks();
    StopServing();
    DestroyOrb();
}

RadioPortServices CBraktonApp::RadioServices() {
    RadioPortServices services;
    services.log = &m_logSink;
    services.notifier = &m_link.notifier();
    services.client = this;
    services.readLoggingMode = [this] { return ReadRadioLoggingMode(m_store); };
    return services;
}

void CBraktonApp::AttachRadio(CK2RadioPort& radio) {
    m_radio = &radio;
    m_radioCommands = std::make_unique<K2RadioCommands>(radio);
}

void CBraktonApp::StartAudioProgram() {
    bool enabled = false;
    std::string command;
    m_store.ReadAudioHost(enabled, command);
    if (enabled && !command.empty()) {
        // The program alone, no arguments; a failure is not the server's concern.
        QProcess::startDetached(QString::fromStdString(command), QStringList());
    }
}

void CBraktonApp::OpenRadioPort() {
    std::uint8_t port = 0;
    std::uint16_t speed = 0;
    std::uint8_t parity = 0;
    std::uint8_t stopBits = 1;
    m_store.ReadCommPort(port, speed, parity, stopBits);
    if (port == 0 || m_radio == nullptr) {
        return;
    }
    if (m_radio->OpenRadioPort(port, speed, 8, parity, stopBits) != K2ERR_NONE) {
        MessageService::showError(kOpenPortError);
        return;
    }
    m_bPortOpened = true;
}

void CBraktonApp::StartOrbThread() {
    std::string host = kDefaultNamingHost;
    std::uint32_t port = kDefaultNamingPort;
    m_store.ReadNameService(host, port);
    const int namingPort = static_cast<int>(port);
    const std::vector<std::string> orbArgs = buildOrbArgs(host, namingPort, m_args);
    m_namingAddress = namingServiceAddress(orbArgs);
    try {
        m_orb = initOrb(OrbRole::Server, host, namingPort, orbArgs);
    } catch (const CORBA::Exception& ex) {
        ReportFailure("ServerOrbThreadProc", true, ex._name());
        ReportOrbFailure(kOrbStartFailedBox, ex._name());
        return;
    } catch (...) {
        ReportFailure("ServerOrbThreadProc", false, "unknown exception");
        ReportOrbFailure(kOrbStartFailedBox, "unknown exception");
        return;
    }
    const bool started = m_orbThread.start(
        m_orb.in(),
        [this](CORBA::ORB_ptr orb, PortableServer::POA_ptr poa) {
            // On the heap and reference-counted: the POA's destruction
            // deactivates it and drops the last reference.
            auto* servant = new CRadioCommServant(poa, *m_radioCommands, m_store, m_logSink, *this);
            RadioComm_var ref = servant->_this();
            servant->_remove_ref();
            rebindName(orb, "RadioComm", ref.in());
        },
        [this](const std::string& name, unsigned long) {
            ReportFailure("ServerOrbThreadProc", name != "unknown exception", name);
            ReportOrbFailure(kOrbBindFailedBox, name);
        });
    if (!started) {
        ReportFailure("ServerOrbThreadProc", false, "thread not started");
        ReportOrbFailure(kOrbStartFailedBox, "thread not started");
    }
}

void CBraktonApp::ReportOrbFailure(const char* box, const std::string& name) {
    std::string text(box);
    text.replace(text.find("%s:%d"), 5, m_namingAddress);
    text.replace(text.find("%s"), 2, name);
    // Where no box can be seen (no display, a service), the error stream tells the same.
    m_err << text << '\n' << std::flush;
    if (m_orbFailed) {
        m_orbFailed(text);
    }
}

void CBraktonApp::ReportFailure(const char* where, bool corbaException, const std::string& name) {
    std::ostringstream line;
    line << "CORBA exception raised! " << name << '\n';
    m_err << line.str() << std::flush;
    if (corbaException) {
        LogCorbaException(where, name);
    } else {
        LogUnknownException(where);
    }
}

RadioCmdNotification_var CBraktonApp::LookUpClient() {
    CORBA::Object_var object = resolveName(m_orb.in(), "RadioCmdNotification");
    if (CORBA::is_nil(object.in())) {
        return RadioCmdNotification::_nil();
    }
    // Narrowing an object of unknown type asks it; the client gets 2 s.
    omniORB::setClientCallTimeout(object.in(), kClientCallTimeoutMs);
    return RadioCmdNotification::_narrow(object.in());
}

// --- On the ORB thread -----------------------------------------------------------------------

bool CBraktonApp::StartConnectBackThread(const std::string& clientName) {
    if (CORBA::is_nil(m_orb.in())) {
        return false;
    }
    return m_link.StartConnectBackThread(clientName);
}

void CBraktonApp::OnClientDisconnect() {
    m_link.OnClientDisconnect();
}

void CBraktonApp::PostSpeakFreelyNotice() {
    // With no such window nothing happens.
    platform::postToWindow(kSpeakFreelyTitle, kSpeakFreelyMessage, 0, 0);
}

// --- Shut-down -------------------------------------------------------------------------------

void CBraktonApp::StopConnectBacks() {
    m_link.Shutdown(kJoinBound, m_err);
}

void CBraktonApp::StopCallbacks() {
    if (m_radio != nullptr) {
        m_radio->SetNotifierAddress(NOTIFIER_NONE);
    }
}

void CBraktonApp::StopServing() {
    if (CORBA::is_nil(m_orb.in())) {
        return;
    }
    runBounded(
        "ORB thread", kJoinBound,
        [this] {
            try {
                // Waits for the running upcall; the ORB thread's run then returns.
                m_orb->shutdown(true);
            } catch (const CORBA::Exception&) {
                // Already shut down.
            }
        },
        m_err);
}

void CBraktonApp::CloseRadio() {
    if (m_radio == nullptr) {
        return;
    }
    runBounded(
        "radio link", kJoinBound,
        [this] {
            m_radio->CloseRadioPort();
            m_bPortOpened = false;
        },
        m_err);
}

void CBraktonApp::DestroyOrb() {
    if (CORBA::is_nil(m_orb.in())) {
        return;
    }
    // No radio thread calls the client any more: the last reference goes
    // while the ORB still lives.
    m_link.ReleaseClient();
    runBounded(
        "ORB thread", kJoinBound, [this] { m_orbThread.stop(); }, m_err);
    try {
        m_orb->destroy();
    } catch (const CORBA::Exception&) {
        // The ORB thread destroyed it already.
    }
    m_orb = CORBA::ORB::_nil();
}
