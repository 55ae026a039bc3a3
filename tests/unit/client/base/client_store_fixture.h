#pragma once

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/settings_sandbox.h"

// Pelorin's settings file in a fresh folder per test, and a message log in place of boxes
// (SettingsSandbox).
//
// Values are read and changed through QSettings itself: a file rewritten behind QSettings with the
// same size and time stamp would be answered from its cache.

inline QSettings pelorinSettings() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("N0CALL Software"),
                     QStringLiteral("Pelorin"));
}

using SettingValues = std::map<std::string, std::string>;

// Every value in the file, "Group/Name" -> text (a comma list joined with ", ").
inline SettingValues pelorinFileValues() {
    const QSettings file = pelorinSettings();
    SettingValues values;
    for (const QString& key : file.allKeys()) {
        const QVariant value = file.value(key);
        values[key.toStdString()] = value.typeId() == QMetaType::QStringList
                                        ? value.toStringList().join(", ").toStdString()
                                        : value.toString().toStdString();
    }
    return values;
}

inline void setPelorinValue(const std::string& key, const std::string& value) {
    QSettings file = pelorinSettings();
    file.setValue(QString::fromStdString(key), QString::fromStdString(value));
}

inline void removePelorinValue(const std::string& key) {
    QSettings file = pelorinSettings();
    file.remove(QString::fromStdString(key));
}

class ClientStoreFixture : public ::testing::Test {
  protected:
    std::filesystem::path iniPath() const {
        return m_configDir / "N0CALL Software" / "Pelorin.ini";
    }

    // Writes the settings file by hand; only before the store first reads it in this test.
    void writeIni(const std::string& content) const {
        std::filesystem::create_directories(iniPath().parent_path());
        std::ofstream(iniPath(), std::ios::binary) << content;
    }

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

    std::vector<std::string> messages() const { return m_settings.messages(); }

    SettingsSandbox m_settings{"pelorin-store"};
    const std::filesystem::path m_dir = m_settings.dir();
    const std::filesystem::path m_configDir = m_settings.configDir();
};
