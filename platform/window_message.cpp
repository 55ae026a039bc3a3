#include "platform/window_message.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

namespace {

void putLittleEndian(std::string& out, std::uint64_t value) {
    for (int i = 0; i < 8; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

std::uint64_t getLittleEndian(std::string_view in, std::size_t offset) {
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(in[offset + static_cast<std::size_t>(i)]);
    }
    return value;
}

void setError(std::string* error, std::string text) {
    if (error != nullptr) {
        *error = std::move(text);
    }
}

}  // namespace

std::filesystem::path windowMessageDir() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0') {
        return std::filesystem::path(runtime) / "orvo-windows";
    }
    return std::filesystem::path("/tmp") / ("orvo-windows-" + std::to_string(::getuid()));
}

std::optional<std::filesystem::path> ensureWindowMessageDir(std::string* error) {
    const std::filesystem::path dir = windowMessageDir();
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        setError(error, "cannot create " + dir.string() + ": " + std::strerror(errno));
        return std::nullopt;
    }
    // A folder made by someone else (in /tmp anybody can make it first) or opened to others
    // would let them read or fake the messages.
    struct stat info {};
    if (::lstat(dir.c_str(), &info) != 0) {
        setError(error, "cannot inspect " + dir.string() + ": " + std::strerror(errno));
        return std::nullopt;
    }
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::getuid() || (info.st_mode & 0077) != 0) {
        setError(error, dir.string() + " is not a private folder of this user");
        return std::nullopt;
    }
    return dir;
}

std::string windowSocketName(std::string_view title) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string name;
    for (const char c : title) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
            (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_') {
            name.push_back(c);
        } else {
            name.push_back('%');
            name.push_back(kHex[byte >> 4]);
            name.push_back(kHex[byte & 0x0F]);
        }
    }
    // "." and ".." name folders, not sockets.
    if (name.empty() || name == "." || name == "..") {
        name.insert(0, "%");
    }
    return name;
}

std::string encodeWindowMessage(const WindowMessage& message) {
    std::string out;
    out.reserve(kWindowMessageHeader + message.payload.size());
    putLittleEndian(out, message.message);
    putLittleEndian(out, message.wParam);
    putLittleEndian(out, message.lParam);
    out += message.payload;
    return out;
}

std::optional<WindowMessage> decodeWindowMessage(std::string_view datagram) {
    if (datagram.size() < kWindowMessageHeader) {
        return std::nullopt;
    }
    WindowMessage message;
    message.message = getLittleEndian(datagram, 0);
    message.wParam = getLittleEndian(datagram, 8);
    message.lParam = getLittleEndian(datagram, 16);
    message.payload.assign(datagram.substr(kWindowMessageHeader));
    return message;
}

bool postToWindow(std::string_view title, std::uint64_t message, std::uint64_t wParam,
                  std::uint64_t lParam, std::string_view payload) {
    if (payload.size() > kMaxWindowPayload) {
        return false;
    }
    const auto dir = ensureWindowMessageDir();
    if (!dir) {
        return false;
    }
    const std::string path = (*dir / windowSocketName(title)).string();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path)) {
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    const std::string datagram =
        encodeWindowMessage(WindowMessage{message, wParam, lParam, std::string(payload)});
    // Never wait for a window that does not read: a full queue drops the message.
    ssize_t sent = -1;
    do {
        sent = ::sendto(fd, datagram.data(), datagram.size(), MSG_DONTWAIT | MSG_NOSIGNAL,
                        reinterpret_cast<const sockaddr*>(&address), sizeof(address));
    } while (sent < 0 && errno == EINTR);
    ::close(fd);
    return sent == static_cast<ssize_t>(datagram.size());
}

}  // namespace platform
