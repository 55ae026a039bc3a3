#pragma once

#include "platform/settings_value.h"

#include <QSettings>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The generic half of the two programs' settings stores: reads that repair a missing value,
// one-value writers that flush at once, and window rectangles kept as two corners. Each store
// keeps its own value names, defaults, messages and repair rules and passes them in here.
//
// Like the typed values below them, these calls work on the caller's own QSettings object and
// keep no state, so a store may call them from any thread.

// True once the settings file is on disk; a first run finds none.
bool settingsFileExists(const QSettings& settings);

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
// could not be written.
bool writeTextSettingNow(QSettings& settings, const std::string& group, const std::string& name,
                         std::string_view text, std::size_t maxBytes = kMaxSettingTextBytes);
bool writeNumberSettingNow(QSettings& settings, const std::string& group, const std::string& name,
                           std::uint32_t value);

struct SettingRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Where a store keeps one window rectangle and which sizes it accepts. Each corner is one
// 32-bit value (packSettingCorner).
struct SettingRectLayout {
    const char* group;
    const char* topLeft;
    const char* bottomRight;
    SettingRect fallback;  // read for a missing group, and for a rectangle too large
    int maxWidth;          // a rectangle wider or higher than these is too large
    int maxHeight;
};

// Reads the rectangle. A missing group reads as the fallback; in a present group a corner that
// cannot be read counts as (0, 0). False when the bottom-right corner could not be read.
bool readSettingRect(QSettings& settings, const SettingRectLayout& layout, int& left, int& top,
                     int& right, int& bottom);
// Writes both corners into the layout's group; a rectangle too large is written as the fallback.
// The caller flushes.
void writeSettingRect(QSettings& settings, const SettingRectLayout& layout, SettingRect rect);
