#include "client/memory/memory_dialog_looks.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>
#include <QTableWidget>

#include <cstdint>
#include <vector>

#include "controls/looks.h"

namespace memory_looks {

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

void FitColumns(QTableWidget& list) {
    const int columns = list.columnCount();
    QHeaderView& header = *list.horizontalHeader();
    const int room = list.width() - 2 * list.frameWidth() -
                     list.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &list);
    const QFontMetrics fm(header.font());
    const int margin = 2 * list.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, &header);
    std::vector<int> least(static_cast<std::size_t>(columns));
    int total = 0;
    int leastTotal = 0;
    for (int c = 0; c < columns; ++c) {
        const QTableWidgetItem* heading = list.horizontalHeaderItem(c);
        least[static_cast<std::size_t>(c)] =
            (heading != nullptr ? fm.horizontalAdvance(heading->text()) : 0) + margin;
        leastTotal += least[static_cast<std::size_t>(c)];
        total += list.columnWidth(c);
    }
    if (columns == 0 || total <= 0 || room <= leastTotal) {
        return;
    }
    // Each column its heading, then the rest in proportion to the widths it had.
    const int spare = room - leastTotal;
    int given = 0;
    std::vector<int> widths(static_cast<std::size_t>(columns));
    for (int c = 0; c < columns; ++c) {
        const int width = least[static_cast<std::size_t>(c)] +
                          static_cast<int>(std::int64_t{spare} * list.columnWidth(c) / total);
        widths[static_cast<std::size_t>(c)] = width;
        given += width;
    }
    widths[0] += room - given;
    for (int c = 0; c < columns; ++c) {
        list.setColumnWidth(c, widths[static_cast<std::size_t>(c)]);
    }
}

QTableWidget* MakeList(QWidget& parent, const QRect& dluGeometry, int id,
                       std::span<const char* const> headings, const int* widths) {
    auto* list = new QTableWidget(&parent);
    list->setGeometry(looks::dluToPixels(dluGeometry));
    list->setObjectName(QStringLiteral("list%1").arg(id));
    StyleList(*list, widths, static_cast<int>(headings.size()));
    QStringList labels;
    for (const char* h : headings) {
        labels << QString::fromLatin1(h);
    }
    list->setHorizontalHeaderLabels(labels);
    return list;
}

void AddRow(QTableWidget& list, std::int32_t slot, std::span<const std::string> cells) {
    const int r = list.rowCount();
    list.insertRow(r);
    int c = 0;
    for (const std::string& text : cells) {
        auto* item = new QTableWidgetItem(QString::fromStdString(text));
        item->setData(Qt::UserRole, slot);
        list.setItem(r, c++, item);
    }
}

bool SelectedMemory(const QTableWidget& list, int& slot, QString& name) {
    const QList<QTableWidgetItem*> selected = list.selectedItems();
    if (selected.isEmpty()) {
        return false;
    }
    const QTableWidgetItem* first = list.item(selected.first()->row(), 0);
    slot = first->data(Qt::UserRole).toInt();
    name = first->text();
    return true;
}

}  // namespace memory_looks
