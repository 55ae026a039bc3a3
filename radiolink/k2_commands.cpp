// The K2 command formatters and command sequences of CK2RadioPort.
//
// Conventions: `set` == 1 selects the set form, any other value the bare
// mnemonic, whose other arguments are not looked at. Numbers arrive as 16-bit
// values and are range-checked and clamped as unsigned unless a formatter says
// otherwise, so a negative value fails every range. Flags send 1 for any
// non-zero value. An argument out of range returns K2ERR_INVALID_PARAM before
// anything is built, logged or written.

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string>

#include "radiolink/cw_msg_transmitting_thread.h"
#include "radiolink/k2_radio_port.h"
#include "radiolink/k2_reply_codes.h"
#include "radiolink/string_limits.h"

using namespace std::chrono_literals;

namespace {
std::uint16_t Unsigned(std::int16_t value) {
    return static_cast<std::uint16_t>(value);
}

int Flag(std::int16_t value) {
    return value != 0 ? 1 : 0;
}

const char* Name(int code) {
    return K2CmdName(code).data();
}

bool IsPortFailure(std::uint32_t status) {
    return status == K2ERR_PORT_NOT_OPEN || status == K2ERR_PORT_WRITE_FAILED;
}
}  // namespace

std::uint32_t CK2RadioPort::Send(const char* format, ...) {
    char text[32];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (n < 0 || static_cast<std::size_t>(n) >= sizeof text)
        return K2ERR_INVALID_PARAM;
    return SendCommand(std::string_view(text, static_cast<std::size_t>(n)));
}

std::uint32_t CK2RadioPort::Flagged(std::string_view mnemonic, std::int16_t set,
                                    std::int16_t flag) {
    const std::string name(mnemonic);
    if (set != 1)
        return Send("%s", name.c_str());
    return Send("%s%1d", name.c_str(), Flag(flag));
}

void CK2RadioPort::NoteFirstPortFailure(std::uint32_t status, std::uint32_t& first) {
    if (first == K2ERR_NONE && IsPortFailure(status))
        first = status;
}

// AI3;  auto-info mode 0-3
std::uint32_t CK2RadioPort::AutoInfo(std::int16_t set, std::int16_t mode) {
    if (set != 1)
        return Send("%s", Name(K2_CMD_AI));
    if (Unsigned(mode) > 3)
        return K2ERR_INVALID_PARAM;
    return Send("%s%1d", Name(K2_CMD_AI), mode);
}

// K22;  command mode 0-3 (2 and 3 give the extended reply formats)
std::uint32_t CK2RadioPort::CommandMode(std::int16_t set, std::int16_t mode) {
    if (set != 1)
        return Send("%s", Name(K2_CMD_K2));
    if (Unsigned(mode) > 3)
        return K2ERR_INVALID_PARAM;
    return Send("%s%1d", Name(K2_CMD_K2), mode);
}

// AN2;  antenna 1 or 2
std::uint32_t CK2RadioPort::Antenna(std::int16_t set, std::int16_t antenna) {
    if (set != 1)
        return Send("%s", Name(K2_CMD_AN));
    if (antenna != 1 && antenna != 2)
        return K2ERR_INVALID_PARAM;
    return Send("%s%1d", Name(K2_CMD_AN), antenna);
}

std::uint32_t CK2RadioPort::ReadBarGraphLevel() {
    return Send("%s", Name(K2_CMD_BG));
}

// UP1; / DN4;  direction 1 up, 2 down; steps 1-4
std::uint32_t CK2RadioPort::MoveActiveVFOFreq(std::int16_t direction, std::int16_t steps) {
    if (direction != 1 && direction != 2)
        return K2ERR_INVALID_PARAM;
    if (Unsigned(steps) < 1 || Unsigned(steps) > 4)
        return K2ERR_INVALID_PARAM;
    return Send("%s%1d", Name(direction == 1 ? K2_CMD_UP : K2_CMD_DN), steps);
}

//   0         1
//   01234567890
// FA00014060000;  VFO 0 is A, 1 is B; frequency in Hz, 11 digits
// A set may wait for the line and be replaced by a newer one of its VFO
// (latest wins, see k2_radio_port.h); it returns 0 once accepted.
std::uint32_t CK2RadioPort::VFOFreq(std::int16_t set, std::int16_t vfo, std::int32_t hz) {
    return FrequencySet(set, vfo, hz, true);
}

std::uint32_t CK2RadioPort::FrequencySet(std::int16_t set, std::int16_t vfo, std::int32_t hz,
                                         bool coalesce) {
    if (vfo != 0 && vfo != 1)
        return K2ERR_INVALID_PARAM;
    const char* name = Name(vfo == 0 ? K2_CMD_FA : K2_CMD_FB);
    if (set != 1)
        return Send("%s", name);
    // A sign would take a digit's place ("FA-0014060000;").
    if (hz < 0)
        return K2ERR_INVALID_PARAM;
    if (!coalesce)
        return Send("%s%011d", name, hz);
    char text[32];
    std::snprintf(text, sizeof text, "%s%011d;", name, hz);
    return SendFrequencySet(vfo, text);
}

