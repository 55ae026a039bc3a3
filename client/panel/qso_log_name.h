#pragma once

// The name of the QSO log file the logger opens first: the operator's call
// sign followed by ".QSO.Log", or "Orvo.QSO.Log" without a call sign.
//
// The call sign is the operator's own text: "/" and "\" (portable calls such
// as "VE3/N0CALL") and control characters become "_", so the name always
// stays one file in the log folder.

#include <string>
#include <string_view>

inline constexpr std::string_view kDefaultQsoLogName = "Orvo.QSO.Log";
inline constexpr std::string_view kQsoLogSuffix = ".QSO.Log";

std::string QsoLogFileName(std::string_view callSign);
