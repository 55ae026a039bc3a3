#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "idl/call_helpers.h"
#include "idl/notifier_holder.h"
#include "radiolink/radio_services.h"
#include "server/server_registry_store.h"

// What the server hands the radio link: its log, the client callback path and the
// "SW Logging Mode" byte. The radio link itself knows neither Qt nor the ORB.
//
// All of these are called from the radio tasks' threads as well as the ORB and GUI threads;
// they only queue log records or call through a per-call duplicate of the client reference, so
// they take no lock of their own.

// The radio link's log lines (commands sent, replies received) go to the server log.
class ServerLogSink final : public LogSink {
  public:
    void LogMessage(int mode, int level, std::string_view text) override;
};

// A failed client call-back is logged as "CORBA Exception in <operation>" or "Unknown exception
// in <operation>".
class ServerCallFailureSink final : public CallFailureSink {
  public:
    void LogCorbaException(const char* operation) override;
    void LogUnknownException(const char* operation) override;
};

// The connected client's RadioCmdNotification, as the reply and CW tasks call it. Each call
// returns false after a failure, which has then been logged with the operation's name; with no
// client reference held a call fails the same way. `onFailure`, when given, then learns which
// reference failed (nil when none was held), so the application can tell the current client
// from one already replaced.
class ClientCallbackNotifier final : public ClientNotifier {
  public:
    using FailureHook = std::function<void(RadioCmdNotification_ptr failed)>;

    ClientCallbackNotifier(const NotifierHolder& holder, CallFailureSink& failures,
                           FailureHook onFailure = {});

    bool NotifyCmd(int code, std::string_view reply) override;
    bool NotifyTextMessageSent(int length, std::string_view text) override;
    bool NotifyTextMessageEmpty() override;

  private:
    template <class Call>
    bool Notify(const char* operation, Call&& call);

    const NotifierHolder& m_holder;
    CallFailureSink& m_failures;
    FailureHook m_onFailure;
};

// "SW Logging Mode" for the radio object and its reply task, read when they are built; 0 when
// the stored value cannot be read.
std::uint8_t ReadRadioLoggingMode(brakton::CServerRegistryStore& store = brakton::theRegistryStore);
