#include "platform/settings_store.h"

#include "platform/main_key_settings.h"
#include "platform/message_service.h"

#include <QFileInfo>

#include <type_traits>

StoreSettings::StoreSettings(const SettingsFileName& file)
    : QSettings(QSettings::IniFormat, QSettings::UserScope, QString::fromLatin1(file.organization),
                QString::fromLatin1(file.application)) {}

bool settingsFileExists(const QSettings& settings) {
    return QFileInfo::exists(settings.fileName());
}

bool settingsFileExists(const SettingsFileName& file) {
    return settingsFileExists(StoreSettings(file));
}

std::string settingsFilePath(const SettingsFileName& file) {
    return StoreSettings(file).fileName().toStdString();
}

namespace {

template <typename T>
SettingStatus repairRead(QSettings& settings, const QString& key, const SettingRead<T>& read,
                         const T& defaultValue, const char* message, T& out) {
    switch (read.status) {
        case SettingStatus::Ok:
            out = read.value;
            break;
        case SettingStatus::Missing:
            if constexpr (std::is_same_v<T, std::string>) {
                writeTextSetting(settings, key, defaultValue);
            } else {
                writeNumberSetting(settings, key, defaultValue);
            }
            out = defaultValue;
            break;
        case SettingStatus::Bad:
            if (message != nullptr) {
                MessageService::showError(message);
            }
            break;
    }
    return read.status;
}

bool oversized(const SettingRectLayout& layout, const SettingRect& rect) {
    // 64-bit, so that no pair of coordinates a caller passes can overflow the difference.
    return static_cast<std::int64_t>(rect.bottom) - rect.top > layout.maxHeight ||
           static_cast<std::int64_t>(rect.right) - rect.left > layout.maxWidth;
}

QString latin1(const char* name) {
    return QString::fromLatin1(name);
}

void enterGroup(QSettings& settings, const std::string& group) {
    if (!group.empty()) {
        settings.beginGroup(QString::fromStdString(group));
    }
}

}  // namespace

QString settingKey(const char* group, const char* name) {
    const QString key = latin1(name);
    return *group == '\0' ? key : latin1(group) + QLatin1Char('/') + key;
}

SettingRead<std::string> readSetting(const QSettings& settings, const TextSetting& entry) {
    return readTextSetting(settings, settingKey(entry), entry.maxBytes);
}

template <typename T>
SettingRead<T> readSetting(const QSettings& settings, const NumberSetting<T>& entry) {
    return readNumberSetting(settings, settingKey(entry), entry.max);
}

template SettingRead<std::uint8_t> readSetting(const QSettings&, const ByteSetting&);
template SettingRead<std::uint16_t> readSetting(const QSettings&, const WordSetting&);
template SettingRead<std::uint32_t> readSetting(const QSettings&, const DwordSetting&);

void writeSetting(QSettings& settings, const TextSetting& entry, std::string_view text) {
    writeTextSetting(settings, settingKey(entry), text, entry.maxBytes);
}

void writeSettingDefault(QSettings& settings, SettingEntry entry) {
    std::visit(
        [&settings](const auto* value) { writeSetting(settings, *value, value->defaultValue); },
        entry);
}

SettingStatus SettingRepair::repair(QSettings& settings) const {
    return std::visit(
        [&settings](const auto& target) {
            using T = std::remove_reference_t<decltype(*target.out)>;
            return repairRead<T>(settings, settingKey(*target.entry),
                                 readSetting(settings, *target.entry),
                                 T(target.entry->defaultValue), target.message, *target.out);
        },
        m_target);
}

void SettingRepair::takeDefault() const {
    std::visit([](const auto& target) { *target.out = target.entry->defaultValue; }, m_target);
}

void finishSettingsRead(QSettings& settings) {
    settings.sync();
}

bool readOrCreateSettings(const SettingsFileName& file, std::span<const SettingRepair> values,
                          const std::function<void()>& createDefaults) {
    if (!settingsFileExists(file)) {
        createDefaults();
        for (const SettingRepair& value : values) {
            value.takeDefault();
        }
        return true;
    }
    StoreSettings settings(file);
    bool allRead = true;
    for (const SettingRepair& value : values) {
        allRead = value.repair(settings) != SettingStatus::Bad && allRead;
    }
    finishSettingsRead(settings);
    return allRead;
}

void readOperatorInfo(const SettingsFileName& file, std::string& homeDir, std::string& callsign,
                      std::string& name, std::string& qth, std::uint8_t& utcOffset,
                      std::string& logFileName, std::uint8_t& loggingMode,
                      const std::function<void()>& createDefaults) {
    using namespace main_key;
    const SettingRepair values[] = {
        {kHomeDir, "Unable to Read Orvo Home Directory!", homeDir},
        {kCallsign, "Unable to Read Operator Callsign!", callsign},
        {kName, "Unable to Read Operator Name!", name},
        {kQth, "Unable to Read Operator QTH!", qth},
        {kLogFileName, "Unable to Read Software Log filename!", logFileName},
        {kUtcOffset, "Unable to Read Operator Timezone!", utcOffset},
        {kLoggingMode, "Unable to Read Software Logging Mode!", loggingMode},
    };
    readOrCreateSettings(file, values, createDefaults);
}

