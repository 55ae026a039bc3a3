#pragma once

#include "platform/settings_store.h"
#include "server/server_settings.h"

#include <array>
#include <cstdint>
#include <string>

// CServerRegistryStore: the server's settings, one INI file per user:
// $XDG_CONFIG_HOME/N0CALL Software/Rig Control.ini (by default under ~/.config).
//
// The main key's values sit at the top level ([General]); each subkey ("Window Size",
// "Comm Port", "HAM Band Info", "VFO Frequencies") is a group. Names and defaults stand in the
// program's settings table (server_settings.h). A missing value is written back
// with its default; a missing band or VFO group is written whole; a value that cannot be read
// shows its fixed message (through MessageService) and costs no other setting.
//
// Called from the GUI thread, the ORB thread and the radio link's threads. The store holds no
// state and no lock: every call makes its own QSettings object and syncs it before returning,
// so calls from different threads never share one. Writers return false when the file could
// not be written; readers leave an output they cannot fill as the caller set it.
//
// The store, its tables and the band count live in namespace brakton, so that a program or test
// that also links Pelorin's store sees no clash.

namespace brakton {

// One band of the band table, in band order 10 m (index 0) to 160 m (index 8).
struct BAND_EDGE_INFO {
    const char* label = "";  // "  10M" ... "  160M", owned by the store
    std::int32_t bandIndex = 0;
    std::uint32_t lowEdge = 0;   // Hz
    std::uint32_t highEdge = 0;  // Hz
};

using BandEdgeTable = std::array<BAND_EDGE_INFO, kBandCount>;

// {VFO A Hz, VFO B Hz} per band, the layout of VfoBank in LAST_FREQ_VISIT_ARRAY.
using VfoFrequencyTable = std::array<std::array<std::uint32_t, 2>, kBandCount>;

inline constexpr std::uint32_t kDefaultApplicationColor = settings::kApplicationColor.defaultValue;

// WriteString, WriteDword and WriteByte (SettingsFileWriters) write one value by group and
// name; `group` empty is the main key. Texts are cut to 79 bytes.
class CServerRegistryStore : public SettingsFileWriters {
  public:
    CServerRegistryStore() : SettingsFileWriters(settings::kFile) {}
    ~CServerRegistryStore() = default;

    // The settings file's path, as the store opens it.
    static std::string SettingsFilePath();

    // Writes the nine main values and the "Window Size" and "Comm Port" groups in one go. The
    // file is written whole or not at all, so a failure shows only "Unable to Create Main Orvo
    // Registry!".
    void CreateDefaults();
    bool CreateWindowSizeKey();
    bool CreateCommPortKey();

    // False after a read error of "HomeDir" (other than a missing value).
    bool ReadHomeDir(std::string& homeDir);
    bool ReadOperatorInfo(std::string& homeDir, std::string& callsign, std::string& name,
                          std::string& qth, std::uint8_t& utcOffset, std::string& logFileName,
                          std::uint8_t& loggingMode);
    bool WriteOperatorInfo(const std::string& homeDir, const std::string& callsign,
                           const std::string& name, const std::string& qth, std::uint8_t utcOffset,
                           const std::string& logFileName, std::uint8_t loggingMode);
    bool ReadSWLoggingMode(std::uint8_t& loggingMode);
    bool ReadNameService(std::string& host, std::uint32_t& port);
    bool WriteNameService(const std::string& host, std::uint32_t port);
    bool ReadAudioHost(bool& enabled, std::string& commandName);
    bool WriteAudioHost(bool enabled, const std::string& commandName);
    bool ReadPAOption(bool& fitted);
    bool WritePAOption(bool fitted);
    bool ReadApplicationColor(std::uint32_t& color);
    bool WriteApplicationColor(std::uint32_t color);

    // Screen coordinates, each stored as a signed 16-bit half of a 32-bit value.
    bool ReadWindowRect(int& left, int& top, int& right, int& bottom);
    bool WriteWindowRect(int left, int top, int right, int bottom);

    bool ReadCommPort(std::uint8_t& port, std::uint16_t& speed, std::uint8_t& parity,
                      std::uint8_t& stopBits);
    bool WriteCommPort(std::uint8_t port, std::uint16_t speed, std::uint8_t parity,
                       std::uint8_t stopBits);

    bool ReadBandInfo(BandEdgeTable& bands);
    bool WriteBandInfo(const BandEdgeTable& bands);
    bool ReadVFOFrequencies(VfoFrequencyTable& vfos);
    bool WriteVFOFrequencies(const VfoFrequencyTable& vfos);

    // Defaults, for callers that need them (and the tests).
    static BandEdgeTable DefaultBandInfo();
    static VfoFrequencyTable DefaultVFOFrequencies();
};

extern CServerRegistryStore theRegistryStore;

}  // namespace brakton
