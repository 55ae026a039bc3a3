#pragma once

// The one switch for the programs' debugging traces ("Cmd = FA...",
// "OnHScroll: ...", "Exiting Brakton..."): they are written only when the
// environment variable RIGCONTROL_TRACE is "1". Every trace goes through Qt's
// debug output, qDebug() or a logging category of ours; the switch is a
// category filter, so a trace that is off is not even formatted. Warnings,
// errors and the programs' other output are left as they are, and so are
// Qt's own categories ("qt.*").
//
// Each program calls applyTraceSwitch() once at start-up, before its threads
// start; the windows built later need nothing more.

namespace platform {

inline constexpr const char* kTraceVariable = "RIGCONTROL_TRACE";

// Reads RIGCONTROL_TRACE and switches every trace on or off accordingly;
// returns whether they are on. A later call reads the variable again.
bool applyTraceSwitch();

}  // namespace platform
