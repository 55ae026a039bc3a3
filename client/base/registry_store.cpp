#include "client/base/registry_store.h"

#include "platform/message_service.h"
#include "platform/settings_store.h"

#include <QSettings>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <limits>

namespace pelorin {

CRegistryStore theRegistryStore;

namespace {

// One settings object per store call; QSettings objects are never shared between threads.
class StoreSettings : public QSettings {
  public:
    StoreSettings()
        : QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("N0CALL Software"),
                    QStringLiteral("Pelorin")) {}
};

constexpr const char* kWindowSizeGroup = "Window Size";
constexpr const char* kMemoryKeysGroup = "Transmit Memory Keys";
constexpr const char* kSettingsGroup = "Settings";

// Main-key defaults.
constexpr const char* kDefaultHomeDir = "C:\\Orvo";
constexpr const char* kDefaultCallsign = "N0CALL";
constexpr const char* kDefaultName = "Nemo";
constexpr const char* kDefaultQth = "Anytown, ST";
constexpr std::uint8_t kDefaultUtcOffset = 0x87;  // -7 hours
constexpr const char* kDefaultLogFileName = "Orvo.Log";
constexpr std::uint8_t kDefaultLoggingMode = 0;
constexpr const char* kDefaultNsHost = "localhost";
constexpr std::uint32_t kDefaultNsPort = 10000;
constexpr std::uint8_t kDefaultUseUtc = 1;
constexpr const char* kDefaultAudioCommand = "SpeakFre.exe";
constexpr std::uint8_t kDefaultAudioEnabled = 0;
constexpr std::uint8_t kDefaultQsoLoggingMode = 0;
constexpr const char* kDefaultCurrentLogFileName = "Orvo.QSO.Log";
constexpr const char* kDefaultGridSquare = "AA00aa";
constexpr const char* kDefaultCqZone = "3";
constexpr const char* kDefaultItuZone = "6";

// "Settings" defaults.
constexpr int kDefaultCounterValue = 1;
constexpr int kDefaultOutputMode = 0;
constexpr int kTuningSpanCount = 4;

// The nine values a first run writes, in the order they are written.
struct RootDefault {
    const char* name;
    const char* text;      // nullptr for a number
    std::uint32_t number;  // used when `text` is nullptr
    const char* failureMessage;
};

constexpr RootDefault kRootDefaults[] = {
    {"HomeDir", kDefaultHomeDir, 0, "Unable to Write Pelorin Home Directory!"},
    {"Callsign", kDefaultCallsign, 0, "Unable to Write Default Callsign Registry!"},
    {"Name", kDefaultName, 0, "Unable to Write Default Name Registry!"},
    {"QTH", kDefaultQth, 0, "Unable to Write Default QTH Registry!"},
    {"Offset from UTC", nullptr, kDefaultUtcOffset,
     "Unable to Write Default UTC Timezon Offset Registry!"},
    {"Log File Name", kDefaultLogFileName, 0,
     "Unable to Write Default Software Log File Registry!"},
    {"SW Logging Mode", nullptr, kDefaultLoggingMode, "Unable to Write Default Log Mode Registry!"},
    {"NS Host", kDefaultNsHost, 0, "Unable to Write Default Name Service Host!"},
    {"NS Port", nullptr, kDefaultNsPort, "Unable to Write Default Name Service Port!"},
};

struct ModeEntry {
    const char* name;
    int value;
};

constexpr ModeEntry kModes[] = {
    {"LSB", 1}, {"USB", 2}, {"CW", 3}, {"RTTY", 6}, {"CWR", 7}, {"RTTYR", 9},
};
constexpr int kModeCount = static_cast<int>(std::size(kModes));

constexpr SettingRect kDefaultRect = {0, 0, 639, 479};
constexpr int kMaxWindowWidth = 1024;
constexpr int kMaxWindowHeight = 768;

constexpr SettingRectLayout kWindowRect = {
    .group = kWindowSizeGroup,
    .topLeft = "Top Left",
    .bottomRight = "Bottom Right",
    .fallback = kDefaultRect,
    .maxWidth = kMaxWindowWidth,
    .maxHeight = kMaxWindowHeight,
};
constexpr SettingRectLayout kOriginalRect = {
    .group = kWindowSizeGroup,
    .topLeft = "Original Top Left",
    .bottomRight = "Original Bottom Right",
    .fallback = kDefaultRect,
    .maxWidth = kMaxWindowWidth,
    .maxHeight = kMaxWindowHeight,
};

QString key(const char* name) {
    return QString::fromLatin1(name);
}

void showError(const char* text) {
    MessageService::showError(text);
}

bool mainKeyExists() {
    return settingsFileExists(StoreSettings());
}

// A flag byte reads as 1 for any non-zero value.
SettingStatus repairFlag(QSettings& settings, const char* name, std::uint8_t defaultValue,
                         const char* message, int& out) {
    std::uint8_t value = 0;
    const SettingStatus status =
        repairByteSetting(settings, key(name), defaultValue, message, value);
    if (status != SettingStatus::Bad) {
        out = value != 0 ? 1 : 0;
    }
    return status;
}

std::uint8_t lowByte(int value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

std::uint8_t flagByte(int value) {
    return value != 0 ? 1 : 0;
}

// An absent counter value is left as the file holds it.
void writeCounterSettings(QSettings& settings, std::optional<int> counterValue, int outputMode) {
    settings.beginGroup(key(kSettingsGroup));
    if (counterValue) {
        writeNumberSetting(settings, key("Counter Value"),
                           static_cast<std::uint32_t>(std::max(*counterValue, 0)));
    }
    writeNumberSetting(settings, key("Output Mode"), lowByte(outputMode));
    settings.endGroup();
}

// "Counter Value" is a whole number 0 to 2147483647; a stored number above that is as
// unreadable as a text.
SettingRead<int> readCounterValue(const QSettings& settings) {
    const SettingRead<std::uint32_t> read = readDwordSetting(settings, key("Counter Value"));
    SettingRead<int> counter;
    counter.status = read.status;
    if (read.ok()) {
        if (read.value > static_cast<std::uint32_t>(std::numeric_limits<int>::max())) {
            counter.status = SettingStatus::Bad;
        } else {
            counter.value = static_cast<int>(read.value);
        }
    }
    return counter;
}

QString memoryKeyName(int index) {
    return QStringLiteral("F%1").arg(index + 1);
}

std::size_t textLimit(const std::string& group) {
    return group == kMemoryKeysGroup ? kMaxMemoryKeyTextBytes : kMaxSettingTextBytes;
}

}  // namespace

std::string CRegistryStore::SettingsFilePath() {
    const StoreSettings settings;
    return settings.fileName().toStdString();
}

bool CRegistryStore::Sync() {
    StoreSettings settings;
    settings.sync();
    return settings.status() != QSettings::AccessError;
}

// --- Mode table -------------------------------------------------------------------------------

int CRegistryStore::ModeValueAt(int index) const {
    if (index < 0 || index >= kModeCount) {
        return -1;
    }
    return kModes[index].value;
}

int CRegistryStore::IndexOfModeValue(int modeValue) const {
    for (int index = 0; index < kModeCount; ++index) {
        if (kModes[index].value == modeValue) {
            return index;
        }
    }
    return -1;
}

int CRegistryStore::ModeValueOfName(const std::string& name) const {
    for (const ModeEntry& mode : kModes) {
        if (name == mode.name) {
            return mode.value;
        }
    }
    return -1;
}

std::string CRegistryStore::ModeNameOfValue(int modeValue) const {
    const int index = IndexOfModeValue(modeValue);
    return index < 0 ? std::string() : std::string(kModes[index].name);
}

// --- Text slots -------------------------------------------------------------------------------

bool CRegistryStore::SetStringSlot(int slot, const std::string& text) {
    if (slot < 1 || slot > kStringSlotCount) {
        return false;
    }
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_stringSlots[static_cast<std::size_t>(slot - 1)] = text;
    return true;
}

bool CRegistryStore::GetStringSlot(int slot, std::string& text) const {
    if (slot < 1 || slot > kStringSlotCount) {
        return false;
    }
    const std::lock_guard<std::mutex> lock(m_mutex);
    text = m_stringSlots[static_cast<std::size_t>(slot - 1)];
    return true;
}

// --- Tuning ranges ----------------------------------------------------------------------------

bool CRegistryStore::SetTuningRanges(const TuningRangeTable& ranges) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_tuningRanges = ranges;
    m_bTuningRangesNotLoaded = false;
    return true;
}

