#include "client/cw/cw_transmit_dlg.h"

#include <QContextMenuEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "client/base/notify_messages.h"
#include "client/base/queued_call.h"
#include "client/base/registry_store.h"
#include "client/cw/cw_dialogs.h"
#include "client/cw/cw_key_map.h"
#include "client/cw/memory_key_store.h"
#include "client/cw/transmit_memory_key_display.h"
#include "client/panel/hot_keys.h"
#include "client/panel/k2_front_panel_control_dlg.h"
#include "client/panel/panel_remote.h"
#include "client/panel/place_under_panel.h"
#include "controls/clr_button.h"
#include "controls/cx_shade_button.h"
#include "controls/green_shade.h"
#include "controls/highlight_button.h"
#include "controls/looks.h"
#include "controls/static_ex.h"

namespace {

constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kGrey = 0xC0C0C0;
constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kOrange = 0x0080FF;

}  // namespace

// --- CCWTransmitDlg --------------------------------------------------------------------------

CCWTransmitDlg::CCWTransmitDlg(CK2FrontPanelControlDlg& panel, PanelRemote& remote,
                               pelorin::CRegistryStore& store, MemoryKeyStore& memories)
    : QDialog(&panel, Qt::Tool | Qt::FramelessWindowHint),
      m_panel(&panel),
      m_remote(remote),
      m_store(store),
      m_memories(memories),
      m_counter(store),
      m_transmitter(cw::CwTransmitter::Hooks{
                        [this] { return m_panel && m_panel->model().m_bConnected != 0; },
                        [this](const std::string& text) { return m_remote.KeyboardCW(text); },
                        [this](int kind, const std::string& text) {
                            if (m_panel) {
                                m_panel->ShowStatus(kind, text);
                            }
                        },
                        [this] { SetAbortRed(true); },
                        [this](int slot) {
                            std::string text;
                            m_store.GetStringSlot(slot, text);
                            return text;
                        }},
                    m_pending, m_counter),
      m_autoplay(cw::AutoplayController::Hooks{
          {[this](int ms) { m_autoplayTimer.start(ms); }, [this] { m_autoplayTimer.stop(); }},
          [this](int memory) { return AutoplaySendMemory(memory); },
          [this](bool enable) { EnableMemoryKeys(enable); }}),
      m_runModal([](QDialog& dialog) { return dialog.exec(); }) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("Keyboard CW"));
    m_autoplayTimer.setObjectName(QStringLiteral("autoplayTimer"));
    connect(&m_autoplayTimer, &QTimer::timeout, this, [this] { m_autoplay.tick(); });
    m_silence.setObjectName(QStringLiteral("silenceTimer"));
    m_silence.setSingleShot(true);
    m_silence.setInterval(kSilenceLimitMs);
    connect(&m_silence, &QTimer::timeout, this, [this] { OnSilence(); });
    BuildControls();
    connect(&m_memories, &MemoryKeyStore::changed, this,
            [this](int index, const std::string&) { ShowMemoryKey(index); });
    for (int i = 0; i < MemoryKeyStore::kCount; ++i) {
        ShowMemoryKey(i);
    }
    InstallKeyFilter(this);
}

CCWTransmitDlg::~CCWTransmitDlg() {
    m_slide.stop();
    m_autoplayTimer.stop();
    m_silence.stop();
    if (m_memoryPanel) {
        m_memoryPanel->CommitAll();
        delete m_memoryPanel.data();
    }
}

CTransmitMemoryKeyDisplay* CCWTransmitDlg::memoryPanel() const {
    return m_memoryPanel.data();
}

void CCWTransmitDlg::OnDefineMemoryKeys() {
    if (m_memoryPanel) {
        CTransmitMemoryKeyDisplay* panel = m_memoryPanel;
        m_memoryPanel = nullptr;
        panel->FinishSlide();
        panel->SlideIn([panel] { panel->deleteLater(); });
        return;
    }
    if (!m_panel) {
        return;
    }
    m_memoryPanel = new CTransmitMemoryKeyDisplay(*m_panel, *this, m_memories);
    m_memoryPanel->SetSlideDelay(3);
    m_memoryPanel->SetDockSide(kDockRight);
    m_memoryPanel->SlideOut();
}

