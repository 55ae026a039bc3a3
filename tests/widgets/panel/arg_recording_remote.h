#pragma once

// The fake server of the panel tests, also writing down the arguments of the
// operations the frequency controls call: "VFOFreq(1,0,14060010)"
// (tests/support/call_line.h).

#include <string>
#include <vector>

#include "fake_panel_remote.h"
#include "tests/support/call_line.h"

class ArgRecordingRemote : public FakePanelRemote {
  public:
    RemoteStatus MoveActiveVFOFreq(int direction, int step) override {
        note("MoveActiveVFOFreq", {direction, step});
        return FakePanelRemote::MoveActiveVFOFreq(direction, step);
    }
    RemoteStatus ChangeBand(int direction) override {
        note("ChangeBand", {direction});
        return FakePanelRemote::ChangeBand(direction);
    }
    RemoteStatus VFOFreq(int action, int vfo, std::int32_t frequency) override {
        note("VFOFreq", {action, vfo, frequency});
        return FakePanelRemote::VFOFreq(action, vfo, frequency);
    }
    RemoteStatus TransceiverRecvVFOAssignment(int action, int vfo) override {
        note("TransceiverRecvVFOAssignment", {action, vfo});
        return FakePanelRemote::TransceiverRecvVFOAssignment(action, vfo);
    }
    RemoteStatus TransceiverTxVFOAssignment(int action, int vfo) override {
        note("TransceiverTxVFOAssignment", {action, vfo});
        return FakePanelRemote::TransceiverTxVFOAssignment(action, vfo);
    }
    RemoteStatus RITControl(int action, int enable) override {
        note("RITControl", {action, enable});
        return FakePanelRemote::RITControl(action, enable);
    }
    RemoteStatus XITControl(int action, int enable) override {
        note("XITControl", {action, enable});
        return FakePanelRemote::XITControl(action, enable);
    }
    RemoteStatus ClearFineRITOffset() override {
        note("ClearFineRITOffset", {});
        return FakePanelRemote::ClearFineRITOffset();
    }
    RemoteStatus RITTuning(int direction, int amount) override {
        note("RITTuning", {direction, amount});
        return FakePanelRemote::RITTuning(direction, amount);
    }
    RemoteStatus WriteVFOFreqCache(const LastFreqVisitArray& freqCache) override {
        note("WriteVFOFreqCache", {freqCache.VfoBank[4][0], freqCache.VfoBank[4][1]});
        m_written = freqCache;
        return FakePanelRemote::WriteVFOFreqCache(freqCache);
    }

    // The calls above with their arguments, in order.
    std::vector<std::string> m_withArgs;
    LastFreqVisitArray m_written;

  private:
    void note(const char* name, std::initializer_list<CallArg> args) {
        m_withArgs.push_back(callLine(name, args));
    }
};
