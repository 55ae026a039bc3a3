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

// Pelorin's settings file in a fresh folder per test, and a message log in place of boxes.
//
// QSettings fixes the user folder at its first use in a process, so the folder is set with
// QSettings::setPath rather than XDG_CONFIG_HOME. Values are read and changed through QSettings
// itself: a file rewritten behind QSettings with the same size and time stamp would be answered
// from its cache.

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
    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "pelorin-store-XXXXXX").string();
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

    // Messages shown so far, as "error<TAB>text" without the line end.
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
