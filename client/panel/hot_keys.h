#pragma once

// Pelorin's hot keys and the one rule for a held one.
//
// Hot keys key the transmitter, store data or log a contact: Esc (with or
// without Alt), F1-F11 (with or without Alt), Alt+L, Alt+T and Alt+X, and, in
// the windows where it stores, Enter. One press is one action: the platform's
// auto-repeat of a held hot key does nothing. Every window's key filter asks
// IsRepeatedHotKey before it acts and drops the press when it says so, so a
// repeat neither acts nor reaches a default handling (Esc's cancel, say).
// Typing, editing, arrows and sliders keep their repeat.
//
// A repeat is known from the key's own events. Qt flags some repeats, but
// not all: on X11 an auto-repeat is a release and a press with one server
// timestamp, and Qt flags the pair only when the press is already queued as
// it handles the release, which a busy machine or a single CPU often
// defeats. So the rule keeps state: the timestamp of each key's last release
// (by key code, whatever the modifiers, so Alt+L's repeats stay repeats when
// Alt is let go first). A press is a repeat when Qt flags it, or when its key's
// last release carries the same non-zero timestamp. A person's release and
// press never share one; a press whose release went to another program
// meets an older release and acts. With no timestamps (0) the flag alone
// decides. The answer rests on the press and the releases before it only,
// so a press passed up from a control to its window gets it at every step.
//
// HeldKeyWatch records the releases: one of them, installed on the
// application before any window exists, sees every key event, whichever
// window, menu or box it goes to, before that window does. It also drops a
// repeated press of Space or Enter aimed at a button, which would otherwise
// click it once per repeat (a button clicks on the release of Space that a
// repeat's press set down again). Without a watch the flag alone decides.
//
// GUI thread only.

#include <QObject>

#include <cstdint>
#include <unordered_map>

class QKeyEvent;

// Whether Enter stores in the window asking (the memory-key panel).
enum class EnterKey { Plain, Stores };

bool IsHotKey(const QKeyEvent& key, EnterKey enter = EnterKey::Plain);
// An auto-repeated press of any key, by the rule above.
bool IsRepeatedPress(const QKeyEvent& key);
// An auto-repeated press of a hot key: to be dropped.
bool IsRepeatedHotKey(const QKeyEvent& key, EnterKey enter = EnterKey::Plain);

class HeldKeyWatch : public QObject {
  public:
    // Installs itself on the application, which must exist, and becomes
    // the watch the rule asks until it ends; then the one it replaced is
    // asked again, or none. Watches end in the reverse order of their making.
    HeldKeyWatch();
    ~HeldKeyWatch() override;
    HeldKeyWatch(const HeldKeyWatch&) = delete;
    HeldKeyWatch& operator=(const HeldKeyWatch&) = delete;

    // The watch the rule asks, or null.
    static const HeldKeyWatch* current();

    // Whether a press of `key` at `timestamp` follows its key's last
    // release at the same time.
    bool isReleasePartner(int key, std::uint64_t timestamp) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    HeldKeyWatch* m_previous = nullptr;
    std::unordered_map<int, std::uint64_t> m_lastRelease;
};
