#pragma once

// Messages to a window found by its title, between processes of one user.
//
// Each window that wants messages opens one AF_UNIX datagram socket named after its title in
// the user's window folder: $XDG_RUNTIME_DIR/orvo-windows, or /tmp/orvo-windows-<uid> when
// XDG_RUNTIME_DIR is unset or empty. The folder is created with mode 0700 and refused when it
// belongs to someone else, is a link or is open to others.
//
// One message is one datagram: the message number, wParam and lParam as little-endian 64-bit
// integers, then any payload bytes.
//
//   offset  0        8        16       24
//           |number  |wParam  |lParam  |payload...
//   (0x475, 0, 0) -> 75 04 00 00 00 00 00 00  00 x 8  00 x 8
//
// The sender never waits: with no window of that title, or one whose queue is full, the
// message is dropped and postToWindow returns false. Plain C++; callable from any thread.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

struct WindowMessage {
    std::uint64_t message = 0;
    std::uint64_t wParam = 0;
    std::uint64_t lParam = 0;
    std::string payload;

    bool operator==(const WindowMessage&) const = default;
};

inline constexpr std::size_t kWindowMessageHeader = 24;
inline constexpr std::size_t kMaxWindowPayload = 65536;

// The folder of the window sockets, as it would be used now (nothing is created).
std::filesystem::path windowMessageDir();

// Creates the folder if needed and checks that only this user can reach it. Returns the
// folder, or nothing with `error` set.
std::optional<std::filesystem::path> ensureWindowMessageDir(std::string* error = nullptr);

// The socket file of `title`: letters, digits, '-', '.' and '_' stand as they are; every
// other byte becomes %XX, so "Speak Freely" is "Speak%20Freely".
std::string windowSocketName(std::string_view title);

std::string encodeWindowMessage(const WindowMessage& message);

// Nothing for a datagram shorter than the header.
std::optional<WindowMessage> decodeWindowMessage(std::string_view datagram);

// Sends one message to the window titled `title`. False when there is no such window, its
// queue is full, the payload exceeds kMaxWindowPayload or the folder is unsafe.
bool postToWindow(std::string_view title, std::uint64_t message, std::uint64_t wParam,
                  std::uint64_t lParam, std::string_view payload = {});

}  // namespace platform
