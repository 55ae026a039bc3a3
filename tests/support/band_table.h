#pragma once

// The band table as a server hands it to Pelorin: nine bands from 10 m to
// 160 m, each with its five-character name and its edges in hertz.

#include <cstddef>
#include <cstdint>

#include "client/base/registry_store.h"

inline pelorin::TuningRangeTable pelorinBandTable() {
    const char* names[] = {"  10M", "  12M", "  15M", "  17M", "  20M",
                           "  30M", "  40M", "  80M", " 160M"};
    const std::uint32_t edges[][2] = {
        {28000000, 29700000}, {24890000, 24990000}, {21000000, 21450000},
        {18068000, 18168000}, {14000000, 14350000}, {10100000, 10150000},
        {7000000, 7300000},   {3500000, 4000000},   {1800000, 2000000},
    };
    pelorin::TuningRangeTable table;
    for (int band = 0; band < pelorin::kTuningRangeCount; ++band) {
        table[static_cast<std::size_t>(band)] = {names[band], band, edges[band][0], edges[band][1]};
    }
    return table;
}
