#pragma once

// CCWTransmitDlg: the keyboard-CW window, docked below the front panel.
//
// The operator types into the type-in line (CTransmitMsgEdit), which hands on
// each word at its separator; sends the eleven memories with the keys F1-F11
// (expanded at each send); watches the pending text shrink as Brakton reports
// the chunks it gave the radio; and stops everything with "Abort TX!", which
// asks the server whatever the panel believes about the link. Memory
// autoplay runs on an AutoplayController; the memory texts come from the one
// MemoryKeyStore.
//
// Brakton drops its text by itself when the radio stops answering (and can
// no longer say so after a failed call-back); its empty report cannot be told
// from the one it sends between chunks. So while text is pending the window
// watches for silence: no report of any kind for kSilenceLimitMs means the
// keying has stopped, and the window ends it on both sides and says so.
//
// The owner object (KeyboardCwOwner) makes and deletes the window. It reaches
// the panel only through OnMenuCommand (queued, so the key or menu event that
// asked has ended first), OnRequestQsoLogging, ShowStatus and the model's
// connected flag, and the server through the panel's remote(), so that every
// answer takes the panel's path.
//
// The window is a frameless tool window owned by the panel. It slides out from
// under the panel's bottom edge one step per slide delay on a timer; each
// step shows only the part outside the panel, the contents moving inside.
//
// GUI thread only.

#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "client/cw/autoplay_controller.h"
#include "client/cw/cw_text.h"
#include "client/cw/cw_transmitter.h"
#include "client/cw/dock_geometry.h"
#include "client/cw/serial_counter.h"
#include "client/cw/slide_runner.h"
#include "client/cw/transmit_msg_edit.h"

class CClrButton;
class CHighLightTTButton;
class CK2FrontPanelControlDlg;
class CStaticEx;
class CTransmitMemoryKeyDisplay;
class CxShadeButton;
class MemoryKeyStore;
class PanelRemote;
class QMenu;
class QPlainTextEdit;
namespace pelorin {
class CRegistryStore;
}  // namespace pelorin

class CCWTransmitDlg : public QDialog {
    Q_OBJECT

  public:
    static constexpr int IDC_PENDING_TEXT = 1200;
    static constexpr int IDC_TYPE_IN = 1006;
    static constexpr int IDC_ABORT_TX = 1189;
    static constexpr int IDC_DEFINE_MEMORY_KEYS = 1008;
    static constexpr int IDC_AUTOPLAY = 1011;
    static constexpr int IDC_AUTOPLAY_REPEAT = 1013;
    static constexpr int IDC_AUTOPLAY_LAMP = 1074;
    static constexpr int ID_SET_MY_RST = 159;
    static constexpr int ID_QSO_LOGGING = 161;
    static constexpr int ID_SET_NEW_SERIAL_NO = 168;
    static constexpr int kAutoplayTimerId = 323;
    // Two seconds more than Brakton's own wait for the radio.
    static constexpr int kSilenceLimitMs = 7000;

    // None of the references is owned; all outlive the window.
    CCWTransmitDlg(CK2FrontPanelControlDlg& panel, PanelRemote& remote,
                   pelorin::CRegistryStore& store, MemoryKeyStore& memories);
    ~CCWTransmitDlg() override;

    void SetSlideDelay(int milliseconds) { m_slide.setDelay(milliseconds); }
    // kDockBelow or kDockRight: where the window docks and slides.
    void SetDockSide(int side);
    // The slides run on a timer; `done` runs after the last step.
    void SlideOut();
    void SlideIn(std::function<void()> done);
    // The slide under way, if any, jumps to its end (and runs its `done`).
    void FinishSlide();
    bool sliding() const { return m_slide.active(); }
    bool slidingIn() const { return m_slidingIn; }
    // The panel moved: dock to it again, by the placement rule.
    void MoveWithParent();

