#include "client/base/registry_store.h"

#include "platform/message_service.h"

#include <QSettings>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace pelorin {

CRegistryStore theRegistryStore;

namespace {

using namespace settings;

// The nine values a first run writes, in the order they are written.
struct RootDefault {
    SettingEntry entry;
    const char* failureMessage;
};

const RootDefault kRootDefaults[] = {
    {&kHomeDir, "Unable to Write Pelorin Home Directory!"},
    {&kCallsign, "Unable to Write Default Callsign Registry!"},
    {&kName, "Unable to Write Default Name Registry!"},
    {&kQth, "Unable to Write Default QTH Registry!"},
    {&kUtcOffset, "Unable to Write Default UTC Timezon Offset Registry!"},
    {&kLogFileName, "Unable to Write Default Software Log File Registry!"},
    {&kLoggingMode, "Unable to Write Default Log Mode Registry!"},
    {&kNsHost, "Unable to Write Default Name Service Host!"},
    {&kNsPort, "Unable to Write Default Name Service Port!"},
};

struct ModeEntry {
    const char* name;
    int value;
};

constexpr ModeEntry kModes[] = {
    {"LSB", 1}, {"USB", 2}, {"CW", 3}, {"RTTY", 6}, {"CWR", 7}, {"RTTYR", 9},
};
constexpr int kModeCount = static_cast<int>(std::size(kModes));

QString key(const char* name) {
    return QString::fromLatin1(name);
}

void showError(const char* text) {
    MessageService::showError(text);
}

bool mainKeyExists() {
    return settingsFileExists(kFile);
}

// A flag byte reads as 1 for any non-zero value; an unreadable one leaves `out` as it was.
SettingStatus repairFlag(QSettings& settings, const ByteSetting& entry, const char* message,
                         int& out) {
    std::uint8_t value = 0;
    const SettingStatus status = SettingRepair(entry, message, value).repair(settings);
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
    if (counterValue) {
        writeSetting(settings, kCounterValue,
                     static_cast<std::uint32_t>(std::max(*counterValue, 0)));
    }
    writeSetting(settings, kOutputMode, lowByte(outputMode));
}

}  // namespace

CRegistryStore::CRegistryStore()
    : SettingsFileWriters(kFile, {kMemoryKeysGroup, kMaxMemoryKeyTextBytes}) {}

std::string CRegistryStore::SettingsFilePath() {
    return settingsFilePath(kFile);
}

bool CRegistryStore::Sync() {
    StoreSettings settings(kFile);
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
    StoreSettings settings(kFile);
    const bool fileExisted = settingsFileExists(settings);
    for (const RootDefault& value : kRootDefaults) {
        writeSettingDefault(settings, value.entry);
    }
    writeSettingRect(settings, kWindowRect, kWindowRect.fallback);
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
    return createSettingRect(kFile, kWindowRect, "Unable to Create Brakton WINSIZE Registry!");
}

// --- Main key ---------------------------------------------------------------------------------

bool CRegistryStore::ReadHomeDir(std::string& homeDir) {
    const SettingRepair values[] = {{kHomeDir, "Unable to Read Pelorin Home Directory!", homeDir}};
    return readOrCreateSettings(kFile, values, [this] { CreateDefaults(); });
}

std::string CRegistryStore::StoredHomeDir() const {
    const StoreSettings settings(kFile);
    const auto read = readSetting(settings, kHomeDir);
    return read.ok() ? read.value : std::string(kHomeDir.defaultValue);
}

bool CRegistryStore::ReadOperatorInfo(std::string& homeDir, std::string& callsign,
                                      std::string& name, std::string& qth, std::uint8_t& utcOffset,
                                      std::string& logFileName, std::uint8_t& loggingMode) {
    readOperatorInfo(kFile, homeDir, callsign, name, qth, utcOffset, logFileName, loggingMode,
                     [this] { CreateDefaults(); });
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
    return writeOperatorInfo(kFile, homeDir, callsign, name, qth, utcOffset, logFileName,
                             loggingMode);
}

