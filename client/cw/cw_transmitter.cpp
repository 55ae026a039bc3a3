#include "client/cw/cw_transmitter.h"

#include <cstdio>

#include "client/base/status_line.h"
#include "client/cw/cw_macros.h"
#include "client/cw/serial_counter.h"
#include "radiolink/k2_status.h"

namespace cw {

std::string CwRefusalText(std::optional<std::int32_t> status) {
    if (!status) {
        return "CW not sent: not connected";
    }
    const auto code = static_cast<std::uint32_t>(*status);
    switch (code) {
        case K2ERR_CLIENT_NOT_CONNECTED:
            return "CW not sent: not connected";
        case K2ERR_PORT_NOT_OPEN:
        case K2ERR_PORT_WRITE_FAILED:
            return "CW not sent: radio port not open";
        case K2ERR_INVALID_PARAM:
            return "CW not sent: Brakton's CW queue is full";
        default: {
            char text[48];
            std::snprintf(text, sizeof text, "CW not sent: error 0x%07X", code);
            return text;
        }
    }
}

std::string MemoryCannotBeSentText(int index, const std::string& reason) {
    return "Memory F" + std::to_string(index + 1) + " cannot be sent: " + reason;
}

std::string AbortRefusalText(std::optional<std::int32_t> status) {
    std::string words;
    if (!status) {
        words = "no answer";
    } else {
        const auto code = static_cast<std::uint32_t>(*status);
        switch (code) {
            case K2ERR_CLIENT_NOT_CONNECTED:
                words = "not connected";
                break;
            case K2ERR_PORT_NOT_OPEN:
            case K2ERR_PORT_WRITE_FAILED:
                words = "radio port not open";
                break;
            default: {
                char text[24];
                std::snprintf(text, sizeof text, "error 0x%07X", code);
                words = text;
                break;
            }
        }
    }
    return "Abort not confirmed by Brakton: " + words;
}

std::string StoppedByBraktonText(std::size_t left) {
    char text[64];
    std::snprintf(text, sizeof text, "CW stopped by Brakton: %zu characters not keyed", left);
    return text;
}

std::string EmptyMemoryText(int memory) {
    char text[32];
    std::snprintf(text, sizeof text, "Memory F%d is empty", memory + 1);
    return text;
}

CwTransmitter::CwTransmitter(Hooks hooks, PendingText& pending, SerialCounter& counter)
    : m_hooks(std::move(hooks)), m_pending(pending), m_counter(counter) {}

bool CwTransmitter::callServer(const std::string& piece, bool& unanswered) {
    unanswered = false;
    if (!m_hooks.connected || !m_hooks.connected()) {
        m_hooks.showStatus(kStatusError, CwRefusalText(std::nullopt));
        return false;
    }
    const std::optional<std::int32_t> status = m_hooks.keyboardCW(piece);
    unanswered = !status;
    if (!status || *status != 0) {
        // A failed call has already run the panel's lost-connection handling;
        // these words replace its line.
        m_hooks.showStatus(kStatusError, CwRefusalText(status));
        return false;
    }
    m_pending.append(piece);
    return true;
}

bool CwTransmitter::sendTypedWord(const std::string& word) {
    bool unanswered = false;
    return callServer(word, unanswered);
}

CwTransmitter::Sent CwTransmitter::sendPieces(std::string_view text) {
    Sent sent;
    const std::optional<std::string> keyable = KeyableText(text);
    if (!keyable) {
        m_hooks.showStatus(kStatusError, kNotAsciiStatus);
        return sent;
    }
    for (const std::string& piece : SplitCWText(*keyable)) {
        if (!callServer(piece, sent.unanswered)) {
            break;
        }
        if (sent.taken++ == 0 && m_hooks.sending) {
            m_hooks.sending();
        }
    }
    return sent;
}

bool CwTransmitter::transmitText(std::string_view text) {
    return sendPieces(text).taken > 0;
}

bool CwTransmitter::transmitMemory(std::string_view text) {
    const std::optional<int> before = m_counter.value();
    bool saved = true;
    // The first reason the serial number cannot be sent; the text is then
    // not sent at all.
    const char* serialRefusal = nullptr;
    MacroSources sources;
    sources.slot = m_hooks.slot;
    sources.serialNumber = [this, &serialRefusal] {
        if (!m_counter.known()) {
            serialRefusal = kSerialUnknownStatus;
        }
        return m_counter.format();
    };
    sources.stepCounter = [this, &saved, &serialRefusal](int delta) {
        if (serialRefusal != nullptr) {
            return;
        }
        if (!m_counter.canStep(delta)) {
            serialRefusal = kSerialAtLimitStatus;
            return;
        }
        saved = m_counter.step(delta) && saved;
    };
    const std::string expanded = ExpandMacros(text, sources);
    Sent sent;
    if (serialRefusal == nullptr && !expanded.empty()) {
        sent = sendPieces(expanded);
    }
    if (sent.taken > 0) {
        if (!saved) {
            m_hooks.showStatus(kStatusError, kSerialNotSavedStatus);
        }
        return true;
    }
    if (sent.unanswered) {
        // Brakton may be keying the text already: its numbers are used up.
        // The status line keeps the failed call's words.
        return false;
    }
    if (before && m_counter.value() != before) {
        // Nothing went on air: the numbers are not used up.
        m_counter.restore(*before);
    }
    if (serialRefusal != nullptr) {
        m_hooks.showStatus(kStatusError, serialRefusal);
    }
    // Otherwise the refusal's words stay on the status line.
    return false;
}

bool CwTransmitter::transmitMemoryKey(int index, const std::string& text) {
    if (const std::optional<std::string> fault = MemoryTextFault(text)) {
        m_hooks.showStatus(kStatusError, MemoryCannotBeSentText(index, *fault));
        return false;
    }
    return transmitMemory(text + " ");
}

}  // namespace cw