    // Memory key 0-10 to send; above 10 (cw::kAbortKey, Esc) aborts.
    void RequestTransmitMemKey(int key);
    // A text to expand and send (the partner's CW text, a panel's TX). A
    // memory key's own text names its key (0-10), so that a stored text the
    // radio cannot take is refused with that key's name.
    void TransmitMemoryText(const std::string& text, int memory = -1);
    // Brakton's progress: TXTMESG_SENT with the chunk keyed, TXTMESG_EMPTY the
    // queue empty.
    void OnNotifyTextMessageSent(int kind, const std::string& text);
    void AbortTransmit();
    void EnableMemoryKeys(bool enable);
    // How long pending text may go without any report (tests shorten it).
    void SetSilenceLimit(int milliseconds) { m_silence.setInterval(milliseconds); }

    // For the owner and for looking at.
    const cw::PendingText& pending() const { return m_pending; }
    cw::AutoplayController& autoplay() { return m_autoplay; }
    cw::SerialCounter& counter() { return m_counter; }
    CTransmitMsgEdit* typeInLine() const { return m_typeIn; }
    CClrButton* abortButton() const { return m_abort; }
    CHighLightTTButton* memoryKey(int index) const;
    CStaticEx* autoplayLamp() const { return m_lamp; }
    QPlainTextEdit* pendingView() const { return m_pendingView; }
    QMenu* popupMenu() const { return m_popup; }

    // "AutoPlay" (the dialog, then a run), popup 168 (the counter dialog)
    // and popup 159 (the report dialog).
    void OnAutoPlay();
    void OnSetNewSerialNo();
    void OnSetMyRst();

    // Runs this window's modal dialogs; returns the result. The default runs
    // exec(); a test answers in its place, an empty runner restores exec().
    using ModalRunner = std::function<int(QDialog&)>;
    void SetModalRunner(ModalRunner runner);

    // "Define Memory Keys": the memory-key panel slides out, or (its drafts
    // stored) slides in and goes.
    void OnDefineMemoryKeys();
    CTransmitMemoryKeyDisplay* memoryPanel() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void accept() override;

  private:
    void BuildControls();
    void InstallKeyFilter(QWidget* widget);
    bool HandleKey(const QKeyEvent& key);
    void PostPanelCommand(int id);
    void QueueMemKey(int key);
    void ShowMemoryKey(int index);
    void ShowPending();
    void SetAbortRed(bool red);
    // Pending text, its display, autoplay and the lamp as after an abort.
    void EndKeyingHere();
    // Pending text went without a report for the silence limit.
    void OnSilence();
    void TransmitMemory(int index);
    cw::AutoplaySend AutoplaySendMemory(int memory);
    void ApplyStep(const cw::WinRect& step);
    cw::WinRect ParentRect() const;
    void PlaceDocked();
    int RunModal(QDialog& dialog);

    QPointer<CK2FrontPanelControlDlg> m_panel;
    PanelRemote& m_remote;
    pelorin::CRegistryStore& m_store;
    MemoryKeyStore& m_memories;
    cw::PendingText m_pending;
    cw::SerialCounter m_counter;
    cw::CwTransmitter m_transmitter;
    QTimer m_autoplayTimer;
    // Runs while text is pending; every report starts it again.
    QTimer m_silence;
    cw::AutoplayController m_autoplay;
    ModalRunner m_runModal;

    QWidget* m_body = nullptr;
    QPlainTextEdit* m_pendingView = nullptr;
    CTransmitMsgEdit* m_typeIn = nullptr;
    std::array<CHighLightTTButton*, 11> m_keys{};
    CClrButton* m_abort = nullptr;
    CxShadeButton* m_defineKeys = nullptr;
    CxShadeButton* m_autoPlay = nullptr;
    CxShadeButton* m_autoPlayRepeat = nullptr;
    CStaticEx* m_lamp = nullptr;
    QMenu* m_popup = nullptr;

    int m_dockSide = kDockBelow;
    // A slide cut short jumps to its last step.
    SlideRunner m_slide{[this](const cw::WinRect& step) { ApplyStep(step); }, true};
    cw::WinRect m_docked;
    cw::DockEdge m_edge = cw::DockEdge::Bottom;
    bool m_placing = false;
    bool m_slidingIn = false;
    QPointer<CTransmitMemoryKeyDisplay> m_memoryPanel;
};
