#include "client/panel/about_dlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "client/panel/front_panel_layout.h"
#include "client/panel/panel_icons.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Pelorin"));
    auto* icon = new QLabel(this);
    icon->setPixmap(panel_icons::draw(front_panel::IDR_MAINFRAME, QSize(32, 32)));
    auto* text = new QLabel(QStringLiteral("Pelorin\n"
                                           "Remote front panel for the Elecraft K2 transceiver,\n"
                                           "connected to its radio server Brakton."),
                            this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addWidget(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    setFixedSize(sizeHint());
}