void CCWTransmitDlg::BuildControls() {
    m_body = new QWidget(this);
    auto* layout = new QVBoxLayout(m_body);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);

    m_pendingView = new QPlainTextEdit(m_body);
    m_pendingView->setObjectName(QStringLiteral("pendingText"));
    m_pendingView->setReadOnly(true);
    m_pendingView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_pendingView->setFocusPolicy(Qt::NoFocus);
    m_pendingView->setFont(looks::makeFont({QStringLiteral("Courier New"), -13, 400}));
    layout->addWidget(m_pendingView, 1);

    m_typeIn = new CTransmitMsgEdit(m_body);
    m_typeIn->setFont(looks::makeFont({QStringLiteral("Courier New"), -14, 700}));
    m_typeIn->SetSender([this](const std::string& word) {
        qDebug("CCWTransmitDlg receiving WM_MSG_TRANSMIT_COMMAND");
        const bool taken = m_transmitter.sendTypedWord(word);
        ShowPending();
        return taken;
    });
    layout->addWidget(m_typeIn);

    auto* keys = new QHBoxLayout();
    keys->setSpacing(3);
    for (int i = 0; i < 11; ++i) {
        auto* key = new CHighLightTTButton(QStringLiteral("F%1").arg(i + 1), m_body);
        key->setObjectName(QStringLiteral("F%1").arg(i + 1));
        key->setAutoDefault(false);
        key->setFocusPolicy(Qt::NoFocus);
        key->SetNotifyWindow(this);
        connect(key, &QPushButton::clicked, this, [this, i] {
            if (!m_autoplay.running()) {
                TransmitMemory(i);
            }
        });
        connect(key, &CHighLightTTButton::moveWinForeground, this, [this] {
            qDebug("CCWTransmitDlg receiving WM_MOVE_WINFOREGROUND");
            raise();
            activateWindow();
        });
        m_keys[static_cast<std::size_t>(i)] = key;
        keys->addWidget(key);
    }
    layout->addLayout(keys);

    auto* row = new QHBoxLayout();
    m_abort = new CClrButton(QStringLiteral("Abort TX!"), m_body);
    m_abort->setObjectName(QStringLiteral("abortTx"));
    m_abort->setAutoDefault(false);
    m_abort->SetColors(kBlack, kGrey);
    connect(m_abort, &QPushButton::clicked, this, [this] { AbortTransmit(); });
    m_defineKeys = new CxShadeButton(QStringLiteral("Define Memory Keys"), m_body);
    m_autoPlay = new CxShadeButton(QStringLiteral("AutoPlay"), m_body);
    m_autoPlayRepeat = new CxShadeButton(QStringLiteral("AutoPlay Repeat"), m_body);
    for (CxShadeButton* button : {m_defineKeys, m_autoPlayRepeat, m_autoPlay}) {
        button->setAutoDefault(false);
        green_shade::style(*button);
    }
    connect(m_defineKeys, &QPushButton::clicked, this, [this] { OnDefineMemoryKeys(); });
    connect(m_autoPlay, &QPushButton::clicked, this, [this] { OnAutoPlay(); });
    connect(m_autoPlayRepeat, &QPushButton::clicked, this, [this] {
        if (!m_autoplay.repeat()) {
            OnAutoPlay();
        }
    });
    m_lamp = new CStaticEx(QStringLiteral("AutoPlay"), m_body);
    m_lamp->setObjectName(QStringLiteral("autoplayLamp"));
    m_lamp->setAlignment(Qt::AlignCenter);
    m_lamp->SetBkColor(kGrey);
    m_lamp->SetTextColor(kBlack);
    const looks::FontDescription lampFont{QStringLiteral("Times New Roman"), -12, 700};
    m_lamp->SetFont(&lampFont);
    m_lamp->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    row->addWidget(m_abort, 2);
    row->addWidget(m_defineKeys, 3);
    row->addWidget(m_autoPlay, 2);
    row->addWidget(m_autoPlayRepeat, 3);
    row->addWidget(m_lamp, 2);
    layout->addLayout(row);
}

void CCWTransmitDlg::InstallKeyFilter(QWidget* widget) {
    widget->installEventFilter(this);
    for (QWidget* child : widget->findChildren<QWidget*>()) {
        child->installEventFilter(this);
    }
}

CHighLightTTButton* CCWTransmitDlg::memoryKey(int index) const {
    return index >= 0 && index < 11 ? m_keys[static_cast<std::size_t>(index)] : nullptr;
}

