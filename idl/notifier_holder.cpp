#include "idl/notifier_holder.h"

void NotifierHolder::set(RadioCmdNotification_ptr ref) {
    RadioCmdNotification_var fresh = RadioCmdNotification::_duplicate(ref);
    if (!CORBA::is_nil(fresh.in())) {
        omniORB::setClientCallTimeout(fresh.in(), kClientCallTimeoutMs);
    }
    RadioCmdNotification_var previous;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        previous = m_ref._retn();
        m_ref = fresh._retn();
    }
    // `previous` is released here, outside the lock.
}

RadioCmdNotification_var NotifierHolder::get() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return RadioCmdNotification::_duplicate(m_ref.in());
}

void NotifierHolder::clear() {
    set(RadioCmdNotification::_nil());
}
