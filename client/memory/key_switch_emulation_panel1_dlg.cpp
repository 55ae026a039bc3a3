#include "client/memory/key_switch_emulation_panel1_dlg.h"

#include <QDebug>

#include "client/memory/key_switch_target.h"
#include "controls/cx_shade_button.h"
#include "controls/green_shade.h"
#include "controls/looks.h"

using namespace key_switch;

namespace {

// Dialog-unit places: three rows of main keys with the menu button, the
// fixed keys, then two rows of configuration keys with their set button.
constexpr int kW = 36;
constexpr int kH = 14;
constexpr int kDX = 40;
constexpr int kDY = 18;
// The menu button reaches into the free column beside it, so "Numeric" fits.
constexpr int kMenuW = 44;

struct Place {
    int id;
    int col;
    int row;
};
constexpr Place kPlaces[] = {
    {1261, 0, 0},
    {1263, 1, 0},
    {1265, 2, 0},
    {1267, 3, 0},
    {1269, 4, 0},
    {1271, 5, 0},
    {1292, 0, 1},
    {1273, 1, 1},
    {1275, 2, 1},
    {1278, 3, 1},
    {1280, 4, 1},
    {1282, 0, 2},
    {1284, 1, 2},
    {1286, 2, 2},
    {1288, 3, 2},
    {1290, 4, 2},
    {IDC_MENU_BUTTON, 5, 1},
    {1295, 0, 3},
    {1297, 1, 3},
    {1299, 2, 3},
    {1301, 3, 3},
    {1303, 4, 3},
    {1306, 0, 4},
    {1308, 1, 4},
    {1310, 2, 4},
    {1312, 3, 4},
    {1314, 4, 4},
    {1316, 5, 4},
    {1318, 6, 4},
    {1320, 7, 4},
    {1322, 0, 5},
    {1324, 1, 5},
    {1326, 2, 5},
    {1328, 3, 5},
    {1330, 4, 5},
    {1332, 5, 5},
    {1334, 6, 5},
    {1336, 7, 5},
    {IDC_CONFIG_BUTTON, 6, 3},
};

}  // namespace

CKeySwitchEmulationPanel1Dlg::CKeySwitchEmulationPanel1Dlg(KeySwitchTarget* target, QWidget* parent)
    : QWidget(parent),
      m_target(target),
      m_targetObject(target != nullptr ? target->Object() : nullptr) {
    for (const Place& p : kPlaces) {
        const int rowY = 6 + p.row * kDY + (p.row >= 3 ? 6 : 0) + (p.row >= 4 ? 4 : 0);
        const bool tall = p.id == IDC_MENU_BUTTON;
        auto* b = new CxShadeButton(this);
        b->setGeometry(looks::dluToPixels(
            6 + p.col * kDX, rowY,
            p.id == IDC_CONFIG_BUTTON ? 76 : (p.id == IDC_MENU_BUTTON ? kMenuW : kW),
            tall ? kH + kDY : kH));
        b->setObjectName(QStringLiteral("key%1").arg(p.id));
        m_buttons[p.id] = b;
        const int id = p.id;
        connect(b, &QPushButton::clicked, this, [this, id] { OnButton(id); });
    }
    for (auto& [id, b] : m_buttons) {
        if (id == IDC_CONFIG_BUTTON) {
            b->SetTextFont(QStringLiteral("Tahoma"), 12, 600);
            b->SetToolTipText(QStringLiteral("Click for Next Config Key Menu"));
        } else if (id == IDC_MENU_BUTTON) {
            b->SetTextFont(QStringLiteral("Tahoma"), 14, 600);
            b->SetToolTipText(QStringLiteral("Click for Next Key Menu"));
        } else {
            b->SetTextFont(QStringLiteral("Tahoma"), 12, 400);
        }
        b->SetTextColor(green_shade::kTextColor);
        m_fonts[id] = b->font();
    }
    OnInitDialog();
}

CxShadeButton* CKeySwitchEmulationPanel1Dlg::button(int id) const {
    const auto it = m_buttons.find(id);
    return it == m_buttons.end() ? nullptr : it->second;
}

void CKeySwitchEmulationPanel1Dlg::OnInitDialog() {
    m_model.Init();
    ApplyLabels();
}

// Only a changed shade builds the faces again.
void CKeySwitchEmulationPanel1Dlg::ApplyLabels() {
    for (auto& [id, b] : m_buttons) {
        const QString label = QString::fromStdString(m_model.Label(id));
        b->setText(label);
        // A label wider than the face is condensed to fit between the focus lines.
        b->setFont(
            looks::condensedToFit(m_fonts[id], label, b->width() - 2 * (b->FocusMargin() + 2)));
        const std::uint32_t shade = m_model.Shade(id);
        const QVariant shown = b->property("shade");
        if (!shown.isValid() || shown.toUInt() != shade) {
            green_shade::shade(*b, shade);
            b->setProperty("shade", shade);
        }
    }
}

void CKeySwitchEmulationPanel1Dlg::OnButton(int id) {
    if (id == IDC_MENU_BUTTON) {
        m_model.NextKeyMenu();
        ApplyLabels();
        return;
    }
    if (id == IDC_CONFIG_BUTTON) {
        m_model.NextConfigSet();
        ApplyLabels();
        return;
    }
    if (const auto code = m_model.Code(id)) {
        SendKeyCode(*code);
    }
}

void CKeySwitchEmulationPanel1Dlg::SendKeyCode(int code) {
    PostToTarget(m_target, m_targetObject,
                 [code](KeySwitchTarget& t) { t.executeRemoteCmd(15, code); });
}
