#pragma once

// KeySwitchTarget: where the key-switch pages send their requests, the front
// panel in the program: command 15 (a key code) and 16 (the band's limits
// for the asking page) through executeRemoteCmd, and the scan (17) with its
// limits in Hz. The pages queue each call and hold the target by a QPointer
// on `Object()`, so a target that is gone is never called.

#include <QObject>

#include <cstdint>

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
