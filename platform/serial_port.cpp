#include "platform/serial_port.h"

#include "platform/serial_line.h"

#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace platform {
namespace {

std::string envValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

std::filesystem::path homeDir() {
    std::string home = envValue("HOME");
    if (!home.empty()) {
        return home;
    }
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr) {
        return found->pw_dir;
    }
    return "/";
}

SerialResult result(SerialStatus status, std::size_t count = 0, int error = 0) {
    return SerialResult{status, count, error};
}

}  // namespace

std::string_view toString(SerialStatus status) {
    switch (status) {
        case SerialStatus::Ok:
            return "ok";
        case SerialStatus::Refused:
            return "refused";
        case SerialStatus::Busy:
            return "busy";
        case SerialStatus::OpenFailed:
            return "open failed";
        case SerialStatus::SetupFailed:
            return "setup failed";
        case SerialStatus::NotOpen:
            return "not open";
        case SerialStatus::TimedOut:
            return "timed out";
        case SerialStatus::HangUp:
            return "hang-up";
        case SerialStatus::IoError:
            return "I/O error";
    }
    return "unknown";
}

std::filesystem::path defaultSerialDir() {
    std::string dir = envValue("RIGCONTROL_SERIAL_DIR");
    if (!dir.empty()) {
        return dir;
    }
    std::string config = envValue("XDG_CONFIG_HOME");
    std::filesystem::path base =
        config.empty() ? homeDir() / ".config" : std::filesystem::path(config);
    return base / "N0CALL Software" / "serial";
}

std::optional<std::filesystem::path> resolveSerialPort(unsigned n,
                                                       const std::filesystem::path& dir) {
    if (n == 0) {
        return std::nullopt;
    }
    const std::filesystem::path entry = dir / ("com" + std::to_string(n));
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(entry, ec);
    if (!ec && std::filesystem::exists(status)) {
        if (std::filesystem::is_symlink(status)) {
            // Name the device itself, so logs show what was opened. A
            // relative target counts from the link's own folder.
            std::filesystem::path target = std::filesystem::read_symlink(entry, ec);
            if (!ec) {
                return target.is_absolute() ? target : dir / target;
            }
        }
        return entry;
    }
    return std::filesystem::path("/dev/ttyS" + std::to_string(n - 1));
}

SerialPort::SerialPort(std::filesystem::path serialDir) : m_serialDir(std::move(serialDir)) {}

SerialPort::~SerialPort() {
    close();
}

SerialResult SerialPort::open(unsigned n, const SerialSettings& settings) {
    close();
    m_device.clear();

    const auto device = resolveSerialPort(n, m_serialDir);
    if (!device) {
        return result(SerialStatus::Refused, 0, EINVAL);
    }
    m_device = *device;

    // Settings termios cannot express are refused before the device is
    // touched.
    termios wanted{};
    if (!makeRawLine(wanted, settings)) {
        return result(SerialStatus::SetupFailed, 0, EINVAL);
    }

    int fd = -1;
    do {
        fd = ::open(m_device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int error = errno;
        return result(error == EBUSY ? SerialStatus::Busy : SerialStatus::OpenFailed, 0, error);
    }
    if (::isatty(fd) == 0) {
        ::close(fd);
        return result(SerialStatus::OpenFailed, 0, ENOTTY);
    }

    // The advisory lock comes first: when another holder has the port, this
    // open must not touch the exclusive flag that holder set. Root ignores
    // TIOCEXCL, so the lock is what keeps a second open out in that case.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        return result(error == EWOULDBLOCK ? SerialStatus::Busy : SerialStatus::OpenFailed, 0,
                      error);
    }
    if (::ioctl(fd, TIOCEXCL) != 0) {
        const int error = errno;
        ::close(fd);
        return result(SerialStatus::OpenFailed, 0, error);
    }
    m_fd = fd;

    termios tio{};
    if (::tcgetattr(m_fd, &tio) != 0) {
        const int error = errno;
        close();
        return result(SerialStatus::SetupFailed, 0, error);
    }
    if (!makeRawLine(tio, settings)) {
        close();
        return result(SerialStatus::SetupFailed, 0, EINVAL);
    }
    if (::tcsetattr(m_fd, TCSANOW, &tio) != 0) {
        const int error = errno;
        close();
        return result(SerialStatus::SetupFailed, 0, error);
    }

    // tcsetattr succeeds when any part of the request took; only reading the
    // line back shows whether all of it did.
    termios back{};
    if (::tcgetattr(m_fd, &back) != 0) {
        const int error = errno;
        close();
        return result(SerialStatus::SetupFailed, 0, error);
    }
    if (!lineMatches(tio, back)) {
        close();
        return result(SerialStatus::SetupFailed, 0, EINVAL);
    }
    return result(SerialStatus::Ok);
}