bool CRegistryStore::ReadUtcSettings(int& useUtc, std::uint8_t& utcOffset) {
    if (!mainKeyExists()) {
        CreateDefaults();
        // Not the stored default: a first run reports local time.
        useUtc = 0;
        utcOffset = kUtcOffset.defaultValue;
        return true;
    }
    StoreSettings settings(kFile);
    // An unreadable value takes its default silently and is left in the file as it is.
    std::uint8_t flag = kUseUtc.defaultValue;
    utcOffset = kUtcOffset.defaultValue;
    const SettingRepair values[] = {{kUseUtc, nullptr, flag}, {kUtcOffset, nullptr, utcOffset}};
    repairSettings(settings, values);
    useUtc = flag != 0 ? 1 : 0;
    finishSettingsRead(settings);
    return true;
}

bool CRegistryStore::ReadApplicationColor(std::uint32_t& color) {
    color = readOrResetSetting(kFile, kApplicationColor);
    return true;
}

bool CRegistryStore::WriteApplicationColor(std::uint32_t color) {
    return writeSettingNow(kFile, kApplicationColor, color);
}

bool CRegistryStore::ReadNameService(std::string& host, int& port) {
    // An unreadable port leaves the caller's.
    auto storedPort = static_cast<std::uint32_t>(port);
    const SettingRepair values[] = {
        {kNsHost, "Unable to Read Name Service Host!", host},
        {kNsPort, "Unable to Read Name Service Port!", storedPort},
    };
    readOrCreateSettings(kFile, values, [this] { CreateDefaults(); });
    port = static_cast<int>(storedPort);
    return true;
}

bool CRegistryStore::WriteNameService(const std::string& host, int port) {
    StoreSettings settings(kFile);
    writeSetting(settings, kNsHost, host);
    writeSetting(settings, kNsPort, static_cast<std::uint32_t>(port));
    return syncSettings(settings);
}

bool CRegistryStore::ReadAudioHost(int& enabled, std::string& commandName) {
    if (!mainKeyExists()) {
        CreateDefaults();
        enabled = kAudioEnabled.defaultValue;
        commandName = kAudioCommand.defaultValue;
        return true;
    }
    StoreSettings settings(kFile);
    repairFlag(settings, kAudioEnabled, "Unable to Read Audio Streaming Enable Flag!", enabled);
    SettingRepair(kAudioCommand, "Unable to Audio Streaming Host Cmd Name!", commandName)
        .repair(settings);
    finishSettingsRead(settings);
    return true;
}

bool CRegistryStore::ReadQsoLoggingMode(int& mode) {
    // Only 0 (normal) and 1 (contest) exist; any other byte reads as its bit 0, the bit the
    // configuration sheet keeps. The file keeps what it holds.
    mode = readOrResetSetting(kFile, kQsoLoggingMode) & 1;
    return true;
}

bool CRegistryStore::WriteQsoLoggingMode(int mode) {
    return writeSettingNow(kFile, kQsoLoggingMode, lowByte(mode));
}

bool CRegistryStore::ReadCurrentLogFileName(std::string& fileName) {
    const SettingRepair values[] = {
        {kCurrentLogFileName, "Unable to Read Current Log Filename!", fileName}};
    return readOrCreateSettings(kFile, values, [this] { CreateDefaults(); });
}

bool CRegistryStore::WriteCurrentLogFileName(const std::string& fileName) {
    return writeSettingNow(kFile, kCurrentLogFileName, fileName);
}

bool CRegistryStore::ReadQsoLogInfo(std::string& gridSquare, std::string& cqZone,
                                    std::string& ituZone, int& counterValue, int& outputMode,
                                    int& useUtc) {
    if (!mainKeyExists()) {
        CreateDefaults();
        gridSquare = kGridSquare.defaultValue;
        cqZone = kCqZone.defaultValue;
        ituZone = kItuZone.defaultValue;
        counterValue = static_cast<int>(kCounterValue.defaultValue);
        outputMode = kOutputMode.defaultValue;
        return true;
    }
    {
        StoreSettings settings(kFile);
        // Unreadable values take their defaults silently and stay in the file as they are.
        gridSquare = kGridSquare.defaultValue;
        cqZone = kCqZone.defaultValue;
        ituZone = kItuZone.defaultValue;
        std::uint8_t flag = kUseUtc.defaultValue;
        const SettingRepair values[] = {
            {kGridSquare, nullptr, gridSquare},
            {kCqZone, nullptr, cqZone},
            {kItuZone, nullptr, ituZone},
            {kUseUtc, nullptr, flag},
        };
        repairSettings(settings, values);
        useUtc = flag != 0 ? 1 : 0;
        finishSettingsRead(settings);
    }
    return ReadCounterSettings(counterValue, outputMode);
}

