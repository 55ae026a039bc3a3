#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "client/qso/qso_log_entry.h"

// What the log window shows and what its editors check, without widgets: the
// columns of each log style and the texts of one row, the per-band counts,
// the editor's boxes as texts and the rules that turn them back into a
// record. The log window and the editors are thin layers over these.
//
// Pure functions and values; callable from any thread.
namespace pelorin {

// --- The log window ------------------------------------------------------------------------

struct LogColumn {
    std::string_view title;
    int width;  // pixels
};

// The entry list's columns of a style; none for a style other than normal
// or contest.
std::span<const LogColumn> LogColumns(int style);

// One row: "%4d" row number (from 1), call, M/D/Y date, time, band name,
// "%10.2f" kHz, mode name, then the style's own texts and the QSL state name.
std::vector<std::string> LogRowTexts(const QSO_LOG_ENTRY& entry, int style, int rowNumber);

std::string FormatLogDate(std::int64_t tmQSO);  // "07/04/1999"
std::string FormatLogTime(std::int64_t tmQSO);  // "14:30:00"
std::string FormatKiloHertz(std::int64_t hz);   // "  14025.00"
std::string FormatCount(int count);             // "%4d"

inline constexpr int kCountedBands = 9;

// The statistics: contacts per band 0..8 and in all. Contacts without a
// band, or with one outside 0..8, count in the total only.
struct BandCounts {
    std::array<int, kCountedBands> bands{};
    int total = 0;

    void Add(const QSO_LOG_ENTRY& entry);
    bool operator==(const BandCounts&) const = default;
};
BandCounts CountBands(const std::vector<QSO_LOG_ENTRY>& entries);

// The call of a search result line: its text up to the first blank.
std::string SearchLineCall(std::string_view line);

// --- The editors ---------------------------------------------------------------------------

// The modes the editors' spinner steps through, in order: LSB, USB, CW,
// RTTY, CWR, RTTYR.
inline constexpr std::array<int, 6> kEditorModes = {1, 2, 3, 6, 7, 9};
inline constexpr int kQslStatusCount = 4;

// The spinner position of a mode; -1 for a mode outside the table.
int EditorModeIndex(int mode);

// A spinner's step: the up arrow steps -1 and goes to the next position, the
// down arrow +1 and goes to the previous one; both wrap. From no position
// (-1) up gives the first, down the last.
int StepModeIndex(int index, int step);
int StepQslStatus(int status, int step);

// The texts and spinner positions of an editor. A position of -1 is a mode
// or QSL state outside the spinner's range: it is kept on Modify until the
// spinner moves.
struct QsoEditForm {
    std::string call;
    std::string name;
    std::string qth;
    std::string hisSig;
    std::string mySig;
    std::string exchange;
    std::string comment;
    std::string date;       // MM/DD/YYYY
    std::string time;       // hh:mm:ss
    std::string frequency;  // whole Hz
    int modeIndex = -1;
    int qslStatus = -1;
};

// The form an editor opens with.
QsoEditForm EditFormOf(const QSO_LOG_ENTRY& entry);

// Fields of a real date or time, or nothing. Month and day, hours, minutes
// and seconds take one or two digits, the year four; blanks around are
// ignored.
struct EditDate {
    int month;
    int day;
    int year;
};
struct EditTime {
    int hour;
    int minute;
    int second;
};
std::optional<EditDate> ParseEditDate(std::string_view text);
std::optional<EditTime> ParseEditTime(std::string_view text);
// Whole Hz, 0 to 2147483647, digits only (blanks around are ignored).
std::optional<std::int64_t> ParseEditFrequency(std::string_view text);

// The band index of the range holding a frequency; -1 for none, or while no
// band table is loaded.
using BandLookup = std::function<int(std::int64_t hz)>;

// The box a refused form is wrong in.
enum class QsoEditField { Call, Date, Time, Frequency };

struct QsoEditResult {
    std::optional<QSO_LOG_ENTRY> entry;          // the changed record, when the form holds one
    std::string error;                           // else the message to show
    QsoEditField badField = QsoEditField::Call;  // and the box it is about
};

// Modify: the record with the form's values. A box left as it opened keeps
// its field exactly; a changed frequency takes the band `bandOf` gives it.
// Refuses an empty (blank) call, a bad date, time or frequency, in that
// order, with "Callsign is empty!", "Invalid date", "Invalid time",
// "Invalid frequency", each naming its box.
QsoEditResult ApplyQsoEdit(const QSO_LOG_ENTRY& original, const QsoEditForm& form,
                           const BandLookup& bandOf);

}  // namespace pelorin
