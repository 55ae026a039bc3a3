#include "client/cw/serial_counter.h"

#include <cstdint>

#include "client/base/client_settings.h"
#include "client/base/registry_store.h"
#include "client/cw/cw_macros.h"
#include "platform/message_service.h"

namespace cw {

SerialCounter::SerialCounter(pelorin::CRegistryStore& store) : m_store(store) {
    int value = 1;
    int mode = 0;
    if (m_store.ReadCounterSettings(value, mode)) {
        takeValue(value);
    } else {
        MessageService::showError(kCounterUnreadableMessage);
    }
}

int SerialCounter::outputMode() const {
    int mode = 0;
    m_store.ReadCounterOutputMode(mode);
    return mode;
}

std::string SerialCounter::format() const {
    return m_value ? FormatCounter(*m_value, outputMode()) : std::string();
}

bool SerialCounter::canStep(int delta) const {
    return m_value && !(delta > 0 && *m_value >= kMaxValue);
}

bool SerialCounter::step(int delta) {
    if (!canStep(delta)) {
        return false;
    }
    if (delta > 0) {
        ++*m_value;
    } else if (delta < 0 && *m_value > 0) {
        --*m_value;
    }
    return write();
}

bool SerialCounter::restore(int value) {
    takeValue(value);
    return write();
}

bool SerialCounter::write() {
    using pelorin::settings::kCounterValue;
    return m_value && m_store.WriteDword(kCounterValue.group, kCounterValue.name,
                                         static_cast<std::uint32_t>(*m_value));
}

}  // namespace cw