bool CRegistryStore::WriteQsoLogInfo(const std::string& gridSquare, const std::string& cqZone,
                                     const std::string& ituZone, std::optional<int> counterValue,
                                     int outputMode, int useUtc) {
    StoreSettings settings(kFile);
    writeSetting(settings, kGridSquare, gridSquare);
    writeSetting(settings, kCqZone, cqZone);
    writeSetting(settings, kItuZone, ituZone);
    writeSetting(settings, kUseUtc, flagByte(useUtc));
    writeCounterSettings(settings, counterValue, outputMode);
    return syncSettings(settings);
}

// --- "Window Size" ----------------------------------------------------------------------------

bool CRegistryStore::ReadWindowRect(int& left, int& top, int& right, int& bottom) {
    return readSettingRect(kFile, kWindowRect, left, top, right, bottom);
}

bool CRegistryStore::WriteWindowRect(int left, int top, int right, int bottom) {
    return writeSettingRectNow(kFile, kWindowRect, {left, top, right, bottom});
}

bool CRegistryStore::ReadOriginalWindowRect(int& left, int& top, int& right, int& bottom) {
    return readSettingRect(kFile, kOriginalRect, left, top, right, bottom);
}

bool CRegistryStore::WriteOriginalWindowRect(int left, int top, int right, int bottom) {
    return writeSettingRectNow(kFile, kOriginalRect, {left, top, right, bottom});
}

bool CRegistryStore::ReadWindowsMoveTogether(int& moveTogether) {
    {
        StoreSettings settings(kFile);
        if (settingGroupExists(settings, key(kWindowSizeGroup))) {
            const SettingRead<std::uint8_t> read = readSetting(settings, kWindowsMoveTogether);
            if (read.status == SettingStatus::Ok) {
                moveTogether = read.value != 0 ? 1 : 0;
                return true;
            }
            if (read.status == SettingStatus::Bad) {
                return true;
            }
            moveTogether = kWindowsMoveTogether.defaultValue;
            WriteWindowsMoveTogether(moveTogether);
            return true;
        }
    }
    // The group comes into being with this value.
    moveTogether = kWindowsMoveTogether.defaultValue;
    if (!WriteWindowsMoveTogether(moveTogether)) {
        showError("Unable to Create Pelorin Window Size Registry!");
    }
    return true;
}

bool CRegistryStore::WriteWindowsMoveTogether(int moveTogether) {
    return writeSettingNow(kFile, kWindowsMoveTogether, flagByte(moveTogether));
}

// --- "Transmit Memory Keys" -------------------------------------------------------------------

