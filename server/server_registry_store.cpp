#include "server/server_registry_store.h"

#include "platform/message_service.h"
#include "platform/settings_store.h"

#include <QSettings>
#include <QString>

namespace brakton {

CServerRegistryStore theRegistryStore;

namespace {

using namespace settings;

// A missing group is stored with port 1, but a start that finds none opens no port.
constexpr std::uint8_t kFirstStartPort = 0;

QString key(const char* name) {
    return QString::fromLatin1(name);
}

bool mainKeyExists() {
    return settingsFileExists(kFile);
}

void showError(const char* text) {
    MessageService::showError(text);
}

void writeCommPort(QSettings& settings, std::uint8_t port, std::uint16_t speed, std::uint8_t parity,
                   std::uint8_t stopBits) {
    writeSetting(settings, kCommPort, port);
    writeSetting(settings, kStopBits, stopBits);
    writeSetting(settings, kParity, parity);
    writeSetting(settings, kSpeed, speed);
}

// Fills `out` from the entry when it reads.
template <typename T, typename Out>
void takeIfRead(const QSettings& settings, const NumberSetting<T>& entry, Out& out) {
    if (const SettingRead<T> read = readSetting(settings, entry); read.ok()) {
        out = read.value;
    }
}

}  // namespace

std::string CServerRegistryStore::SettingsFilePath() {
    return settingsFilePath(kFile);
}

BandEdgeTable CServerRegistryStore::DefaultBandInfo() {
    BandEdgeTable bands;
    for (int band = 0; band < kBandCount; ++band) {
        const BandSettings& entry = kBands[static_cast<std::size_t>(band)];
        bands[band] = {entry.label, band, entry.lowEdge.defaultValue, entry.highEdge.defaultValue};
    }
    return bands;
}

VfoFrequencyTable CServerRegistryStore::DefaultVFOFrequencies() {
    VfoFrequencyTable vfos;
    for (int band = 0; band < kBandCount; ++band) {
        const BandSettings& entry = kBands[static_cast<std::size_t>(band)];
        vfos[band] = {entry.vfoA.defaultValue, entry.vfoB.defaultValue};
    }
    return vfos;
}

void CServerRegistryStore::CreateDefaults() {
    StoreSettings settings(kFile);
    for (const SettingEntry entry :
         {SettingEntry(&kHomeDir), SettingEntry(&kCallsign), SettingEntry(&kName),
          SettingEntry(&kQth), SettingEntry(&kUtcOffset), SettingEntry(&kLogFileName),
          SettingEntry(&kLoggingMode), SettingEntry(&kNsHost), SettingEntry(&kNsPort)}) {
        writeSettingDefault(settings, entry);
    }
    writeSettingRect(settings, kWindowRect, kWindowRect.fallback);
    writeCommPort(settings, kCommPort.defaultValue, kSpeed.defaultValue, kParity.defaultValue,
                  kStopBits.defaultValue);
    if (!syncSettings(settings)) {
        showError("Unable to Create Main Orvo Registry!");
    }
}

bool CServerRegistryStore::CreateWindowSizeKey() {
    return createSettingRect(kFile, kWindowRect, "Unable to Create Brakton WINSIZE Registry!");
}

bool CServerRegistryStore::CreateCommPortKey() {
    if (!WriteCommPort(kCommPort.defaultValue, kSpeed.defaultValue, kParity.defaultValue,
                       kStopBits.defaultValue)) {
        showError("Unable to Create Orvo COMM PORT Registry!");
        return false;
    }
    return true;
}

bool CServerRegistryStore::ReadHomeDir(std::string& homeDir) {
    const SettingRepair values[] = {{kHomeDir, "Unable to Read Orvo Home Directory!", homeDir}};
    return readOrCreateSettings(kFile, values, [this] { CreateDefaults(); });
}

bool CServerRegistryStore::ReadOperatorInfo(std::string& homeDir, std::string& callsign,
                                            std::string& name, std::string& qth,
                                            std::uint8_t& utcOffset, std::string& logFileName,
                                            std::uint8_t& loggingMode) {
    readOperatorInfo(kFile, homeDir, callsign, name, qth, utcOffset, logFileName, loggingMode,
                     [this] { CreateDefaults(); });
    return true;
}

bool CServerRegistryStore::WriteOperatorInfo(const std::string& homeDir,
                                             const std::string& callsign, const std::string& name,
                                             const std::string& qth, std::uint8_t utcOffset,
                                             const std::string& logFileName,
                                             std::uint8_t loggingMode) {
    return writeOperatorInfo(kFile, homeDir, callsign, name, qth, utcOffset, logFileName,
                             loggingMode);
}

bool CServerRegistryStore::ReadSWLoggingMode(std::uint8_t& loggingMode) {
    const SettingRepair values[] = {
        {kLoggingMode, "Unable to Read Software Logging Mode!", loggingMode}};
    readOrCreateSettings(kFile, values, [this] { CreateDefaults(); });
    return true;
}

bool CServerRegistryStore::ReadNameService(std::string& host, std::uint32_t& port) {
    const SettingRepair values[] = {
        {kNsHost, "Unable to Read Name Service Host!", host},
        {kNsPort, "Unable to Read Name Service Port!", port},
    };
    readOrCreateSettings(kFile, values, [this] { CreateDefaults(); });
    return true;
}

bool CServerRegistryStore::WriteNameService(const std::string& host, std::uint32_t port) {
    StoreSettings settings(kFile);
    writeSetting(settings, kNsHost, host);
    writeSetting(settings, kNsPort, port);
    return syncSettings(settings);
}

bool CServerRegistryStore::ReadAudioHost(bool& enabled, std::string& commandName) {
    if (!mainKeyExists()) {
        CreateDefaults();
        enabled = kAudioEnabled.defaultValue != 0;
        commandName = kAudioCommand.defaultValue;
        return true;
    }
    StoreSettings settings(kFile);
    SettingRepair(kAudioCommand, "Unable to Audio Streaming Host Cmd Name!", commandName)
        .repair(settings);
    std::uint8_t flag = enabled ? 1 : 0;
    if (SettingRepair(kAudioEnabled, "Unable to Read Audio Streaming Enable Flag!", flag)
            .repair(settings) != SettingStatus::Bad) {
        enabled = flag != 0;
    }
    finishSettingsRead(settings);
    return true;
}

bool CServerRegistryStore::WriteAudioHost(bool enabled, const std::string& commandName) {
    StoreSettings settings(kFile);
    writeSetting(settings, kAudioCommand, commandName);
    writeSetting(settings, kAudioEnabled, enabled ? 1 : 0);
    return syncSettings(settings);
}

bool CServerRegistryStore::ReadPAOption(bool& fitted) {
    if (!mainKeyExists()) {
        CreateDefaults();
        fitted = kPAOption.defaultValue != 0;
        WritePAOption(fitted);
        return true;
    }
    StoreSettings settings(kFile);
    std::uint8_t option = 0;
    fitted = SettingRepair(kPAOption, nullptr, option).repair(settings) != SettingStatus::Bad &&
             option != 0;
    finishSettingsRead(settings);
    return true;
}

bool CServerRegistryStore::WritePAOption(bool fitted) {
    StoreSettings settings(kFile);
    writeSetting(settings, kPAOption, fitted ? 1 : 0);
    return syncSettings(settings);
}

bool CServerRegistryStore::ReadApplicationColor(std::uint32_t& color) {
    color = readOrResetSetting(kFile, kApplicationColor);
    return true;
}

bool CServerRegistryStore::WriteApplicationColor(std::uint32_t color) {
    return writeSettingNow(kFile, kApplicationColor, color);
}

bool CServerRegistryStore::ReadWindowRect(int& left, int& top, int& right, int& bottom) {
    return readSettingRect(kFile, kWindowRect, left, top, right, bottom);
}

bool CServerRegistryStore::WriteWindowRect(int left, int top, int right, int bottom) {
    return writeSettingRectNow(kFile, kWindowRect, {left, top, right, bottom});
}

bool CServerRegistryStore::ReadCommPort(std::uint8_t& port, std::uint16_t& speed,
                                        std::uint8_t& parity, std::uint8_t& stopBits) {
    {
        StoreSettings settings(kFile);
        if (settingGroupExists(settings, key(kCommPortGroup))) {
            takeIfRead(settings, kCommPort, port);
            takeIfRead(settings, kParity, parity);
            takeIfRead(settings, kStopBits, stopBits);
            takeIfRead(settings, kSpeed, speed);
            return true;
        }
    }
    CreateCommPortKey();
    port = kFirstStartPort;
    speed = kSpeed.defaultValue;
    parity = kParity.defaultValue;
    stopBits = kStopBits.defaultValue;
    return true;
}

bool CServerRegistryStore::WriteCommPort(std::uint8_t port, std::uint16_t speed,
                                         std::uint8_t parity, std::uint8_t stopBits) {
    StoreSettings settings(kFile);
    writeCommPort(settings, port, speed, parity, stopBits);
    return syncSettings(settings);
}

bool CServerRegistryStore::ReadBandInfo(BandEdgeTable& bands) {
    {
        StoreSettings settings(kFile);
        if (settingGroupExists(settings, key(kBandInfoGroup))) {
            for (int band = 0; band < kBandCount; ++band) {
                const BandSettings& entry = kBands[static_cast<std::size_t>(band)];
                bands[band].label = entry.label;
                bands[band].bandIndex = band;
                takeIfRead(settings, entry.lowEdge, bands[band].lowEdge);
                takeIfRead(settings, entry.highEdge, bands[band].highEdge);
            }
            return true;
        }
    }
    bands = DefaultBandInfo();
    if (!WriteBandInfo(bands)) {
        showError("Unable to Create Band Info Registry!");
    }
    return true;
}

bool CServerRegistryStore::WriteBandInfo(const BandEdgeTable& bands) {
    StoreSettings settings(kFile);
    for (int band = 0; band < kBandCount; ++band) {
        const BandSettings& entry = kBands[static_cast<std::size_t>(band)];
        writeSetting(settings, entry.lowEdge, bands[band].lowEdge);
        writeSetting(settings, entry.highEdge, bands[band].highEdge);
    }
    return syncSettings(settings);
}

bool CServerRegistryStore::ReadVFOFrequencies(VfoFrequencyTable& vfos) {
    {
        StoreSettings settings(kFile);
        if (settingGroupExists(settings, key(kVfoGroup))) {
            for (int band = 0; band < kBandCount; ++band) {
                const BandSettings& entry = kBands[static_cast<std::size_t>(band)];
                takeIfRead(settings, entry.vfoA, vfos[band][0]);
                takeIfRead(settings, entry.vfoB, vfos[band][1]);
            }
            return true;
        }
    }
    vfos = DefaultVFOFrequencies();
    if (!WriteVFOFrequencies(vfos)) {
        showError("Unable to Create VFO Freq Info Registry!");
    }
    return true;
}

bool CServerRegistryStore::WriteVFOFrequencies(const VfoFrequencyTable& vfos) {
    StoreSettings settings(kFile);
    for (int band = 0; band < kBandCount; ++band) {
        const BandSettings& entry = kBands[static_cast<std::size_t>(band)];
        writeSetting(settings, entry.vfoA, vfos[band][0]);
        writeSetting(settings, entry.vfoB, vfos[band][1]);
    }
    return syncSettings(settings);
}

}  // namespace brakton
