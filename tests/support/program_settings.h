#pragma once

// One program's settings file in a test's own SettingsSandbox, for the tests
// of its store and sheets: the file's path, a file written by hand, and its
// values read and changed through QSettings itself. A file rewritten behind
// QSettings with the same size and time stamp would be answered from its
// cache, so a test that changes a value while a store runs goes through here.
//
//   class StoreTest : public ProgramSettingsFixture {
//     protected:
//       StoreTest() : ProgramSettingsFixture("store-test", "Rig Control") {}
//       CServerRegistryStore m_store;             // after the sandbox
//   };

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/settings_sandbox.h"

// `program`'s settings under the sandbox's user folder.
inline QSettings programSettings(const QString& program) {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("N0CALL Software"),
                     program);
}

using SettingValues = std::map<std::string, std::string>;

// Every value in `program`'s file, "Group/Name" -> text (a comma list joined
// with ", ").
inline SettingValues programFileValues(const QString& program) {
    const QSettings file = programSettings(program);
    SettingValues values;
    for (const QString& key : file.allKeys()) {
        const QVariant value = file.value(key);
        values[key.toStdString()] = value.typeId() == QMetaType::QStringList
                                        ? value.toStringList().join(", ").toStdString()
                                        : value.toString().toStdString();
    }
    return values;
}

inline void setProgramValue(const QString& program, const QString& key, const QString& value) {
    QSettings file = programSettings(program);
    file.setValue(key, value);
}

inline void removeProgramValue(const QString& program, const QString& key) {
    QSettings file = programSettings(program);
    file.remove(key);
}

// A fresh settings folder and message log for each test, and the path of
// `program`'s file in it.
class ProgramSettingsFixture : public ::testing::Test {
  protected:
    ProgramSettingsFixture(std::string_view sandboxPrefix, std::string_view program)
        : m_settings(sandboxPrefix), m_program(program) {}

    std::filesystem::path iniPath() const {
        return m_configDir / "N0CALL Software" / (m_program + ".ini");
    }

    // Writes the settings file by hand; only before the store first reads it in this test.
    void writeIni(const std::string& content) const {
        std::filesystem::create_directories(iniPath().parent_path());
        std::ofstream(iniPath(), std::ios::binary) << content;
    }

    std::vector<std::string> messages() const { return m_settings.messages(); }

    SettingsSandbox m_settings;
    const std::filesystem::path m_dir = m_settings.dir();
    const std::filesystem::path m_configDir = m_settings.configDir();

  private:
    const std::string m_program;
};