void CCWTransmitDlg::ShowMemoryKey(int index) {
    CHighLightTTButton* key = memoryKey(index);
    if (key == nullptr) {
        return;
    }
    const std::string& text = m_memories.text(index);
    if (!text.empty()) {
        const QString tip = QString::fromStdString(text + " ");
        key->SetTooltipText(&tip, true);
    }
    key->setEnabled(!text.empty() && !m_autoplay.running());
}

void CCWTransmitDlg::ShowPending() {
    const QString text = QString::fromStdString(m_pending.text());
    if (m_pendingView->toPlainText() != text) {
        m_pendingView->setPlainText(text);
        m_pendingView->moveCursor(QTextCursor::End);
    }
    // Text that has just become pending starts the watch; more text for a
    // server that has gone quiet does not put it off.
    if (m_pending.empty()) {
        m_silence.stop();
    } else if (!m_silence.isActive()) {
        m_silence.start();
    }
}

void CCWTransmitDlg::SetAbortRed(bool red) {
    m_abort->SetColors(kBlack, red ? kRed : kGrey);
}

void CCWTransmitDlg::TransmitMemory(int index) {
    const std::string& text = m_memories.text(index);
    if (text.empty()) {
        return;
    }
    m_transmitter.transmitMemoryKey(index, text);
    ShowPending();
}

void CCWTransmitDlg::RequestTransmitMemKey(int key) {
    qDebug("CCWTransmitDlg receiving WM_REQUEST_TRANSMIT_MEMKEY, MemKey = %d", key);
    if (key > 10) {
        AbortTransmit();
        return;
    }
    if (key < 0 || m_autoplay.running()) {
        return;
    }
    TransmitMemory(key);
}

void CCWTransmitDlg::TransmitMemoryText(const std::string& text, int memory) {
    qDebug("OnReceiveMemoryToTransmit receiving WM_MEMKEY_TRANSMIT_COMMAND");
    if (text.empty()) {
        return;
    }
    if (memory >= 0) {
        m_transmitter.transmitMemoryKey(memory, text);
    } else {
        m_transmitter.transmitMemory(text + " ");
    }
    ShowPending();
}

void CCWTransmitDlg::OnNotifyTextMessageSent(int kind, const std::string& text) {
    qDebug("CCWTransmitDlg receiving WM_NOTIFY_TXTMESG_SENT");
    // Any report, an empty one included, shows that Brakton is still there.
    if (!m_pending.empty()) {
        m_silence.start();
    }
    if (kind == TXTMESG_EMPTY) {
        SetAbortRed(false);
        return;
    }
    SetAbortRed(true);
    if (!text.empty()) {
        if (m_pending.keyed(text)) {
            qDebug("Message = \"%s\"", text.c_str());
        }
        ShowPending();
    }
}

void CCWTransmitDlg::EndKeyingHere() {
    SetAbortRed(false);
    m_pending.clear();
    ShowPending();
    m_autoplay.abort();
}

void CCWTransmitDlg::AbortTransmit() {
    // Whatever the panel believes about the link: after a time-out the
    // server is usually still keying its queue.
    const RemoteStatus status = m_remote.AbortKeyboardCW();
    m_typeIn->Clear();
    EndKeyingHere();
    if ((!status || *status != 0) && m_panel) {
        m_panel->ShowStatus(kStatusError, cw::AbortRefusalText(status));
    }
}

void CCWTransmitDlg::OnSilence() {
    if (m_pending.empty()) {
        return;
    }
    const std::size_t left = m_pending.text().size();
    // Both ends agree that nothing is keyed any more.
    m_remote.AbortKeyboardCW();
    EndKeyingHere();
    if (m_panel) {
        m_panel->ShowStatus(kStatusError, cw::StoppedByBraktonText(left));
    }
}

cw::AutoplaySend CCWTransmitDlg::AutoplaySendMemory(int memory) {
    const std::string& text = m_memories.text(memory);
    if (text.empty()) {
        // Emptied since it was chosen.
        if (m_panel) {
            m_panel->ShowStatus(kStatusError, cw::EmptyMemoryText(memory));
        }
        return cw::AutoplaySend::Refused;
    }
    if (!m_pending.empty()) {
        return cw::AutoplaySend::Waiting;
    }
    if (!m_transmitter.transmitMemoryKey(memory, text)) {
        ShowPending();
        return cw::AutoplaySend::Refused;
    }
    ShowPending();
    return cw::AutoplaySend::Sent;
}

