#include "client/memory/key_switch_emulation_panel_main_page_dlg.h"

#include <QCloseEvent>
#include <QTabWidget>

#include "client/memory/key_switch_emulation_panel1_dlg.h"
#include "client/memory/key_switch_emulation_panel2_dlg.h"
#include "client/panel/place_under_panel.h"
#include "controls/cx_shade_button.h"
#include "controls/green_shade.h"
#include "controls/looks.h"

namespace {

// Dialog units: the placeholder for the pages, and the window around it.
constexpr int kPlaceholderX = 4;
constexpr int kPlaceholderY = 4;
constexpr int kPlaceholderW = 330;
constexpr int kPlaceholderH = 150;
constexpr int kWidth = 338;
constexpr int kHeight = 178;

}  // namespace

CKeySwitchEmulationPanelMainPageDlg::CKeySwitchEmulationPanelMainPageDlg(
    KeySwitchTarget* target, pelorin::CRegistryStore& store, QWidget* panel)
    : QDialog(panel), m_store(store) {
    setWindowTitle(QStringLiteral("Key Switch Emulation Panel"));
    setModal(false);
    setFixedSize(looks::dluToPixels(QSize(kWidth, kHeight)));

    m_sheet = new QTabWidget(this);
    m_sheet->setGeometry(
        looks::dluToPixels(kPlaceholderX, kPlaceholderY, kPlaceholderW, kPlaceholderH));
    m_page1 = new CKeySwitchEmulationPanel1Dlg(target, m_sheet);
    m_page2 = new CKeySwitchEmulationPanel2Dlg(target, store, m_sheet);
    m_sheet->addTab(m_page1, QStringLiteral("Basic"));
    m_sheet->addTab(m_page2, QStringLiteral("Advance"));
    m_sheet->setCurrentIndex(0);

    auto* ok = new CxShadeButton(QStringLiteral("OK"), this);
    ok->setGeometry(looks::dluToPixels(kWidth - 128, kHeight - 20, 56, 14));
    auto* cancel = new CxShadeButton(QStringLiteral("Cancel"), this);
    cancel->setGeometry(looks::dluToPixels(kWidth - 66, kHeight - 20, 56, 14));
    green_shade::style(*ok);
    green_shade::style(*cancel);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    PlaceUnderFrontPanel();
}

void CKeySwitchEmulationPanelMainPageDlg::PlaceUnderFrontPanel() {
    PlaceWindowBesidePanel(*this, m_store, FollowerPlace::Under, WhenAnchorSmaller::Stay);
}

void CKeySwitchEmulationPanelMainPageDlg::accept() {
    hide();
}

void CKeySwitchEmulationPanelMainPageDlg::reject() {
    hide();
}

void CKeySwitchEmulationPanelMainPageDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
    hide();
}