bool CRegistryStore::FindTuningRange(std::uint32_t frequency, TUNING_RANGE_ENTRY& range) const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_bTuningRangesNotLoaded) {
        return false;
    }
    for (const TUNING_RANGE_ENTRY& entry : m_tuningRanges) {
        if (entry.low <= frequency && frequency <= entry.high) {
            range = entry;
            return true;
        }
    }
    return false;
}

std::string CRegistryStore::GetTuningRangeName(int index) const {
    if (index < 0 || index >= kTuningRangeCount) {
        return {};
    }
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_bTuningRangesNotLoaded) {
        return {};
    }
    return m_tuningRanges[static_cast<std::size_t>(index)].name;
}

int CRegistryStore::IndexOfTuningRangeName(const std::string& name) const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_bTuningRangesNotLoaded) {
        return -1;
    }
    for (int index = 0; index < kTuningRangeCount; ++index) {
        if (m_tuningRanges[static_cast<std::size_t>(index)].name == name) {
            return index;
        }
    }
    return -1;
}

// --- Building blocks --------------------------------------------------------------------------

void CRegistryStore::CreateDefaults() {
    StoreSettings settings;
    const bool fileExisted = settingsFileExists(settings);
    for (const RootDefault& value : kRootDefaults) {
        if (value.text != nullptr) {
            writeTextSetting(settings, key(value.name), value.text);
        } else {
            writeNumberSetting(settings, key(value.name), value.number);
        }
    }
    writeSettingRect(settings, kWindowRect, kDefaultRect);
    if (syncSettings(settings)) {
        return;
    }
    // A file that cannot be created fails as a whole: one message, not ten.
    if (!fileExisted) {
        showError("Unable to Create Main Pelorin Registry!");
        return;
    }
    for (const RootDefault& value : kRootDefaults) {
        showError(value.failureMessage);
    }
    showError("Unable to Create Brakton WINSIZE Registry!");
}

