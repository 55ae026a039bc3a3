#pragma once

// What the radio link needs of the program around it. The server fills these
// in (log window, callback holder, "client connected?" flag); the tests fill
// them with fakes. Every implementation is called from the radio tasks'
// threads as well as from the caller's, so it must be thread-safe.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

// Notifier modes: where the reply and CW tasks report.
inline constexpr int NOTIFIER_NONE = 0;
inline constexpr int NOTIFIER_THREAD_MSG = 2;
inline constexpr int NOTIFIER_CORBA = 3;

// Log record modes and levels of LogSink::LogMessage.
inline constexpr int kLogTimeStamped = 0;
inline constexpr int kLogPlain = 1;
inline constexpr int kLogError = 1;
inline constexpr int kLogInformation = 2;

// Bits of the "SW Logging Mode" byte that the radio link looks at.
inline constexpr unsigned kLogReplies = 0x01;
inline constexpr unsigned kLogCommands = 0x02;

// The server's activity log. mode 0 asks for a time stamp, 1 for none;
// level 1 is an error, 2 information.
class LogSink {
  public:
    virtual ~LogSink() = default;
    virtual void LogMessage(int mode, int level, std::string_view text) = 0;
};

// The connected client's callback object. Each call returns false when it
// failed; the implementation has then logged "CORBA Exception in <op>" or
// "Unknown exception in <op>", and the calling task turns its own
// notification off. Calls must not throw.
class ClientNotifier {
  public:
    virtual ~ClientNotifier() = default;
    virtual bool NotifyCmd(int code, std::string_view reply) = 0;
    virtual bool NotifyTextMessageSent(int length, std::string_view text) = 0;
    virtual bool NotifyTextMessageEmpty() = 0;
};

// Whether a client is connected (the application's flag).
class ClientConnection {
  public:
    virtual ~ClientConnection() = default;
    virtual bool IsClientConnected() const = 0;
};

// Receiver of radio replies: the COM-port diagnostic dialog, and the mode-2
// target. Called on the reply task's thread.
class ReplySink {
  public:
    virtual ~ReplySink() = default;
    virtual void OnRadioReply(int code, const std::string& text) = 0;
    // How the reply task hands a reply to the diagnostic sink: with the port
    // generation (CK2RadioPort::PortGeneration) it was read under, so that
    // the dialog can tell a reply of the port now open from an older one.
    virtual void OnPortReply(int code, const std::string& text, std::uint64_t generation) {
        (void)generation;
        OnRadioReply(code, text);
    }
};

// Keyboard-CW progress as the in-process target of notifier mode 2 receives it.
inline constexpr int TXTMESG_SENT = 5;
inline constexpr int TXTMESG_EMPTY = 8;

// The target of notifier mode 2: replies from the reply task, and CW progress
// from the CW task: (TXTMESG_SENT, chunk), (TXTMESG_SENT, "") for a progress
// report, or (TXTMESG_EMPTY, "").
class NotifierTarget : public ReplySink {
  public:
    virtual void OnTextMessageSent(int what, const std::string& chunk) = 0;
};

// Every fixed pause of the radio link goes through here, so tests can record
// the pauses instead of waiting them out.
class Sleeper {
  public:
    virtual ~Sleeper() = default;
    virtual void Sleep(std::chrono::milliseconds pause) = 0;
    virtual std::chrono::steady_clock::time_point Now() const = 0;
};

// The real thing: this_thread::sleep_for and the steady clock.
class SystemSleeper final : public Sleeper {
  public:
    void Sleep(std::chrono::milliseconds pause) override;
    std::chrono::steady_clock::time_point Now() const override;
};
