#include "controls/gallery_buttons.h"

#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

#include <functional>
#include <memory>

#include "controls/clr_button.h"
#include "controls/cx_shade_button.h"
#include "controls/edit_ex.h"
#include "controls/gallery.h"
#include "controls/highlight_button.h"
#include "controls/looks.h"
#include "controls/static_ex.h"
#include "controls/trackbar_slider.h"
#include "controls/turbo_slider_ctrl.h"

namespace {

// A 16 x 16 picture: a filled arrow on a transparent background.
QPixmap galleryIcon() {
    QPixmap p(16, 16);
    p.fill(Qt::transparent);
    QPainter painter(&p);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 160));
    const QPoint arrow[] = {QPoint(2, 3), QPoint(13, 8), QPoint(2, 13)};
    painter.drawPolygon(arrow, 3);
    return p;
}

void sendEnter(QWidget* w) {
    const QPointF pos(2, 2);
    QEnterEvent e(pos, pos, QPointF(w->mapToGlobal(QPoint(2, 2))));
    QApplication::sendEvent(w, &e);
}

void giveFocus(QWidget* page, QWidget* w) {
    page->activateWindow();
    QApplication::processEvents();
    w->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
}

// Lets the page settle, puts the widget in its state and saves it. Showing a
// page activates it, which focuses its first button; only the focused
// pictures keep that focus. The state comes after the focus is taken away,
// as a button that loses the focus is no longer held down.
bool save(Gallery& gallery, QWidget* w, const QString& name,
          const std::function<void()>& applyState = {}) {
    QApplication::processEvents();
    if (!name.contains(QLatin1String("focused")) && QApplication::focusWidget() != nullptr) {
        QApplication::focusWidget()->clearFocus();
    }
    if (applyState) {
        applyState();
    }
    return gallery.save(*w, name);
}

// A fresh top-level page per picture, so no state leaks from one to the next.
std::unique_ptr<QWidget> page(QSize size) {
    auto p = std::make_unique<QWidget>();
    p->resize(size);
    QPalette pal = p->palette();
    pal.setColor(QPalette::Window, looks::toQColor(0xDFB880));
    p->setPalette(pal);
    p->setAutoFillBackground(true);
    // Away from the offscreen cursor, which rests at the origin and would
    // hover whatever lies under it.
    p->move(200, 200);
    p->show();
    return p;
}

bool shadeButtons(Gallery& out) {
    const char* states[] = {"normal", "hover", "checked", "disabled", "focused"};
    for (unsigned type = 0; type <= 8; ++type) {
        for (bool withIcon : {false, true}) {
            for (const char* state : states) {
                auto p = page(QSize(93, 28));
                const QString s = QString::fromLatin1(state);
                const unsigned style =
                    s == QLatin1String("checked")
                        ? CxShadeButton::kStyleAutoCheckBox | CxShadeButton::kStylePushLike
                        : 0;
                auto* b = new CxShadeButton(QStringLiteral("Shade %1").arg(type), p.get(), style);
                b->setGeometry(0, 0, 93, 28);
                b->show();
                b->SetTextFont(QStringLiteral("Tahoma"), 12, 600);
                b->SetShade(type, 8, 10, 5, 0x37FF37);
                if (withIcon) {
                    b->SetIcon(galleryIcon(), CxShadeButton::kIconLeft);
                }
                if (s == QLatin1String("hover")) {
                    sendEnter(b);
                } else if (s == QLatin1String("checked")) {
                    b->SetCheck(1);
                } else if (s == QLatin1String("disabled")) {
                    b->setEnabled(false);
                } else if (s == QLatin1String("focused")) {
                    giveFocus(p.get(), b);
                }
                const QString name = QStringLiteral("shade_button_type%1_%2%3")
                                         .arg(type)
                                         .arg(s, withIcon ? QStringLiteral("_icon") : QString());
                if (!save(out, b, name)) {
                    return false;
                }
            }
        }
    }
    return true;
}

bool clrButtons(Gallery& out) {
    struct State {
        const char* name;
        std::function<void(QWidget*, CClrButton*)> apply;
    };
    const State states[] = {
        {"normal", [](QWidget*, CClrButton*) {}},
        {"pressed", [](QWidget*, CClrButton* b) { b->setDown(true); }},
        {"focused", [](QWidget* p, CClrButton* b) { giveFocus(p, b); }},
        {"default", [](QWidget*, CClrButton* b) { b->setDefault(true); }},
        {"disabled", [](QWidget*, CClrButton* b) { b->setEnabled(false); }},
    };
    for (const State& state : states) {
        auto p = page(QSize(93, 28));
        auto* b = new CClrButton(QStringLiteral("Abort TX!"), p.get());
        b->setGeometry(0, 0, 93, 28);
        b->show();
        b->SetColors(0xFFFFFF, 0x0000FF);
        if (!save(out, b, QStringLiteral("clr_button_%1").arg(QLatin1String(state.name)),
                  [&] { state.apply(p.get(), b); })) {
            return false;
        }
    }

    // Ten indicator lamps, as a row of the front panel shows them.
    auto p = page(QSize(10 * 32, 20));
    const COLORREF lamps[] = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFF00FF,
                              0xFFFF00, 0x0080FF, 0x808080, 0x000000, 0xFFFFFF};
    for (int i = 0; i < 10; ++i) {
        auto* lamp = new CClrButton(QString::number(i + 1), p.get());
        lamp->setGeometry(i * 32, 0, 30, 20);
        lamp->SetColors(i == 8 ? 0xFFFFFF : 0x000000, lamps[i]);
        lamp->show();
    }
    return save(out, p.get(), QStringLiteral("clr_button_lamps"));
}

