#pragma once

#include "platform/settings_table.h"
#include "platform/settings_value.h"

#include <QSettings>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

// The generic half of the two programs' settings stores: reads and writes by table entry,
// reads that repair a missing value, one-value writers that flush at once, and window
// rectangles kept as two corners. The names, defaults and limits come from each program's
// table; each store keeps its own messages and repair rules and passes them in here.
//
// Like the typed values below them, these calls work on the caller's own QSettings object (or
// open the file afresh) and keep no state, so a store may call them from any thread.

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
// A reader of main-key values: without a file (a first run) `createDefaults` writes it and
// every value takes its default; otherwise each value is repaired in turn and the defaults the
// repairs wrote are flushed. False when a value could not be read.
bool readOrCreateSettings(const SettingsFileName& file, std::span<const SettingRepair> values,
                          const std::function<void()>& createDefaults);

// The operator's values under the main key (main_key_settings.h), as both programs read them:
// each unreadable value its message and its default, a first run the defaults that
// `createDefaults` writes.
void readOperatorInfo(const SettingsFileName& file, std::string& homeDir, std::string& callsign,
                      std::string& name, std::string& qth, std::uint8_t& utcOffset,
                      std::string& logFileName, std::uint8_t& loggingMode,
                      const std::function<void()>& createDefaults);
// False when the file could not be written.
bool writeOperatorInfo(const SettingsFileName& file, const std::string& homeDir,
                       const std::string& callsign, const std::string& name, const std::string& qth,
                       std::uint8_t utcOffset, const std::string& logFileName,
                       std::uint8_t loggingMode);

// The stored number, or, when it is missing or cannot be read, the default, which is written
// back at once (best effort: the reader has its value either way).
template <typename T>
T readOrResetSetting(const SettingsFileName& file, const NumberSetting<T>& entry);

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

// One entry written and flushed on a file of its own; false when the file could not be written.
bool writeSettingNow(const SettingsFileName& file, const TextSetting& entry, std::string_view text);
template <typename T>
bool writeSettingNow(const SettingsFileName& file, const NumberSetting<T>& entry,
                     std::uint32_t value) {
    return writeNumberSettingNow(file, entry.group, entry.name, value);
}

// The writers by group and name that both programs' stores offer, for a value the caller
// names itself; `group` empty is the main key. Texts are cut at a character boundary to
// kMaxSettingTextBytes, or to the limit of the one group that has its own. False when the
// file could not be written. Holds only constants: callable from any thread.
class SettingsFileWriters {
  public:
    explicit SettingsFileWriters(const SettingsFileName& file,
                                 SettingGroupTextLimit groupLimit = {})
        : m_file(file), m_groupLimit(groupLimit) {}

    bool WriteString(const std::string& group, const std::string& name, const std::string& text);
    bool WriteDword(const std::string& group, const std::string& name, std::uint32_t value);
    bool WriteByte(const std::string& group, const std::string& name, std::uint8_t value);

  private:
    SettingsFileName m_file;
    SettingGroupTextLimit m_groupLimit;
};

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
// Writes the layout's fallback, as a store creates its rectangle's group; shows `message` and
// returns false when the file could not be written.
bool createSettingRect(const SettingsFileName& file, const SettingRectLayout& layout,
                       const char* message);
