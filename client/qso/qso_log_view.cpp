#include "client/qso/qso_log_view.h"

#include <cstdio>

#include "client/qso/qso_log_file.h"

namespace pelorin {
namespace {

constexpr LogColumn kNormalColumns[] = {
    {"    ", 30},       {"Call", 60},     {"Date", 70},     {"Time", 58}, {"Band", 50},
    {"Freq (KHz)", 64}, {"Mode", 50},     {"Name", 50},     {"QTH", 50},  {"My RST", 50},
    {"His RST", 50},    {"QSL Stat", 70}, {"Comment", 150},
};

constexpr LogColumn kContestColumns[] = {
    {"    ", 30},       {"Call", 60}, {"Date", 70},      {"Time", 58},     {"Band", 50},
    {"Freq (KHz)", 64}, {"Mode", 50}, {"Exchange", 100}, {"QSL Stat", 70}, {"Comment", 150},
};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Splits "a<sep>b<sep>c" into three numbers of the given digit counts
// (min..max each); false for anything else.
bool splitNumbers(std::string_view text, char separator, const int (&minDigits)[3],
                  const int (&maxDigits)[3], int (&out)[3]) {
    text = TrimBlanks(text);
    std::size_t pos = 0;
    for (int part = 0; part < 3; ++part) {
        if (part > 0) {
            if (pos >= text.size() || text[pos] != separator)
                return false;
            ++pos;
        }
        int digits = 0;
        int value = 0;
        while (pos < text.size() && isDigit(text[pos]) && digits < maxDigits[part]) {
            value = value * 10 + (text[pos] - '0');
            ++digits;
            ++pos;
        }
        if (digits < minDigits[part])
            return false;
        out[part] = value;
    }
    return pos == text.size();
}

std::string printed(const char* format, auto... values) {
    char text[64];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

}  // namespace

std::span<const LogColumn> LogColumns(int style) {
    if (style == kNormalLogStyle)
        return kNormalColumns;
    if (style == kContestLogStyle)
        return kContestColumns;
    return {};
}

std::string FormatLogDate(std::int64_t tmQSO) {
    const WallClockTime t = BreakDownWallClock(tmQSO);
    return printed("%02d/%02d/%04d", t.month, t.day, t.year);
}

std::string FormatLogTime(std::int64_t tmQSO) {
    const WallClockTime t = BreakDownWallClock(tmQSO);
    return printed("%02d:%02d:%02d", t.hour, t.minute, t.second);
}

std::string FormatKiloHertz(std::int64_t hz) {
    return printed("%10.2f", static_cast<double>(hz) / 1000.0);
}

std::string FormatCount(int count) {
    return printed("%4d", count);
}

std::vector<std::string> LogRowTexts(const QSO_LOG_ENTRY& e, int style, int rowNumber) {
    std::vector<std::string> texts = {
        FormatCount(rowNumber),         e.szCall,
        FormatLogDate(e.tmQSO),         FormatLogTime(e.tmQSO),
        std::string(BandName(e.nBand)), FormatKiloHertz(e.lFreq),
        std::string(ModeName(e.nMode)),
    };
    const std::string qsl(QslStatusName(e.nQSLStatus));
    if (style == kContestLogStyle) {
        texts.insert(texts.end(), {e.szExchange, qsl, e.szComment});
    } else if (style == kNormalLogStyle) {
        texts.insert(texts.end(), {e.szName, e.szQTH, e.szMySig, e.szHisSig, qsl, e.szComment});
    } else {
        texts.clear();
    }
    return texts;
}

void BandCounts::Add(const QSO_LOG_ENTRY& entry) {
    ++total;
    if (entry.nBand >= 0 && entry.nBand < kCountedBands)
        ++bands[static_cast<std::size_t>(entry.nBand)];
}

BandCounts CountBands(const std::vector<QSO_LOG_ENTRY>& entries) {
    BandCounts counts;
    for (const QSO_LOG_ENTRY& e : entries)
        counts.Add(e);
    return counts;
}

std::string SearchLineCall(std::string_view line) {
    return std::string(line.substr(0, line.find(' ')));
}

int EditorModeIndex(int mode) {
    for (std::size_t i = 0; i < kEditorModes.size(); ++i) {
        if (kEditorModes[i] == mode)
            return static_cast<int>(i);
    }
    return -1;
}

namespace {

int stepWrapping(int position, int step, int count) {
    if (position < 0 || position >= count)
        return step < 0 ? 0 : count - 1;
    if (step < 0)
        return (position + 1) % count;
    if (step > 0)
        return (position + count - 1) % count;
    return position;
}

}  // namespace

int StepModeIndex(int index, int step) {
    return stepWrapping(index, step, static_cast<int>(kEditorModes.size()));
}

int StepQslStatus(int status, int step) {
    return stepWrapping(status, step, kQslStatusCount);
}

QsoEditForm EditFormOf(const QSO_LOG_ENTRY& e) {
    QsoEditForm form;
    form.call = e.szCall;
    form.name = e.szName;
    form.qth = e.szQTH;
    form.hisSig = e.szHisSig;
    form.mySig = e.szMySig;
    form.exchange = e.szExchange;
    form.comment = e.szComment;
    form.date = FormatLogDate(e.tmQSO);
    form.time = FormatLogTime(e.tmQSO);
    form.frequency = std::to_string(e.lFreq);
    form.modeIndex = EditorModeIndex(e.nMode);
    form.qslStatus = e.nQSLStatus >= 0 && e.nQSLStatus < kQslStatusCount ? e.nQSLStatus : -1;
    return form;
}

std::optional<EditDate> ParseEditDate(std::string_view text) {
    int n[3] = {};
    if (!splitNumbers(text, '/', {1, 1, 4}, {2, 2, 4}, n))
        return std::nullopt;
    const EditDate date{n[0], n[1], n[2]};
    if (!WallClockSeconds({date.year, date.month, date.day, 0, 0, 0}))
        return std::nullopt;
    return date;
}

std::optional<EditTime> ParseEditTime(std::string_view text) {
    int n[3] = {};
    if (!splitNumbers(text, ':', {1, 1, 1}, {2, 2, 2}, n))
        return std::nullopt;
    if (n[0] > 23 || n[1] > 59 || n[2] > 59)
        return std::nullopt;
    return EditTime{n[0], n[1], n[2]};
}

std::optional<std::int64_t> ParseEditFrequency(std::string_view text) {
    text = TrimBlanks(text);
    if (text.empty() || text.size() > 10)
        return std::nullopt;
    std::int64_t hz = 0;
    for (char c : text) {
        if (!isDigit(c))
            return std::nullopt;
        hz = hz * 10 + (c - '0');
    }
    if (hz > kMaxFrequency)
        return std::nullopt;
    return hz;
}

QsoEditResult ApplyQsoEdit(const QSO_LOG_ENTRY& original, const QsoEditForm& form,
                           const BandLookup& bandOf) {
    const QsoEditForm opened = EditFormOf(original);
    QSO_LOG_ENTRY e = original;

    if (TrimBlanks(form.call).empty())
        return {std::nullopt, "Callsign is empty!", QsoEditField::Call};
    if (form.date != opened.date || form.time != opened.time) {
        const std::optional<EditDate> date = ParseEditDate(form.date);
        if (!date)
            return {std::nullopt, "Invalid date", QsoEditField::Date};
        const std::optional<EditTime> time = ParseEditTime(form.time);
        if (!time)
            return {std::nullopt, "Invalid time", QsoEditField::Time};
        e.tmQSO = *WallClockSeconds(
            {date->year, date->month, date->day, time->hour, time->minute, time->second});
    }
    if (form.frequency != opened.frequency) {
        const std::optional<std::int64_t> hz = ParseEditFrequency(form.frequency);
        if (!hz)
            return {std::nullopt, "Invalid frequency", QsoEditField::Frequency};
        if (*hz != original.lFreq) {
            e.lFreq = *hz;
            e.nBand = bandOf ? bandOf(*hz) : -1;
        }
    }

    e.szCall = form.call;
    e.szName = form.name;
    e.szQTH = form.qth;
    e.szHisSig = form.hisSig;
    e.szMySig = form.mySig;
    e.szExchange = form.exchange;
    e.szComment = form.comment;
    if (form.modeIndex >= 0 && form.modeIndex < static_cast<int>(kEditorModes.size()))
        e.nMode = kEditorModes[static_cast<std::size_t>(form.modeIndex)];
    if (form.qslStatus >= 0 && form.qslStatus < kQslStatusCount)
        e.nQSLStatus = form.qslStatus;
    return {e, {}, QsoEditField::Call};
}

}  // namespace pelorin
