#include "controls/shade_faces.h"

#include <algorithm>

#include "controls/classic_rand.h"

namespace {

// The formulas divide by the width, the height and values derived from them;
// a tiny or huge button must not divide by zero.
int atLeastOne(int v) {
    return v < 1 ? 1 : v;
}

std::uint8_t toByte(int v) {
    return static_cast<std::uint8_t>(v & 0xFF);
}

int cube(int t) {
    return t * t * t;
}

class Noise {
  public:
    explicit Noise(int granularity)
        : m_g(granularity), m_d(classic_rand::kRandMax / atLeastOne(2 * granularity)) {}
    // Within -g .. +g.
    int operator()() const { return classic_rand::rand() / m_d - m_g; }
    // Within 0 .. 2g.
    int unsignedNoise() const { return classic_rand::rand() / m_d; }

  private:
    int m_g;
    int m_d;
};

}  // namespace

void setShadePalette(CxDib& dib) {
    const COLORREF shadow = looks::sysColorRef(looks::SysColor::BtnShadow);
    const COLORREF face = looks::sysColorRef(looks::SysColor::BtnFace);
    const COLORREF light = looks::sysColorRef(looks::SysColor::BtnHighlight);
    auto mix = [](int a, int b, int weightB) { return ((128 - weightB) * a + weightB * b) / 128; };
    for (int i = 0; i < 128; ++i) {
        dib.SetPaletteIndex(i, mix(looks::redOf(shadow), looks::redOf(face), i),
                            mix(looks::greenOf(shadow), looks::greenOf(face), i),
                            mix(looks::blueOf(shadow), looks::blueOf(face), i));
    }
    for (int i = 128; i < 256; ++i) {
        const int j = i - 127;
        dib.SetPaletteIndex(i, mix(looks::redOf(face), looks::redOf(light), j),
                            mix(looks::greenOf(face), looks::greenOf(light), j),
                            mix(looks::blueOf(face), looks::blueOf(light), j));
    }
}