std::uint32_t CK2RadioPort::ReadDisplay() {
    const std::uint32_t status = Send("%s", Name(K2_CMD_DS));
    m_dwLastError = status;
    return status;
}

// NB1;  the radio steps through its blanker modes whatever the value, so the
// level is checked but never sent.
std::uint32_t CK2RadioPort::NoiseBlanker(std::int16_t set, std::int16_t level) {
    if (set != 1)
        return Send("%s", Name(K2_CMD_NB));
    if (Unsigned(level) > 2)
        return K2ERR_INVALID_PARAM;
    return Send("%s1", Name(K2_CMD_NB));
}

// PA1;
std::uint32_t CK2RadioPort::ReceiverPreamp(std::int16_t set, std::int16_t on) {
    return Flagged(K2CmdName(K2_CMD_PA), set, on);
}

// RA01;  a fixed 0, then the flag
std::uint32_t CK2RadioPort::ReceiverAttenuator(std::int16_t set, std::int16_t on) {
    if (set != 1)
        return Send("%s", Name(K2_CMD_RA));
    return Send("%s0%1d", Name(K2_CMD_RA), Flag(on));
}

//   0123456
// FW05002;  bandwidth (4 digits), crystal filter 1-4
std::uint32_t CK2RadioPort::XFILSelection(std::int16_t set, std::int16_t bandwidth,
                                          std::int16_t filter) {
    if (set != 1)
        return Send("%s", Name(K2_CMD_FW));
    if (filter < 1 || filter > 4)
        return K2ERR_INVALID_PARAM;
    // A fifth digit would shift the filter number ("FW100001;").
    if (Unsigned(bandwidth) > 9999)
        return K2ERR_INVALID_PARAM;
    return Send("%s%04d%1d", Name(K2_CMD_FW), Unsigned(bandwidth), filter);
}

// SW29;  the audio-filter key, set or not
std::uint32_t CK2RadioPort::AFILSelection(std::int16_t, std::int16_t) {
    return Send("%s29", Name(K2_CMD_SW));
}

// MD3;  mode 1-9
std::uint32_t CK2RadioPort::OperatingMode(std::int16_t set, std::int16_t mode) {
    if (set != 1)
        return Send("%s", Name(K2_CMD_MD));
    if (Unsigned(mode) < 1 || Unsigned(mode) > 9)
        return K2ERR_INVALID_PARAM;
    return Send("%s%1d", Name(K2_CMD_MD), mode);
}

std::uint32_t CK2RadioPort::ReadTransceiverInfo() {
    return Send("%s", Name(K2_CMD_IF));
}

//   0123
// GT0021;  AGC value 0-4 in three digits, then 1 for on (any value but 0)
std::uint32_t CK2RadioPort::ReceiverAGC(std::int16_t set, std::int16_t value) {
    if (set != 1)
        return Send("%s", Name(K2_CMD_GT));
    if (Unsigned(value) > 4)
        return K2ERR_INVALID_PARAM;
    return Send("%s%03d%1d", Name(K2_CMD_GT), value, Flag(value));
}

// KS020;  words per minute, clamped to 9-50
std::uint32_t CK2RadioPort::CWKeyerSpeed(std::int16_t set, std::int16_t wpm) {
    if (set != 1)
        return Send("%s", Name(K2_CMD_KS));
    const int speed = std::min(std::max(static_cast<int>(Unsigned(wpm)), 9), 50);
    return Send("%s%03d", Name(K2_CMD_KS), speed);
}

//   0123
// PC1501;  power (signed, clamped to 0-150), then the range flag
std::uint32_t CK2RadioPort::RFPowerOutput(std::int16_t set, std::int16_t power,
                                          std::int16_t range) {
    if (set != 1)
        return Send("%s", Name(K2_CMD_PC));
    const int watts = std::min(std::max(static_cast<int>(power), 0), 150);
    return Send("%s%03d%1d", Name(K2_CMD_PC), watts, Flag(range));
}

// SW01; (band up) or SW03; for any other direction
std::uint32_t CK2RadioPort::ChangeBand(std::int16_t direction) {
    return Send(direction == 1 ? "%s01" : "%s03", Name(K2_CMD_SW));
}

// FR1;  receive VFO 0 (A) or 1 (B)
std::uint32_t CK2RadioPort::TransceiverRecvVFOAssignment(std::int16_t set, std::int16_t vfo) {
    if (set != 1)
        return Send("%s", Name(K2_CMD_FR));
    if (vfo != 0 && vfo != 1)
        return K2ERR_INVALID_PARAM;
    return Send("%s%1d", Name(K2_CMD_FR), vfo);
}

