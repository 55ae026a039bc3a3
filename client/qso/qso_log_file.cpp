#include "client/qso/qso_log_file.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <system_error>

#include "client/panel/front_panel_model.h"
#include "platform/file_status.h"

namespace pelorin {
namespace {

struct ModeEntry {
    int code;
    std::string_view name;
};
constexpr std::array<ModeEntry, 6> kModes = {{
    {1, "LSB"},
    {2, "USB"},
    {3, "CW"},
    {6, "RTTY"},
    {7, "CWR"},
    {9, "RTTYR"},
}};
constexpr std::array<std::string_view, 4> kQslNames = {"None", "Sent", "Received", "Exchanged"};

constexpr std::size_t kNormalFieldCount = 13;
constexpr std::size_t kContestFieldCount = 10;
constexpr std::int64_t kSecondsPerDay = 86400;

// Days from 1970-01-01 of a proleptic Gregorian date.
std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

int daysInMonth(int year, int month) {
    static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

bool allDigits(std::string_view text) {
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

int digitsValue(std::string_view digits) {
    int value = 0;
    for (const char c : digits)
        value = value * 10 + (c - '0');
    return value;
}

// A number as this program writes it: digits without a leading zero (but
// "0"), at most `maxDigits` of them, which `T` holds. Anything else would not
// read back as the same bytes.
template <typename T>
std::optional<T> plainNumber(std::string_view field, std::size_t maxDigits) {
    if (field.empty() || field.size() > maxDigits || !allDigits(field) ||
        (field.size() > 1 && field.front() == '0'))
        return std::nullopt;
    T value{};
    const char* end = field.data() + field.size();
    const auto [stop, error] = std::from_chars(field.data(), end, value);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool takeText(std::string_view field, std::size_t limit, std::string& text) {
    if (field.size() > limit)
        return false;
    text.assign(field);
    return true;
}

}  // namespace

std::string_view BandName(int band) {
    if (band < 0 || band >= static_cast<int>(kBandNames.size()))
        return {};
    return kBandNames[static_cast<std::size_t>(band)];
}

int BandIndex(std::string_view name) {
    if (name.empty())
        return -1;
    for (std::size_t i = 0; i < kBandNames.size(); ++i) {
        if (kBandNames[i] == name)
            return static_cast<int>(i);
    }
    return -1;
}

std::string_view ModeName(int mode) {
    for (const ModeEntry& m : kModes) {
        if (m.code == mode)
            return m.name;
    }
    return {};
}

int ModeCode(std::string_view name) {
    if (name.empty())
        return 0;
    for (const ModeEntry& m : kModes) {
        if (m.name == name)
            return m.code;
    }
    return -1;
}

std::string_view QslStatusName(int status) {
    if (status < 0 || status >= static_cast<int>(kQslNames.size()))
        return {};
    return kQslNames[static_cast<std::size_t>(status)];
}

std::optional<std::int64_t> WallClockSeconds(const WallClockTime& t) {
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > daysInMonth(t.year, t.month) ||
        t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 ||
        t.second > 59) {
        return std::nullopt;
    }
    return daysFromCivil(t.year, t.month, t.day) * kSecondsPerDay + t.hour * 3600 + t.minute * 60 +
           t.second;
}

WallClockTime BreakDownWallClock(std::int64_t seconds) {
    std::int64_t days = seconds / kSecondsPerDay;
    std::int64_t rest = seconds % kSecondsPerDay;
    if (rest < 0) {
        rest += kSecondsPerDay;
        --days;
    }
    // Civil date of a day count (inverse of daysFromCivil).
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    WallClockTime t;
    t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2 ? 1 : 0));
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest % 3600 / 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}

std::string FormatLogDateTime(std::int64_t seconds) {
    constexpr std::int64_t kFirst = -62167219200;  // 01/01/0000 00:00:00
    constexpr std::int64_t kLast = 253402300799;   // 12/31/9999 23:59:59
    const WallClockTime t = BreakDownWallClock(std::clamp(seconds, kFirst, kLast));
    char text[32];
    std::snprintf(text, sizeof text, "%02d%02d%04d%02d%02d%02d", t.month, t.day, t.year, t.hour,
                  t.minute, t.second);
    return text;
}

std::optional<std::int64_t> ParseLogDateTime(std::string_view field) {
    if (field.size() != 14 || !allDigits(field))
        return std::nullopt;
    WallClockTime t;
    t.month = digitsValue(field.substr(0, 2));
    t.day = digitsValue(field.substr(2, 2));
    t.year = digitsValue(field.substr(4, 4));
    t.hour = digitsValue(field.substr(8, 2));
    t.minute = digitsValue(field.substr(10, 2));
    t.second = digitsValue(field.substr(12, 2));
    return WallClockSeconds(t);
}

std::string FormatLogLine(const QSO_LOG_ENTRY& e, int serial) {
    std::string line;
    const auto field = [&line](std::string_view text) {
        line.append(text);
        line.push_back(';');
    };
    const bool contest = e.nLogStyle == kContestLogStyle;
    field(contest ? "1" : "0");
    field(std::to_string(serial));
    field(e.szCall);
    field(FormatLogDateTime(e.tmQSO));
    field(BandName(e.nBand));
    field(std::to_string(e.lFreq));
    field(ModeName(e.nMode));
    if (contest) {
        field(e.szExchange);
    } else {
        field(e.szName);
        field(e.szQTH);
        field(e.szMySig);
        field(e.szHisSig);
    }
    field(std::to_string(e.nQSLStatus));
    field(e.szComment);
    line.push_back('\n');
    return line;
}

bool NextLogLine(std::string_view bytes, std::size_t& pos, std::string_view& line) {
    if (pos >= bytes.size())
        return false;
    const std::size_t end = bytes.find('\n', pos);
    if (end == std::string_view::npos) {
        line = bytes.substr(pos);
        pos = bytes.size();
    } else {
        line = bytes.substr(pos, end - pos);
        pos = end + 1;
    }
    return true;
}

bool NextLogField(std::string_view line, std::size_t& pos, std::string_view& field) {
    if (pos >= line.size())
        return false;
    const std::size_t end = line.find(';', pos);
    if (end == std::string_view::npos) {
        field = line.substr(pos);
        pos = line.size();
    } else {
        field = line.substr(pos, end - pos);
        pos = end + 1;
    }
    return true;
}

ParsedLogLine ParseLogLine(std::string_view line, std::int64_t now) {
    ParsedLogLine parsed;
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    std::size_t first = 0;
    while (first < line.size() && isBlank(line[first]))
        ++first;
    if (first == line.size()) {
        parsed.kind = LogLineKind::Blank;
        return parsed;
    }
    const char lead = line[first];
    if (lead == '#' || lead == '!' || lead == '*' || lead == '.') {
        parsed.kind = LogLineKind::Comment;
        return parsed;
    }
    parsed.kind = LogLineKind::Other;
    // Every field ends with ";": a line cut short, or holding only a digit,
    // is no contact.
    if (line.back() != ';')
        return parsed;

    std::vector<std::string_view> fields;
    std::size_t pos = 0;
    std::string_view field;
    while (NextLogField(line, pos, field))
        fields.push_back(field);
    if (fields.empty() || (fields[0] != "0" && fields[0] != "1"))
        return parsed;
    QSO_LOG_ENTRY& e = parsed.entry;
    e.nLogStyle = fields[0] == "1" ? kContestLogStyle : kNormalLogStyle;
    const bool contest = e.nLogStyle == kContestLogStyle;
    if (fields.size() > (contest ? kContestFieldCount : kNormalFieldCount))
        return parsed;
    fields.resize(contest ? kContestFieldCount : kNormalFieldCount);

    parsed.hasSerial = !fields[1].empty();
    if (!takeText(fields[2], kMaxCallLength, e.szCall))
        return parsed;
    if (fields[3].empty()) {
        e.tmQSO = now;
    } else {
        const auto stamp = ParseLogDateTime(fields[3]);
        if (!stamp)
            return parsed;
        e.tmQSO = *stamp;
    }
    // A band or mode text this program would not write back the same makes
    // the line a kept one, like a frequency or QSL state it would rewrite.
    e.nBand = BandIndex(fields[4]);
    if (!fields[4].empty() && e.nBand < 0)
        return parsed;
    if (!fields[5].empty()) {
        const std::optional<std::int64_t> freq = plainNumber<std::int64_t>(fields[5], 10);
        if (!freq || *freq > kMaxFrequency)
            return parsed;
        e.lFreq = *freq;
    }
    e.nMode = ModeCode(fields[6]);
    if (e.nMode < 0)
        return parsed;
    std::size_t next = 7;
    if (contest) {
        if (!takeText(fields[next++], kMaxExchangeLength, e.szExchange))
            return parsed;
    } else {
        if (!takeText(fields[next++], kMaxNameLength, e.szName) ||
            !takeText(fields[next++], kMaxQthLength, e.szQTH) ||
            !takeText(fields[next++], kMaxSignalReportLength, e.szMySig) ||
            !takeText(fields[next++], kMaxSignalReportLength, e.szHisSig)) {
            return parsed;
        }
    }
    const std::string_view qsl = fields[next++];
    if (!qsl.empty()) {
        const std::optional<int> status = plainNumber<int>(qsl, 9);
        if (!status)
            return parsed;
        e.nQSLStatus = *status;
    }
    if (!takeText(fields[next], kMaxCommentLength, e.szComment))
        return parsed;
    parsed.kind = LogLineKind::Entry;
    return parsed;
}

LogFileContent LoadLogFile(std::string_view bytes, std::int64_t now) {
    LogFileContent content;
    std::size_t pos = 0;
    std::string_view line;
    int number = 0;
    while (NextLogLine(bytes, pos, line)) {
        ++number;
        ParsedLogLine parsed = ParseLogLine(line, now);
        if (parsed.kind == LogLineKind::Entry) {
            if (!content.style)
                content.style = parsed.entry.nLogStyle;
            if (parsed.entry.nLogStyle != *content.style)
                parsed.kind = LogLineKind::Other;
        }
        switch (parsed.kind) {
            case LogLineKind::Entry:
                if (parsed.hasSerial)
                    ++content.nQSOCount;
                content.entries.push_back(std::move(parsed.entry));
                break;
            case LogLineKind::Other:
                content.unreadableLines.push_back(number);
                content.keptLines.emplace_back(line);
                break;
            case LogLineKind::Blank:
            case LogLineKind::Comment:
                content.keptLines.emplace_back(line);
                break;
        }
    }
    return content;
}

std::optional<int> CheckLogFileStyle(std::string_view bytes) {
    std::size_t pos = 0;
    std::string_view line;
    while (NextLogLine(bytes, pos, line)) {
        const ParsedLogLine parsed = ParseLogLine(line, 0);
        if (parsed.kind == LogLineKind::Entry)
            return parsed.entry.nLogStyle;
    }
    return std::nullopt;
}

std::string FormatLogFile(const std::vector<QSO_LOG_ENTRY>& entries,
                          const std::vector<std::string>& keptLines) {
    std::string bytes;
    int serial = 0;
    for (const QSO_LOG_ENTRY& e : entries)
        bytes += FormatLogLine(e, ++serial);
    for (const std::string& line : keptLines) {
        bytes += line;
        bytes.push_back('\n');
    }
    return bytes;
}

std::string UnreadableLinesNotice(const std::string& path, const std::vector<int>& lines) {
    std::string numbers;
    for (std::size_t i = 0; i < lines.size() && i < 5; ++i) {
        if (i > 0)
            numbers += ", ";
        numbers += std::to_string(lines[i]);
    }
    return path + ": " + std::to_string(lines.size()) +
           " lines cannot be read as contacts and are kept unchanged (lines " + numbers + ")";
}

std::uint32_t WriteLogEntry(const std::string& path, const QSO_LOG_ENTRY& entry, int serial,
                            int* reason, const platform::AppendStepHook& hook) {
    const int error = platform::appendToFile(path, FormatLogLine(entry, serial), hook);
    if (reason != nullptr)
        *reason = error;
    return error == 0 ? 0 : K2ERR_FILE_WRITE;
}

std::uint32_t WriteLogEntries(const std::string& path, const QSO_LOG_ENTRY* entries,
                              std::size_t count, int firstSerial, int* reason,
                              const platform::AppendStepHook& hook, std::string* written) {
    std::string bytes;
    for (std::size_t i = 0; i < count; ++i)
        bytes += FormatLogLine(entries[i], firstSerial + static_cast<int>(i));
    const int error = platform::appendToFile(path, bytes, hook, written);
    if (reason != nullptr)
        *reason = error;
    return error == 0 ? 0 : K2ERR_FILE_WRITE;
}

std::string BackupPathOf(const std::string& path) {
    return path + ".Bak";
}

std::uint32_t SaveLogFile(const std::string& path, const std::vector<QSO_LOG_ENTRY>& entries,
                          const std::vector<std::string>& keptLines, int* reason,
                          const platform::AtomicStepHook& hook) {
    return SaveLogBytes(path, FormatLogFile(entries, keptLines), reason, hook);
}

std::uint32_t SaveLogBytes(const std::string& path, std::string_view bytes, int* reason,
                           const platform::AtomicStepHook& hook) {
    platform::AtomicWriteOptions options;
    options.backupPath = BackupPathOf(path);
    options.hook = hook;
    errno = 0;
    const std::uint32_t status = platform::replaceFileAtomically(path, bytes, options);
    if (reason != nullptr)
        *reason = status == 0 ? 0 : (errno != 0 ? errno : EIO);
    return status;
}

}  // namespace pelorin