bool CRegistryStore::CreateWindowSizeKey() {
    if (!WriteWindowRect(kDefaultRect.left, kDefaultRect.top, kDefaultRect.right,
                         kDefaultRect.bottom)) {
        showError("Unable to Create Brakton WINSIZE Registry!");
        return false;
    }
    return true;
}

bool CRegistryStore::WriteString(const std::string& group, const std::string& name,
                                 const std::string& text) {
    StoreSettings settings;
    return writeTextSettingNow(settings, group, name, text, textLimit(group));
}

bool CRegistryStore::WriteDword(const std::string& group, const std::string& name,
                                std::uint32_t value) {
    StoreSettings settings;
    return writeNumberSettingNow(settings, group, name, value);
}

bool CRegistryStore::WriteByte(const std::string& group, const std::string& name,
                               std::uint8_t value) {
    return WriteDword(group, name, value);
}

// --- Main key ---------------------------------------------------------------------------------

bool CRegistryStore::ReadHomeDir(std::string& homeDir) {
    if (!mainKeyExists()) {
        CreateDefaults();
        homeDir = kDefaultHomeDir;
        return true;
    }
    StoreSettings settings;
    const SettingStatus status =
        repairTextSetting(settings, key("HomeDir"), kDefaultHomeDir,
                          "Unable to Read Pelorin Home Directory!", homeDir);
    finishSettingsRead(settings);
    return status != SettingStatus::Bad;
}

std::string CRegistryStore::StoredHomeDir() const {
    const StoreSettings settings;
    const auto read = readTextSetting(settings, key("HomeDir"));
    return read.ok() ? read.value : std::string(kDefaultHomeDir);
}

bool CRegistryStore::ReadOperatorInfo(std::string& homeDir, std::string& callsign,
                                      std::string& name, std::string& qth, std::uint8_t& utcOffset,
                                      std::string& logFileName, std::uint8_t& loggingMode) {
    if (!mainKeyExists()) {
        CreateDefaults();
        homeDir = kDefaultHomeDir;
        callsign = kDefaultCallsign;
        name = kDefaultName;
        qth = kDefaultQth;
        utcOffset = kDefaultUtcOffset;
        logFileName = kDefaultLogFileName;
        loggingMode = kDefaultLoggingMode;
    } else {
        StoreSettings settings;
        repairTextSetting(settings, key("HomeDir"), kDefaultHomeDir,
                          "Unable to Read Orvo Home Directory!", homeDir);
        repairTextSetting(settings, key("Callsign"), kDefaultCallsign,
                          "Unable to Read Operator Callsign!", callsign);
        repairTextSetting(settings, key("Name"), kDefaultName, "Unable to Read Operator Name!",
                          name);
        repairTextSetting(settings, key("QTH"), kDefaultQth, "Unable to Read Operator QTH!", qth);
        repairTextSetting(settings, key("Log File Name"), kDefaultLogFileName,
                          "Unable to Read Software Log filename!", logFileName);
        repairByteSetting(settings, key("Offset from UTC"), kDefaultUtcOffset,
                          "Unable to Read Operator Timezone!", utcOffset);
        repairByteSetting(settings, key("SW Logging Mode"), kDefaultLoggingMode,
                          "Unable to Read Software Logging Mode!", loggingMode);
        finishSettingsRead(settings);
    }
    // Whatever their source: a value that could not be read leaves the caller's text here too.
    SetStringSlot(1, callsign);
    SetStringSlot(2, name);
    SetStringSlot(3, qth);
    return true;
}

