#pragma once

// KeySwitchTarget: where the key-switch pages send their requests, the front
// panel in the program: command 15 (a key code) and 16 (the band's limits
// for the asking page) through executeRemoteCmd, and the scan (17) with its
// limits in Hz. The pages queue each call and hold the target by a QPointer
// on `Object()`, so a target that is gone is never called.

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <utility>

#include "client/base/queued_call.h"

class KeySwitchTarget {
  public:
    virtual ~KeySwitchTarget() = default;
    virtual QObject* Object() = 0;
    virtual void executeRemoteCmd(int command, std::intptr_t param) = 0;
    virtual void RequestFrequencyScan(std::int32_t low, std::int32_t high) = 0;

  protected:
    KeySwitchTarget() = default;
    KeySwitchTarget(const KeySwitchTarget&) = default;
    KeySwitchTarget& operator=(const KeySwitchTarget&) = default;
};

// Queues `call` to the target's thread; it runs only if `object` (the
// target's Object()) still exists then. Nothing is queued once it is gone.
inline void PostToTarget(KeySwitchTarget* target, const QPointer<QObject>& object,
                         std::function<void(KeySwitchTarget&)> call) {
    queueIfAlive(object, [target, call = std::move(call)](QObject&) { call(*target); });
}
