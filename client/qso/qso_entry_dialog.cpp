#include "client/qso/qso_entry_dialog.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>

#include <utility>

#include "client/base/queued_call.h"
#include "client/base/registry_store.h"
#include "client/panel/hot_keys.h"
#include "client/panel/place_under_panel.h"
#include "controls/cx_shade_button.h"
#include "controls/edit_ex.h"
#include "controls/green_shade.h"
#include "platform/message_service.h"

namespace {

// The panel's commands an entry window sends.
constexpr int kRemoteCmdExit = 9;
constexpr int kRemoteCmdMemoryKey = 10;
constexpr long kMemoryKeyAbort = 27;

constexpr const char* kCallsignIsEmpty = "Callsign is empty!";

CxShadeButton* makeButton(const char* text, QWidget* parent) {
    auto* button = new CxShadeButton(QString::fromLatin1(text), parent);
    green_shade::style(*button);
    // Enter in a box must not log or clear anything.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

}  // namespace

QsoEntryDialog::QsoEntryDialog(int style, const QString& title, QSize sizeDlu,
                               pelorin::CRegistryStore& store, pelorin::QsoEntryWindowLinks links,
                               QWidget* panel)
    : QDialog(nullptr), m_style(style), m_store(store), m_links(std::move(links)), m_panel(panel) {
    setWindowTitle(title);
    // The dialog font, which the dialog units are counted in.
    setFont(looks::makeFont({QStringLiteral("MS Sans Serif"), -looks::kDefaultFontPixelSize, 400}));
    setFixedSize(looks::dluToPixels(sizeDlu));
    setModal(false);
    installEventFilter(this);
}

QsoEntryDialog::~QsoEntryDialog() = default;

CEditEx* QsoEntryDialog::AddBox(const char* label, int labelX, int labelWidth, const QRect& boxDlu,
                                COLORREF color, int fontHeight, std::size_t maxChars,
                                pelorin::QsoBlanks blanks) {
    auto* text = new QLabel(QString::fromLatin1(label), this);
    text->setGeometry(looks::dluToPixels(labelX, boxDlu.y() + 2, labelWidth, 10));
    auto* box = new CEditEx(this);
    box->setGeometry(looks::dluToPixels(boxDlu));
    looks::FontDescription font;
    font.face = QStringLiteral("Times New Roman");
    font.height = fontHeight;
    font.weight = 700;
    box->SetFont(&font);
    box->SetTextColor(color);
    box->SetBkColor(0xFFFFFF);
    pelorin::InstallQsoTextFilter(*box, maxChars, blanks);
    text->setBuddy(box);
    return box;
}

void QsoEntryDialog::AddButtons(int y) {
    m_logIt = makeButton("Log It", this);
    m_logIt->setGeometry(looks::dluToPixels(7, y, 50, 14));
    m_clear = makeButton("Clear", this);
    m_clear->setGeometry(looks::dluToPixels(61, y, 50, 14));
    m_setMacro = makeButton("Set Macro", this);
    m_setMacro->setGeometry(looks::dluToPixels(115, y, 50, 14));
    connect(m_logIt, &QPushButton::clicked, this, [this] { OnLogIt(); });
    connect(m_clear, &QPushButton::clicked, this, [this] { OnClear(); });
    connect(m_setMacro, &QPushButton::clicked, this, [this] { OnSetMacro(); });
}

void QsoEntryDialog::Open() {
    // The filter sees the keys of every control made so far and of any made later.
    for (QWidget* child : findChildren<QWidget*>()) {
        child->installEventFilter(this);
    }
    LoadMacros();
    if (m_call != nullptr) {
        m_call->setFocus();
    }
    Place();
    m_bShown = true;
    show();
}

// --- Show, hide, place -----------------------------------------------------------------------

void QsoEntryDialog::Show() {
    m_bShown = true;
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void QsoEntryDialog::Toggle() {
    if (m_bShown) {
        m_bShown = false;
        hide();
    } else {
        Show();
    }
}

void QsoEntryDialog::Place() {
    PlaceWindowBesidePanel(*this, m_store, FollowerPlace::BelowRight, WhenAnchorSmaller::Stay);
}

QRect QsoEntryDialog::Rect() const {
    return frameGeometry();
}

void QsoEntryDialog::MoveInto(const QRect& rect) {
    move(rect.topLeft());
    update();
}

void QsoEntryDialog::ShowEntry(const pelorin::QSO_LOG_ENTRY& entry) {
    if (entry.nLogStyle != m_style) {
        return;
    }
    SetTexts(entry);
    Show();
    update();
}

// --- Buttons and popup -----------------------------------------------------------------------

void QsoEntryDialog::OnLogIt() {
    pelorin::QSO_LOG_ENTRY entry = TakeTexts();
    // A call of blanks is no call; the boxes refuse blanks, but a found
    // entry may bring some.
    entry.szCall = std::string(pelorin::TrimBlanks(entry.szCall));
    if (entry.szCall.empty()) {
        MessageService::showError(kCallsignIsEmpty, this);
        return;
    }
    entry.szCall = pelorin::AsciiUpper(entry.szCall);
    entry.nLogStyle = m_style;
    if (m_links.logIt) {
        m_links.logIt(entry);
    }
}

void QsoEntryDialog::OnSetMacro() {
    StoreMacros();
}

void QsoEntryDialog::OnClear() {
    ClearTexts();
}

void QsoEntryDialog::OnSearchLog() {
    const std::string call(pelorin::TrimBlanks(TakeTexts().szCall));
    if (call.empty() || !m_links.searchLog) {
        return;
    }
    m_links.searchLog(call);
}

std::string QsoEntryDialog::Slot(int slot) const {
    std::string text;
    m_store.GetStringSlot(slot, text);
    return text;
}

void QsoEntryDialog::SetSlot(int slot, const std::string& text) {
    m_store.SetStringSlot(slot, text);
}

void QsoEntryDialog::contextMenuEvent(QContextMenuEvent* event) {
    if (m_popup == nullptr) {
        m_popup = new QMenu(this);
        m_popup->setObjectName(QStringLiteral("qsoEntryPopup"));
        QAction* search = m_popup->addAction(QStringLiteral("Search Log"));
        connect(search, &QAction::triggered, this, [this] { OnSearchLog(); });
    }
    m_popup->popup(event->globalPos());
    event->accept();
}

// --- Keys, close and cancel ------------------------------------------------------------------

void QsoEntryDialog::SendToPanel(int cmd, long param) {
    if (m_links.executeRemoteCmd) {
        m_links.executeRemoteCmd(cmd, param);
    }
}

bool QsoEntryDialog::HandleAltLetter(const QKeyEvent& key) {
    if ((key.modifiers() & Qt::AltModifier) == 0 || (key.modifiers() & Qt::ControlModifier) != 0) {
        return false;
    }
    switch (key.key()) {
        case Qt::Key_C:
            qDebug("ALT-C is PRESSED!");
            return true;
        case Qt::Key_L: {
            qDebug("ALT-L is PRESSED!");
            // A click of its own, after this key is done with.
            queueIfAlive(QPointer<CxShadeButton>(m_logIt),
                         [](CxShadeButton& logIt) { logIt.click(); });
            return true;
        }
        case Qt::Key_S:
            qDebug("ALT-S is PRESSED!");
            return true;
        case Qt::Key_X:
            SendToPanel(kRemoteCmdExit, 0);
            return true;
        default:
            return false;
    }
}

void QsoEntryDialog::HandleWindowKey(const QKeyEvent& key) {
    const int k = key.key();
    if (k == Qt::Key_Escape) {
        qDebug("ESC is PRESSED! (Aborting)");
        m_bEsc = true;
        SendToPanel(kRemoteCmdMemoryKey, kMemoryKeyAbort);
        return;
    }
    if (k >= Qt::Key_F1 && k <= Qt::Key_F11) {
        const int n = k - Qt::Key_F1 + 1;
        if ((key.modifiers() & Qt::AltModifier) == 0) {
            qDebug("F%d is PRESSED!", n);
        }
        SendToPanel(kRemoteCmdMemoryKey, n - 1);
    }
}

bool QsoEntryDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ChildAdded) {
        auto* added = static_cast<QChildEvent*>(event);
        if (added->child()->isWidgetType()) {
            added->child()->installEventFilter(this);
        }
    }
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        const auto& key = *static_cast<QKeyEvent*>(event);
        // A held key logs or keys once; its repeats reach no one.
        if (IsRepeatedHotKey(key)) {
            return true;
        }
        // An Alt letter acts where the press arrives first and stops there.
        if (HandleAltLetter(key)) {
            return true;
        }
        // Esc and the function keys pass the boxes and buttons untouched and
        // reach the window itself once; they act there and go on.
        if (watched == this) {
            HandleWindowKey(key);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void QsoEntryDialog::closeEvent(QCloseEvent* event) {
    qDebug("Window close received");
    m_bShown = false;
    hide();
    event->accept();
}

void QsoEntryDialog::reject() {
    // Esc has just asked the panel to abort the CW text: the window stays.
    if (m_bEsc) {
        m_bEsc = false;
        return;
    }
    m_bShown = false;
    QDialog::reject();
}