// FT0;  transmit VFO 0 (A) or 1 (B)
std::uint32_t CK2RadioPort::TransceiverTxVFOAssignment(std::int16_t set, std::int16_t vfo) {
    if (set != 1)
        return Send("%s", Name(K2_CMD_FT));
    if (vfo != 0 && vfo != 1)
        return K2ERR_INVALID_PARAM;
    return Send("%s%1d", Name(K2_CMD_FT), vfo);
}

std::uint32_t CK2RadioPort::GetTransceiverPowerOnStatus() {
    return Send("%s", Name(K2_CMD_PS));
}

// RT1;
std::uint32_t CK2RadioPort::RITControl(std::int16_t set, std::int16_t on) {
    return Flagged(K2CmdName(K2_CMD_RT), set, on);
}

// XT0;
std::uint32_t CK2RadioPort::XITControl(std::int16_t set, std::int16_t on) {
    return Flagged(K2CmdName(K2_CMD_XT), set, on);
}

// RU; (direction 1) or RD; (direction 2)
std::uint32_t CK2RadioPort::IncrementalOffsetTuning(std::int16_t direction) {
    if (direction != 1 && direction != 2)
        return K2ERR_INVALID_PARAM;
    return Send("%s", Name(direction == 1 ? K2_CMD_RU : K2_CMD_RD));
}

std::uint32_t CK2RadioPort::ClearFineRITOffset() {
    return Send("%s", Name(K2_CMD_RC));
}

// LK1;
std::uint32_t CK2RadioPort::LockVFO(std::int16_t set, std::int16_t on) {
    return Flagged(K2CmdName(K2_CMD_LK), set, on);
}

// SW20;  the TUNE key
std::uint32_t CK2RadioPort::TuneTransmitter() {
    return Send("%s20", Name(K2_CMD_SW));
}

// Any text, sent as it stands with ";" appended.
std::uint32_t CK2RadioPort::SendDiagnosticData(std::string_view text) {
    if (text.size() > string_limits::kCommandText)
        return K2ERR_INVALID_PARAM;
    return SendCommand(text);
}

std::uint32_t CK2RadioPort::QueryKeyboardCWTxStatus() {
    return Send("%s", Name(K2_CMD_KY));
}

// KY CQ CQ;  one blank, then the chunk
std::uint32_t CK2RadioPort::SendKeyboardCWText(std::string_view chunk) {
    const std::string text(chunk);
    return Send("%s %s", Name(K2_CMD_KY), text.c_str());
}

// KY @;  the radio empties its CW buffer and stops keying
std::uint32_t CK2RadioPort::AbortKeyboardCWText() {
    return Send("%s @", Name(K2_CMD_KY));
}

// SW07;  key code 1-69 (signed), two digits
std::uint32_t CK2RadioPort::EmulateKeySwitch(std::int16_t key) {
    if (key < 1 || key > 69)
        return K2ERR_INVALID_PARAM;
    return Send("%s%02d", Name(K2_CMD_SW), key);
}

// SQ250;  level (signed) clamped to 0-250
std::uint32_t CK2RadioPort::SquelchLevel(std::int16_t set, std::int16_t level) {
    if (set != 1)
        return Send("%s", Name(K2_CMD_SQ));
    const int squelch = std::min(std::max(static_cast<int>(level), 0), 250);
    return Send("%s%03d", Name(K2_CMD_SQ), squelch);
}

// --- Sequences -------------------------------------------------------------------

std::uint32_t CK2RadioPort::GetInitialRadioInfo() {
    static constexpr int kQueries[] = {K2_CMD_IF, K2_CMD_FA, K2_CMD_FB, K2_CMD_PA, K2_CMD_RA,
                                       K2_CMD_FW, K2_CMD_GT, K2_CMD_KS, K2_CMD_PC, K2_CMD_AN,
                                       K2_CMD_NB, K2_CMD_SQ, K2_CMD_LK};
    std::uint32_t first = K2ERR_NONE;
    for (int code : kQueries) {
        NoteFirstPortFailure(Send("%s", Name(code)), first);
        Pause(100ms);
    }
    return first;
}

std::uint32_t CK2RadioPort::RITTuning(std::int16_t direction, std::int16_t amount) {
    if (direction != 1 && direction != 2)
        return K2ERR_INVALID_PARAM;
    // Read as unsigned, -1 would be 6553 steps. The steps run on the
    // caller's thread (the server's one ORB thread), so their number is
    // bounded too.
    if (amount < 0 || amount > kMaxRITTuningAmount)
        return K2ERR_INVALID_PARAM;
    const int steps = amount / 10;
    for (int i = 0; i < steps; ++i) {
        const std::uint32_t status = IncrementalOffsetTuning(direction);
        m_dwLastError = status;
        if (status != K2ERR_NONE)
            return status;
        Pause(10ms);
    }
    return K2ERR_NONE;
}

