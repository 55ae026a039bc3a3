#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// One logged contact as it travels through the client: the entry windows fill
// it, the info object stamps it and adds the radio's frequency, band and mode,
// the logger lists it and writes it to the log file, the log window and the
// editors show and change it. A plain value: copies are whole and independent.
//
// Texts are Latin-1 bytes, one byte a character, kept exactly as typed or
// read. Both kinds of entry share one record; a normal entry uses szName,
// szQTH, szHisSig and szMySig, a contest entry szExchange, both szComment.
//
// tmQSO is the wall-clock time as logged, counted in seconds from
// 01/01/1970 00:00:00 of the same clock: it is never converted through a time
// zone, so the file, the list and the editors show the digits the operator
// logged, and no daylight-saving change moves it.

namespace pelorin {

inline constexpr int kNormalLogStyle = 0;
inline constexpr int kContestLogStyle = 1;

// The most characters each text may hold.
inline constexpr std::size_t kMaxCallLength = 19;
inline constexpr std::size_t kMaxNameLength = 19;
inline constexpr std::size_t kMaxQthLength = 39;
inline constexpr std::size_t kMaxSignalReportLength = 19;
inline constexpr std::size_t kMaxCommentLength = 79;
inline constexpr std::size_t kMaxExchangeLength = 79;

// The highest frequency a record holds, in Hz: the file and the editors take
// nothing above it.
inline constexpr std::int64_t kMaxFrequency = 2147483647;

struct QSO_LOG_ENTRY {
    int nLogStyle = kNormalLogStyle;  // 0 normal, 1 contest
    std::int64_t tmQSO = 0;           // wall-clock seconds, see above
    std::string szCall;

    std::int64_t lFreq = 0;  // Hz, 0 to kMaxFrequency
    int nBand = -1;          // 0 (10 m) to 8 (160 m); -1 for none
    int nMode = 0;           // LSB 1, USB 2, CW 3, RTTY 6, CWR 7, RTTYR 9; 0 none
    int nQSLStatus = 0;      // 0 None, 1 Sent, 2 Received, 3 Exchanged

    std::string szName;      // normal
    std::string szQTH;       // normal
    std::string szHisSig;    // normal
    std::string szMySig;     // normal
    std::string szExchange;  // contest
    std::string szComment;

    bool operator==(const QSO_LOG_ENTRY&) const = default;
};

// A text without its leading and trailing blanks (spaces and tabs).
inline std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Upper case for the ASCII letters only: "ñ" or "ß" in a call stays as typed.
inline std::string AsciiUpper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

}  // namespace pelorin
