#pragma once

// CTransmitMemoryKeyDisplay: the memory-key panel, docked to the right of
// the front panel, in which the operator edits and sends F1-F11 and a free
// type-in memory.
//
// It is a view of the MemoryKeyStore on a MemoryPanelModel: one draft per
// memory, committed (stored) when its edit loses the focus, when its edit
// button is pressed again, or by Enter (the first changed memory); Cancel
// and Esc put every draft back. A TX button sends the committed text through
// the keyboard-CW window. Every changed draft is committed before the panel
// goes. The keys of the keyboard-CW window work here too; Alt+F1-F4 reach the
// front panel, queued.
//
// Made and deleted by the keyboard-CW window. GUI thread only.

#include <QDialog>
#include <QPointer>

#include <array>
#include <functional>
#include <vector>

#include "client/cw/dock_geometry.h"
#include "client/cw/memory_panel_model.h"
#include "client/cw/slide_runner.h"

class CCWTransmitDlg;
class CEditEx;
class CK2FrontPanelControlDlg;
class CxShadeButton;
class MemoryKeyStore;

class CTransmitMemoryKeyDisplay : public QDialog {
    Q_OBJECT

  public:
    // The longest memory text.
    static constexpr int kMaxText = 253;

    // None of the references is owned; all outlive the panel.
    CTransmitMemoryKeyDisplay(CK2FrontPanelControlDlg& owner, CCWTransmitDlg& notify,
                              MemoryKeyStore& store);
    ~CTransmitMemoryKeyDisplay() override;

    void SetSlideDelay(int milliseconds) { m_slide.setDelay(milliseconds); }
    // kDockBelow or kDockRight: where the window docks and slides.
    void SetDockSide(int side);
    void SlideOut();
    void SlideIn(std::function<void()> done);
    void FinishSlide();
    void MoveWithOwner();
    // Stores every changed draft (the panel is about to go).
    void CommitAll();

    const cw::MemoryPanelModel& model() const { return m_model; }
    CEditEx* edit(int index) const;
    CxShadeButton* editButton(int index) const;
    CxShadeButton* txButton(int index) const;
    CEditEx* typeInEdit() const { return m_typeIn; }
    CxShadeButton* typeInTx() const { return m_typeInTx; }
    CxShadeButton* typeInClear() const { return m_typeInClear; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void accept() override;
    void reject() override;

  private:
    void Build();
    void Commit(const std::optional<cw::MemoryPanelModel::Commit>& commit);
    void ShowModel();
    bool HandleKey(const QKeyEvent& key);
    void ApplyStep(const cw::WinRect& step);
    cw::WinRect OwnerRect() const;
    void PlaceDocked();

    QPointer<CK2FrontPanelControlDlg> m_owner;
    QPointer<CCWTransmitDlg> m_notify;
    MemoryKeyStore& m_store;
    cw::MemoryPanelModel m_model;

    QWidget* m_body = nullptr;
    std::array<CEditEx*, 11> m_edits{};
    std::array<CxShadeButton*, 11> m_editButtons{};
    std::array<CxShadeButton*, 11> m_txButtons{};
    CEditEx* m_typeIn = nullptr;
    CxShadeButton* m_typeInTx = nullptr;
    CxShadeButton* m_typeInClear = nullptr;
    bool m_showing = false;

    int m_dockSide = kDockRight;
    SlideRunner m_slide{[this](const cw::WinRect& step) { ApplyStep(step); }, false};
    bool m_slidingIn = false;
    int m_width = 0;
    cw::WinRect m_docked;
    cw::DockEdge m_edge = cw::DockEdge::Right;
    bool m_placing = false;
};