bool writeOperatorInfo(const SettingsFileName& file, const std::string& homeDir,
                       const std::string& callsign, const std::string& name, const std::string& qth,
                       std::uint8_t utcOffset, const std::string& logFileName,
                       std::uint8_t loggingMode) {
    using namespace main_key;
    StoreSettings settings(file);
    writeSetting(settings, kHomeDir, homeDir);
    writeSetting(settings, kCallsign, callsign);
    writeSetting(settings, kName, name);
    writeSetting(settings, kQth, qth);
    writeSetting(settings, kUtcOffset, utcOffset);
    writeSetting(settings, kLogFileName, logFileName);
    writeSetting(settings, kLoggingMode, loggingMode);
    return syncSettings(settings);
}

template <typename T>
T readOrResetSetting(const SettingsFileName& file, const NumberSetting<T>& entry) {
    {
        const StoreSettings settings(file);
        if (const SettingRead<T> read = readSetting(settings, entry); read.ok()) {
            return read.value;
        }
    }
    writeSettingNow(file, entry, entry.defaultValue);
    return entry.defaultValue;
}

template std::uint8_t readOrResetSetting(const SettingsFileName&, const ByteSetting&);
template std::uint32_t readOrResetSetting(const SettingsFileName&, const DwordSetting&);

bool writeSettingNow(const SettingsFileName& file, const TextSetting& entry,
                     std::string_view text) {
    return writeTextSettingNow(file, entry.group, entry.name, text, entry.maxBytes);
}

bool SettingsFileWriters::WriteString(const std::string& group, const std::string& name,
                                      const std::string& text) {
    const std::size_t maxBytes =
        group == m_groupLimit.group ? m_groupLimit.maxBytes : kMaxSettingTextBytes;
    return writeTextSettingNow(m_file, group, name, text, maxBytes);
}

bool SettingsFileWriters::WriteDword(const std::string& group, const std::string& name,
                                     std::uint32_t value) {
    return writeNumberSettingNow(m_file, group, name, value);
}

bool SettingsFileWriters::WriteByte(const std::string& group, const std::string& name,
                                    std::uint8_t value) {
    return WriteDword(group, name, value);
}

bool writeTextSettingNow(const SettingsFileName& file, const std::string& group,
                         const std::string& name, std::string_view text, std::size_t maxBytes) {
    StoreSettings settings(file);
    return writeTextSettingNow(settings, group, name, text, maxBytes);
}

bool writeNumberSettingNow(const SettingsFileName& file, const std::string& group,
                           const std::string& name, std::uint32_t value) {
    StoreSettings settings(file);
    return writeNumberSettingNow(settings, group, name, value);
}

bool writeTextSettingNow(QSettings& settings, const std::string& group, const std::string& name,
                         std::string_view text, std::size_t maxBytes) {
    enterGroup(settings, group);
    writeTextSetting(settings, QString::fromStdString(name), text, maxBytes);
    return syncSettings(settings);
}

bool writeNumberSettingNow(QSettings& settings, const std::string& group, const std::string& name,
                           std::uint32_t value) {
    enterGroup(settings, group);
    writeNumberSetting(settings, QString::fromStdString(name), value);
    return syncSettings(settings);
}

bool readSettingRect(QSettings& settings, const SettingRectLayout& layout, int& left, int& top,
                     int& right, int& bottom) {
    const QString group = latin1(layout.group);
    SettingRect rect = layout.fallback;
    bool bottomRightRead = true;
    if (settingGroupExists(settings, group)) {
        settings.beginGroup(group);
        const SettingRead<std::uint32_t> topLeft =
            readDwordSetting(settings, latin1(layout.topLeft));
        const SettingRead<std::uint32_t> bottomRight =
            readDwordSetting(settings, latin1(layout.bottomRight));
        settings.endGroup();

        const std::uint32_t tl = topLeft.ok() ? topLeft.value : 0;
        const std::uint32_t br = bottomRight.ok() ? bottomRight.value : 0;
        rect = {settingCornerX(tl), settingCornerY(tl), settingCornerX(br), settingCornerY(br)};
        if (oversized(layout, rect)) {
            rect = layout.fallback;
        }
        bottomRightRead = bottomRight.ok();
    }
    left = rect.left;
    top = rect.top;
    right = rect.right;
    bottom = rect.bottom;
    return bottomRightRead;
}

void writeSettingRect(QSettings& settings, const SettingRectLayout& layout, SettingRect rect) {
    if (oversized(layout, rect)) {
        rect = layout.fallback;
    }
    settings.beginGroup(latin1(layout.group));
    writeNumberSetting(settings, latin1(layout.topLeft), packSettingCorner(rect.left, rect.top));
    writeNumberSetting(settings, latin1(layout.bottomRight),
                       packSettingCorner(rect.right, rect.bottom));
    settings.endGroup();
}

bool readSettingRect(const SettingsFileName& file, const SettingRectLayout& layout, int& left,
                     int& top, int& right, int& bottom) {
    StoreSettings settings(file);
    return readSettingRect(settings, layout, left, top, right, bottom);
}

bool writeSettingRectNow(const SettingsFileName& file, const SettingRectLayout& layout,
                         SettingRect rect) {
    StoreSettings settings(file);
    writeSettingRect(settings, layout, rect);
    return syncSettings(settings);
}

bool createSettingRect(const SettingsFileName& file, const SettingRectLayout& layout,
                       const char* message) {
    if (!writeSettingRectNow(file, layout, layout.fallback)) {
        MessageService::showError(message);
        return false;
    }
    return true;
}