bool highlightButtons(Gallery& out) {
    struct State {
        const char* name;
        std::function<void(CHighLightButton*)> apply;
    };
    const State states[] = {
        {"normal", [](CHighLightButton*) {}},
        {"hover", [](CHighLightButton* b) { sendEnter(b); }},
        {"pressed", [](CHighLightButton* b) { b->setDown(true); }},
        {"disabled", [](CHighLightButton* b) { b->setEnabled(false); }},
    };
    for (bool tooltip : {false, true}) {
        for (const State& state : states) {
            auto p = page(QSize(60, 24));
            CHighLightButton* b = tooltip ? new CHighLightTTButton(QStringLiteral("F1"), p.get())
                                          : new CHighLightButton(QStringLiteral("F1"), p.get());
            b->setGeometry(0, 0, 60, 24);
            b->show();
            const QString name =
                QStringLiteral("%1_%2").arg(tooltip ? QStringLiteral("highlight_tt_button")
                                                    : QStringLiteral("highlight_button"),
                                            QLatin1String(state.name));
            if (!save(out, b, name, [&] { state.apply(b); })) {
                return false;
            }
        }
    }
    return true;
}

bool editsAndStatics(Gallery& out) {
    {
        auto p = page(QSize(183, 45));
        auto* e = new CEditEx(p.get());
        e->setGeometry(0, 0, 183, 45);
        e->SetFont(-28, 0, 0, QStringLiteral("Courier New"));
        e->SetBkColor(0x000000);
        e->SetTextColor(0x00FFFF);
        e->setText(QStringLiteral("14.060.00"));
        e->show();
        if (!save(out, e, QStringLiteral("edit_ex_colours_font"))) {
            return false;
        }
        e->setReadOnly(true);
        if (!save(out, e, QStringLiteral("edit_ex_read_only"))) {
            return false;
        }
    }
    struct Label {
        const char* name;
        std::function<void(CStaticEx*)> apply;
    };
    const Label labels[] = {
        {"plain", [](CStaticEx*) {}},
        {"colours",
         [](CStaticEx* s) {
             s->SetBkColor(0x000000);
             s->SetTextColor(0x00FF00);
         }},
        {"font", [](CStaticEx* s) { s->SetFont(-23, 0, 0, QStringLiteral("Times New Roman")); }},
        {"link", [](CStaticEx* s) { s->SetURL(QStringLiteral("http://example.invalid/")); }},
    };
    for (const Label& label : labels) {
        auto p = page(QSize(120, 30));
        auto* s = new CStaticEx(QStringLiteral("VFO A"), p.get());
        s->setGeometry(0, 0, 120, 30);
        s->show();
        label.apply(s);
        if (!save(out, s, QStringLiteral("static_ex_%1").arg(QLatin1String(label.name)))) {
            return false;
        }
    }
    return true;
}

bool sliders(Gallery& out) {
    {
        auto p = page(QSize(200, 30));
        auto* s = new TrackbarSlider(Qt::Horizontal, p.get());
        s->setGeometry(0, 0, 200, 30);
        s->setRange(0, 100);
        s->setValue(30);
        s->show();
        if (!save(out, s, QStringLiteral("slider_horizontal"))) {
            return false;
        }
    }
    {
        auto p = page(QSize(30, 200));
        auto* s = new TrackbarSlider(Qt::Vertical, p.get());
        s->setGeometry(0, 0, 30, 200);
        s->setRange(0, 100);
        s->setValue(30);
        s->show();
        if (!save(out, s, QStringLiteral("slider_vertical"))) {
            return false;
        }
    }
    auto p = page(QSize(200, 30));
    auto* s = new CTurboSliderCtrl(Qt::Horizontal, p.get());
    s->setGeometry(0, 0, 200, 30);
    s->setRange(0, 100);
    s->setValue(50);
    s->show();
    return save(out, s, QStringLiteral("turbo_slider"));
}

}  // namespace

void renderButtonGallery(Gallery& gallery) {
    // Each family stops at its first picture that cannot be written; the
    // gallery counts and reports the failure.
    shadeButtons(gallery);
    clrButtons(gallery);
    highlightButtons(gallery);
    editsAndStatics(gallery);
    sliders(gallery);
}
