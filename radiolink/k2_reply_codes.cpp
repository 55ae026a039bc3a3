#include "radiolink/k2_reply_codes.h"

#include <algorithm>
#include <array>

namespace {

struct K2_CMD_ENTRY {
    int nCmdCode;
    std::string_view szCmdName;
};

// The mnemonics in byte order, for a binary search. Built from
// g_szK2CmdNames so the two can never disagree.
constexpr std::array<K2_CMD_ENTRY, kK2CmdCount> makeTable() {
    std::array<K2_CMD_ENTRY, kK2CmdCount> table{};
    for (int code = 1; code <= kK2CmdCount; ++code) {
        table[static_cast<std::size_t>(code - 1)] = {code, K2CmdName(code)};
    }
    std::sort(table.begin(), table.end(), [](const K2_CMD_ENTRY& a, const K2_CMD_ENTRY& b) {
        return a.szCmdName < b.szCmdName;
    });
    return table;
}

constexpr auto g_K2CmdTable = makeTable();

constexpr bool everyEntryIsTwoDistinctBytes() {
    for (std::size_t i = 0; i < g_K2CmdTable.size(); ++i) {
        if (g_K2CmdTable[i].szCmdName.size() != 2) {
            return false;
        }
        if (i > 0 && !(g_K2CmdTable[i - 1].szCmdName < g_K2CmdTable[i].szCmdName)) {
            return false;
        }
    }
    return true;
}
static_assert(everyEntryIsTwoDistinctBytes());

}  // namespace

int LookupK2Cmd(std::string_view text) {
    if (text.size() < 2) {
        return K2_CMD_UNKNOWN;
    }
    const std::string_view key = text.substr(0, 2);
    const auto it = std::lower_bound(
        g_K2CmdTable.begin(), g_K2CmdTable.end(), key,
        [](const K2_CMD_ENTRY& entry, std::string_view k) { return entry.szCmdName < k; });
    if (it == g_K2CmdTable.end() || it->szCmdName != key) {
        return K2_CMD_UNKNOWN;
    }
    return it->nCmdCode;
}
