#pragma once

#include <QSettings>
#include <QString>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/program_settings.h"

// Pelorin's settings file in a fresh folder per test, and a message log in place of boxes
// (SettingsSandbox). Values are read and changed through QSettings itself (program_settings.h).

inline QSettings pelorinSettings() {
    return programSettings(QStringLiteral("Pelorin"));
}

// Every value in the file, "Group/Name" -> text (a comma list joined with ", ").
inline SettingValues pelorinFileValues() {
    return programFileValues(QStringLiteral("Pelorin"));
}

inline void setPelorinValue(const std::string& key, const std::string& value) {
    setProgramValue(QStringLiteral("Pelorin"), QString::fromStdString(key),
                    QString::fromStdString(value));
}

inline void removePelorinValue(const std::string& key) {
    removeProgramValue(QStringLiteral("Pelorin"), QString::fromStdString(key));
}

class ClientStoreFixture : public ProgramSettingsFixture {
  protected:
    ClientStoreFixture() : ProgramSettingsFixture("pelorin-store", "Pelorin") {}

    // The file's bytes, read past QSettings and its cache.
    std::string rawIni() const {
        std::ifstream in(iniPath(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // Puts a regular file where the settings folder belongs, so that no write can succeed,
    // even for root.
    void blockSettingsFolder() const {
        std::filesystem::create_directories(m_configDir);
        std::ofstream(m_configDir / "N0CALL Software") << "blocker";
    }
};
