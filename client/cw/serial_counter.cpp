#include "client/cw/serial_counter.h"

#include <algorithm>
#include <cstdint>

#include "client/app/registry_store.h"
#include "client/cw/cw_macros.h"

namespace cw {

SerialCounter::SerialCounter(pelorin::CRegistryStore& store) : m_store(store) {
    int value = 1;
    int mode = 0;
    m_store.ReadCounterSettings(value, mode);
    takeValue(value);
}

int SerialCounter::outputMode() const {
    int value = 0;
    int mode = 0;
    m_store.ReadCounterSettings(value, mode);
    return mode;
}

std::string SerialCounter::format() const {
    return FormatCounter(m_value, outputMode());
}

bool SerialCounter::step(int delta) {
    m_value = std::max(m_value + delta, 0);
    return write();
}

bool SerialCounter::restore(int value) {
    takeValue(value);
    return write();
}

bool SerialCounter::write() {
    return m_store.WriteDword("Settings", "Counter Value", static_cast<std::uint32_t>(m_value));
}

}  // namespace cw
