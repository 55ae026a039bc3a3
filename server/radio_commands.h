#pragma once

// The radio operations the RadioComm servant hands on, as one interface, so
// the servant can be driven against a recording fake. K2RadioCommands forwards
// each to the server's CK2RadioPort unchanged.
//
// Called on the ORB thread only; the radio object does its own locking.

#include <cstdint>
#include <string_view>

#include "radiolink/k2_radio_port.h"

class RadioCommands {
  public:
    virtual ~RadioCommands() = default;

    virtual std::uint32_t GetInitialRadioInfo() = 0;
    virtual std::uint32_t RITTuning(std::int16_t direction, std::int16_t amount) = 0;
    virtual std::uint32_t DownloadRadioInfo(const RadioMemInfo& state) = 0;
    virtual std::uint32_t AutoInfo(std::int16_t set, std::int16_t mode) = 0;
    virtual std::uint32_t CommandMode(std::int16_t set, std::int16_t mode) = 0;
    virtual std::uint32_t Antenna(std::int16_t set, std::int16_t antenna) = 0;
    virtual std::uint32_t MoveActiveVFOFreq(std::int16_t direction, std::int16_t steps) = 0;
    virtual std::uint32_t VFOFreq(std::int16_t set, std::int16_t vfo, std::int32_t hz) = 0;
    virtual std::uint32_t NoiseBlanker(std::int16_t set, std::int16_t level) = 0;
    virtual std::uint32_t ReceiverAGC(std::int16_t set, std::int16_t value) = 0;
    virtual std::uint32_t ReceiverPreamp(std::int16_t set, std::int16_t on) = 0;
    virtual std::uint32_t ReceiverAttenuator(std::int16_t set, std::int16_t on) = 0;
    virtual std::uint32_t XFILSelection(std::int16_t set, std::int16_t bandwidth,
                                        std::int16_t filter) = 0;
    virtual std::uint32_t AFILSelection(std::int16_t set, std::int16_t value) = 0;
    virtual std::uint32_t OperatingMode(std::int16_t set, std::int16_t mode) = 0;
    virtual std::uint32_t CWKeyerSpeed(std::int16_t set, std::int16_t wpm) = 0;
    virtual std::uint32_t RFPowerOutput(std::int16_t set, std::int16_t power,
                                        std::int16_t range) = 0;
    virtual std::uint32_t ChangeBand(std::int16_t direction) = 0;
    virtual std::uint32_t TransceiverRecvVFOAssignment(std::int16_t set, std::int16_t vfo) = 0;
    virtual std::uint32_t TransceiverTxVFOAssignment(std::int16_t set, std::int16_t vfo) = 0;
    virtual std::uint32_t RITControl(std::int16_t set, std::int16_t on) = 0;
    virtual std::uint32_t XITControl(std::int16_t set, std::int16_t on) = 0;
    virtual std::uint32_t IncrementalOffsetTuning(std::int16_t direction) = 0;
    virtual std::uint32_t ClearFineRITOffset() = 0;
    virtual std::uint32_t LockVFO(std::int16_t set, std::int16_t on) = 0;
    virtual std::uint32_t TuneTransmitter() = 0;
    virtual std::uint32_t SendDiagnosticData(std::string_view text) = 0;
    virtual std::uint32_t QueryKeyboardCWTxStatus() = 0;
    virtual std::uint32_t KeyboardCW(std::string_view text) = 0;
    virtual std::uint32_t AbortKeyboardCW() = 0;
    virtual std::uint32_t EmulateKeySwitch(std::int16_t key) = 0;
    virtual std::uint32_t FrequencyScan(std::int32_t lowHz, std::int32_t highHz) = 0;
    virtual std::uint32_t SquelchLevel(std::int16_t set, std::int16_t level) = 0;
    virtual std::uint32_t EnableStatusQuery(std::int16_t enable) = 0;
};

class K2RadioCommands final : public RadioCommands {
  public:
    explicit K2RadioCommands(CK2RadioPort& radio) : m_radio(radio) {}