bool CRegistryStore::WriteOperatorInfo(const std::string& homeDir, const std::string& callsign,
                                       const std::string& name, const std::string& qth,
                                       std::uint8_t utcOffset, const std::string& logFileName,
                                       std::uint8_t loggingMode) {
    StoreSettings settings;
    writeTextSetting(settings, key("HomeDir"), homeDir);
    writeTextSetting(settings, key("Callsign"), callsign);
    writeTextSetting(settings, key("Name"), name);
    writeTextSetting(settings, key("QTH"), qth);
    writeNumberSetting(settings, key("Offset from UTC"), utcOffset);
    writeTextSetting(settings, key("Log File Name"), logFileName);
    writeNumberSetting(settings, key("SW Logging Mode"), loggingMode);
    return syncSettings(settings);
}

bool CRegistryStore::ReadUtcSettings(int& useUtc, std::uint8_t& utcOffset) {
    if (!mainKeyExists()) {
        CreateDefaults();
        // Not the stored default: a first run reports local time.
        useUtc = 0;
        utcOffset = kDefaultUtcOffset;
        return true;
    }
    StoreSettings settings;
    // An unreadable value takes its default silently and is left in the file as it is.
    if (repairFlag(settings, "Use UTC in Log", kDefaultUseUtc, nullptr, useUtc) ==
        SettingStatus::Bad) {
        useUtc = kDefaultUseUtc;
    }
    if (repairByteSetting(settings, key("Offset from UTC"), kDefaultUtcOffset, nullptr,
                          utcOffset) == SettingStatus::Bad) {
        utcOffset = kDefaultUtcOffset;
    }
    finishSettingsRead(settings);
    return true;
}

bool CRegistryStore::ReadApplicationColor(std::uint32_t& color) {
    {
        const StoreSettings settings;
        const SettingRead<std::uint32_t> read =
            readDwordSetting(settings, key("Application Color"));
        if (read.ok()) {
            color = read.value;
            return true;
        }
    }
    color = kDefaultPelorinApplicationColor;
    WriteApplicationColor(kDefaultPelorinApplicationColor);
    return true;
}

bool CRegistryStore::WriteApplicationColor(std::uint32_t color) {
    StoreSettings settings;
    writeNumberSetting(settings, key("Application Color"), color);
    return syncSettings(settings);
}

bool CRegistryStore::ReadNameService(std::string& host, int& port) {
    if (!mainKeyExists()) {
        CreateDefaults();
        host = kDefaultNsHost;
        port = static_cast<int>(kDefaultNsPort);
        return true;
    }
    StoreSettings settings;
    repairTextSetting(settings, key("NS Host"), kDefaultNsHost, "Unable to Read Name Service Host!",
                      host);
    std::uint32_t storedPort = 0;
    if (repairDwordSetting(settings, key("NS Port"), kDefaultNsPort,
                           "Unable to Read Name Service Port!", storedPort) != SettingStatus::Bad) {
        port = static_cast<int>(storedPort);
    }
    finishSettingsRead(settings);
    return true;
}

bool CRegistryStore::WriteNameService(const std::string& host, int port) {
    StoreSettings settings;
    writeTextSetting(settings, key("NS Host"), host);
    writeNumberSetting(settings, key("NS Port"), static_cast<std::uint32_t>(port));
    return syncSettings(settings);
}

