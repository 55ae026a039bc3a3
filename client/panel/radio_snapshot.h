#pragma once

// RADIO_SNAPSHOT: the client's picture of the radio at one moment, 19 signed
// 32-bit words. Words 0-17 follow RADIO_MEM_INFO member by member; word 18 is
// the band index. The front panel builds it for the memories, the QSO log and
// a partner program; the memories store it whole.
//
// On the wire (a partner's answer, a stored memory) it is 76 bytes, each word
// little-endian:
//
//   byte    0     4     8     12    16  ...  72
//           |VFOA |VFOB |mode |XFIL |BW  ... |band
//   14060000 Hz in word 0 -> E0 89 D6 00
//
// Pure data, no widget and no ORB type.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "client/base/radio_comm_proxy.h"

class FrontPanelModel;

struct RADIO_SNAPSHOT {
    static constexpr std::size_t kWords = 19;
    static constexpr std::size_t kBytes = kWords * 4;

    // Word numbers, in RADIO_MEM_INFO's order.
    enum Word : std::size_t {
        VfoA = 0,
        VfoB,
        OpMode,
        XFIL,
        XFILBandwidth,
        AFIL,
        AGC,
        NB,
        CWSpeed,
        Antenna,
        RFPower,
        RxVFO,
        TxVFO,
        Preamp,
        Attenuator,
        RITOffset,
        RITOn,
        XITOn,
        Band,
    };

    std::array<std::int32_t, kWords> words{};
    // The words are the radio's: the panel was connected and had heard from
    // the radio since its last connect and its last port failure. Not part
    // of the 76 bytes; a decoded snapshot has it off.
    bool bRadioAnswered = false;

    std::int32_t operator[](Word w) const { return words[w]; }
    bool operator==(const RADIO_SNAPSHOT&) const = default;
};

// The snapshot of the panel's members now. The on/off members become 1 or 0;
// the band is the current tuning range's index (-1 while no band is known).
// bRadioAnswered is on while connected with a radio reply since the connect.
RADIO_SNAPSHOT BuildRadioSnapshot(const FrontPanelModel& model);

// The 76 little-endian bytes of a snapshot, and back (nothing unless exactly
// 76 bytes).
std::string EncodeRadioSnapshot(const RADIO_SNAPSHOT& snapshot);
std::optional<RADIO_SNAPSHOT> DecodeRadioSnapshot(std::string_view bytes);

// What goes to the radio when a snapshot is downloaded: words 0-17; the band
// is not sent.
RadioMemInfo SnapshotToRadioMemInfo(const RADIO_SNAPSHOT& snapshot);
