#pragma once

// The looks the three memory dialogs share: the shaded buttons' font, text
// colour and shade, and the list views' row selection and grid.
// GUI thread only.

class CxShadeButton;
class QTableWidget;

namespace memory_looks {

void StyleButton(CxShadeButton& button);
// Full-row single selection, grid lines, left-aligned headings; `widths` in
// pixels, one per column.
void StyleList(QTableWidget& list, const int* widths, int columns);

}  // namespace memory_looks