bool CRegistryStore::ReadAudioHost(int& enabled, std::string& commandName) {
    if (!mainKeyExists()) {
        CreateDefaults();
        enabled = kDefaultAudioEnabled;
        commandName = kDefaultAudioCommand;
        return true;
    }
    StoreSettings settings;
    repairFlag(settings, "Audio Streaming Host", kDefaultAudioEnabled,
               "Unable to Read Audio Streaming Enable Flag!", enabled);
    repairTextSetting(settings, key("Audio Host Command Name"), kDefaultAudioCommand,
                      "Unable to Audio Streaming Host Cmd Name!", commandName);
    finishSettingsRead(settings);
    return true;
}

bool CRegistryStore::ReadQsoLoggingMode(int& mode) {
    {
        const StoreSettings settings;
        const SettingRead<std::uint8_t> read = readByteSetting(settings, key("QSO Logging Mode"));
        if (read.ok()) {
            // Only 0 (normal) and 1 (contest) exist; any other byte reads as its bit 0, the bit
            // the configuration sheet keeps. The file keeps what it holds.
            mode = read.value & 1;
            return true;
        }
    }
    mode = kDefaultQsoLoggingMode;
    WriteQsoLoggingMode(kDefaultQsoLoggingMode);
    return true;
}

bool CRegistryStore::WriteQsoLoggingMode(int mode) {
    StoreSettings settings;
    writeNumberSetting(settings, key("QSO Logging Mode"), lowByte(mode));
    return syncSettings(settings);
}

bool CRegistryStore::ReadCurrentLogFileName(std::string& fileName) {
    if (!mainKeyExists()) {
        CreateDefaults();
        fileName = kDefaultCurrentLogFileName;
        return true;
    }
    StoreSettings settings;
    const SettingStatus status =
        repairTextSetting(settings, key("Current Log File Name"), kDefaultCurrentLogFileName,
                          "Unable to Read Current Log Filename!", fileName);
    finishSettingsRead(settings);
    return status != SettingStatus::Bad;
}

bool CRegistryStore::WriteCurrentLogFileName(const std::string& fileName) {
    StoreSettings settings;
    writeTextSetting(settings, key("Current Log File Name"), fileName);
    return syncSettings(settings);
}

bool CRegistryStore::ReadQsoLogInfo(std::string& gridSquare, std::string& cqZone,
                                    std::string& ituZone, int& counterValue, int& outputMode,
                                    int& useUtc) {
    if (!mainKeyExists()) {
        CreateDefaults();
        gridSquare = kDefaultGridSquare;
        cqZone = kDefaultCqZone;
        ituZone = kDefaultItuZone;
        counterValue = kDefaultCounterValue;
        outputMode = kDefaultOutputMode;
        return true;
    }
    {
        StoreSettings settings;
        // Unreadable values take their defaults silently and stay in the file as they are.
        struct TextValue {
            const char* name;
            const char* defaultValue;
            std::string& out;
        };
        const TextValue texts[] = {
            {"GridSquare", kDefaultGridSquare, gridSquare},
            {"CQ Zone", kDefaultCqZone, cqZone},
            {"ITU Zone", kDefaultItuZone, ituZone},
        };
        for (const TextValue& text : texts) {
            if (repairTextSetting(settings, key(text.name), text.defaultValue, nullptr, text.out) ==
                SettingStatus::Bad) {
                text.out = text.defaultValue;
            }
        }
        if (repairFlag(settings, "Use UTC in Log", kDefaultUseUtc, nullptr, useUtc) ==
            SettingStatus::Bad) {
            useUtc = kDefaultUseUtc;
        }
        finishSettingsRead(settings);
    }
    return ReadCounterSettings(counterValue, outputMode);
}

bool CRegistryStore::WriteQsoLogInfo(const std::string& gridSquare, const std::string& cqZone,
                                     const std::string& ituZone, std::optional<int> counterValue,
                                     int outputMode, int useUtc) {
    StoreSettings settings;
    writeTextSetting(settings, key("GridSquare"), gridSquare);
    writeTextSetting(settings, key("CQ Zone"), cqZone);
    writeTextSetting(settings, key("ITU Zone"), ituZone);
    writeNumberSetting(settings, key("Use UTC in Log"), flagByte(useUtc));
    writeCounterSettings(settings, counterValue, outputMode);
    return syncSettings(settings);
}

// --- "Window Size" ----------------------------------------------------------------------------

bool CRegistryStore::ReadWindowRect(int& left, int& top, int& right, int& bottom) {
    StoreSettings settings;
    return readSettingRect(settings, kWindowRect, left, top, right, bottom);
}

