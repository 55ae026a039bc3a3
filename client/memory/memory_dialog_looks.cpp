#include "client/memory/memory_dialog_looks.h"

#include <QHeaderView>
#include <QTableWidget>

#include "controls/cx_shade_button.h"

namespace memory_looks {

void StyleButton(CxShadeButton& button) {
    button.SetTextFont(QStringLiteral("Tahoma"), 12, 400);
    button.SetTextColor(0x6300);
    button.SetShade(8, 8, 10, 5, 0x37FF37);
}

void StyleList(QTableWidget& list, const int* widths, int columns) {
    list.setColumnCount(columns);
    list.setSelectionBehavior(QAbstractItemView::SelectRows);
    list.setSelectionMode(QAbstractItemView::SingleSelection);
    list.setEditTriggers(QAbstractItemView::NoEditTriggers);
    list.setShowGrid(true);
    list.verticalHeader()->setVisible(false);
    list.horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list.horizontalHeader()->setHighlightSections(false);
    for (int c = 0; c < columns; ++c) {
        list.setColumnWidth(c, widths[c]);
    }
}

}  // namespace memory_looks
