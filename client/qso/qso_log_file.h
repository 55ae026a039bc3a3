#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "client/qso/qso_log_entry.h"
#include "platform/atomic_file.h"

// The QSO log file: one contact a line, ";" after every field, "\n" after
// the last. No header; a file's kind is its first contact line's.
//
//   normal:  style;serial;call;MMDDYYYYhhmmss;band;Hz;mode;name;QTH;MySig;HisSig;QSL;comment;
//            0;1;N0CALL;07041999143000;  20M;14025000;CW;Ann;Anytown;599;579;1;tnx;
//   contest: style;serial;call;MMDDYYYYhhmmss;band;Hz;mode;exchange;QSL;comment;
//            1;12;K1TEST;11232024183005;  40M;7030500;CW;599 05;0;;
//
// Serials are line numbers: an append writes the counter + 1, a save numbers
// the lines 1..N. Lines that are no contact of the log's kind are kept as read
// and written back after the contacts, so a save loses nothing it could not
// read. Bytes are Latin-1 and pass through unchanged.
//
// Pure functions over bytes, plus the file operations over the shared atomic
// file layer; no widgets, callable from any thread.
namespace pelorin {

// "  10M" ... " 160M" by band index 0..8; empty outside.
std::string_view BandName(int band);
// Band index of an exact name; -1 for an empty or unknown name.
int BandIndex(std::string_view name);
// "LSB" 1, "USB" 2, "CW" 3, "RTTY" 6, "CWR" 7, "RTTYR" 9; empty outside.
std::string_view ModeName(int mode);
// 0 for an empty name, -1 for one outside the table.
int ModeCode(std::string_view name);
// "None", "Sent", "Received", "Exchanged"; empty outside 0..3.
std::string_view QslStatusName(int status);

// The wall clock broken down; see QSO_LOG_ENTRY::tmQSO.
struct WallClockTime {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};
// Empty when the fields are no real date and time.
std::optional<std::int64_t> WallClockSeconds(const WallClockTime& time);
WallClockTime BreakDownWallClock(std::int64_t seconds);
// MMDDYYYYhhmmss; years outside 0..9999 do not fit four digits and are held
// at the nearest end.
std::string FormatLogDateTime(std::int64_t seconds);
// Empty unless the field is 14 digits making a real date and time.
std::optional<std::int64_t> ParseLogDateTime(std::string_view field);

// One entry as one line, "\n" included, with the given serial number.
std::string FormatLogLine(const QSO_LOG_ENTRY& entry, int serial);

// Cuts the next line out of bytes at pos, without its "\n"; a last line
// without "\n" counts whole. False at the end of the bytes.
bool NextLogLine(std::string_view bytes, std::size_t& pos, std::string_view& line);
// Cuts the next field out of a line at pos: up to the next ";" or the end of
// the line. False when nothing is left after the last ";".
bool NextLogField(std::string_view line, std::size_t& pos, std::string_view& field);

enum class LogLineKind {
    Blank,    // empty or only blanks: kept, no contact
    Comment,  // first non-blank "#", "!", "*" or ".": kept, no contact
    Entry,    // a contact
    Other,    // anything else: kept, told to the operator
};

struct ParsedLogLine {
    LogLineKind kind = LogLineKind::Blank;
    QSO_LOG_ENTRY entry;     // for Entry
    bool hasSerial = false;  // for Entry: the serial field was not empty
};

// Reads one line (a "\r" before its end is no part of it). An entry has the
// style digit 0 or 1, at most its kind's fields, each ended by ";" with
// nothing after the last, texts within their limits, a frequency empty or
// 0..2147483647 and a QSL state empty or a number, both written as this
// program writes them (no sign, blank or leading zero), and a date empty or
// real, a band and a mode empty or named as this program names them. An
// empty date reads as now, an empty band as -1, an empty mode as 0.
ParsedLogLine ParseLogLine(std::string_view line, std::int64_t now);

struct LogFileContent {
    std::optional<int> style;            // first contact line's; none without one
    std::vector<QSO_LOG_ENTRY> entries;  // in file order
    std::vector<std::string> keptLines;  // verbatim, in file order
    std::vector<int> unreadableLines;    // 1-based numbers of the kept non-comment lines
    int nQSOCount = 0;                   // contacts read with a serial number
};

// Reads a whole file's bytes. Contact lines of the other kind than the file's
// are kept lines.
LogFileContent LoadLogFile(std::string_view bytes, std::int64_t now);
// The kind of the first contact line; none for a file without one.
std::optional<int> CheckLogFileStyle(std::string_view bytes);

// The whole file: the entries numbered 1..N, then the kept lines.
std::string FormatLogFile(const std::vector<QSO_LOG_ENTRY>& entries,
                          const std::vector<std::string>& keptLines);

// "<path>: N lines cannot be read as contacts and are kept unchanged (lines a, b, ...)",
// naming the first five.
std::string UnreadableLinesNotice(const std::string& path, const std::vector<int>& lines);

// --- Files ---------------------------------------------------------------------------------

// Appends one entry's line with the given serial; makes file and folder when
// missing. Returns 0 or K2ERR_FILE_WRITE; *reason gets the errno.
std::uint32_t WriteLogEntry(const std::string& path, const QSO_LOG_ENTRY& entry, int serial,
                            int* reason = nullptr, const platform::AppendStepHook& hook = {});

// Appends several entries' lines in one write, numbered from firstSerial.
// On success *written (when given) gets the bytes added: the lines, after a
// "\n" that ended the file's last line when it had none.
std::uint32_t WriteLogEntries(const std::string& path, const QSO_LOG_ENTRY* entries,
                              std::size_t count, int firstSerial, int* reason = nullptr,
                              const platform::AppendStepHook& hook = {},
                              std::string* written = nullptr);

// Replaces the file whole; the old one becomes "<path>.Bak" once the new one
// is complete. On failure nothing on disk changes. Returns 0 or a
// K2ERR_FILE_ code; *reason gets the errno.
std::uint32_t SaveLogFile(const std::string& path, const std::vector<QSO_LOG_ENTRY>& entries,
                          const std::vector<std::string>& keptLines, int* reason = nullptr,
                          const platform::AtomicStepHook& hook = {});
// The same with the file's bytes already formatted (FormatLogFile).
std::uint32_t SaveLogBytes(const std::string& path, std::string_view bytes, int* reason = nullptr,
                           const platform::AtomicStepHook& hook = {});

std::string BackupPathOf(const std::string& path);

}  // namespace pelorin
