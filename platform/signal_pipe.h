#pragma once

// SignalPipe: SIGTERM and SIGINT (or other signals) delivered to the program on its GUI thread.
//
// The handlers do nothing but write the signal's number, one byte, to a pipe, which is safe in a
// signal handler. A QSocketNotifier on the pipe's other end calls `onSignal` from the owning
// thread's event loop, once per signal received. A signal that arrives before the event loop
// runs (during start-up) waits in the pipe and is acted on as soon as the loop starts.
//
// One instance per process, created on the GUI thread after the QCoreApplication. The destructor
// puts back the handlers that were there before and closes the pipe.

#include <csignal>
#include <functional>
#include <vector>

#include <QObject>

class QSocketNotifier;

namespace platform {

class SignalPipe : public QObject {
  public:
    using Callback = std::function<void(int signalNumber)>;

    explicit SignalPipe(Callback onSignal,
                        const std::vector<int>& signalNumbers = {SIGTERM, SIGINT},
                        QObject* parent = nullptr);
    ~SignalPipe() override;

    SignalPipe(const SignalPipe&) = delete;
    SignalPipe& operator=(const SignalPipe&) = delete;

    // False when the pipe or a handler could not be set up (or another instance is active).
    bool isInstalled() const { return m_installed; }

    // Whether `signalNumber` is ignored now, as a program started under nohup finds SIGHUP.
    static bool isIgnored(int signalNumber);

  private:
    struct Saved {
        int signalNumber;
        struct sigaction action;
    };

    void readPending();

    Callback m_onSignal;
    int m_readFd = -1;
    int m_writeFd = -1;
    bool m_installed = false;
    std::vector<Saved> m_saved;
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace platform