void CCWTransmitDlg::EnableMemoryKeys(bool enable) {
    for (int i = 0; i < 11; ++i) {
        memoryKey(i)->setEnabled(enable && !m_memories.text(i).empty());
    }
    m_typeIn->setEnabled(enable);
    m_autoPlay->setEnabled(enable);
    m_autoPlayRepeat->setEnabled(enable);
    m_lamp->SetBkColor(enable ? kGrey : kOrange);
    m_lamp->SetTextColor(kBlack);
}

// --- Dialogs ---------------------------------------------------------------------------------

void CCWTransmitDlg::SetModalRunner(ModalRunner runner) {
    m_runModal = runner ? std::move(runner) : [](QDialog& dialog) { return dialog.exec(); };
}

int CCWTransmitDlg::RunModal(QDialog& dialog) {
    // The runner is copied: it must outlive a window gone meanwhile.
    const ModalRunner run = m_runModal;
    return run(dialog);
}

void CCWTransmitDlg::OnAutoPlay() {
    std::array<bool, 11> present{};
    bool any = false;
    for (int i = 0; i < 11; ++i) {
        present[static_cast<std::size_t>(i)] = !m_memories.text(i).empty();
        any = any || present[static_cast<std::size_t>(i)];
    }
    if (!any) {
        return;
    }
    CMemoryKeyAutoplayDlg dialog(m_store, m_panel, this);
    dialog.SetData(present, m_autoplay.memory(), m_autoplay.intervalSeconds(), m_autoplay.times());
    if (RunModal(dialog) != QDialog::Accepted) {
        return;
    }
    int memory = 0;
    int interval = 0;
    int times = 0;
    dialog.GetData(memory, interval, times);
    if (memory >= 0 && memory < 11 && !m_memories.text(memory).empty()) {
        m_autoplay.play(memory, interval, times);
    }
}

void CCWTransmitDlg::OnSetNewSerialNo() {
    const int mode = m_counter.outputMode();
    CNewCounterValueInputDlg dialog(m_store, m_panel, this, m_counter.value(),
                                    std::min(mode & 0x7F, 5), (mode & 0x80) != 0);
    if (RunModal(dialog) != QDialog::Accepted) {
        return;
    }
    int value = 0;
    int digits = 0;
    bool cut = false;
    dialog.GetValues(value, digits, cut);
    m_counter.takeValue(value);
    if (!dialog.saved() && m_panel) {
        m_panel->ShowStatus(kStatusError, cw::kSerialNotSavedStatus);
    }
}

void CCWTransmitDlg::OnSetMyRst() {
    CQSOMySigRptDlg dialog(m_store, m_panel, this);
    RunModal(dialog);
}

// --- Keys, menu, close -----------------------------------------------------------------------

void CCWTransmitDlg::QueueMemKey(int key) {
    QMetaObject::invokeMethod(
        this, [this, key] { RequestTransmitMemKey(key); }, Qt::QueuedConnection);
}

void CCWTransmitDlg::PostPanelCommand(int id) {
    queueIfAlive(m_panel, [id](CK2FrontPanelControlDlg& panel) { panel.OnMenuCommand(id); });
}

bool CCWTransmitDlg::HandleKey(const QKeyEvent& key) {
    const bool alt = (key.modifiers() & Qt::AltModifier) != 0;
    const int k = key.key();
    const cw::SharedKeyHooks hooks{
        [this](int memKey) { QueueMemKey(memKey); },
        [this](int reg) {
            PostPanelCommand(CK2FrontPanelControlDlg::ID_SAVE_STACK_REGISTER + reg);
        }};
    if (cw::HandleSharedKey(k, alt, hooks)) {
        return true;
    }
    if (alt && (k == Qt::Key_T)) {
        qDebug("ALT-T is PRESSED!");
        PostPanelCommand(front_panel::IDC_CW_WINDOW);
        return true;
    }
    if (alt && (k == Qt::Key_X)) {
        qDebug("ALT-X is PRESSED!");
        PostPanelCommand(front_panel::IDOK);
        return true;
    }
    return false;
}

