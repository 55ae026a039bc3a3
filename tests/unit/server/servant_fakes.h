#pragma once

// Fakes around the RadioComm servant: a radio that records each call as one
// line ("VFOFreq(1,1,7040000)", tests/support/call_line.h) and answers a fixed
// status, a log that keeps
// every line, and an application host that records what it was asked.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "radiolink/radio_services.h"
#include "server/radio_comm_servant.h"
#include "server/radio_commands.h"
#include "tests/support/call_line.h"

namespace servanttest {

// A status no real path returns, so a test sees it was passed through.
inline constexpr std::uint32_t kRadioStatus = 0x2000077;

class FakeRadio final : public RadioCommands {
  public:
    std::vector<std::string> calls;

    std::uint32_t GetInitialRadioInfo() override { return rec("GetInitialRadioInfo"); }
    std::uint32_t RITTuning(std::int16_t d, std::int16_t a) override {
        return rec("RITTuning", {d, a});
    }
    std::uint32_t DownloadRadioInfo(const RadioMemInfo& s) override {
        return rec(
            "DownloadRadioInfo",
            {s.ulVFOA_Freq, s.ulVFOB_Freq, s.uiOpMode, s.uiXFIL, s.uiCurXFILBW, s.uiAFIL, s.uiAGC,
             s.uiNB, s.uiCWSpeed, s.uiAntPos, s.iRFPower, s.uiActiveRxVFO, s.uiActiveTxVFO,
             s.bPreAmpMode, s.bAttMode, s.iIncTuneReading, s.bRITEnable, s.bXITEnable});
    }
    std::uint32_t AutoInfo(std::int16_t s, std::int16_t v) override {
        return rec("AutoInfo", {s, v});
    }
    std::uint32_t CommandMode(std::int16_t s, std::int16_t v) override {
        return rec("CommandMode", {s, v});
    }
    std::uint32_t Antenna(std::int16_t s, std::int16_t v) override {
        return rec("Antenna", {s, v});
    }
    std::uint32_t MoveActiveVFOFreq(std::int16_t d, std::int16_t n) override {
        return rec("MoveActiveVFOFreq", {d, n});
    }
    std::uint32_t VFOFreq(std::int16_t s, std::int16_t v, std::int32_t hz) override {
        return rec("VFOFreq", {s, v, hz});
    }
    std::uint32_t NoiseBlanker(std::int16_t s, std::int16_t v) override {
        return rec("NoiseBlanker", {s, v});
    }
    std::uint32_t ReceiverAGC(std::int16_t s, std::int16_t v) override {
        return rec("ReceiverAGC", {s, v});
    }
    std::uint32_t ReceiverPreamp(std::int16_t s, std::int16_t v) override {
        return rec("ReceiverPreamp", {s, v});
    }
    std::uint32_t ReceiverAttenuator(std::int16_t s, std::int16_t v) override {
        return rec("ReceiverAttenuator", {s, v});
    }
    std::uint32_t XFILSelection(std::int16_t s, std::int16_t bw, std::int16_t f) override {
        return rec("XFILSelection", {s, bw, f});
    }
    std::uint32_t AFILSelection(std::int16_t s, std::int16_t v) override {
        return rec("AFILSelection", {s, v});
    }
    std::uint32_t OperatingMode(std::int16_t s, std::int16_t v) override {
        return rec("OperatingMode", {s, v});
    }
    std::uint32_t CWKeyerSpeed(std::int16_t s, std::int16_t v) override {
        return rec("CWKeyerSpeed", {s, v});
    }
    std::uint32_t RFPowerOutput(std::int16_t s, std::int16_t p, std::int16_t r) override {
        return rec("RFPowerOutput", {s, p, r});
    }
    std::uint32_t ChangeBand(std::int16_t d) override { return rec("ChangeBand", {d}); }
    std::uint32_t TransceiverRecvVFOAssignment(std::int16_t s, std::int16_t v) override {
        return rec("TransceiverRecvVFOAssignment", {s, v});
    }
    std::uint32_t TransceiverTxVFOAssignment(std::int16_t s, std::int16_t v) override {
        return rec("TransceiverTxVFOAssignment", {s, v});
    }
    std::uint32_t RITControl(std::int16_t s, std::int16_t v) override {
        return rec("RITControl", {s, v});
    }
    std::uint32_t XITControl(std::int16_t s, std::int16_t v) override {
        return rec("XITControl", {s, v});
    }
    std::uint32_t IncrementalOffsetTuning(std::int16_t d) override {
        return rec("IncrementalOffsetTuning", {d});
    }
    std::uint32_t ClearFineRITOffset() override { return rec("ClearFineRITOffset"); }
    std::uint32_t LockVFO(std::int16_t s, std::int16_t v) override {
        return rec("LockVFO", {s, v});
    }
    std::uint32_t TuneTransmitter() override { return rec("TuneTransmitter"); }
    std::uint32_t SendDiagnosticData(std::string_view t) override {
        return rec("SendDiagnosticData", {t});
    }
    std::uint32_t QueryKeyboardCWTxStatus() override { return rec("QueryKeyboardCWTxStatus"); }
    std::uint32_t KeyboardCW(std::string_view t) override { return rec("KeyboardCW", {t}); }
    std::uint32_t AbortKeyboardCW() override { return rec("AbortKeyboardCW"); }
    std::uint32_t EmulateKeySwitch(std::int16_t k) override { return rec("EmulateKeySwitch", {k}); }
    std::uint32_t FrequencyScan(std::int32_t lo, std::int32_t hi) override {
        return rec("FrequencyScan", {lo, hi});
    }
    std::uint32_t SquelchLevel(std::int16_t s, std::int16_t v) override {
        return rec("SquelchLevel", {s, v});
    }
    std::uint32_t EnableStatusQuery(std::int16_t e) override {
        return rec("EnableStatusQuery", {e});
    }

  private:
    std::uint32_t rec(std::string_view name, std::initializer_list<CallArg> args = {}) {
        calls.push_back(callLine(name, args));
        return kRadioStatus;
    }
};

class RecordingLog final : public LogSink {
  public:
    struct Line {
        int mode;
        int level;
        std::string text;
    };
    std::vector<Line> lines;

    void LogMessage(int mode, int level, std::string_view text) override {
        lines.push_back({mode, level, std::string(text)});
    }
};

class FakeHost final : public ServantHost {
  public:
    std::vector<std::string> calls;

    bool gaveUp = false;

    bool StartConnectBackThread(const std::string&) override {
        calls.push_back(callLine("StartConnectBackThread"));
        gaveUp = false;
        return true;
    }
    bool ConnectBackGaveUp() const override { return gaveUp; }
    void OnClientDisconnect() override { calls.push_back(callLine("OnClientDisconnect")); }
    void PostSpeakFreelyNotice() override { calls.push_back(callLine("PostSpeakFreelyNotice")); }
};

}  // namespace servanttest