void fillShadePattern(CxDib& dib, unsigned type, int g) {
    const int w = dib.GetWidth();
    const int h = dib.GetHeight();
    if (w <= 0 || h <= 0) {
        return;
    }
    const Noise noise(g);
    // r counts rows from the bottom edge; the bitmap counts from the top.
    auto set = [&](int x, int r, int v) { dib.SetPixelIndex(x, h - 1 - r, toByte(v)); };
    auto get = [&](int x, int r) { return static_cast<int>(dib.GetPixelIndex(x, h - 1 - r)); };

    switch (type) {
        case 1: {
            const int k = (255 - 2 * g) / 2;
            for (int r = 0; r < h; ++r) {
                for (int x = 0; x < w; ++x) {
                    set(x, r, k * r / h + g + (w - x) * k / w + noise());
                }
            }
            break;
        }
        case 2: {
            const int k = 255 - 2 * g;
            for (int r = 0; r < h; ++r) {
                for (int x = 0; x < w; ++x) {
                    set(x, r, k * r / h + g + noise());
                }
            }
            break;
        }
        case 3: {
            const int k = 255 - 2 * g;
            for (int r = 0; r < h; ++r) {
                for (int x = 0; x < w; ++x) {
                    set(x, r, (w - x) * k / w + g + noise());
                }
            }
            break;
        }
        case 4:
        case 7: {
            const int spread = type == 4 ? 128 - g : 128 - 2 * g;
            for (int r = 0; r < h; ++r) {
                const int t = cube(r * 255 / h - 127) / 16384;
                for (int x = 0; x < w; ++x) {
                    set(x, r, t * spread / 128 + 128 + noise());
                }
            }
            if (type == 4) {
                break;
            }
            // Round the left and right ends off with a parabola.
            const int a = atLeastOne(std::min(w / 6, 16));
            const int k = atLeastOne(h * h / 4);
            for (int r = 0; r < h; ++r) {
                const int dy = r - h / 2;
                for (int x = 0; x < w; ++x) {
                    const int dx = x - w / 2;
                    const int u = w / 2 + dy * dy * a / k - a;
                    int v = get(x, r);
                    if (u < dx) {
                        v = (w - x) * 128 / a + g;
                    }
                    if (dx + u < 0) {
                        v = (255 - g) - x * 128 / a;
                    }
                    set(x, r, toByte(v) + noise());
                }
            }
            break;
        }
        case 5: {
            for (int r = 0; r < h; ++r) {
                for (int x = 0; x < w; ++x) {
                    const int t = cube((w - x) * 255 / w - 127) / 16384;
                    set(x, r, (128 - g) * t / 128 + 128 + noise());
                }
            }
            break;
        }
        case 6: {
            for (int r = 0; r < h; ++r) {
                const int tr = r * 255 / h - 127;
                for (int x = 0; x < w; ++x) {
                    const int tx = (w - x) * 255 / w - 127;
                    const int t = cube(tr) / 16384 + cube(tx) / 16384;
                    int v = t * (128 - g) / 128 + 128;
                    v = std::max(v, g);
                    v = std::min(v, 255 - g);
                    set(x, r, v + noise());
                }
            }
            break;
        }
        case 8: {
            dib.Clear(0);
            for (int stroke = 0; stroke < 200; ++stroke) {
                // x0 can reach w and y0 can reach h: the pixel setter's bounds
                // check drops those points.
                const int x0 = classic_rand::rand() / atLeastOne(classic_rand::kRandMax / w);
                const int y0 = classic_rand::rand() / atLeastOne(classic_rand::kRandMax / h);
                const int n =
                    (classic_rand::rand() / atLeastOne(classic_rand::kRandMax / std::min(w, h))) /
                    2;
                const auto v = toByte(classic_rand::rand() / (classic_rand::kRandMax / 40));
                for (int i = 0; i < n; ++i) {
                    if (x0 - i > 0 && y0 + i < h) {
                        dib.SetPixelIndex(x0 - i, y0 + i, v);
                    }
                    if (x0 + i < w && y0 - i > 0) {
                        dib.SetPixelIndex(x0 + i, y0 - i, v);
                    }
                }
            }
            const int k = ((255 - g) - g - 40) / 2;
            for (int r = 0; r < h; ++r) {
                for (int x = 0; x < w; ++x) {
                    set(x, r, get(x, r) + k * r / h + (w - x) * k / w + noise.unsignedNoise());
                }
            }
            break;
        }
        default:  // 0 and every unknown type: plain noise around the face colour
            for (int r = 0; r < h; ++r) {
                for (int x = 0; x < w; ++x) {
                    set(x, r, 128 + noise());
                }
            }
            break;
    }
}

ShadeFaces buildShadeFaces(int width, int height, int focusMargin, const ShadeParams& params) {
    ShadeFaces faces;
    if (width <= 0 || height <= 0) {
        return faces;
    }
    faces.normal.Create(width, height);
    faces.focusHorizontal.Create(std::max(width - 2 * focusMargin - 1, 1), 1);
    faces.focusVertical.Create(1, std::max(height - 2 * focusMargin, 1));
    setShadePalette(faces.normal);
    setShadePalette(faces.focusHorizontal);
    setShadePalette(faces.focusVertical);
    faces.normal.BlendPalette(params.color, params.coloring);

    // Dotted lines: alternate the darkest and the lightest entry.
    for (int i = 0; i < faces.focusHorizontal.GetWidth(); ++i) {
        faces.focusHorizontal.SetPixelIndex(i, 0, toByte((i % 2) * 255));
    }
    for (int i = 0; i < faces.focusVertical.GetHeight(); ++i) {
        faces.focusVertical.SetPixelIndex(0, i, toByte((i % 2) * 255));
    }

    fillShadePattern(faces.normal, params.type, params.granularity);

    faces.disabled.Clone(faces.normal);
    faces.hover.Clone(faces.normal);
    faces.hover.BlendPalette(looks::sysColorRef(looks::SysColor::BtnHighlight), params.highlight);
    faces.checked.Clone(faces.hover);
    return faces;
}
