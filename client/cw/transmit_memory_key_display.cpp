#include "client/cw/transmit_memory_key_display.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>

#include "client/base/queued_call.h"
#include "client/cw/cw_key_map.h"
#include "client/cw/cw_transmit_dlg.h"
#include "client/cw/memory_key_store.h"
#include "client/cw/memory_text_edit.h"
#include "client/panel/front_panel_layout.h"
#include "client/panel/hot_keys.h"
#include "client/panel/k2_front_panel_control_dlg.h"
#include "client/panel/panel_icons.h"
#include "client/panel/place_under_panel.h"
#include "controls/cx_shade_button.h"
#include "controls/edit_ex.h"
#include "controls/green_shade.h"
#include "controls/looks.h"

namespace {

constexpr int kPanelWidth = 440;

CxShadeButton* iconButton(QWidget* parent, int icon, const QString& tip) {
    auto* button = new CxShadeButton(parent);
    button->setAutoDefault(false);
    button->setFixedSize(26, 22);
    green_shade::shade(*button);
    button->SetIcon(panel_icons::draw(icon, QSize(16, 16)), CxShadeButton::kIconCenter);
    button->SetToolTipText(tip);
    return button;
}

}  // namespace

CTransmitMemoryKeyDisplay::CTransmitMemoryKeyDisplay(CK2FrontPanelControlDlg& owner,
                                                     CCWTransmitDlg& notify, MemoryKeyStore& store)
    : QDialog(&owner, Qt::Tool | Qt::FramelessWindowHint),
      m_owner(&owner),
      m_notify(&notify),
      m_store(store) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("Memory Keys"));
    for (int i = 0; i < cw::MemoryPanelModel::kMemoryCount; ++i) {
        m_model.setCommitted(i, m_store.text(i));
    }
    Build();
    ShowModel();
    connect(&m_store, &MemoryKeyStore::changed, this, [this](int index, const std::string& text) {
        m_model.setCommitted(index, text);
        ShowModel();
    });
}

CTransmitMemoryKeyDisplay::~CTransmitMemoryKeyDisplay() {
    m_slide.stop();
}

void CTransmitMemoryKeyDisplay::Build() {
    m_body = new QWidget(this);
    auto* grid = new QGridLayout(m_body);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setSpacing(3);
    for (int i = 0; i < 11; ++i) {
        const auto at = static_cast<std::size_t>(i);
        grid->addWidget(new QLabel(QStringLiteral("F%1:").arg(i + 1), m_body), i, 0);
        m_edits[at] = MakeMemoryTextEdit(m_body);
        m_edits[at]->setObjectName(QStringLiteral("memory%1").arg(i + 1));
        grid->addWidget(m_edits[at], i, 1);
        m_editButtons[at] = iconButton(m_body, front_panel::IDI_MEMKEY_EDIT,
                                       QStringLiteral("Edit F%1 Memory").arg(i + 1));
        m_txButtons[at] = iconButton(m_body, front_panel::IDI_MEMKEY_TX,
                                     QStringLiteral("TX F%1 Memory").arg(i + 1));
        grid->addWidget(m_editButtons[at], i, 2);
        grid->addWidget(m_txButtons[at], i, 3);
        connect(m_edits[at], &QLineEdit::textEdited, this,
                [this, i](const QString& text) { m_model.edit(i, text.toStdString()); });
        m_edits[at]->installEventFilter(this);
        connect(m_editButtons[at], &QPushButton::clicked, this, [this, i] {
            Commit(m_model.editKey(i));
            ShowModel();
        });
        connect(m_txButtons[at], &QPushButton::clicked, this, [this, i] {
            const std::string text = m_model.transmit(i);
            ShowModel();
            if (!text.empty() && m_notify) {
                m_notify->TransmitMemoryText(text, i);
            }
        });
    }
    grid->addWidget(new QLabel(QStringLiteral("TX:"), m_body), 11, 0);
    m_typeIn = MakeMemoryTextEdit(m_body);
    m_typeIn->setObjectName(QStringLiteral("typeInMemory"));
    grid->addWidget(m_typeIn, 11, 1);
    m_typeInClear =
        iconButton(m_body, front_panel::IDI_MEMKEY_CLEAR, QStringLiteral("TX Clear TypeIn Memory"));
    m_typeInTx = iconButton(m_body, front_panel::IDI_MEMKEY_TX, QStringLiteral("TX TypeIn Memory"));
    grid->addWidget(m_typeInClear, 11, 2);
    grid->addWidget(m_typeInTx, 11, 3);
    connect(m_typeInTx, &QPushButton::clicked, this, [this] {
        m_model.lockAll();
        ShowModel();
        const std::string text = m_typeIn->text().toStdString();
        if (!text.empty() && m_notify) {
            m_notify->TransmitMemoryText(text);
        }
    });
    connect(m_typeInClear, &QPushButton::clicked, this, [this] { m_typeIn->clear(); });
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>()) {
        child->installEventFilter(this);
    }
}

CEditEx* CTransmitMemoryKeyDisplay::edit(int index) const {
    return index >= 0 && index < 11 ? m_edits[static_cast<std::size_t>(index)] : nullptr;
}
CxShadeButton* CTransmitMemoryKeyDisplay::editButton(int index) const {
    return index >= 0 && index < 11 ? m_editButtons[static_cast<std::size_t>(index)] : nullptr;
}
CxShadeButton* CTransmitMemoryKeyDisplay::txButton(int index) const {
    return index >= 0 && index < 11 ? m_txButtons[static_cast<std::size_t>(index)] : nullptr;
}