std::uint32_t CK2RadioPort::DownloadRadioInfo(const RadioMemInfo& state) {
    auto s16 = [](std::int32_t v) { return static_cast<std::int16_t>(v); };
    std::uint32_t first = K2ERR_NONE;
    auto step = [&](std::uint32_t status) {
        NoteFirstPortFailure(status, first);
        Pause(100ms);
    };
    // Sets of a sequence are barriers: never merged, and they keep their pauses.
    step(FrequencySet(1, 0, state.ulVFOA_Freq, false));
    step(FrequencySet(1, 1, state.ulVFOB_Freq, false));
    step(TransceiverRecvVFOAssignment(1, s16(state.uiActiveRxVFO)));
    step(TransceiverTxVFOAssignment(1, s16(state.uiActiveTxVFO)));
    step(OperatingMode(1, s16(state.uiOpMode)));
    step(XFILSelection(1, s16(state.uiCurXFILBW), s16(state.uiXFIL)));
    step(TransceiverTxVFOAssignment(1, s16(state.uiActiveTxVFO)));
    step(TransceiverRecvVFOAssignment(1, s16(state.uiActiveRxVFO)));
    step(CWKeyerSpeed(1, s16(state.uiCWSpeed)));
    return first;
}

std::uint32_t CK2RadioPort::QueryStatus(std::uint16_t mask) {
    static constexpr struct {
        std::uint16_t bit;
        int code;
    } kQueries[] = {{1, K2_CMD_DS}, {2, K2_CMD_BG}, {4, K2_CMD_IF}};
    for (const auto& q : kQueries) {
        if ((mask & q.bit) == 0)
            continue;
        const std::uint32_t status = Send("%s", Name(q.code));
        m_dwLastError = status;
        if (status != K2ERR_NONE)
            return status;
    }
    return K2ERR_NONE;
}

std::uint32_t CK2RadioPort::FrequencyScan(std::int32_t lowHz, std::int32_t highHz) {
    if (lowHz > highHz)
        return K2ERR_INVALID_PARAM;
    std::uint32_t status = FrequencySet(1, 0, lowHz, false);
    m_dwLastError = status;
    if (status != K2ERR_NONE)
        return status;
    Pause(100ms);
    status = FrequencySet(1, 1, highHz, false);
    m_dwLastError = status;
    if (status != K2ERR_NONE)
        return status;
    Pause(100ms);
    status = EmulateKeySwitch(19);
    m_dwLastError = status;
    if (status != K2ERR_NONE)
        return status;
    Pause(100ms);
    status = EmulateKeySwitch(25);
    m_dwLastError = status;
    return status;
}

std::uint32_t CK2RadioPort::KeyboardCW(std::string_view text) {
    if (text.size() > string_limits::kCWText) {
        Log(kLogTimeStamped, kLogError,
            "Keyboard CW refused: " + std::to_string(text.size()) + " characters, at most " +
                std::to_string(string_limits::kCWText) + " at a time");
        return K2ERR_INVALID_PARAM;
    }
    // ";" would end the KY command and "@" abort the radio's CW; control
    // characters are not Morse. Each becomes a blank, so the length the
    // client counts stays the same.
    std::string filtered(text);
    for (char& c : filtered) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == ';' || c == '@' || byte < 0x20 || byte == 0x7F)
            c = ' ';
    }
    std::size_t free = 0;
    bool portOpen = false;
    {
        std::lock_guard lock(m_taskLock);
        // Queued, the text would go out whenever a port opens, long after
        // the operator gave up on it.
        portOpen = m_bCommOpened && m_pCWMsgTransmittingThread;
        if (portOpen) {
            free = m_pCWMsgTransmittingThread->FreeSpace();
            if (m_pCWMsgTransmittingThread->AppendText(std::move(filtered)))
                return K2ERR_NONE;
        }
    }
    if (!portOpen) {
        Log(kLogTimeStamped, kLogError, "Keyboard CW not sent: the radio port is not open");
        return K2ERR_PORT_NOT_OPEN;
    }
    Log(kLogTimeStamped, kLogError,
        "Keyboard CW refused: " + std::to_string(text.size()) + " characters do not fit the " +
            std::to_string(free) + " still free");
    return K2ERR_INVALID_PARAM;
}

std::uint32_t CK2RadioPort::AbortKeyboardCW() {
    std::lock_guard lock(m_taskLock);
    if (m_pCWMsgTransmittingThread)
        m_pCWMsgTransmittingThread->Post(
            CCWMsgTransmittingThread::TxCmd{CCWMsgTransmittingThread::CWTX_CMD_ABORT, {}});
    return K2ERR_NONE;
}
