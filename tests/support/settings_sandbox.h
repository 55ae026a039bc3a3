#pragma once

// A test's own settings folder and message log. QSettings' user folder moves
// to <folder>/config and every message box is recorded as one line of
// <folder>/messages.log instead of shown (ORVO_MESSAGE_LOG). QSettings fixes
// the user folder at its first use, so the folder is set with
// QSettings::setPath rather than XDG_CONFIG_HOME. Make it before the store
// under test first reads; the folder and the log setting go with it.
//
//   class StoreTest : public ::testing::Test {
//       SettingsSandbox m_settings{"store-test"};   // first member
//       CServerRegistryStore m_store;
//   };

#include <QSettings>
#include <QString>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/temp_dir.h"

class SettingsSandbox {
  public:
    explicit SettingsSandbox(std::string_view prefix) : m_dir(prefix) {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString::fromStdString(configDir().string()));
        ::setenv("ORVO_MESSAGE_LOG", messageLog().c_str(), 1);
    }
    ~SettingsSandbox() { ::unsetenv("ORVO_MESSAGE_LOG"); }
    SettingsSandbox(const SettingsSandbox&) = delete;
    SettingsSandbox& operator=(const SettingsSandbox&) = delete;

    const std::filesystem::path& dir() const { return m_dir.path(); }
    std::filesystem::path configDir() const { return dir() / "config"; }
    std::filesystem::path messageLog() const { return dir() / "messages.log"; }

    // The message boxes so far, one recorded line each without the line end:
    // "kind<TAB>text[<TAB>answer]".
    std::vector<std::string> messages() const {
        std::vector<std::string> lines;
        std::ifstream in(messageLog());
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }

  private:
    TempDir m_dir;
};
