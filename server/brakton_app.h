#pragma once

// CBraktonApp: the server program around its windows.
//
// main() builds one, after the QApplication and before the radio object, and
// destroys it last. It owns the client link (the connected client's callback
// reference, the "client connected?" flag, the connect-back threads), the ORB
// and the ORB thread that serves RadioComm, and the "port opened" flag; it
// opens the radio port, starts the audio program and posts the "Speak Freely"
// notice. Shut-down runs in this order, each wait bounded (a late thread is
// named on the error stream):
//
//   1. StopConnectBacks     refuse new connect-backs; cancel and join the rest
//   2. StopCallbacks        the radio link's notifier off
//   3. StopServing          ORB shut down, waiting for the running upcall
//   4. CloseRadio           polling and CW stopped, "AI0;", port closed
//   5. DestroyOrb           the ORB thread joined, the ORB destroyed
//   (6. the logger and 7. the objects belong to main())
//
// Threads: start-up and shut-down run on the main thread; the ServantHost
// calls come on the ORB thread; IsClientConnected from any thread.

#include <omniORB4/CORBA.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "idl/orb_thread.h"
#include "radiolink/k2_radio_port.h"
#include "radiolink/radio_services.h"
#include "server/client_link.h"
#include "server/radio_comm_servant.h"
#include "server/radio_commands.h"
#include "server/radio_link_services.h"
#include "server/server_registry_store.h"

inline constexpr const char* kSpeakFreelyTitle = "Speak Freely";
// Message number 0x475, posted to the audio host's window at start-up.
inline constexpr std::uint64_t kSpeakFreelyMessage = 0x475;
inline constexpr const char* kOpenPortError = "Error occurred in Opening Radio Port?";

// The bound of each shut-down wait.
inline constexpr std::chrono::milliseconds kJoinBound{3000};

class CBraktonApp final : public ServantHost, public ClientConnection {
  public:
    // `args` is the program's whole argument vector, as main() got it.
    CBraktonApp(brakton::CServerRegistryStore& store, std::vector<std::string> args,
                std::ostream& err);
    ~CBraktonApp() override;
    CBraktonApp(const CBraktonApp&) = delete;
    CBraktonApp& operator=(const CBraktonApp&) = delete;

    // What the radio object is built with: the log, the client's call-backs and this flag.
    RadioPortServices RadioServices();
    void AttachRadio(CK2RadioPort& radio);

    // Start-up steps, in main()'s order.
    void StartAudioProgram();
    // "Comm Port": port 0 opens nothing; a failure shows its message.
    void OpenRadioPort();
    // Initialises the ORB and starts the thread that binds "RadioComm". A
    // failure is reported (error stream and log) and handed to the ORB
    // failure handler with the text of its message box: at once when the ORB
    // cannot be initialised, from the ORB thread when "RadioComm" cannot be
    // made or bound. A server that serves nothing must not stay behind.
    using OrbFailureHandler = std::function<void(const std::string& boxText)>;
    void SetOrbFailureHandler(OrbFailureHandler handler) { m_orbFailed = std::move(handler); }
    void StartOrbThread();
    // "%s" the exception's name, "%s:%d" the naming service's address tried.
    static constexpr const char* kOrbStartFailedBox =
        "Unable to start the ORB: %s (naming service %s:%d). Brakton serves no client and exits.";
    static constexpr const char* kOrbBindFailedBox =
        "Unable to serve RadioComm: %s (naming service %s:%d). Brakton serves no client and "
        "exits.";

    // Shut-down steps 1 to 5 (see above). Each runs once.
    void StopConnectBacks();
    void StopCallbacks();
    void StopServing();
    void CloseRadio();
    void DestroyOrb();

    bool IsPortOpened() const { return m_bPortOpened.load(); }
    bool IsClientConnected() const override { return m_link.IsClientConnected(); }
    ClientLink& Link() { return m_link; }

    // ServantHost, on the ORB thread.
    bool StartConnectBackThread(const std::string& clientName) override;
    bool ConnectBackGaveUp() const override { return m_link.ConnectBackGaveUp(); }
    void OnClientDisconnect() override;
    void PostSpeakFreelyNotice() override;

  private:
    // "CORBA exception raised!" and the name on the error stream, and an error in the log.
    void ReportFailure(const char* where, bool corbaException, const std::string& name);
    // `box` filled in, on the error stream and to the ORB failure handler.
    void ReportOrbFailure(const char* box, const std::string& name);
    RadioCmdNotification_var LookUpClient();

    brakton::CServerRegistryStore& m_store;
    std::vector<std::string> m_args;
    std::ostream& m_err;

    ServerLogSink m_logSink;
    ServerCallFailureSink m_callFailures;
    ClientLink m_link;

    CK2RadioPort* m_radio = nullptr;
    std::unique_ptr<K2RadioCommands> m_radioCommands;
    std::atomic<bool> m_bPortOpened{false};

    CORBA::ORB_var m_orb;
    // Where the ORB was sent for the naming service ("host:port"); written
    // before the ORB thread starts.
    std::string m_namingAddress;
    OrbThread m_orbThread;
    OrbFailureHandler m_orbFailed;
};
