#include "controls/control_trace.h"

Q_LOGGING_CATEGORY(lcControlTrace, "controls", QtInfoMsg)
