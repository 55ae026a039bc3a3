#pragma once

// The words of a radio memory as the memory dialogs show and take them: the
// choice lists, the texts of the recall and edit lists, and the checks of the
// values typed into the save dialog.
//
// Pure logic (no widget); any thread.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "client/memory/k2_memory_cfg.h"

namespace memory_fields {

// Snapshot words the dialogs use.
enum Word : std::size_t {
    kVfoA = 0,
    kVfoB = 1,
    kMode = 2,
    kXFIL = 3,
    kAFIL = 5,
    kAGC = 6,
    kNB = 7,
    kCWSpeed = 8,
    kAntenna = 9,
    kPower = 10,
    kRxVFO = 11,
    kTxVFO = 12,
    kPreamp = 13,
    kAttenuator = 14,
    kRITOn = 16,
    kXITOn = 17,
    kBand = 18,
};

// One choice list of the save dialog: its items and the word value of each.
struct Choice {
    int controlId;
    Word word;
    std::vector<const char*> items;
    std::vector<int> values;  // word value of item i
};

// The eleven lists of the save dialog, in their order on the dialog (mode,
// XFIL, AFIL, AGC, NB, preamp, attenuator, TX VFO, RX VFO, RIT, XIT).
const std::vector<Choice>& Choices();

// The item that shows `value`, or -1 when the list has none (the list then
// selects nothing and the word is kept).
int IndexOf(const Choice& choice, int value);
// The word an item stands for. The two VFO lists store 1 for any item but 0.
int ValueOf(const Choice& choice, int index);

// Names the lists show; "" for a value outside the table.
std::string ModeName(int mode);
std::string XFILName(int xfil);
std::string AFILName(int afil);
std::string NBName(int nb);
std::string AGCName(int agc);
const char* OnOff(int value);

// "%10.2f" of the receive VFO's frequency (VFO A while word 11 is 0, else
// VFO B) in kHz.
std::string ReceiveKHz(const RADIO_MEMORY_RECORD& record);

// The recall list's row: name, frequency, band (the given name), mode,
// "XFIL%1d", split "Yes"/"No".
std::array<std::string, 6> RecallRow(const RADIO_MEMORY_RECORD& record,
                                     const std::string& bandName);
// The edit list's row: name, frequency, mode, XFIL, AFIL, NB, PreAmp, ATT,
// AGC, RIT, XIT, CW speed "%2d", power "%6.1fW", antenna "%1d".
std::array<std::string, 14> EditRow(const RADIO_MEMORY_RECORD& record);

// The texts the save dialog shows: "%10.2f" kHz, "%6.1f" of the power
// setting / 10, "Ant %d".
std::string FormatPower(int setting);
std::string FormatAntenna(int antenna);

// Typed values. The power is a plain decimal from 0.0 to 15.0 in watts,
// rounded to tenths, as the setting in tenths (2.3 -> 23); the CW speed a
// whole number of words per minute from 1 to 100. Nothing for anything else.
std::optional<int> ParsePowerEntry(std::string_view text);
std::optional<int> ParseCWSpeedEntry(std::string_view text);

inline constexpr int kMinCWSpeed = 1;
inline constexpr int kMaxCWSpeed = 100;
inline constexpr int kMaxPowerSetting = 150;

}  // namespace memory_fields
