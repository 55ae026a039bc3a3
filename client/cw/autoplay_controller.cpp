#include "client/cw/autoplay_controller.h"

namespace cw {

void AutoplayController::play(int memory, int intervalSeconds, int times) {
    m_memory = memory;
    m_interval = intervalSeconds;
    m_times = times < 0 ? 0 : times;
    m_chosen = true;
    start();
}

bool AutoplayController::repeat() {
    if (!m_chosen) {
        return false;
    }
    start();
    return true;
}

void AutoplayController::start() {
    if (m_running) {
        abort();
    }
    m_hooks.enableKeys(false);
    m_running = true;
    m_remaining = m_times;
    trySend();
    if (m_running) {
        m_hooks.timer.start(m_interval * 1000);
    }
}

void AutoplayController::tick() {
    if (m_running) {
        trySend();
    }
}

void AutoplayController::trySend() {
    switch (m_hooks.send(m_memory)) {
        case AutoplaySend::Waiting:
            return;
        case AutoplaySend::Refused:
            abort();
            return;
        case AutoplaySend::Sent:
            break;
    }
    if (m_times != 0 && --m_remaining <= 0) {
        finish();
    }
}

void AutoplayController::abort() {
    if (m_running) {
        finish();
    }
}

void AutoplayController::finish() {
    m_hooks.timer.stop();
    m_hooks.enableKeys(true);
    m_running = false;
}

}  // namespace cw