    std::uint32_t GetInitialRadioInfo() override { return m_radio.GetInitialRadioInfo(); }
    std::uint32_t RITTuning(std::int16_t d, std::int16_t a) override {
        return m_radio.RITTuning(d, a);
    }
    std::uint32_t DownloadRadioInfo(const RadioMemInfo& s) override {
        return m_radio.DownloadRadioInfo(s);
    }
    std::uint32_t AutoInfo(std::int16_t s, std::int16_t v) override {
        return m_radio.AutoInfo(s, v);
    }
    std::uint32_t CommandMode(std::int16_t s, std::int16_t v) override {
        return m_radio.CommandMode(s, v);
    }
    std::uint32_t Antenna(std::int16_t s, std::int16_t v) override { return m_radio.Antenna(s, v); }
    std::uint32_t MoveActiveVFOFreq(std::int16_t d, std::int16_t n) override {
        return m_radio.MoveActiveVFOFreq(d, n);
    }
    std::uint32_t VFOFreq(std::int16_t s, std::int16_t v, std::int32_t hz) override {
        return m_radio.VFOFreq(s, v, hz);
    }
    std::uint32_t NoiseBlanker(std::int16_t s, std::int16_t v) override {
        return m_radio.NoiseBlanker(s, v);
    }
    std::uint32_t ReceiverAGC(std::int16_t s, std::int16_t v) override {
        return m_radio.ReceiverAGC(s, v);
    }
    std::uint32_t ReceiverPreamp(std::int16_t s, std::int16_t v) override {
        return m_radio.ReceiverPreamp(s, v);
    }
    std::uint32_t ReceiverAttenuator(std::int16_t s, std::int16_t v) override {
        return m_radio.ReceiverAttenuator(s, v);
    }
    std::uint32_t XFILSelection(std::int16_t s, std::int16_t bw, std::int16_t f) override {
        return m_radio.XFILSelection(s, bw, f);
    }
    std::uint32_t AFILSelection(std::int16_t s, std::int16_t v) override {
        return m_radio.AFILSelection(s, v);
    }
    std::uint32_t OperatingMode(std::int16_t s, std::int16_t v) override {
        return m_radio.OperatingMode(s, v);
    }
    std::uint32_t CWKeyerSpeed(std::int16_t s, std::int16_t v) override {
        return m_radio.CWKeyerSpeed(s, v);
    }
    std::uint32_t RFPowerOutput(std::int16_t s, std::int16_t p, std::int16_t r) override {
        return m_radio.RFPowerOutput(s, p, r);
    }
    std::uint32_t ChangeBand(std::int16_t d) override { return m_radio.ChangeBand(d); }
    std::uint32_t TransceiverRecvVFOAssignment(std::int16_t s, std::int16_t v) override {
        return m_radio.TransceiverRecvVFOAssignment(s, v);
    }
    std::uint32_t TransceiverTxVFOAssignment(std::int16_t s, std::int16_t v) override {
        return m_radio.TransceiverTxVFOAssignment(s, v);
    }
    std::uint32_t RITControl(std::int16_t s, std::int16_t v) override {
        return m_radio.RITControl(s, v);
    }
    std::uint32_t XITControl(std::int16_t s, std::int16_t v) override {
        return m_radio.XITControl(s, v);
    }
    std::uint32_t IncrementalOffsetTuning(std::int16_t d) override {
        return m_radio.IncrementalOffsetTuning(d);
    }
    std::uint32_t ClearFineRITOffset() override { return m_radio.ClearFineRITOffset(); }
    std::uint32_t LockVFO(std::int16_t s, std::int16_t v) override { return m_radio.LockVFO(s, v); }
    std::uint32_t TuneTransmitter() override { return m_radio.TuneTransmitter(); }
    std::uint32_t SendDiagnosticData(std::string_view t) override {
        return m_radio.SendDiagnosticData(t);
    }
    std::uint32_t QueryKeyboardCWTxStatus() override { return m_radio.QueryKeyboardCWTxStatus(); }
    std::uint32_t KeyboardCW(std::string_view t) override { return m_radio.KeyboardCW(t); }
    std::uint32_t AbortKeyboardCW() override { return m_radio.AbortKeyboardCW(); }
    std::uint32_t EmulateKeySwitch(std::int16_t k) override { return m_radio.EmulateKeySwitch(k); }
    std::uint32_t FrequencyScan(std::int32_t lo, std::int32_t hi) override {
        return m_radio.FrequencyScan(lo, hi);
    }
    std::uint32_t SquelchLevel(std::int16_t s, std::int16_t v) override {
        return m_radio.SquelchLevel(s, v);
    }
    std::uint32_t EnableStatusQuery(std::int16_t e) override {
        return m_radio.EnableStatusQuery(e);
    }

  private:
    CK2RadioPort& m_radio;
};
