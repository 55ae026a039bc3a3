#pragma once

// The looks the three memory dialogs share: the list views' row selection
// and grid (their shaded buttons wear controls/green_shade.h); and the
// memory list the recall and edit dialogs build the same way: its set-up,
// its rows (each cell keeps the memory's slot) and the selected row.
// GUI thread only.

#include <QString>
#include <QTableWidget>

#include <span>
#include <string>

#include "client/memory/k2_memory_cfg.h"

class QRect;
class QWidget;

namespace memory_looks {

// Full-row single selection, grid lines, left-aligned headings; `widths` in
// pixels, one per column.
void StyleList(QTableWidget& list, const int* widths, int columns);

// Shares the list's width out among its columns in the proportions of their
// current widths, each keeping room for its heading, so no column lies
// behind the edge (room is kept for a vertical scroll bar).
void FitColumns(QTableWidget& list);

// A styled list on `parent` at `dluGeometry` (dialog units), named
// "list<id>", one column per heading.
QTableWidget* MakeList(QWidget& parent, const QRect& dluGeometry, int id,
                       std::span<const char* const> headings, const int* widths);

// Appends a row of `cells`; every cell keeps `slot` as its Qt::UserRole.
void AddRow(QTableWidget& list, std::int32_t slot, std::span<const std::string> cells);

// Refills `list` with the stored memories in slot order, one row each of
// `rowOf(record)`.
template <class RowOf>
void FillList(QTableWidget& list, CK2MemoryCfg& memories, RowOf rowOf) {
    list.setRowCount(0);
    RADIO_MEMORY_RECORD record;
    for (bool more = memories.GetFirstMemory(record); more; more = memories.GetNextMemory(record)) {
        const auto row = rowOf(record);
        AddRow(list, record.slot, row);
    }
}

// The selected row's slot and name; false without a selection.
bool SelectedMemory(const QTableWidget& list, int& slot, QString& name);

}  // namespace memory_looks
