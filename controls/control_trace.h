#pragma once

// Debug traces of the owner-drawn controls ("Entering control", ...), under
// the logging category "controls"; off by default. In the programs the
// traces switch (RIGCONTROL_TRACE=1, platform/trace_switch.h) turns them on.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcControlTrace)
