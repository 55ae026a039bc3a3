#pragma once

#include <QSettings>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/settings_sandbox.h"

// Reads and changes values through QSettings itself: a file rewritten behind QSettings with the
// same size and time stamp would be answered from its cache.

// Every value in the file, "Group/Name" -> text (a comma list joined with ", ").
inline std::map<std::string, std::string> settingsFileValues() {
    QSettings file(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("N0CALL Software"),
                   QStringLiteral("Rig Control"));
    std::map<std::string, std::string> values;
    for (const QString& key : file.allKeys()) {
        const QVariant value = file.value(key);
        values[key.toStdString()] = value.typeId() == QMetaType::QStringList
                                        ? value.toStringList().join(", ").toStdString()
                                        : value.toString().toStdString();
    }
    return values;
}

inline void setSettingValue(const QString& key, const QString& value) {
    QSettings file(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("N0CALL Software"),
                   QStringLiteral("Rig Control"));
    file.setValue(key, value);
}

inline void removeSettingValue(const QString& key) {
    QSettings file(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("N0CALL Software"),
                   QStringLiteral("Rig Control"));
    file.remove(key);
}

// A fresh settings folder and message log for each test.
class StoreFixture : public ::testing::Test {
  protected:
    std::filesystem::path iniPath() const {
        return m_configDir / "N0CALL Software" / "Rig Control.ini";
    }

    // Writes the settings file by hand; only before the store first reads it in this test.
    void writeIni(const std::string& content) const {
        std::filesystem::create_directories(iniPath().parent_path());
        std::ofstream(iniPath(), std::ios::binary) << content;
    }

    std::vector<std::string> messages() const { return m_settings.messages(); }

    SettingsSandbox m_settings{"store-test"};
    const std::filesystem::path m_dir = m_settings.dir();
    const std::filesystem::path m_configDir = m_settings.configDir();
};
