#include "platform/signal_pipe.h"

#include <atomic>
#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace platform {

namespace {

// The write end the handlers use; -1 while no SignalPipe is active.
std::atomic<int> g_signalWriteFd{-1};

extern "C" void writeSignalByte(int signalNumber) {
    const int savedErrno = errno;
    const int fd = g_signalWriteFd.load(std::memory_order_relaxed);
    if (fd >= 0) {
        const auto byte = static_cast<unsigned char>(signalNumber);
        // A full pipe already holds enough wake-ups; the byte may then be lost.
        [[maybe_unused]] const ssize_t ignored = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

}  // namespace

SignalPipe::SignalPipe(Callback onSignal, const std::vector<int>& signalNumbers, QObject* parent)
    : QObject(parent), m_onSignal(std::move(onSignal)) {
    int fds[2] = {-1, -1};
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    int expected = -1;
    if (!g_signalWriteFd.compare_exchange_strong(expected, fds[1])) {
        ::close(fds[0]);
        ::close(fds[1]);
        return;
    }
    m_readFd = fds[0];
    m_writeFd = fds[1];
    m_notifier = new QSocketNotifier(static_cast<qintptr>(m_readFd), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { readPending(); });

    m_installed = true;
    for (const int signalNumber : signalNumbers) {
        struct sigaction action {};
        action.sa_handler = writeSignalByte;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        Saved saved{signalNumber, {}};
        if (::sigaction(signalNumber, &action, &saved.action) != 0) {
            m_installed = false;
            continue;
        }
        m_saved.push_back(saved);
    }
}

SignalPipe::~SignalPipe() {
    for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
        ::sigaction(it->signalNumber, &it->action, nullptr);
    }
    if (m_writeFd >= 0) {
        g_signalWriteFd.store(-1);
        delete m_notifier;
        ::close(m_writeFd);
        ::close(m_readFd);
    }
}

bool SignalPipe::isIgnored(int signalNumber) {
    struct sigaction current {};
    return ::sigaction(signalNumber, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

void SignalPipe::readPending() {
    unsigned char bytes[64];
    for (;;) {
        const ssize_t got = ::read(m_readFd, bytes, sizeof(bytes));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return;
        }
        for (ssize_t i = 0; i < got; ++i) {
            if (m_onSignal) {
                m_onSignal(bytes[i]);
            }
        }
    }
}

}  // namespace platform
