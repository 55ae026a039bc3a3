#pragma once

// The longest texts RadioComm's string arguments may carry. The limits live
// with the radio link, which enforces them too and must stay free of the ORB.

#include "radiolink/string_limits.h"
