#pragma once

// K2 reply codes: the one numbering of the radio's two-letter mnemonics.
//
// Usage: `LookupK2Cmd(reply)` classifies a whole reply (without its ";",
// starting with the mnemonic) by its first two bytes and returns its code, or
// K2_CMD_UNKNOWN when they match no mnemonic, the case differs or the text is
// shorter than two bytes; whatever follows the mnemonic, binary bytes
// included, does not matter. `K2CmdName(code)` gives the mnemonic that a
// command with that code starts with ("FA" for K2_CMD_FA), and an empty view
// for K2_CMD_UNKNOWN or a number outside the table. The code travels with
// every reply to the client, so the numbers below must never change. The table
// is built at compile time: no start-up order, no lock, no allocation.

#include <array>
#include <cstddef>
#include <string_view>

enum K2CmdCode : int {
    K2_CMD_UNKNOWN = 0,
    K2_CMD_AI = 1,
    K2_CMD_AN = 2,
    K2_CMD_BG = 3,
    K2_CMD_DN = 4,
    K2_CMD_DS = 5,
    K2_CMD_FA = 6,
    K2_CMD_FB = 7,
    K2_CMD_FR = 8,
    K2_CMD_FT = 9,
    K2_CMD_FW = 10,
    K2_CMD_GT = 11,
    K2_CMD_ID = 12,
    K2_CMD_IF = 13,
    K2_CMD_K2 = 14,
    K2_CMD_KS = 15,
    K2_CMD_KY = 16,
    K2_CMD_LK = 17,
    K2_CMD_MD = 18,
    K2_CMD_NB = 19,
    K2_CMD_PA = 20,
    K2_CMD_PC = 21,
    K2_CMD_PS = 22,
    K2_CMD_RA = 23,
    K2_CMD_RC = 24,
    K2_CMD_RD = 25,
    K2_CMD_RT = 26,
    K2_CMD_RU = 27,
    K2_CMD_RX = 28,
    K2_CMD_SM = 29,
    K2_CMD_SQ = 30,
    K2_CMD_SW = 31,
    K2_CMD_UP = 32,  // UP and TX are out of alphabetical order on purpose:
    K2_CMD_TX = 33,  // the client relies on these numbers.
    K2_CMD_XT = 34,
};

inline constexpr int kK2CmdCount = 34;  // codes 1..34; 0 is K2_CMD_UNKNOWN

// Mnemonics indexed by code; index 0 holds none.
inline constexpr std::array<std::string_view, kK2CmdCount + 1> g_szK2CmdNames = {
    "",   "AI", "AN", "BG", "DN", "DS", "FA", "FB", "FR", "FT", "FW", "GT",
    "ID", "IF", "K2", "KS", "KY", "LK", "MD", "NB", "PA", "PC", "PS", "RA",
    "RC", "RD", "RT", "RU", "RX", "SM", "SQ", "SW", "UP", "TX", "XT",
};

// The mnemonic of `code`; empty for K2_CMD_UNKNOWN and out-of-range numbers.
// The view always points at a NUL-terminated literal, so data() may be used
// as a C string.
constexpr std::string_view K2CmdName(int code) {
    if (code <= K2_CMD_UNKNOWN || code > kK2CmdCount) {
        return g_szK2CmdNames[0];
    }
    return g_szK2CmdNames[static_cast<std::size_t>(code)];
}

// The code of the reply whose first two bytes are a mnemonic, compared
// byte by byte and case-sensitively; K2_CMD_UNKNOWN otherwise.
int LookupK2Cmd(std::string_view text);