bool CRegistryStore::WriteWindowRect(int left, int top, int right, int bottom) {
    StoreSettings settings;
    writeSettingRect(settings, kWindowRect, {left, top, right, bottom});
    return syncSettings(settings);
}

bool CRegistryStore::ReadOriginalWindowRect(int& left, int& top, int& right, int& bottom) {
    StoreSettings settings;
    return readSettingRect(settings, kOriginalRect, left, top, right, bottom);
}

bool CRegistryStore::WriteOriginalWindowRect(int left, int top, int right, int bottom) {
    StoreSettings settings;
    writeSettingRect(settings, kOriginalRect, {left, top, right, bottom});
    return syncSettings(settings);
}

bool CRegistryStore::ReadWindowsMoveTogether(int& moveTogether) {
    {
        StoreSettings settings;
        if (settingGroupExists(settings, key(kWindowSizeGroup))) {
            settings.beginGroup(key(kWindowSizeGroup));
            const SettingRead<std::uint8_t> read =
                readByteSetting(settings, key("Windows Move Together"));
            settings.endGroup();
            if (read.status == SettingStatus::Ok) {
                moveTogether = read.value != 0 ? 1 : 0;
                return true;
            }
            if (read.status == SettingStatus::Bad) {
                return true;
            }
            moveTogether = 1;
            WriteWindowsMoveTogether(1);
            return true;
        }
    }
    // The group comes into being with this value.
    moveTogether = 1;
    if (!WriteWindowsMoveTogether(1)) {
        showError("Unable to Create Pelorin Window Size Registry!");
    }
    return true;
}

bool CRegistryStore::WriteWindowsMoveTogether(int moveTogether) {
    StoreSettings settings;
    settings.beginGroup(key(kWindowSizeGroup));
    writeNumberSetting(settings, key("Windows Move Together"), flagByte(moveTogether));
    settings.endGroup();
    return syncSettings(settings);
}

// --- "Transmit Memory Keys" -------------------------------------------------------------------

bool CRegistryStore::ReadTransmitMemoryKeys(TransmitMemoryKeys& texts) {
    {
        StoreSettings settings;
        if (settingGroupExists(settings, key(kMemoryKeysGroup))) {
            settings.beginGroup(key(kMemoryKeysGroup));
            for (int index = 0; index < kTransmitMemoryKeyCount; ++index) {
                // Read whole: a text longer than its edit allows is shown as stored and
                // refused when its key is pressed, not dropped.
                const SettingRead<std::string> read = readTextSetting(
                    settings, memoryKeyName(index), std::numeric_limits<std::size_t>::max());
                if (read.ok()) {
                    texts[static_cast<std::size_t>(index)] = read.value;
                }
            }
            settings.endGroup();
            return true;
        }
    }
    texts.fill(std::string());
    if (!WriteTransmitMemoryKeys(texts)) {
        showError("Unable to Create Brag Text Key Info Registry!");
    }
    return true;
}

bool CRegistryStore::WriteTransmitMemoryKeys(const TransmitMemoryKeys& texts) {
    StoreSettings settings;
    settings.beginGroup(key(kMemoryKeysGroup));
    for (int index = 0; index < kTransmitMemoryKeyCount; ++index) {
        writeTextSetting(settings, memoryKeyName(index), texts[static_cast<std::size_t>(index)],
                         kMaxMemoryKeyTextBytes);
    }
    settings.endGroup();
    return syncSettings(settings);
}

bool CRegistryStore::WriteTransmitMemoryKey(int index, const std::string& text) {
    if (index < 0 || index >= kTransmitMemoryKeyCount) {
        return false;
    }
    StoreSettings settings;
    settings.beginGroup(key(kMemoryKeysGroup));
    writeTextSetting(settings, memoryKeyName(index), text, kMaxMemoryKeyTextBytes);
    settings.endGroup();
    return syncSettings(settings);
}

// --- "Settings" -------------------------------------------------------------------------------

