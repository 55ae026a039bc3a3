#include "client/base/radio_comm_proxy.h"

#include <cstdio>
#include <system_error>
#include <thread>
#include <type_traits>
#include <utility>

#include "RadioComm.hh"
#include "client/base/client_orb.h"
#include "idl/call_helpers.h"
#include "idl/naming.h"

namespace {

CORBA::Short toShort(int value) {
    return static_cast<CORBA::Short>(value);
}

// The line written for a failed call: the operation, then the exception.
std::string failureLine(const CallFailure& failure) {
    std::string line = failure.kind == CallFailure::Kind::Unknown
                           ? unknownExceptionLine(failure.operation)
                           : corbaExceptionLine(failure.operation);
    if (!failure.name.empty()) {
        line += ": " + failure.name;
    }
    if (failure.kind == CallFailure::Kind::System) {
        char minor[32];
        std::snprintf(minor, sizeof minor, " (minor 0x%lx)", failure.minor);
        line += minor;
    }
    return line;
}

}  // namespace

struct RadioCommProxy::Impl {
    RadioComm_var server;

    // One remote call on the held reference through callServer; a failure
    // writes its line and runs the handler. `call` gets the RadioComm_ptr.
    template <class Call>
    auto run(const FailureHandler& handler, const char* operation, Call&& call)
        -> std::optional<std::invoke_result_t<Call, RadioComm_ptr>> {
        RadioComm_ptr target = server.in();
        auto result = callServer(operation, [&]() {
            if (CORBA::is_nil(target)) {
                throw CORBA::OBJECT_NOT_EXIST(0, CORBA::COMPLETED_NO);
            }
            return call(target);
        });
        if (result) {
            return result.value();
        }
        std::fprintf(stderr, "%s\n", failureLine(result.failure()).c_str());
        if (handler) {
            const RemoteFailure failure{result.failure().operation, result.failure().name,
                                        result.failure().kind != CallFailure::Kind::Unknown};
            try {
                handler(failure);
            } catch (...) {
                // The handler is the caller's; a throw from it must not reach
                // the event loop either.
            }
        }
        return std::nullopt;
    }
};

RadioCommProxy::RadioCommProxy() : m_impl(std::make_unique<Impl>()) {}

RadioCommProxy::~RadioCommProxy() = default;

void RadioCommProxy::setFailureHandler(FailureHandler handler) {
    m_failureHandler = std::move(handler);
}

bool RadioCommProxy::resolve(std::chrono::milliseconds orbReadyWait) {
    m_impl->server = RadioComm::_nil();
    CORBA::ORB_ptr orb = ClientOrb::orb();
    if (CORBA::is_nil(orb)) {
        std::fprintf(stderr, "%s: no ORB\n", corbaExceptionLine("resolve").c_str());
        return false;
    }
    // The server calls back whatever "RadioCmdNotification" holds when its
    // connect-back looks: bind this client's object first, every time (the
    // ORB thread's own binding may have failed, another client may have
    // taken the name since). Without it a connect would never be answered.
    ClientOrb::waitReady(orbReadyWait);
    if (!ClientOrb::bindCallback()) {
        std::fprintf(stderr, "%s: the callback object is not bound\n",
                     corbaExceptionLine("resolve").c_str());
        return false;
    }
    auto result = callServer("resolve", [orb] { return resolveRadioComm(orb); });
    if (!result) {
        std::fprintf(stderr, "%s\n", failureLine(result.failure()).c_str());
        return false;
    }
    m_impl->server = result.value()._retn();
    return !CORBA::is_nil(m_impl->server.in());
}

bool RadioCommProxy::isNil() const {
    return CORBA::is_nil(m_impl->server.in());
}

void RadioCommProxy::reset() {
    m_impl->server = RadioComm::_nil();
}

