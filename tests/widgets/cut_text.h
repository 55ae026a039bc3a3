#pragma once

// Finds texts a window cannot show whole: a label, button, check box, radio
// button, group title, tab, header section or combo-box item whose text is
// wider, in the font the widget paints with, than the rectangle it is painted
// in; a word-wrapped label that needs more lines than its height holds; and a
// widget with a text that reaches past its parent's edges. Edits, table cells
// and the LED displays are not looked at. Only the widgets shown with the
// window (the current tab page, say) are walked. A toolbar button showing its
// icon alone paints no text, and a scroll area's contents may reach past its
// viewport where it scrolls.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QTableView>
#include <QToolButton>
#include <QWidget>

#include <algorithm>
#include <string>
#include <vector>

#include "controls/clr_button.h"
#include "controls/cx_shade_button.h"

namespace cut_text {

inline QString shownText(QString text) {
    // A single '&' marks the mnemonic and is not drawn; "&&" draws one.
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return text;
}

inline int advance(const QFont& font, const QString& text) {
    return QFontMetrics(font).horizontalAdvance(shownText(text));
}

inline std::string nameOf(const QWidget& w) {
    const QString name = w.objectName();
    std::string named = w.metaObject()->className();
    if (!name.isEmpty()) {
        return named + " " + name.toStdString();
    }
    // An unnamed part of a named widget (a list's header) goes by its owner.
    for (const QWidget* up = w.parentWidget(); up != nullptr && !up->isWindow();
         up = up->parentWidget()) {
        if (!up->objectName().isEmpty()) {
            return named + " in " + up->metaObject()->className() + " " +
                   up->objectName().toStdString();
        }
    }
    return named;
}

class Finder {
  public:
    explicit Finder(std::string window) : m_window(std::move(window)) {}

    // Every cut text found so far, one line each: window, widget, text, why.
    const std::vector<std::string>& cuts() const { return m_cuts; }

    void check(QWidget& window) {
        for (QWidget* w : window.findChildren<QWidget*>()) {
            if (!w->isVisibleTo(&window) || w->window() != &window) {
                continue;
            }
            checkWidget(*w);
        }
    }

  private:
    void cut(const QWidget& w, const QString& text, const std::string& why) {
        m_cuts.push_back(m_window + ": " + nameOf(w) + " \"" + text.toStdString() + "\" " + why);
    }

    void outsideParent(const QWidget& w, const QString& text) {
        const QWidget* parent = w.parentWidget();
        if (parent == nullptr) {
            return;
        }
        QRect room = parent->rect();
        // A scroll area's contents reach past its viewport in the directions
        // it scrolls; only a direction without a scroll bar bounds them.
        if (const auto* area = qobject_cast<const QScrollArea*>(parent->parentWidget());
            area != nullptr && area->widget() == &w) {
            const QRect shown = w.geometry();
            if (area->horizontalScrollBarPolicy() != Qt::ScrollBarAlwaysOff) {
                room.setLeft(std::min(room.left(), shown.left()));
                room.setRight(std::max(room.right(), shown.right()));
            }
            if (area->verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff) {
                room.setTop(std::min(room.top(), shown.top()));
                room.setBottom(std::max(room.bottom(), shown.bottom()));
            }
        }
        if (!room.contains(w.geometry())) {
            cut(w, text, "reaches past its parent's edges");
        }
    }

    static std::string px(int need, int have) {
        return "needs " + std::to_string(need) + " px, has " + std::to_string(have);
    }

    void checkWidget(QWidget& w) {
        if (auto* b = qobject_cast<CxShadeButton*>(&w)) {
            checkShadeButton(*b);
        } else if (auto* clr = qobject_cast<CClrButton*>(&w)) {
            checkWhole(*clr);
        } else if (auto* c = qobject_cast<QCheckBox*>(&w)) {
            checkStyled(*c, QStyle::SE_CheckBoxContents);
        } else if (auto* r = qobject_cast<QRadioButton*>(&w)) {
            checkStyled(*r, QStyle::SE_RadioButtonContents);
        } else if (auto* tool = qobject_cast<QToolButton*>(&w);
                   tool != nullptr && tool->toolButtonStyle() == Qt::ToolButtonIconOnly &&
                   !tool->icon().isNull()) {
            return;
        } else if (auto* p = qobject_cast<QAbstractButton*>(&w)) {
            checkStyled(*p, QStyle::SE_PushButtonContents);
        } else if (auto* l = qobject_cast<QLabel*>(&w)) {
            checkLabel(*l);
        } else if (auto* g = qobject_cast<QGroupBox*>(&w)) {
            checkGroup(*g);
        } else if (auto* t = qobject_cast<QTabBar*>(&w)) {
            checkTabs(*t);
        } else if (auto* h = qobject_cast<QHeaderView*>(&w)) {
            checkHeader(*h);
        } else if (auto* box = qobject_cast<QComboBox*>(&w)) {
            checkCombo(*box);
        }
    }

    void checkShadeButton(CxShadeButton& b) {
        if (b.text().isEmpty()) {
            return;
        }
        outsideParent(b, b.text());
        // The button paints its text between the focus margins, 2 px in.
        int room = b.width() - 2 * (focusMargin(b) + 2);
        if (!b.IconRect().isEmpty()) {
            room -= b.IconRect().width();
        }
        const int need = advance(shadeFont(b), b.text());
        if (need > room) {
            cut(b, b.text(), px(need, room));
        }
    }

    static int focusMargin(const CxShadeButton& b) { return b.FocusMargin(); }
    static QFont shadeFont(const CxShadeButton& b) { return b.DrawingFont(); }

