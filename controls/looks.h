#pragma once

// Looks: the colours, dialog-unit geometry, fonts and beep that every dialog
// of both programs shares.
//
// The dialogs are described in fixed terms: colours are 0x00BBGGRR values,
// positions are dialog units of an 8-point dialog font, fonts are
// described by face, height and weight. These helpers turn those into Qt
// values the same way everywhere, and never ask the desktop, the style or a
// QPalette, so a dialog looks the same on every machine.
//
// GUI thread only (fonts need the running QGuiApplication; the beep hook is a
// plain process-wide setting without a lock).

#include <QColor>
#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

// A colour as the dialogs store it: 0x00BBGGRR, red in the low byte.
using COLORREF = std::uint32_t;

namespace looks {

constexpr COLORREF rgb(int red, int green, int blue) {
    return static_cast<COLORREF>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
constexpr int redOf(COLORREF c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int greenOf(COLORREF c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int blueOf(COLORREF c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

// 0x00BBGGRR -> QColor (opaque; the top byte is ignored).
QColor toQColor(COLORREF color);
// QColor -> 0x00BBGGRR (alpha dropped).
COLORREF fromQColor(const QColor& color);

// The system colours the dialogs ask for, by the numbers the dialogs use.
// Their values come from one fixed table.
enum class SysColor {
    Window = 5,
    WindowText = 8,
    BtnFace = 15,
    BtnShadow = 16,
    GrayText = 17,
    BtnText = 18,
    BtnHighlight = 20,
    DkShadow3D = 21,
    Light3D = 22,
};

COLORREF sysColorRef(SysColor which);
QColor sysColor(SysColor which);

// Dialog units of the dialog font: 4 horizontal units are one average
// character width (6 px), 8 vertical units one character height (13 px).
inline constexpr int kDialogBaseUnitX = 6;
inline constexpr int kDialogBaseUnitY = 13;

// value * numerator / denominator rounded to nearest, halves away from zero,
// computed in 64 bits. A zero denominator yields -1.
int mulDiv(int value, int numerator, int denominator);

int dluToPixelsX(int dluX);
int dluToPixelsY(int dluY);
// A dialog-unit rectangle (x, y, width, height) converted by its corners:
// left, top, right and bottom each become pixels, and the pixel size is the
// difference. Converting width and height on their own can be one pixel off.
QRect dluToPixels(int x, int y, int width, int height);
QRect dluToPixels(const QRect& dlu);
// A dialog size, converted as a rectangle at the origin.
QSize dluToPixels(const QSize& dlu);

// A font as the dialogs describe it. `height` < 0 is the character height in
// pixels, > 0 the cell height (character plus internal leading), 0 the
// default dialog size. `weight` 100..900 (400 normal, 700 bold, 0 = normal).
// `pitchAndFamily` only guides the choice of a substitute face.
struct FontDescription {
    QString face;
    int height = 0;
    int weight = 0;
    bool italic = false;
    bool underline = false;
    int pitchAndFamily = 0;
};

// Family bits of pitchAndFamily.
inline constexpr int kFixedPitch = 0x01;
inline constexpr int kFamilyRoman = 0x10;
inline constexpr int kFamilySwiss = 0x20;
inline constexpr int kFamilyModern = 0x30;

// Character height of the default dialog font (8 points at 96 dots per inch).
inline constexpr int kDefaultFontPixelSize = 11;

// Builds the font with pixel sizes only (never point sizes, so the result
// does not depend on the screen's resolution).
QFont makeFont(const FontDescription& description);

// `font` condensed (QFont::setStretch) just enough that `text` fits in
// `room` pixels; unchanged when it fits already.
QFont condensedToFit(QFont font, const QString& text, int room);
// The nearest QFont::Weight for a 100..900 weight (0 and out-of-range values
// are clamped; 0 is normal).
QFont::Weight fontWeight(int weight);

// Folders searched for the packaged TrueType files of "Tahoma" and
// "MS Sans Serif", in order.
QStringList defaultFontDirs();

struct FontLoadResult {
    QStringList loadedFiles;       // files QFontDatabase accepted
    QStringList substitutedFaces;  // faces that now map to a DejaVu face
};

// Loads the packaged faces from the first of `dirs` that holds them and maps
// every dialog face still missing to its DejaVu substitute. Both programs call
// it once, after the QApplication exists and before any window is built.
// Calling it again does no harm.
FontLoadResult loadApplicationFonts(const QStringList& dirs = defaultFontDirs());

// The family a face name resolves to right now (after substitution and the
// font configuration's own aliases).
QString resolvedFamily(const QString& face);

// The faces the dialogs use, with the substitute taken when one is missing.
struct FaceSubstitute {
    const char* face;
    const char* substitute;
};
inline constexpr FaceSubstitute kDialogFaces[] = {
    {"Tahoma", "DejaVu Sans"},
    {"MS Sans Serif", "DejaVu Sans"},
    {"Times New Roman", "DejaVu Serif"},
    {"Courier New", "DejaVu Sans Mono"},
};

// The short warning beep of the dialogs. The programs may route it elsewhere;
// tests count it. An empty hook restores the default, QApplication::beep().
using BeepHook = std::function<void()>;
void setBeepHook(BeepHook hook);
void beep();

}  // namespace looks