bool RadioCommProxy::askAlive(AliveAnswer answer) const {
    if (CORBA::is_nil(m_impl->server.in())) {
        return false;
    }
    RadioComm_var server = RadioComm::_duplicate(m_impl->server.in());
    try {
        std::thread([server, answer = std::move(answer)] {
            auto result = callServer("_non_existent", [&] { return server->_non_existent(); });
            if (!result) {
                std::fprintf(stderr, "%s\n", failureLine(result.failure()).c_str());
            }
            if (answer) {
                answer(result.ok() && !result.value());
            }
        }).detach();
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

#define RADIO_CALL(op, ...)            \
    m_impl->run(m_failureHandler, #op, \
                [&](RadioComm_ptr server) -> std::int32_t { return server->op(__VA_ARGS__); })

RemoteStatus RadioCommProxy::Connect(const std::string& clientName) {
    return RADIO_CALL(Connect, clientName.c_str());
}

RemoteStatus RadioCommProxy::Disconnect() {
    return RADIO_CALL(Disconnect);
}

bool RadioCommProxy::EchoString(const std::string& text) {
    return m_impl
        ->run(m_failureHandler, "EchoString",
              [&](RadioComm_ptr server) {
                  server->EchoString(text.c_str());
                  return true;
              })
        .has_value();
}

RemoteStatus RadioCommProxy::ReadHAMRadioBandInfo(HamRadioBandInfo& bandInfo) {
    HAMRADIO_BAND_INFO remote{};
    RemoteStatus status = RADIO_CALL(ReadHAMRadioBandInfo, remote);
    if (status) {
        for (int i = 0; i < pelorin::kBandCount; ++i) {
            auto& band = bandInfo.Info[static_cast<std::size_t>(i)];
            band.uiBandFreq = remote.Info[i].uiBandFreq;
            band.ulLowBandEdge = remote.Info[i].ulLowBandEdge;
            band.ulHighBandEdge = remote.Info[i].ulHighBandEdge;
        }
    }
    return status;
}

RemoteStatus RadioCommProxy::ReadVFOFreqCache(LastFreqVisitArray& freqCache) {
    LAST_FREQ_VISIT_ARRAY remote{};
    RemoteStatus status = RADIO_CALL(ReadVFOFreqCache, remote);
    if (status) {
        for (int b = 0; b < pelorin::kBandCount; ++b) {
            for (int v = 0; v < 2; ++v) {
                freqCache.VfoBank[static_cast<std::size_t>(b)][static_cast<std::size_t>(v)] =
                    remote.VfoBank[b][v];
            }
        }
    }
    return status;
}

RemoteStatus RadioCommProxy::WriteVFOFreqCache(const LastFreqVisitArray& freqCache) {
    LAST_FREQ_VISIT_ARRAY remote{};
    for (int b = 0; b < pelorin::kBandCount; ++b) {
        for (int v = 0; v < 2; ++v) {
            remote.VfoBank[b][v] =
                freqCache.VfoBank[static_cast<std::size_t>(b)][static_cast<std::size_t>(v)];
        }
    }
    return RADIO_CALL(WriteVFOFreqCache, remote);
}

RemoteStatus RadioCommProxy::GetInitialRadioInfo() {
    return RADIO_CALL(GetInitialRadioInfo);
}

RemoteStatus RadioCommProxy::RITTuning(int direction, int amount) {
    return RADIO_CALL(RITTuning, toShort(direction), toShort(amount));
}

RemoteStatus RadioCommProxy::DownloadRadioInfo(const RadioMemInfo& info) {
    RADIO_MEM_INFO remote{};
    remote.ulVFOA_Freq = info.ulVFOA_Freq;
    remote.ulVFOB_Freq = info.ulVFOB_Freq;
    remote.uiOpMode = toShort(info.uiOpMode);
    remote.uiXFIL = toShort(info.uiXFIL);
    remote.uiCurXFILBW = toShort(info.uiCurXFILBW);
    remote.uiAFIL = toShort(info.uiAFIL);
    remote.uiAGC = toShort(info.uiAGC);
    remote.uiNB = toShort(info.uiNB);
    remote.uiCWSpeed = toShort(info.uiCWSpeed);
    remote.uiAntPos = toShort(info.uiAntPos);
    remote.iRFPower = toShort(info.iRFPower);
    remote.uiActiveRxVFO = toShort(info.uiActiveRxVFO);
    remote.uiActiveTxVFO = toShort(info.uiActiveTxVFO);
    remote.bPreAmpMode = toShort(info.bPreAmpMode);
    remote.bAttMode = toShort(info.bAttMode);
    remote.iIncTuneReading = toShort(info.iIncTuneReading);
    remote.bRITEnable = toShort(info.bRITEnable);
    remote.bXITEnable = toShort(info.bXITEnable);
    return RADIO_CALL(DownloadRadioInfo, remote);
}

RemoteStatus RadioCommProxy::QueryRFAmpStatus(int& rfAmpStatus) {
    CORBA::Short remote = 0;
    RemoteStatus status = RADIO_CALL(QueryRFAmpStatus, remote);
    if (status) {
        rfAmpStatus = remote;
    }
    return status;
}

RemoteStatus RadioCommProxy::Antenna(int action, int antennaNo) {
    return RADIO_CALL(Antenna, toShort(action), toShort(antennaNo));
}

RemoteStatus RadioCommProxy::MoveActiveVFOFreq(int direction, int step) {
    return RADIO_CALL(MoveActiveVFOFreq, toShort(direction), toShort(step));
}

RemoteStatus RadioCommProxy::VFOFreq(int action, int vfo, std::int32_t frequency) {
    return RADIO_CALL(VFOFreq, toShort(action), toShort(vfo), frequency);
}

RemoteStatus RadioCommProxy::NoiseBlanker(int action, int value) {
    return RADIO_CALL(NoiseBlanker, toShort(action), toShort(value));
}

RemoteStatus RadioCommProxy::ReceiverAGC(int action, int value) {
    return RADIO_CALL(ReceiverAGC, toShort(action), toShort(value));
}

RemoteStatus RadioCommProxy::ReceiverPreamp(int action, int enable) {
    return RADIO_CALL(ReceiverPreamp, toShort(action), toShort(enable));
}

RemoteStatus RadioCommProxy::ReceiverAttenuator(int action, int enable) {
    return RADIO_CALL(ReceiverAttenuator, toShort(action), toShort(enable));
}

RemoteStatus RadioCommProxy::XFILSelection(int action, int bandwidth, int filter) {
    return RADIO_CALL(XFILSelection, toShort(action), toShort(bandwidth), toShort(filter));
}

RemoteStatus RadioCommProxy::AFILSelection(int action, int value) {
    return RADIO_CALL(AFILSelection, toShort(action), toShort(value));
}

RemoteStatus RadioCommProxy::OperatingMode(int action, int mode) {
    return RADIO_CALL(OperatingMode, toShort(action), toShort(mode));
}

RemoteStatus RadioCommProxy::CWKeyerSpeed(int action, int keyerSpeed) {
    return RADIO_CALL(CWKeyerSpeed, toShort(action), toShort(keyerSpeed));
}

RemoteStatus RadioCommProxy::RFPowerOutput(int action, int power, int range) {
    return RADIO_CALL(RFPowerOutput, toShort(action), toShort(power), toShort(range));
}

RemoteStatus RadioCommProxy::ChangeBand(int direction) {
    return RADIO_CALL(ChangeBand, toShort(direction));
}

RemoteStatus RadioCommProxy::TransceiverRecvVFOAssignment(int action, int vfo) {
    return RADIO_CALL(TransceiverRecvVFOAssignment, toShort(action), toShort(vfo));
}

RemoteStatus RadioCommProxy::TransceiverTxVFOAssignment(int action, int vfo) {
    return RADIO_CALL(TransceiverTxVFOAssignment, toShort(action), toShort(vfo));
}

RemoteStatus RadioCommProxy::RITControl(int action, int enable) {
    return RADIO_CALL(RITControl, toShort(action), toShort(enable));
}

RemoteStatus RadioCommProxy::XITControl(int action, int enable) {
    return RADIO_CALL(XITControl, toShort(action), toShort(enable));
}

RemoteStatus RadioCommProxy::IncrementalOffsetTuning(int direction) {
    return RADIO_CALL(IncrementalOffsetTuning, toShort(direction));
}

RemoteStatus RadioCommProxy::ClearFineRITOffset() {
    return RADIO_CALL(ClearFineRITOffset);
}

RemoteStatus RadioCommProxy::LockVFO(int action, int enable) {
    return RADIO_CALL(LockVFO, toShort(action), toShort(enable));
}

RemoteStatus RadioCommProxy::TuneTransmitter() {
    return RADIO_CALL(TuneTransmitter);
}

RemoteStatus RadioCommProxy::KeyboardCW(const std::string& cwText) {
    return RADIO_CALL(KeyboardCW, cwText.c_str());
}

RemoteStatus RadioCommProxy::AbortKeyboardCW() {
    return RADIO_CALL(AbortKeyboardCW);
}

RemoteStatus RadioCommProxy::EmulateKeySwitch(int key) {
    return RADIO_CALL(EmulateKeySwitch, toShort(key));
}

RemoteStatus RadioCommProxy::FrequencyScan(std::int32_t scanLimitLow, std::int32_t scanLimitHigh) {
    return RADIO_CALL(FrequencyScan, scanLimitLow, scanLimitHigh);
}

RemoteStatus RadioCommProxy::SquelchLevel(int action, int value) {
    return RADIO_CALL(SquelchLevel, toShort(action), toShort(value));
}

RemoteStatus RadioCommProxy::EnableStatusQuery(int enable) {
    return RADIO_CALL(EnableStatusQuery, toShort(enable));
}

#undef RADIO_CALL
