#pragma once

#include "platform/settings_table.h"
#include "platform/settings_value.h"

#include <QSettings>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>

// SettingsReader: reads a program's INI settings and tells, for each value, whether it was
// read, is missing or could not be read. It never writes: a missing value stays missing and
// no default is stored, so a dialog that only looks at the settings leaves the file exactly as
// it was. The settings stores' own readers, which write missing defaults back, stay as they
// are.
//
// A file that exists but cannot be read makes every value unreadable rather than missing.
//
// One reader per caller and thread; it holds its own QSettings object.
class SettingsReader {
  public:
    // The INI file of `organization`/`application` in the user's settings folder.
    SettingsReader(const QString& organization, const QString& application);
    explicit SettingsReader(const SettingsFileName& file);
    ~SettingsReader();

    SettingsReader(const SettingsReader&) = delete;
    SettingsReader& operator=(const SettingsReader&) = delete;

    // `group` empty is the top level.
    SettingRead<std::string> text(const QString& group, const QString& name) const;
    SettingRead<std::uint8_t> byte(const QString& group, const QString& name) const;
    SettingRead<std::uint16_t> word(const QString& group, const QString& name) const;
    SettingRead<std::uint32_t> dword(const QString& group, const QString& name) const;

    // One entry of the program's table, with the entry's limits.
    SettingRead<std::string> read(const TextSetting& entry) const;
    template <typename T>
    SettingRead<T> read(const NumberSetting<T>& entry) const;

    QString fileName() const;

  private:
    QString key(const QString& group, const QString& name) const;
    template <typename T>
    SettingRead<T> unreadable() const;

    std::unique_ptr<QSettings> m_settings;
    bool m_unreadable = false;
};
