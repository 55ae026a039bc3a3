#pragma once

// Debug traces of the owner-drawn controls ("Entering control", ...), under
// the logging category "controls"; off unless the logging rules switch
// "controls.debug" on.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcControlTrace)