SerialResult SerialPort::setQueueSizes(std::size_t /*in*/, std::size_t /*out*/) {
    if (m_fd < 0) {
        return result(SerialStatus::NotOpen);
    }
    return result(SerialStatus::Ok);
}

SerialResult SerialPort::purgeInput() {
    if (m_fd < 0) {
        return result(SerialStatus::NotOpen);
    }
    if (::tcflush(m_fd, TCIFLUSH) != 0) {
        const int error = errno;
        return result(error == EIO ? SerialStatus::HangUp : SerialStatus::IoError, 0, error);
    }
    return result(SerialStatus::Ok);
}

SerialResult SerialPort::bytesWaiting() {
    if (m_fd < 0) {
        return result(SerialStatus::NotOpen);
    }
    int waiting = 0;
    if (::ioctl(m_fd, FIONREAD, &waiting) != 0) {
        const int error = errno;
        return result(error == EIO ? SerialStatus::HangUp : SerialStatus::IoError, 0, error);
    }
    return result(SerialStatus::Ok, waiting > 0 ? static_cast<std::size_t>(waiting) : 0);
}

SerialResult SerialPort::outputWaiting() {
    if (m_fd < 0) {
        return result(SerialStatus::NotOpen);
    }
    int queued = 0;
    if (::ioctl(m_fd, TIOCOUTQ, &queued) != 0) {
        const int error = errno;
        return result(error == EIO ? SerialStatus::HangUp : SerialStatus::IoError, 0, error);
    }
    return result(SerialStatus::Ok, queued > 0 ? static_cast<std::size_t>(queued) : 0);
}

SerialResult SerialPort::read(void* buffer, std::size_t max) {
    if (m_fd < 0) {
        return result(SerialStatus::NotOpen);
    }
    if (max == 0) {
        return result(SerialStatus::Ok);
    }
    ssize_t got = -1;
    do {
        got = ::read(m_fd, buffer, max);
    } while (got < 0 && errno == EINTR);
    if (got > 0) {
        return result(SerialStatus::Ok, static_cast<std::size_t>(got));
    }
    if (got < 0) {
        const int error = errno;
        if (error == EAGAIN || error == EWOULDBLOCK) {
            return result(SerialStatus::Ok);
        }
        return result(error == EIO ? SerialStatus::HangUp : SerialStatus::IoError, 0, error);
    }
    // With VMIN and VTIME both 0 an idle line also reads 0 bytes, so only
    // poll can tell end-of-file from nothing waiting.
    pollfd pfd{m_fd, POLLIN, 0};
    int ready = -1;
    do {
        ready = ::poll(&pfd, 1, 0);
    } while (ready < 0 && errno == EINTR);
    if (ready > 0 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        return result(SerialStatus::HangUp);
    }
    return result(SerialStatus::Ok);
}

SerialResult SerialPort::write(const void* bytes, std::size_t size,
                               std::chrono::milliseconds timeout) {
    if (m_fd < 0) {
        return result(SerialStatus::NotOpen);
    }
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + timeout;
    const auto* data = static_cast<const unsigned char*>(bytes);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t put = ::write(m_fd, data + done, size - done);
        if (put > 0) {
            done += static_cast<std::size_t>(put);
            continue;
        }
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            // EIO, as on a read: the other end has gone.
            const int error = errno;
            return result(error == EIO ? SerialStatus::HangUp : SerialStatus::IoError, done, error);
        }
        // The output queue is full: wait until it drains or time runs out.
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return result(SerialStatus::TimedOut, done, ETIMEDOUT);
        }
        pollfd pfd{m_fd, POLLOUT, 0};
        const int wait = static_cast<int>(std::min<long long>(left.count(), INT_MAX));
        const int ready = ::poll(&pfd, 1, wait);
        if (ready < 0 && errno != EINTR) {
            return result(SerialStatus::IoError, done, errno);
        }
        if (ready > 0 && (pfd.revents & POLLOUT) == 0) {
            return result(SerialStatus::IoError, done, EIO);
        }
    }
    return result(SerialStatus::Ok, done);
}

void SerialPort::close() {
    if (m_fd < 0) {
        return;
    }
    // The exclusive flag lives on the terminal, not on this descriptor, and
    // outlasts the close while anyone else keeps the terminal open; clear it
    // so that the port can be opened again.
    ::ioctl(m_fd, TIOCNXCL);
    ::close(m_fd);
    m_fd = -1;
}

void SerialPort::swap(SerialPort& other) noexcept {
    std::swap(m_device, other.m_device);
    std::swap(m_fd, other.m_fd);
}

}  // namespace platform
