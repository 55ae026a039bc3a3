#pragma once

#include "platform/settings_table.h"
#include "platform/settings_value.h"

#include <QSettings>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

// The generic half of the two programs' settings stores: reads that repair a missing value,
// one-value writers that flush at once, and window rectangles kept as two corners. Each store
// keeps its own value names, defaults, messages and repair rules and passes them in here.
//
// Like the typed values below them, these calls work on the caller's own QSettings object and
// keep no state, so a store may call them from any thread.

// One program's settings file, opened afresh for each store call; QSettings objects are never
// shared between threads.
class StoreSettings : public QSettings {
  public:
    explicit StoreSettings(const SettingsFileName& file);
};

// True once the settings file is on disk; a first run finds none.
bool settingsFileExists(const QSettings& settings);
bool settingsFileExists(const SettingsFileName& file);
std::string settingsFilePath(const SettingsFileName& file);

// --- Reading and writing by table entry ----------------------------------------------------
//
// The entry's group and name make the key, taken from the top level of `settings`.

QString settingKey(const char* group, const char* name);
template <typename Entry>
QString settingKey(const Entry& entry) {
    return settingKey(entry.group, entry.name);
}

SettingRead<std::string> readSetting(const QSettings& settings, const TextSetting& entry);
template <typename T>
SettingRead<T> readSetting(const QSettings& settings, const NumberSetting<T>& entry);

void writeSetting(QSettings& settings, const TextSetting& entry, std::string_view text);
template <typename T>
void writeSetting(QSettings& settings, const NumberSetting<T>& entry, std::uint32_t value) {
    writeNumberSetting(settings, settingKey(entry), value);
}

// Any one entry of a table, for lists of values of different types.
using SettingEntry =
    std::variant<const TextSetting*, const ByteSetting*, const WordSetting*, const DwordSetting*>;
void writeSettingDefault(QSettings& settings, SettingEntry entry);

// One value a reader fills: a missing one is written with its default, an unreadable one shows
// `message` (nothing when null) and leaves `out` as the caller set it.
class SettingRepair {
  public:
    SettingRepair(const TextSetting& entry, const char* message, std::string& out)
        : m_target(Target<std::string>{&entry, message, &out}) {}
    SettingRepair(const ByteSetting& entry, const char* message, std::uint8_t& out)
        : m_target(Target<std::uint8_t>{&entry, message, &out}) {}
    SettingRepair(const DwordSetting& entry, const char* message, std::uint32_t& out)
        : m_target(Target<std::uint32_t>{&entry, message, &out}) {}

    SettingStatus repair(QSettings& settings) const;
    // Fills `out` with the default, without reading: what a first run finds.
    void takeDefault() const;

  private:
    template <typename T>
    struct Target {
        const std::conditional_t<std::is_same_v<T, std::string>, TextSetting, NumberSetting<T>>*
            entry;
        const char* message;
        T* out;
    };
    std::variant<Target<std::string>, Target<std::uint8_t>, Target<std::uint32_t>> m_target;
};

// Repairs each value in turn, so that their messages come in the list's order.
template <std::size_t N>
void repairSettings(QSettings& settings, const SettingRepair (&values)[N]) {
    for (const SettingRepair& value : values) {
        value.repair(settings);
    }
}
template <std::size_t N>
void takeSettingDefaults(const SettingRepair (&values)[N]) {
    for (const SettingRepair& value : values) {
        value.takeDefault();
    }
}

// Reads one value of the current group. A stored value goes to `out`; a missing one is written
// with its default, which goes to `out`; an unreadable one shows `message` as an error (nothing
// when it is null) and leaves `out` as the caller set it. Returns what the read found.
SettingStatus repairTextSetting(QSettings& settings, const QString& key, const char* defaultValue,
                                const char* message, std::string& out);
SettingStatus repairByteSetting(QSettings& settings, const QString& key, std::uint8_t defaultValue,
                                const char* message, std::uint8_t& out);
SettingStatus repairDwordSetting(QSettings& settings, const QString& key,
                                 std::uint32_t defaultValue, const char* message,
                                 std::uint32_t& out);

// Flushes the defaults the repairs wrote. Best effort: the reader has its values either way.
void finishSettingsRead(QSettings& settings);

// Write one value and flush the file; `group` empty is the top level. False when the file
// could not be written. The first two open the file themselves.
bool writeTextSettingNow(const SettingsFileName& file, const std::string& group,
                         const std::string& name, std::string_view text,
                         std::size_t maxBytes = kMaxSettingTextBytes);
bool writeNumberSettingNow(const SettingsFileName& file, const std::string& group,
                           const std::string& name, std::uint32_t value);
bool writeTextSettingNow(QSettings& settings, const std::string& group, const std::string& name,
                         std::string_view text, std::size_t maxBytes = kMaxSettingTextBytes);
bool writeNumberSettingNow(QSettings& settings, const std::string& group, const std::string& name,
                           std::uint32_t value);

// Reads the rectangle. A missing group reads as the fallback; in a present group a corner that
// cannot be read counts as (0, 0). False when the bottom-right corner could not be read.
bool readSettingRect(QSettings& settings, const SettingRectLayout& layout, int& left, int& top,
                     int& right, int& bottom);
// Writes both corners into the layout's group; a rectangle too large is written as the fallback.
// The caller flushes.
void writeSettingRect(QSettings& settings, const SettingRectLayout& layout, SettingRect rect);
// The same on a file of its own, flushed; false when the file could not be written.
bool readSettingRect(const SettingsFileName& file, const SettingRectLayout& layout, int& left,
                     int& top, int& right, int& bottom);
bool writeSettingRectNow(const SettingsFileName& file, const SettingRectLayout& layout,
                         SettingRect rect);
