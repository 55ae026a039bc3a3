#pragma once

// The fake server with the arguments of the operator commands' calls:
// m_log holds "Name(a,b,...)" for each of them, in order
// (tests/support/call_line.h). Failures behave as
// in FakePanelRemote.

#include <string>
#include <vector>

#include "fake_panel_remote.h"
#include "tests/support/call_line.h"

class RecordingPanelRemote : public FakePanelRemote {
  public:
    std::vector<std::string> m_log;

#define RECORD_OP(Name, Params, Args, ...)               \
    RemoteStatus Name Params override {                  \
        m_log.push_back(callLine(#Name, {__VA_ARGS__})); \
        return FakePanelRemote::Name Args;               \
    }
    RECORD_OP(Antenna, (int a, int b), (a, b), a, b)
    RECORD_OP(NoiseBlanker, (int a, int b), (a, b), a, b)
    RECORD_OP(ReceiverAGC, (int a, int b), (a, b), a, b)
    RECORD_OP(ReceiverPreamp, (int a, int b), (a, b), a, b)
    RECORD_OP(ReceiverAttenuator, (int a, int b), (a, b), a, b)
    RECORD_OP(XFILSelection, (int a, int b, int c), (a, b, c), a, b, c)
    RECORD_OP(AFILSelection, (int a, int b), (a, b), a, b)
    RECORD_OP(OperatingMode, (int a, int b), (a, b), a, b)
    RECORD_OP(CWKeyerSpeed, (int a, int b), (a, b), a, b)
    RECORD_OP(RFPowerOutput, (int a, int b, int c), (a, b, c), a, b, c)
    RECORD_OP(IncrementalOffsetTuning, (int a), (a), a)
    RECORD_OP(LockVFO, (int a, int b), (a, b), a, b)
    RECORD_OP(TuneTransmitter, (), (), )
    RECORD_OP(EmulateKeySwitch, (int a), (a), a)
    RECORD_OP(FrequencyScan, (std::int32_t a, std::int32_t b), (a, b), a, b)
    RECORD_OP(SquelchLevel, (int a, int b), (a, b), a, b)
    RECORD_OP(VFOFreq, (int a, int b, std::int32_t c), (a, b, c), a, b, c)
    RECORD_OP(RITTuning, (int a, int b), (a, b), a, b)
#undef RECORD_OP

    RemoteStatus DownloadRadioInfo(const RadioMemInfo& info) override {
        m_downloads.push_back(info);
        m_log.push_back("DownloadRadioInfo");
        return FakePanelRemote::DownloadRadioInfo(info);
    }
    std::vector<RadioMemInfo> m_downloads;
};