    // A colour button paints its text across its whole face.
    void checkWhole(QAbstractButton& b) {
        if (b.text().isEmpty()) {
            return;
        }
        outsideParent(b, b.text());
        const int need = advance(b.font(), b.text());
        if (need > b.width()) {
            cut(b, b.text(), px(need, b.width()));
        }
    }

    void checkStyled(QAbstractButton& b, QStyle::SubElement element) {
        if (b.text().isEmpty()) {
            return;
        }
        outsideParent(b, b.text());
        QStyleOptionButton opt;
        opt.initFrom(&b);
        opt.text = b.text();
        opt.icon = b.icon();
        opt.iconSize = b.iconSize();
        const QRect room = b.style()->subElementRect(element, &opt, &b);
        const int need = advance(b.font(), b.text());
        if (need > room.width()) {
            cut(b, b.text(), px(need, room.width()));
        }
    }

    void checkLabel(QLabel& l) {
        if (l.text().isEmpty() || l.textFormat() == Qt::RichText) {
            return;
        }
        outsideParent(l, l.text());
        const QRect room =
            l.contentsRect().adjusted(l.margin(), l.margin(), -l.margin(), -l.margin());
        const QFontMetrics fm(l.font());
        const QString text = l.text();
        if (l.wordWrap()) {
            const QRect needed =
                fm.boundingRect(QRect(0, 0, room.width(), 100000), Qt::TextWordWrap, text);
            if (needed.height() > room.height() || needed.width() > room.width()) {
                cut(l, text,
                    "wraps to " + std::to_string(needed.height()) + " px, has " +
                        std::to_string(room.height()));
            }
            return;
        }
        int need = 0;
        for (const QString& line : text.split(QLatin1Char('\n'))) {
            need = std::max(need, fm.horizontalAdvance(line));
        }
        if (need > room.width()) {
            cut(l, text, px(need, room.width()));
        }
        const int lines = int(text.count(QLatin1Char('\n'))) + 1;
        if (lines * fm.height() > room.height() + fm.leading()) {
            cut(l, text,
                "is " + std::to_string(lines * fm.height()) + " px high, has " +
                    std::to_string(room.height()));
        }
    }

    void checkGroup(QGroupBox& g) {
        outsideParent(g, g.title());
        if (g.title().isEmpty()) {
            return;
        }
        QStyleOptionGroupBox opt;
        opt.initFrom(&g);
        opt.text = g.title();
        opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        opt.textAlignment = g.alignment();
        const QRect label =
            g.style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, &g);
        const int need = advance(g.font(), g.title());
        if (need > label.width() || !g.rect().contains(label)) {
            cut(g, g.title(), px(need, label.intersected(g.rect()).width()));
        }
    }

    void checkTabs(QTabBar& bar) {
        for (int i = 0; i < bar.count(); ++i) {
            const QRect tab = bar.tabRect(i);
            const int space = bar.style()->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, &bar);
            const int need = advance(bar.font(), bar.tabText(i)) + space;
            if (need > tab.width() || !bar.rect().contains(tab)) {
                cut(bar, bar.tabText(i), "tab " + px(need, tab.intersected(bar.rect()).width()));
            }
        }
    }

    void checkHeader(QHeaderView& h) {
        if (h.model() == nullptr) {
            return;
        }
        const int margin = h.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, &h);
        const int count =
            h.orientation() == Qt::Horizontal ? h.model()->columnCount() : h.model()->rowCount();
        for (int i = 0; i < count; ++i) {
            if (h.isSectionHidden(i)) {
                continue;
            }
            const QString text = h.model()->headerData(i, h.orientation()).toString();
            if (text.isEmpty()) {
                continue;
            }
            const QFontMetrics fm(h.font());
            const int room = h.orientation() == Qt::Horizontal ? h.sectionSize(i) : h.width();
            const int need = fm.horizontalAdvance(text) + 2 * margin;
            if (need > room) {
                cut(h, text, "section " + px(need, room));
            }
            if (h.orientation() == Qt::Horizontal &&
                h.sectionViewportPosition(i) + h.sectionSize(i) > h.viewport()->width()) {
                cut(h, text, "section lies past the list's width");
            }
        }
    }

    void checkCombo(QComboBox& box) {
        outsideParent(box, box.currentText());
        QStyleOptionComboBox opt;
        opt.initFrom(&box);
        opt.editable = box.isEditable();
        const QRect field = box.style()->subControlRect(QStyle::CC_ComboBox, &opt,
                                                        QStyle::SC_ComboBoxEditField, &box);
        for (int i = 0; i < box.count(); ++i) {
            const int need = QFontMetrics(box.font()).horizontalAdvance(box.itemText(i));
            if (need > field.width()) {
                cut(box, box.itemText(i), "item " + px(need, field.width()));
            }
        }
    }

    std::string m_window;
    std::vector<std::string> m_cuts;
};

// A text that a size the system must keep cannot hold: the start of the
// finder's line and the words of the fault, with the reason.
struct Exception {
    const char* line;
    const char* fault;
    const char* reason;
};

// The finder's lines that no exception names, each once.
template <class Exceptions>
std::vector<std::string> unexcepted(const Finder& finder, const Exceptions& exceptions) {
    std::vector<std::string> cuts;
    for (const std::string& line : finder.cuts()) {
        bool excepted = false;
        for (const Exception& e : exceptions) {
            excepted =
                excepted || (line.rfind(e.line, 0) == 0 && line.find(e.fault) != std::string::npos);
        }
        if (!excepted && std::find(cuts.begin(), cuts.end(), line) == cuts.end()) {
            cuts.push_back(line);
        }
    }
    return cuts;
}

}  // namespace cut_text
