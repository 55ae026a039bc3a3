#pragma once

// Decoders of the K2 reply fields, shared by the server and the client.
//
// Usage: each decoder takes the body of one reply, that is the text after the
// two-letter mnemonic and without the ";" (for "MD3;" pass "3"), and returns
// the decoded value, or std::nullopt when the body is too short for the
// columns the decoder reads, a digit or flag column holds anything but 0-9, a
// number has no digit, or a number does not fit in 32 bits. Callers ignore a
// reply that fails to decode. The decoders never touch the caller's text,
// hold no state and may run on any thread. Positions in the comments count
// from the first byte of the body.
//
// Column conventions:
//   digit    one byte '0'..'9', its value
//   flag     one byte '0'..'9', 0 for '0' and 1 for any other digit
//   decimal  optional white space, an optional sign, then at least one digit;
//            read up to the first non-digit or the end of the field

#include <cstdint>
#include <optional>
#include <string_view>

// FA, FB: VFO frequency in Hz, decimal from position 0.
//      0         1
//      01234567890
//    FA00014060000;        -> 14060000
std::optional<std::int32_t> ParseFreqReply(std::string_view body);

// IF: transceiver information.
//      0         1         2         3
//      01234567890123456789012345678901234
//    IF00014039310     +007000 0002000001 ;
//      frequency in 0..10 (11..15 are not read), offset in 16..20 ("+0070"
//      -> 70), RIT 21, XIT 22, mode 27, VFO 28, split 30; the digits at 26,
//      29 and 31 are decoded but nobody uses them
struct IFReply {
    std::int32_t frequencyHz = 0;  // decimal in 0..10
    std::int32_t ritOn = 0;        // digit at 21
    std::int32_t xitOn = 0;        // digit at 22
    std::int32_t offset = 0;       // signed decimal in 16..20
    std::int32_t digit26 = 0;      // read by nobody
    std::int32_t mode = 0;         // digit at 27: LSB 1, USB 2, CW 3, RTTY 6, CW-R 7, RTTY-R 9
    std::int32_t activeVfo = 0;    // digit at 28: nonzero when VFO B receives
    std::int32_t digit29 = 0;      // read by nobody
    std::int32_t split = 0;        // digit at 30: nonzero when transmitting on the other VFO
    std::int32_t digit31 = 0;      // read by nobody

    friend bool operator==(const IFReply&, const IFReply&) = default;
};
std::optional<IFReply> ParseIFReply(std::string_view body);  // needs 32 bytes

// FW: filter bandwidth, crystal filter and audio filter.
//      012345
//    FW040012;   -> bandwidth 400 (decimal in 0..3), filter 1 (digit 4), audio 2 (digit 5)
struct FWReply {
    std::int32_t bandwidth = 0;
    std::int32_t filter = 0;
    std::int32_t audioFilter = 0;

    friend bool operator==(const FWReply&, const FWReply&) = default;
};
std::optional<FWReply> ParseFWReply(std::string_view body);

// GT: AGC. The digit at 3 is 0 for AGC off, which gives 0; otherwise the
// decimal in 0..2 (2 fast, 4 slow).
//      0123
//    GT0041;   -> 4
//    GT0040;   -> 0
std::optional<std::int32_t> ParseGTReply(std::string_view body);

// PC: power setting (decimal in 0..2) and range flag (flag at 3: 0 tenths of
// a watt, 1 watts).
//      0123
//    PC0501;   -> power 50, range 1
struct PCReply {
    std::int32_t power = 0;
    std::int32_t range = 0;

    friend bool operator==(const PCReply&, const PCReply&) = default;
};
std::optional<PCReply> ParsePCReply(std::string_view body);

// RA: attenuator on, flag at 1; position 0 is not read.
//      01
//    RA01;   -> 1
std::optional<std::int32_t> ParseRAReply(std::string_view body);

// Single digit at position 0.
//   NB0;  AN1;  MD3;  KY2;
std::optional<std::int32_t> ParseNBReply(std::string_view body);  // noise blanker
std::optional<std::int32_t> ParseANReply(std::string_view body);  // antenna 1 or 2
std::optional<std::int32_t> ParseMDReply(std::string_view body);  // mode code
std::optional<std::int32_t> ParseKYReply(std::string_view body);  // CW buffer status 0, 1, 2

// Single flag at position 0.
//   PA1;  FR0;  FT1;  LK0;
std::optional<std::int32_t> ParsePAReply(std::string_view body);  // preamp on
std::optional<std::int32_t> ParseFRReply(std::string_view body);  // receive VFO: 0 A, 1 B
std::optional<std::int32_t> ParseFTReply(std::string_view body);  // transmit VFO: 0 A, 1 B
std::optional<std::int32_t> ParseLKReply(std::string_view body);  // VFO lock on

// Decimal from position 0.
//   KS020;  -> 20 words per minute
//   SQ005;  -> 5
//   BG05;   -> 5
std::optional<std::int32_t> ParseKSReply(std::string_view body);  // keyer speed
std::optional<std::int32_t> ParseSQReply(std::string_view body);  // squelch level
std::optional<std::int32_t> ParseBGReply(std::string_view body);  // bar-graph level
