#pragma once

// KeyboardCwOwner: the keyboard-CW family's one object in the program.
//
// CPelorinApp::InitInstance makes it before the front panel, lets it fill its
// members of the panel's entry points (openKeyboardCw, transmitMemKey,
// transmitCwText, moveKeyboardCw; closeKeyboardCw, notifyTextMessageSent) and
// hands it the panel once that exists. It holds the MemoryKeyStore and the
// keyboard-CW window while it is open: made and slid out on open, slid in and
// deleted on close (a slide-in still under way finishes at once when the
// window is opened again). Progress notices and key requests that come while
// no window exists are dropped.
//
// GUI thread only.

#include <QObject>
#include <QPointer>

#include <memory>

struct PanelCommandEntryPoints;
struct PanelEntryPoints;
class CCWTransmitDlg;
class CK2FrontPanelControlDlg;
class MemoryKeyStore;
namespace pelorin {
class CRegistryStore;
}  // namespace pelorin

class KeyboardCwOwner {
  public:
    static constexpr int kSlideDelayMs = 3;

    // `store` is not owned and outlives the owner. The window calls the
    // server through the panel's remote().
    explicit KeyboardCwOwner(pelorin::CRegistryStore& store);
    ~KeyboardCwOwner();
    KeyboardCwOwner(const KeyboardCwOwner&) = delete;
    KeyboardCwOwner& operator=(const KeyboardCwOwner&) = delete;

    // Fills only this family's members.
    void fill(PanelEntryPoints& entry);
    void fill(PanelCommandEntryPoints& entry);
    // The panel, once built; not owned.
    void setPanel(CK2FrontPanelControlDlg* panel);

    void open();
    void close();
    void transmitMemKey(int key);
    void transmitCwText(const std::string& text);
    void move();
    void notifyTextMessageSent(int kind, const std::string& text);

    MemoryKeyStore& memories() const { return *m_memories; }
    // The open window (null while closed).
    CCWTransmitDlg* window() const;

  private:
    pelorin::CRegistryStore& m_store;
    QPointer<CK2FrontPanelControlDlg> m_panel;
    std::unique_ptr<MemoryKeyStore> m_memories;
    QPointer<CCWTransmitDlg> m_window;
    // A window sliding in, deleted when its slide ends.
    QPointer<CCWTransmitDlg> m_closing;
};
