#include "controls/green_shade.h"

#include <QString>

#include "controls/cx_shade_button.h"

namespace green_shade {

void shade(CxShadeButton& button, std::uint32_t color) {
    button.SetShade(kShadeType, kGranularity, kHighlight, kColoring, color);
}

void style(CxShadeButton& button, int fontHeight, int fontWeight) {
    button.SetTextFont(QStringLiteral("Tahoma"), fontHeight, fontWeight);
    button.SetTextColor(kTextColor);
    shade(button);
}

}  // namespace green_shade
