#pragma once

#include "client/base/client_settings.h"
#include "platform/settings_reader.h"
#include "platform/settings_store.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

// CRegistryStore: Pelorin's settings and the few tables its windows share.
//
// Settings live in one INI file per user, $XDG_CONFIG_HOME/N0CALL Software/Pelorin.ini (by
// default under ~/.config). The main key's values sit at the top level ([General]); the
// subkeys "Window Size", "Transmit Memory Keys" and "Settings" are groups. Names, defaults and
// limits stand in the program's settings table (client_settings.h). A read fills the
// caller's variables and repairs what is missing: the whole main key with its defaults on a
// first run, a single missing value with its default. A value that cannot be read shows its
// fixed message (stop icon, through MessageService) and costs no other setting; the output it
// would have filled keeps the caller's value.
//
// Besides the file the store holds, in memory, the radio mode table, the eight text slots the
// CW macros read (1 own call, 2 own name, 3 own QTH, 4 own report, 5-8 the other station's
// call, name, QTH and report) and the nine tuning ranges the front panel loads from the
// server's band table after each connection.
//
// Called from the GUI thread, the ORB thread and the QSO threads. Every settings call makes its
// own QSettings object and syncs it before returning, so nothing is left unwritten when the
// process ends with _Exit, and no settings object is shared between threads. The text slots
// and the tuning ranges are guarded by one mutex.
//
// The store and its tables live in namespace pelorin, so that a program or test that also links
// Brakton's store sees no clash.

namespace pelorin {

// One amateur band as the front panel builds it from the server's band table. The name is
// held by value: the band-name list it comes from belongs to a window that may go away.
struct TUNING_RANGE_ENTRY {
    std::string name;        // five characters, right-aligned: "  10M" ... " 160M"
    int band = 0;            // band index 0 (10 m) to 8 (160 m)
    std::uint32_t low = 0;   // lower band edge, Hz
    std::uint32_t high = 0;  // upper band edge, Hz
};

inline constexpr int kTuningRangeCount = 9;
inline constexpr int kTransmitMemoryKeyCount = static_cast<int>(settings::kMemoryKeyCount);
inline constexpr int kStringSlotCount = 8;

using TuningRangeTable = std::array<TUNING_RANGE_ENTRY, kTuningRangeCount>;
using TransmitMemoryKeys = std::array<std::string, kTransmitMemoryKeyCount>;

// WriteString, WriteDword and WriteByte (SettingsFileWriters) write one value by group and
// name; `group` empty is the main key. Texts are cut to 79 bytes (253 in "Transmit Memory
// Keys") at a character boundary. False when the file could not be written.
class CRegistryStore : public SettingsFileWriters {
  public:
    CRegistryStore();
    ~CRegistryStore() = default;

    CRegistryStore(const CRegistryStore&) = delete;
    CRegistryStore& operator=(const CRegistryStore&) = delete;

    // The settings file's path, as the store opens it.
    static std::string SettingsFilePath();
    // A reader of the settings file that never writes: for the configuration sheet, which
    // shows the stored values and must leave the file as it was until Apply.
    static SettingsReader ReadOnly() { return SettingsReader(settings::kFile); }

    // Flushes the settings file. Every write already syncs; main() calls this once more
    // before it ends the process with _Exit. False when the file could not be written.
    bool Sync();

    // --- Radio mode table: LSB 1, USB 2, CW 3, RTTY 6, CWR 7, RTTYR 9 ----------------------

    // K2 mode code of entry 0 to 5; -1 for any other index.
    int ModeValueAt(int index) const;
    // Index 0 to 5 of a K2 mode code, or -1.
    int IndexOfModeValue(int modeValue) const;
    // K2 mode code of a mode name (exact, case-sensitive), or -1.
    int ModeValueOfName(const std::string& name) const;
    // Name of a K2 mode code, or "".
    std::string ModeNameOfValue(int modeValue) const;

    // --- Text slots 1 to 8 -----------------------------------------------------------------

    // False, and nothing stored or copied, for a slot outside 1 to 8.
    bool SetStringSlot(int slot, const std::string& text);
    bool GetStringSlot(int slot, std::string& text) const;

    // --- Tuning ranges ---------------------------------------------------------------------

    bool SetTuningRanges(const TuningRangeTable& ranges);
    // The first range, in table order, with low <= frequency <= high. False while no band
    // table has been loaded or when no range holds the frequency.
    bool FindTuningRange(std::uint32_t frequency, TUNING_RANGE_ENTRY& range) const;
    // The range's name; "" while not loaded or for an index outside 0 to 8.
    std::string GetTuningRangeName(int index) const;
    // The first index whose name equals `name` exactly; -1 while not loaded or if none.
    int IndexOfTuningRangeName(const std::string& name) const;

    // --- Building blocks -------------------------------------------------------------------

    // Writes the nine main values and the "Window Size" rectangle. When the file cannot be
    // created at all only "Unable to Create Main Pelorin Registry!" is shown.
    void CreateDefaults();
    bool CreateWindowSizeKey();

