#include "controls/looks.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

namespace looks {

QColor toQColor(COLORREF color) {
    return QColor(redOf(color), greenOf(color), blueOf(color));
}

COLORREF fromQColor(const QColor& color) {
    return rgb(color.red(), color.green(), color.blue());
}

COLORREF sysColorRef(SysColor which) {
    switch (which) {
        case SysColor::BtnFace:
        case SysColor::Light3D:
            return rgb(212, 208, 200);
        case SysColor::BtnShadow:
        case SysColor::GrayText:
            return rgb(128, 128, 128);
        case SysColor::DkShadow3D:
            return rgb(64, 64, 64);
        case SysColor::BtnHighlight:
        case SysColor::Window:
            return rgb(255, 255, 255);
        case SysColor::BtnText:
        case SysColor::WindowText:
            return rgb(0, 0, 0);
    }
    return rgb(0, 0, 0);
}

QColor sysColor(SysColor which) {
    return toQColor(sysColorRef(which));
}

int mulDiv(int value, int numerator, int denominator) {
    if (denominator == 0) {
        return -1;
    }
    std::int64_t product = static_cast<std::int64_t>(value) * numerator;
    std::int64_t den = denominator;
    if (den < 0) {
        product = -product;
        den = -den;
    }
    // Round half away from zero.
    const std::int64_t half = den / 2;
    const std::int64_t q = product >= 0 ? (product + half) / den : -((-product + half) / den);
    return static_cast<int>(q);
}

int dluToPixelsX(int dluX) {
    return mulDiv(dluX, kDialogBaseUnitX, 4);
}

int dluToPixelsY(int dluY) {
    return mulDiv(dluY, kDialogBaseUnitY, 8);
}

QRect dluToPixels(int x, int y, int width, int height) {
    const int left = dluToPixelsX(x);
    const int top = dluToPixelsY(y);
    const int right = dluToPixelsX(x + width);
    const int bottom = dluToPixelsY(y + height);
    return QRect(left, top, right - left, bottom - top);
}

QRect dluToPixels(const QRect& dlu) {
    return dluToPixels(dlu.x(), dlu.y(), dlu.width(), dlu.height());
}

QSize dluToPixels(const QSize& dlu) {
    return QSize(dluToPixelsX(dlu.width()), dluToPixelsY(dlu.height()));
}

QFont::Weight fontWeight(int weight) {
    if (weight <= 0) {
        return QFont::Normal;
    }
    const int hundreds = std::clamp((weight + 50) / 100, 1, 9);
    return static_cast<QFont::Weight>(hundreds * 100);
}

QFont condensedToFit(QFont font, const QString& text, int room) {
    const int advance = QFontMetrics(font).horizontalAdvance(text);
    if (room <= 0 || advance <= room) {
        return font;
    }
    // Glyph widths round to whole pixels: step down from the ratio until it fits.
    for (int stretch = static_cast<int>(std::floor(100.0 * room / advance)); stretch > 1;
         --stretch) {
        font.setStretch(stretch);
        if (QFontMetrics(font).horizontalAdvance(text) <= room) {
            break;
        }
    }
    return font;
}

QFont makeFont(const FontDescription& description) {
    QFont font(description.face);
    const int family = description.pitchAndFamily & 0xF0;
    if (family == kFamilyRoman) {
        font.setStyleHint(QFont::Serif);
    } else if (family == kFamilySwiss) {
        font.setStyleHint(QFont::SansSerif);
    } else if (family == kFamilyModern || (description.pitchAndFamily & kFixedPitch) != 0) {
        font.setStyleHint(QFont::TypeWriter);
        font.setFixedPitch(true);
    }
    font.setWeight(fontWeight(description.weight));
    font.setItalic(description.italic);
    font.setUnderline(description.underline);

    if (description.height < 0) {
        font.setPixelSize(-description.height);
    } else if (description.height == 0) {
        font.setPixelSize(kDefaultFontPixelSize);
    } else {
        // A cell height: the largest character size whose line height fits.
        // A face with no size that small (a bitmap face) keeps the height.
        int chosen = description.height;
        for (int size = description.height; size >= 1; --size) {
            font.setPixelSize(size);
            if (QFontMetrics(font).height() <= description.height) {
                chosen = size;
                break;
            }
        }
        font.setPixelSize(chosen);
    }
    return font;
}

QStringList defaultFontDirs() {
    return {QStringLiteral("/usr/share/wine/fonts"), QStringLiteral("/usr/lib/wine/fonts"),
            QStringLiteral("/usr/share/fonts/truetype/wine"),
            QStringLiteral("/usr/local/share/wine/fonts")};
}

namespace {

// Font files of the packaged faces, and the fontconfig metric aliases that
// count as the face itself.
const char* const kPackagedFiles[] = {"tahoma.ttf", "tahomabd.ttf", "ms_sans_serif.ttf"};

bool isMetricAlias(const QString& face, const QString& family) {
    if (face.compare(QLatin1String("Times New Roman"), Qt::CaseInsensitive) == 0) {
        return family.compare(QLatin1String("Liberation Serif"), Qt::CaseInsensitive) == 0;
    }
    if (face.compare(QLatin1String("Courier New"), Qt::CaseInsensitive) == 0) {
        return family.compare(QLatin1String("Liberation Mono"), Qt::CaseInsensitive) == 0;
    }
    return false;
}

BeepHook& beepHook() {
    static BeepHook hook;
    return hook;
}

}  // namespace

QString resolvedFamily(const QString& face) {
    return QFontInfo(QFont(face)).family();
}

FontLoadResult loadApplicationFonts(const QStringList& dirs) {
    FontLoadResult result;
    for (const char* file : kPackagedFiles) {
        for (const QString& dir : dirs) {
            const QString path = QDir(dir).filePath(QLatin1String(file));
            if (!QFileInfo::exists(path)) {
                continue;
            }
            if (QFontDatabase::addApplicationFont(path) >= 0) {
                result.loadedFiles << path;
                break;
            }
        }
    }

    for (const FaceSubstitute& entry : kDialogFaces) {
        const QString face = QLatin1String(entry.face);
        if (QFontDatabase::hasFamily(face)) {
            continue;
        }
        const QString family = resolvedFamily(face);
        if (isMetricAlias(face, family)) {
            continue;
        }
        QFont::removeSubstitutions(face);
        QFont::insertSubstitution(face, QLatin1String(entry.substitute));
        result.substitutedFaces << face;
    }
    return result;
}

void setBeepHook(BeepHook hook) {
    beepHook() = std::move(hook);
}

void beep() {
    if (beepHook()) {
        beepHook()();
    } else {
        QApplication::beep();
    }
}

}  // namespace looks