void CTransmitMemoryKeyDisplay::Commit(const std::optional<cw::MemoryPanelModel::Commit>& commit) {
    if (commit) {
        // A failed write is reported by the store; the text is used anyway.
        m_store.write(commit->index, commit->text);
    }
}

void CTransmitMemoryKeyDisplay::CommitAll() {
    for (const auto& commit : m_model.commitAll()) {
        m_store.write(commit.index, commit.text);
    }
    ShowModel();
}

void CTransmitMemoryKeyDisplay::ShowModel() {
    m_showing = true;
    for (int i = 0; i < 11; ++i) {
        CEditEx* e = edit(i);
        const QString draft = QString::fromStdString(m_model.draft(i));
        if (e->text() != draft) {
            e->setText(draft);
        }
        e->setReadOnly(m_model.locked(i));
    }
    m_showing = false;
}

bool CTransmitMemoryKeyDisplay::HandleKey(const QKeyEvent& key) {
    const bool alt = (key.modifiers() & Qt::AltModifier) != 0;
    const int k = key.key();
    QPointer<CCWTransmitDlg> notify = m_notify;
    const auto request = [notify](int memKey) {
        queueIfAlive(notify, [memKey](CCWTransmitDlg& cw) { cw.RequestTransmitMemKey(memKey); });
    };
    const auto stackRegister = [this](int reg) {
        const int id = CK2FrontPanelControlDlg::ID_SAVE_STACK_REGISTER + reg;
        queueIfAlive(m_owner, [id](CK2FrontPanelControlDlg& owner) { owner.OnMenuCommand(id); });
    };
    if (cw::HandleSharedKey(k, alt, {request, stackRegister})) {
        // Esc here also puts every draft back.
        if (k == Qt::Key_Escape) {
            reject();
        }
        return true;
    }
    if (k == Qt::Key_Return || k == Qt::Key_Enter) {
        accept();
        return true;
    }
    return false;
}

bool CTransmitMemoryKeyDisplay::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        if (m_slidingIn) {
            return true;
        }
        // A held key keys or stores once.
        if (IsRepeatedHotKey(*static_cast<QKeyEvent*>(event), EnterKey::Stores)) {
            return true;
        }
        if (HandleKey(*static_cast<QKeyEvent*>(event))) {
            return true;
        }
    }
    if (event->type() == QEvent::FocusOut && !m_showing) {
        for (int i = 0; i < 11; ++i) {
            if (watched == edit(i)) {
                Commit(m_model.commit(i));
                ShowModel();
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CTransmitMemoryKeyDisplay::accept() {
    qDebug("OnOk");
    Commit(m_model.commitFirstChanged());
    ShowModel();
}

void CTransmitMemoryKeyDisplay::reject() {
    qDebug("OnCancel");
    m_model.cancel();
    ShowModel();
}

void CTransmitMemoryKeyDisplay::closeEvent(QCloseEvent* event) {
    event->ignore();
}

// --- Docking ---------------------------------------------------------------------------------

void CTransmitMemoryKeyDisplay::SetDockSide(int side) {
    m_dockSide = side;
    m_edge = DockRuleOf(side).home;
}

cw::WinRect CTransmitMemoryKeyDisplay::OwnerRect() const {
    return m_owner ? cw::FromQRect(m_owner->frameGeometry()) : cw::WinRect{};
}

void CTransmitMemoryKeyDisplay::ApplyStep(const cw::WinRect& step) {
    ShowSlideStep(*this, *m_body, step, OwnerRect(), m_edge);
}

void CTransmitMemoryKeyDisplay::FinishSlide() {
    m_slide.finish();
}

void CTransmitMemoryKeyDisplay::SlideOut() {
    m_width = kPanelWidth;
    PlaceDocked();
    m_slide.run(cw::SlideOutSteps(m_docked, m_edge), [this] { MoveWithOwner(); });
}

void CTransmitMemoryKeyDisplay::SlideIn(std::function<void()> done) {
    CommitAll();
    m_slidingIn = true;
    m_slide.run(cw::SlideInSteps(m_docked, m_edge), [this, done = std::move(done)] {
        hide();
        if (done) {
            done();
        }
    });
}

// On the dock side (right of the panel) at its height, or wherever the
// placement rule puts it on this screen (which may move the panel).
void CTransmitMemoryKeyDisplay::PlaceDocked() {
    if (!m_owner) {
        return;
    }
    const int width = m_width > 0 ? m_width : kPanelWidth;
    const DockRule rule = DockRuleOf(m_dockSide);
    m_placing = true;
    const FollowerPlacement placed = PlaceDockedWindow(
        *this, *m_owner, rule.place, QSize(width, m_owner->frameGeometry().height()));
    m_placing = false;
    m_docked = cw::FromQRect(placed.frame);
    m_edge = DockEdgeOf(placed.side, rule.home);
}

void CTransmitMemoryKeyDisplay::MoveWithOwner() {
    // An owner moved by this panel's own placement: that placement goes on.
    if (m_placing) {
        return;
    }
    PlaceDocked();
    ShowDocked(*this, *m_body, m_docked);
}
