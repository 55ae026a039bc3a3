#pragma once

// Test helpers: the server's end of the simulator's line opened as a raw file
// descriptor, and the shared temporary folder.

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>

#include "tests/support/temp_dir.h"

namespace sim::testing {

using namespace std::chrono_literals;

// What the server may set on a pseudo-terminal: Linux keeps 8 data bits and
// no parity there whatever is asked.
struct Line {
    speed_t speed = B4800;
    bool twoStopBits = false;
};

// The server's side of the line, non-blocking and raw.
class SlavePort {
  public:
    explicit SlavePort(const std::filesystem::path& device, Line line = {}) {
        m_fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (m_fd < 0) {
            throw std::runtime_error("cannot open " + device.string());
        }
        setLine(line);
    }
    ~SlavePort() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    SlavePort(const SlavePort&) = delete;
    SlavePort& operator=(const SlavePort&) = delete;

    int fd() const { return m_fd; }

    void setLine(Line line) {
        termios t{};
        ::tcgetattr(m_fd, &t);
        ::cfmakeraw(&t);
        ::cfsetispeed(&t, line.speed);
        ::cfsetospeed(&t, line.speed);
        t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
        t.c_cflag |= CS8 | CLOCAL | CREAD;
        if (line.twoStopBits) {
            t.c_cflag |= CSTOPB;
        }
        if (::tcsetattr(m_fd, TCSANOW, &t) != 0) {
            throw std::runtime_error("tcsetattr failed");
        }
    }

    void write(std::string_view bytes) {
        std::size_t done = 0;
        auto deadline = std::chrono::steady_clock::now() + 5s;
        while (done < bytes.size()) {
            ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else if (errno != EAGAIN || std::chrono::steady_clock::now() > deadline) {
                throw std::runtime_error("write to the slave failed");
            } else {
                std::this_thread::sleep_for(1ms);
            }
        }
    }

    // Everything that arrives until `suffix` has arrived or `timeout` passed.
    std::string readUntil(std::string_view suffix, std::chrono::milliseconds timeout = 3s) {
        std::string got;
        auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!std::string_view(got).ends_with(suffix)) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || !readSome(got, left)) {
                break;
            }
        }
        return got;
    }

    // Everything that arrives within `period`.
    std::string readFor(std::chrono::milliseconds period) {
        std::string got;
        auto deadline = std::chrono::steady_clock::now() + period;
        for (;;) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                return got;
            }
            if (!readSome(got, left)) {
                std::this_thread::sleep_for(1ms);  // a hung-up line polls ready at once
            }
        }
    }

  private:
    bool readSome(std::string& got, std::chrono::milliseconds wait) {
        pollfd pfd{m_fd, POLLIN, 0};
        if (::poll(&pfd, 1, static_cast<int>(wait.count())) <= 0) {
            return false;
        }
        char buffer[1024];
        ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n <= 0) {
            return false;
        }
        got.append(buffer, static_cast<std::size_t>(n));
        return true;
    }

    int m_fd = -1;
};

}  // namespace sim::testing
