#include "sim/command_framer.h"

#include <utility>

namespace sim {

std::optional<CommandFramer::Event> CommandFramer::feed(char byte) {
    if (byte == ';') {
        if (m_discarding) {
            m_discarding = false;
            return std::nullopt;
        }
        if (m_buffer.empty()) {
            return std::nullopt;
        }
        return Event{Event::Kind::Command, std::exchange(m_buffer, {})};
    }
    if (m_discarding) {
        return std::nullopt;
    }
    if (m_buffer.size() == kMaxCommand) {
        m_buffer.clear();
        m_discarding = true;
        return Event{Event::Kind::Overflow, {}};
    }
    m_buffer.push_back(byte);
    return std::nullopt;
}

}  // namespace sim
