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

// A fresh settings folder and message log for each test. QSettings fixes the user folder at its
// first use, so the folder is set with QSettings::setPath rather than XDG_CONFIG_HOME.
class StoreFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "store-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        m_configDir = m_dir / "config";
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString::fromStdString(m_configDir.string()));
        m_messageLog = m_dir / "messages.log";
        setenv("ORVO_MESSAGE_LOG", m_messageLog.c_str(), 1);
    }

    void TearDown() override {
        unsetenv("ORVO_MESSAGE_LOG");
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }

    std::filesystem::path iniPath() const {
        return m_configDir / "N0CALL Software" / "Rig Control.ini";
    }

    // Writes the settings file by hand; only before the store first reads it in this test.
    void writeIni(const std::string& content) const {
        std::filesystem::create_directories(iniPath().parent_path());
        std::ofstream(iniPath(), std::ios::binary) << content;
    }

    // Messages shown so far, as their recorded lines without the line end.
    std::vector<std::string> messages() const {
        std::vector<std::string> lines;
        std::ifstream in(m_messageLog);
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }

    std::filesystem::path m_dir;
    std::filesystem::path m_configDir;
    std::filesystem::path m_messageLog;
};
