#pragma once

// Debug traces of the owner-drawn controls ("Entering control", ...), under
// the logging category "controls"; off unless the rules switch debug on.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcControlTrace)
