#include "platform/windows_path.h"

#include <pwd.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return home;
    }
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) {
        return entry->pw_dir;
    }
    return "/";
}

namespace {

bool hasDrivePrefix(std::string_view text) {
    return text.size() >= 2 && std::isalpha(static_cast<unsigned char>(text[0])) != 0 &&
           text[1] == ':';
}

// Appends `tail` to `base` with exactly one "/" between them; an empty tail adds nothing.
std::string joinOnce(std::string base, std::string_view tail) {
    while (!tail.empty() && tail.front() == '/') {
        tail.remove_prefix(1);
    }
    if (tail.empty()) {
        return base;
    }
    if (base.empty() || base.back() != '/') {
        base += '/';
    }
    base += tail;
    return base;
}

}  // namespace

std::string localPathFromWindows(std::string_view stored) {
    if (stored.empty()) {
        return homeFolder();
    }
    if (hasDrivePrefix(stored)) {
        std::string rest(stored.substr(2));
        for (char& c : rest) {
            if (c == '\\') {
                c = '/';
            }
        }
        return joinOnce(homeFolder(), rest);
    }
    if (stored.front() == '~') {
        return joinOnce(homeFolder(), stored.substr(1));
    }
    return std::string(stored);
}

std::string joinLocalPath(std::string_view storedFolder, std::string_view fileName) {
    std::string folder = localPathFromWindows(storedFolder);
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    return joinOnce(folder, fileName);
}