bool CRegistryStore::ReadSelectedTuningRange(int& index) {
    {
        StoreSettings settings;
        if (settingGroupExists(settings, key(kSettingsGroup))) {
            settings.beginGroup(key(kSettingsGroup));
            const SettingRead<std::uint8_t> read =
                readByteSetting(settings, key("Selected Tuning Range"));
            settings.endGroup();
            switch (read.status) {
                case SettingStatus::Ok:
                    // The index picks one of the panel's four spans; anything else is span 0.
                    index = read.value < kTuningSpanCount ? read.value : 0;
                    return true;
                case SettingStatus::Bad:
                    showError("Unable To Read Selected Tuning Range!");
                    return true;
                case SettingStatus::Missing:
                    break;
            }
            index = 0;
            WriteSelectedTuningRange(0);
            return true;
        }
    }
    index = 0;
    if (!WriteSelectedTuningRange(0)) {
        showError("Unable to Create Pelorin Settings Registry!");
    }
    return true;
}

bool CRegistryStore::WriteSelectedTuningRange(int index) {
    StoreSettings settings;
    settings.beginGroup(key(kSettingsGroup));
    writeNumberSetting(settings, key("Selected Tuning Range"), lowByte(index));
    settings.endGroup();
    return syncSettings(settings);
}

bool CRegistryStore::ReadScanLimits(int& low, int& high) {
    {
        StoreSettings settings;
        if (settingGroupExists(settings, key(kSettingsGroup))) {
            settings.beginGroup(key(kSettingsGroup));
            const SettingRead<std::uint32_t> lowRead =
                readDwordSetting(settings, key("Scan Low Limit"));
            const SettingRead<std::uint32_t> highRead =
                readDwordSetting(settings, key("Scan High Limit"));
            settings.endGroup();
            if (lowRead.status != SettingStatus::Missing &&
                highRead.status != SettingStatus::Missing) {
                // An unreadable limit keeps the caller's value, without a message.
                if (lowRead.ok()) {
                    low = static_cast<int>(lowRead.value);
                }
                if (highRead.ok()) {
                    high = static_cast<int>(highRead.value);
                }
                return true;
            }
            // One limit alone means nothing: both start again from 0.
            low = 0;
            high = 0;
            WriteScanLimits(0, 0);
            return true;
        }
    }
    low = 0;
    high = 0;
    if (!WriteScanLimits(0, 0)) {
        showError("Unable to Create Pelorin Settings Registry!");
    }
    return true;
}

bool CRegistryStore::WriteScanLimits(int low, int high) {
    StoreSettings settings;
    settings.beginGroup(key(kSettingsGroup));
    writeNumberSetting(settings, key("Scan Low Limit"), static_cast<std::uint32_t>(low));
    writeNumberSetting(settings, key("Scan High Limit"), static_cast<std::uint32_t>(high));
    settings.endGroup();
    return syncSettings(settings);
}

bool CRegistryStore::ReadCounterSettings(int& counterValue, int& outputMode) {
    SettingRead<int> counter;
    SettingRead<std::uint8_t> mode;
    {
        StoreSettings settings;
        if (!settingGroupExists(settings, key(kSettingsGroup))) {
            counterValue = kDefaultCounterValue;
            outputMode = kDefaultOutputMode;
            WriteCounterSettings(counterValue, outputMode);
            return true;
        }
        settings.beginGroup(key(kSettingsGroup));
        counter = readCounterValue(settings);
        mode = readByteSetting(settings, key("Output Mode"));
        settings.endGroup();
    }
    // A missing value is written with its default; an unreadable one stays in the file as it
    // stands, so that no serial number already sent comes round again.
    if (counter.ok()) {
        counterValue = counter.value;
    } else if (counter.status == SettingStatus::Missing) {
        counterValue = kDefaultCounterValue;
        WriteDword(kSettingsGroup, "Counter Value",
                   static_cast<std::uint32_t>(kDefaultCounterValue));
    }
    outputMode = mode.ok() ? mode.value : kDefaultOutputMode;
    if (mode.status == SettingStatus::Missing) {
        WriteByte(kSettingsGroup, "Output Mode", static_cast<std::uint8_t>(kDefaultOutputMode));
    }
    return counter.status != SettingStatus::Bad;
}

bool CRegistryStore::ReadCounterOutputMode(int& outputMode) const {
    const StoreSettings settings;
    const SettingRead<std::uint8_t> mode =
        readByteSetting(settings, key(kSettingsGroup) + QLatin1Char('/') + key("Output Mode"));
    outputMode = mode.ok() ? mode.value : kDefaultOutputMode;
    return true;
}

bool CRegistryStore::WriteCounterSettings(int counterValue, int outputMode) {
    StoreSettings settings;
    writeCounterSettings(settings, counterValue, outputMode);
    return syncSettings(settings);
}

}  // namespace pelorin