bool CRegistryStore::ReadTransmitMemoryKeys(TransmitMemoryKeys& texts) {
    {
        StoreSettings settings(kFile);
        if (settingGroupExists(settings, key(kMemoryKeysGroup))) {
            for (std::size_t index = 0; index < kMemoryKeys.size(); ++index) {
                // Read whole: a text longer than its edit allows is shown as stored and
                // refused when its key is pressed, not dropped.
                const SettingRead<std::string> read =
                    readTextSetting(settings, settingKey(kMemoryKeys[index]), kMemoryKeyReadBytes);
                if (read.ok()) {
                    texts[index] = read.value;
                }
            }
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
    StoreSettings settings(kFile);
    for (std::size_t index = 0; index < kMemoryKeys.size(); ++index) {
        writeSetting(settings, kMemoryKeys[index], texts[index]);
    }
    return syncSettings(settings);
}

bool CRegistryStore::WriteTransmitMemoryKey(int index, const std::string& text) {
    if (index < 0 || index >= kTransmitMemoryKeyCount) {
        return false;
    }
    return writeSettingNow(kFile, kMemoryKeys[static_cast<std::size_t>(index)], text);
}

// --- "Settings" -------------------------------------------------------------------------------

bool CRegistryStore::ReadSelectedTuningRange(int& index) {
    {
        StoreSettings settings(kFile);
        if (settingGroupExists(settings, key(kSettingsGroup))) {
            const SettingRead<std::uint8_t> read = readSetting(settings, kSelectedTuningRange);
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
            index = kSelectedTuningRange.defaultValue;
            WriteSelectedTuningRange(index);
            return true;
        }
    }
    index = kSelectedTuningRange.defaultValue;
    if (!WriteSelectedTuningRange(index)) {
        showError("Unable to Create Pelorin Settings Registry!");
    }
    return true;
}

bool CRegistryStore::WriteSelectedTuningRange(int index) {
    return writeSettingNow(kFile, kSelectedTuningRange, lowByte(index));
}

bool CRegistryStore::ReadScanLimits(int& low, int& high) {
    {
        StoreSettings settings(kFile);
        if (settingGroupExists(settings, key(kSettingsGroup))) {
            const SettingRead<std::uint32_t> lowRead = readSetting(settings, kScanLowLimit);
            const SettingRead<std::uint32_t> highRead = readSetting(settings, kScanHighLimit);
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
            // One limit alone means nothing: both start again from their defaults.
            low = static_cast<int>(kScanLowLimit.defaultValue);
            high = static_cast<int>(kScanHighLimit.defaultValue);
            WriteScanLimits(low, high);
            return true;
        }
    }
    low = static_cast<int>(kScanLowLimit.defaultValue);
    high = static_cast<int>(kScanHighLimit.defaultValue);
    if (!WriteScanLimits(low, high)) {
        showError("Unable to Create Pelorin Settings Registry!");
    }
    return true;
}

bool CRegistryStore::WriteScanLimits(int low, int high) {
    StoreSettings settings(kFile);
    writeSetting(settings, kScanLowLimit, static_cast<std::uint32_t>(low));
    writeSetting(settings, kScanHighLimit, static_cast<std::uint32_t>(high));
    return syncSettings(settings);
}

bool CRegistryStore::ReadCounterSettings(int& counterValue, int& outputMode) {
    SettingRead<std::uint32_t> counter;
    SettingRead<std::uint8_t> mode;
    {
        StoreSettings settings(kFile);
        if (!settingGroupExists(settings, key(kSettingsGroup))) {
            counterValue = static_cast<int>(kCounterValue.defaultValue);
            outputMode = kOutputMode.defaultValue;
            WriteCounterSettings(counterValue, outputMode);
            return true;
        }
        // A stored counter above its limit is as unreadable as a text.
        counter = readSetting(settings, kCounterValue);
        mode = readSetting(settings, kOutputMode);
    }
    // A missing value is written with its default; an unreadable one stays in the file as it
    // stands, so that no serial number already sent comes round again.
    if (counter.ok()) {
        counterValue = static_cast<int>(counter.value);
    } else if (counter.status == SettingStatus::Missing) {
        counterValue = static_cast<int>(kCounterValue.defaultValue);
        writeSettingNow(kFile, kCounterValue, kCounterValue.defaultValue);
    }
    outputMode = mode.ok() ? mode.value : kOutputMode.defaultValue;
    if (mode.status == SettingStatus::Missing) {
        writeSettingNow(kFile, kOutputMode, kOutputMode.defaultValue);
    }
    return counter.status != SettingStatus::Bad;
}

bool CRegistryStore::ReadCounterOutputMode(int& outputMode) const {
    const StoreSettings settings(kFile);
    const SettingRead<std::uint8_t> mode = readSetting(settings, kOutputMode);
    outputMode = mode.ok() ? mode.value : kOutputMode.defaultValue;
    return true;
}

bool CRegistryStore::WriteCounterSettings(int counterValue, int outputMode) {
    StoreSettings settings(kFile);
    writeCounterSettings(settings, counterValue, outputMode);
    return syncSettings(settings);
}

}  // namespace pelorin