    // --- Main key ---------------------------------------------------------------------------
    //
    // Writers return false when the file could not be written.

    // False after a read error of "HomeDir" (other than a missing value).
    bool ReadHomeDir(std::string& homeDir);
    // "HomeDir" as ReadHomeDir finds it, its default when missing or unreadable, without
    // writing or showing anything: the start-up's look before it locks that folder.
    std::string StoredHomeDir() const;

    // Also puts call sign, name and QTH into slots 1, 2 and 3.
    bool ReadOperatorInfo(std::string& homeDir, std::string& callsign, std::string& name,
                          std::string& qth, std::uint8_t& utcOffset, std::string& logFileName,
                          std::uint8_t& loggingMode);
    bool WriteOperatorInfo(const std::string& homeDir, const std::string& callsign,
                           const std::string& name, const std::string& qth, std::uint8_t utcOffset,
                           const std::string& logFileName, std::uint8_t loggingMode);

    // "Offset from UTC" is sign and magnitude: bits 0-6 the hours, bit 7 set when negative.
    bool ReadUtcSettings(int& useUtc, std::uint8_t& utcOffset);

    bool ReadApplicationColor(std::uint32_t& color);
    bool WriteApplicationColor(std::uint32_t color);

    bool ReadNameService(std::string& host, int& port);
    bool WriteNameService(const std::string& host, int port);

    bool ReadAudioHost(int& enabled, std::string& commandName);

    // 0 normal, 1 contest; stored as one byte, of which only bit 0 is read.
    bool ReadQsoLoggingMode(int& mode);
    bool WriteQsoLoggingMode(int mode);

    // False after a read error (other than a missing value).
    bool ReadCurrentLogFileName(std::string& fileName);
    bool WriteCurrentLogFileName(const std::string& fileName);

    // The three texts and "Use UTC in Log", then the counter settings (ReadCounterSettings,
    // whose result it returns).
    bool ReadQsoLogInfo(std::string& gridSquare, std::string& cqZone, std::string& ituZone,
                        int& counterValue, int& outputMode, int& useUtc);
    // No counter value: "Counter Value" is left as the file holds it.
    bool WriteQsoLogInfo(const std::string& gridSquare, const std::string& cqZone,
                         const std::string& ituZone, std::optional<int> counterValue,
                         int outputMode, int useUtc);

    // --- "Window Size" ----------------------------------------------------------------------
    //
    // Each corner is one 32-bit value, x in the high and y in the low 16 bits, each half a
    // signed 16-bit number. A rectangle wider than 1024 or higher than 768 reads and writes as
    // 0, 0, 639, 479. The readers return false when the bottom-right value could not be read
    // (a missing corner counts as 0, 0).

    bool ReadWindowRect(int& left, int& top, int& right, int& bottom);
    bool WriteWindowRect(int left, int top, int right, int bottom);
    bool ReadOriginalWindowRect(int& left, int& top, int& right, int& bottom);
    bool WriteOriginalWindowRect(int left, int top, int right, int bottom);
    bool ReadWindowsMoveTogether(int& moveTogether);
    bool WriteWindowsMoveTogether(int moveTogether);

    // --- "Transmit Memory Keys": index 0 is "F1" ---------------------------------------------

    // Each text is read whole, however long. A text that cannot be read (missing, or not a
    // text) leaves the caller's text of that index.
    bool ReadTransmitMemoryKeys(TransmitMemoryKeys& texts);
    bool WriteTransmitMemoryKeys(const TransmitMemoryKeys& texts);
    // False, and nothing written, for an index outside 0 to 10.
    bool WriteTransmitMemoryKey(int index, const std::string& text);

    // --- "Settings" -------------------------------------------------------------------------

    // The front panel's tuning span 0 to 3; a stored index above 3 reads as 0.
    bool ReadSelectedTuningRange(int& index);
    bool WriteSelectedTuningRange(int index);
    bool ReadScanLimits(int& low, int& high);
    bool WriteScanLimits(int low, int high);
    // Output mode: bits 0-6 the number of digits, bit 7 the cut-number form; one byte.
    // "Counter Value" is a whole number 0 to 2147483647. A missing value is written with its
    // default (1, 0). One that cannot be read stays in the file as it stands: an unreadable
    // output mode reads as 0; an unreadable counter value leaves `counterValue` as it was and
    // makes the result false, so that the counter is never restarted behind the operator's
    // back.
    bool ReadCounterSettings(int& counterValue, int& outputMode);
    // "Output Mode" alone (0 when missing or unreadable), without writing anything.
    bool ReadCounterOutputMode(int& outputMode) const;
    bool WriteCounterSettings(int counterValue, int outputMode);

  private:
    mutable std::mutex m_mutex;  // guards the slots and the tuning ranges
    bool m_bTuningRangesNotLoaded = true;
    TuningRangeTable m_tuningRanges{};
    std::array<std::string, kStringSlotCount> m_stringSlots{};
};

extern CRegistryStore theRegistryStore;

}  // namespace pelorin