bool CCWTransmitDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        // One press travels from the focus widget up to the window; act once,
        // where it arrives first.
        if (m_slidingIn) {
            return true;  // a window sliding in takes no input
        }
        if (IsRepeatedHotKey(*static_cast<QKeyEvent*>(event))) {
            return true;  // a held key keys once
        }
        // A hot key acts once and ends there: the press does not travel on
        // to the parents, which would see it again.
        if (HandleKey(*static_cast<QKeyEvent*>(event))) {
            return true;
        }
    }
    if (event->type() == QEvent::ChildAdded) {
        auto* childEvent = static_cast<QChildEvent*>(event);
        if (childEvent->child()->isWidgetType()) {
            childEvent->child()->installEventFilter(this);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CCWTransmitDlg::contextMenuEvent(QContextMenuEvent* event) {
    if (m_popup == nullptr) {
        m_popup = new QMenu(this);
        m_popup->setObjectName(QStringLiteral("cwPopup"));
        QAction* rst = m_popup->addAction(QStringLiteral("Set My RST"));
        rst->setData(ID_SET_MY_RST);
        connect(rst, &QAction::triggered, this, [this] { OnSetMyRst(); });
        QAction* serial = m_popup->addAction(QStringLiteral("Set New Serial No"));
        serial->setData(ID_SET_NEW_SERIAL_NO);
        connect(serial, &QAction::triggered, this, [this] { OnSetNewSerialNo(); });
        QAction* qso = m_popup->addAction(QStringLiteral("QSO Logging"));
        qso->setData(ID_QSO_LOGGING);
        connect(qso, &QAction::triggered, this, [this] {
            queueIfAlive(m_panel,
                         [](CK2FrontPanelControlDlg& panel) { panel.OnRequestQsoLogging(); });
        });
    }
    m_popup->popup(event->globalPos());
    event->accept();
}

void CCWTransmitDlg::closeEvent(QCloseEvent* event) {
    qDebug("OnClose");
    event->ignore();
}

void CCWTransmitDlg::reject() {
    qDebug("OnCancel");
}

void CCWTransmitDlg::accept() {
    qDebug("OnOk");
}

// --- Docking ---------------------------------------------------------------------------------

void CCWTransmitDlg::SetDockSide(int side) {
    m_dockSide = side;
    m_edge = DockRuleOf(side).home;
}

cw::WinRect CCWTransmitDlg::ParentRect() const {
    return m_panel ? cw::FromQRect(m_panel->frameGeometry()) : cw::WinRect{};
}

void CCWTransmitDlg::ApplyStep(const cw::WinRect& step) {
    ShowSlideStep(*this, *m_body, step, ParentRect(), m_edge);
}

void CCWTransmitDlg::FinishSlide() {
    m_slide.finish();
}

void CCWTransmitDlg::SlideOut() {
    m_docked = {};
    PlaceDocked();
    m_slide.run(cw::SlideOutSteps(m_docked, m_edge), [this] { MoveWithParent(); });
}

// On the dock side (below the panel) at its width and half its height, or
// wherever the placement rule puts it on this screen (which may move the
// panel).
void CCWTransmitDlg::PlaceDocked() {
    if (!m_panel) {
        return;
    }
    const cw::WinRect parent = ParentRect();
    const int width = m_docked.width() > 0 ? m_docked.width() : parent.width();
    const DockRule rule = DockRuleOf(m_dockSide);
    m_placing = true;
    const FollowerPlacement placed =
        PlaceDockedWindow(*this, *m_panel, rule.place, cw::CwDockedSize(parent, width));
    m_placing = false;
    m_docked = cw::FromQRect(placed.frame);
    m_edge = DockEdgeOf(placed.side, rule.home);
}

void CCWTransmitDlg::SlideIn(std::function<void()> done) {
    m_autoplay.abort();
    m_slidingIn = true;
    if (m_memoryPanel) {
        // Its drafts are stored before it goes.
        m_memoryPanel->FinishSlide();
        m_memoryPanel->CommitAll();
        delete m_memoryPanel.data();
    }
    // From where it is docked; the slide-in's end hides the window, the
    // owner deletes it then.
    m_slide.run(cw::SlideInSteps(m_docked, m_edge), [this, done = std::move(done)] {
        hide();
        if (done) {
            done();
        }
    });
}

void CCWTransmitDlg::MoveWithParent() {
    // A panel moved by this window's own placement: that placement goes on.
    if (m_placing) {
        return;
    }
    PlaceDocked();
    ShowDocked(*this, *m_body, m_docked);
    if (m_memoryPanel && !m_memoryPanel->isHidden()) {
        m_memoryPanel->MoveWithOwner();
    }
}
