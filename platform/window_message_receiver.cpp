#include "platform/window_message_receiver.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace platform {

namespace {

bool fillAddress(const std::string& path, sockaddr_un& address) {
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path)) {
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// True when a socket file at `address` still has a reader behind it.
bool someoneListens(const sockaddr_un& address) {
    const int probe = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (probe < 0) {
        return false;
    }
    const bool alive =
        ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    ::close(probe);
    return alive;
}

}  // namespace

WindowMessageReceiver::WindowMessageReceiver(std::string title, Callback onMessage, QObject* parent)
    : QObject(parent), m_title(std::move(title)), m_onMessage(std::move(onMessage)) {
    open();
}

WindowMessageReceiver::~WindowMessageReceiver() {
    if (m_fd < 0) {
        return;
    }
    delete m_notifier;
    // Remove the file only while it is still ours: a newer receiver may have taken the title.
    struct stat info {};
    if (::lstat(m_path.c_str(), &info) == 0 && info.st_dev == m_device && info.st_ino == m_inode) {
        ::unlink(m_path.c_str());
    }
    ::close(m_fd);
}

void WindowMessageReceiver::open() {
    const auto dir = ensureWindowMessageDir(&m_error);
    if (!dir) {
        return;
    }
    m_path = (*dir / windowSocketName(m_title)).string();
    sockaddr_un address{};
    if (!fillAddress(m_path, address)) {
        m_error = "socket path too long: " + m_path;
        return;
    }
    struct stat existing {};
    if (::lstat(m_path.c_str(), &existing) == 0) {
        if (!S_ISSOCK(existing.st_mode)) {
            m_error = m_path + " exists and is not a socket";
            return;
        }
        if (someoneListens(address)) {
            m_error = "another window already holds the title \"" + m_title + "\"";
            return;
        }
        ::unlink(m_path.c_str());  // left behind by a receiver that has gone
    }

    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        m_error = std::string("socket: ") + std::strerror(errno);
        return;
    }
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        m_error = "bind " + m_path + ": " + std::strerror(errno);
        ::close(fd);
        return;
    }
    struct stat bound {};
    if (::lstat(m_path.c_str(), &bound) == 0) {
        m_device = bound.st_dev;
        m_inode = bound.st_ino;
    }
    m_fd = fd;
    m_notifier = new QSocketNotifier(static_cast<qintptr>(m_fd), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { readPending(); });
}

void WindowMessageReceiver::readPending() {
    std::vector<char> buffer(kWindowMessageHeader + kMaxWindowPayload + 1);
    for (;;) {
        const ssize_t got = ::recv(m_fd, buffer.data(), buffer.size(), MSG_TRUNC);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;  // EAGAIN: nothing more queued
        }
        // MSG_TRUNC reports the real length: an oversized datagram is dropped, not cut.
        if (static_cast<std::size_t>(got) > buffer.size()) {
            continue;
        }
        const auto message =
            decodeWindowMessage(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
        if (message && m_onMessage) {
            m_onMessage(*message);
        }
    }
}

}  // namespace platform
