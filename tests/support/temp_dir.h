#pragma once

// A fresh folder under the system's temporary directory, named after the
// test's prefix ("<prefix>-XXXXXX") and removed with everything in it when the
// object goes. Throws std::runtime_error when no folder can be made.
//
//   TempDir dir("serial-test");
//   std::ofstream(dir.path() / "file") << "text";

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

class TempDir {
  public:
    explicit TempDir(std::string_view prefix = "rc-test") {
        std::string pattern =
            (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot make a temporary folder " + pattern + ": " +
                                     std::strerror(errno));
        }
        m_path = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }

  private:
    std::filesystem::path m_path;
};
