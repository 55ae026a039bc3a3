#pragma once

// Contacts the QSO tests start from: one of each log style with every field of
// its kind filled, at wall-clock times whose digits no time zone may move.
// A test that needs another value changes a copy:
//
//   QSO_LOG_ENTRY e = qsotest::changed(qsotest::normalEntry(), [](auto& e) { e.nBand = -1; });

#include <cstdint>
#include <string>

#include "client/qso/qso_log_entry.h"
#include "client/qso/qso_log_file.h"

namespace qsotest {

// Wall-clock seconds of a date and time, month first as the log writes it.
inline std::int64_t at(int month, int day, int year, int hour, int minute, int second) {
    return *pelorin::WallClockSeconds({year, month, day, hour, minute, second});
}

// A normal CW contact on 20 m at an odd hertz, QSL sent.
inline pelorin::QSO_LOG_ENTRY normalEntry(const std::string& call = "N0CALL") {
    pelorin::QSO_LOG_ENTRY e;
    e.nLogStyle = pelorin::kNormalLogStyle;
    e.tmQSO = at(7, 4, 1999, 14, 30, 0);
    e.szCall = call;
    e.nBand = 4;
    e.lFreq = 14025001;
    e.nMode = 3;
    e.szName = "Ann";
    e.szQTH = "Anytown";
    e.szMySig = "599";
    e.szHisSig = "579";
    e.nQSLStatus = 1;
    e.szComment = "tnx";
    return e;
}

// A contest CW contact on 40 m with an exchange, no QSL and no comment.
inline pelorin::QSO_LOG_ENTRY contestEntry(const std::string& call = "K1TEST") {
    pelorin::QSO_LOG_ENTRY e;
    e.nLogStyle = pelorin::kContestLogStyle;
    e.tmQSO = at(11, 23, 2024, 18, 30, 5);
    e.szCall = call;
    e.nBand = 6;
    e.lFreq = 7030500;
    e.nMode = 3;
    e.szExchange = "599 05";
    return e;
}

// `e` after `change(e)`.
template <class Change>
pelorin::QSO_LOG_ENTRY changed(pelorin::QSO_LOG_ENTRY e, Change change) {
    change(e);
    return e;
}

}  // namespace qsotest
