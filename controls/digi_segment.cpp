#include "controls/digi_segment.h"

#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

// Both searches of the fit stop after this many steps: their own stopping
// rules can oscillate between the clamped ends of the parameter range, or
// keep going while the error shrinks by ever smaller amounts. A search that
// is still creeping towards its anchor after this many steps is within a
// thousandth of a unit of where it would end, far below a device pixel.
constexpr int kMaxSearchSteps = 50;

// Truncates value + 0.5, as the device rounding of the points. A wild control
// point (from a fit that ran away) is held inside the int range.
int roundToDevice(double value) {
    return static_cast<int>(std::clamp(value + 0.5, -1e9, 1e9));
}

// Power form of the cubic over t in [-1, 1], one coordinate.
struct Cubic {
    double c0, c1, c2, c3;

    Cubic(double p0, double p1, double p2, double p3) {
        c3 = (p3 - p0 + 3 * (p1 - p2)) / 8;
        c2 = 3 * (p3 + p0 - p1 - p2) / 8;
        c1 = (p3 - p0) / 2 - c3;
        c0 = (p3 + p0) / 2 - c2;
    }
    double at(double t) const { return c0 + t * (c1 + t * (c2 + t * c3)); }
    double slopeAt(double t) const { return c1 + t * (2 * c2 + 3 * t * c3); }
};

struct Probe {
    double t = 0;
    double g = 0;   // (B(t) - S) . B'(t): zero where the distance is smallest
    double d2 = 0;  // |B(t) - S|^2
};

Probe probe(const Cubic& x, const Cubic& y, double sx, double sy, double t) {
    const double dx = x.at(t) - sx;
    const double dy = y.at(t) - sy;
    return {t, dx * x.slopeAt(t) + dy * y.slopeAt(t), dx * dx + dy * dy};
}

// Squared distance from one sample to the curve: a coarse scan over t, then
// the secant rule on g from the best scanned t.
double nearestDistance2(const Cubic& x, const Cubic& y, double sx, double sy, double h) {
    Probe best;
    bool first = true;
    for (double t = -1; t <= 1.01; t += h) {
        const Probe p = probe(x, y, sx, sy, t);
        if (p.d2 == 0) {
            return 0;
        }
        if (first || p.d2 < best.d2) {
            best = p;
            first = false;
        }
    }

    Probe p0 = best;
    double t1 = best.t + h;
    if (t1 > 1) {
        t1 = 1 - h;
    }
    Probe p1 = probe(x, y, sx, sy, t1);
    double smallest = std::min(best.d2, p1.d2);
    for (int step = 0; step < kMaxSearchSteps; ++step) {
        if (p1.d2 == 0 || p1.g == 0) {
            return p1.d2;
        }
        double next =
            p1.g == p0.g ? (p0.t + p1.t) / 2 : (p1.g * p0.t - p0.g * p1.t) / (p1.g - p0.g);
        next = std::clamp(next, -1.0, 1.0);
        if (std::fabs(next - p1.t) < 0.001) {
            return p1.d2;
        }
        p0 = p1;
        p1 = probe(x, y, sx, sy, next);
        smallest = std::min(smallest, p1.d2);
    }
    return smallest;
}

}  // namespace

double BezierFitError(const QPointF& p0, const QPointF& p1, const QPointF& p2, const QPointF& p3,
                      const double* samples, int pointCount) {
    const Cubic x(p0.x(), p1.x(), p2.x(), p3.x());
    const Cubic y(p0.y(), p1.y(), p2.y(), p3.y());
    const double h = 1.0 / pointCount;
    double sum = 0;
    for (int i = 1; i < pointCount - 1; ++i) {
        sum += nearestDistance2(x, y, samples[2 * i], samples[2 * i + 1], h);
    }
    return sum;
}

void FitBezier(const double* samples, int valueCount, double* out) {
    const int n = valueCount / 2;
    if (samples == nullptr || n < 1) {
        std::fill(out, out + 4, 0.0);
        return;
    }
    const QPointF first(samples[0], samples[1]);
    const QPointF last(samples[2 * (n - 1)], samples[2 * (n - 1) + 1]);
    if (n < 3) {
        out[0] = first.x();
        out[1] = first.y();
        out[2] = last.x();
        out[3] = last.y();
        return;
    }

    // Start from the tangents at both ends.
    double values[4] = {
        2 * samples[2] - samples[0],
        2 * samples[3] - samples[1],
        2 * samples[2 * (n - 2)] - last.x(),
        2 * samples[2 * (n - 2) + 1] - last.y(),
    };
    const double anchors[4] = {first.x(), first.y(), last.x(), last.y()};
    auto error = [&] {
        return BezierFitError(first, QPointF(values[0], values[1]), QPointF(values[2], values[3]),
                              last, samples, n);
    };

    double best = error();
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < 4; ++i) {
            double& v = values[i];
            double keep = v;
            double f = 0.5;
            int step = 0;
            for (; std::fabs(f) >= 0.01 && step < kMaxSearchSteps; ++step) {
                v += (v - anchors[i]) * f;
                const double e = error();
                if (e == best) {
                    break;
                }
                if (e > best) {
                    v = keep;
                    f /= -3;
                } else {
                    best = e;
                    keep = v;
                }
            }
            if (step == kMaxSearchSteps) {
                v = keep;
            }
        }
    }
    std::copy(values, values + 4, out);
}

bool IsWellFormedOutline(const std::vector<QPoint>& points,
                         const std::vector<std::uint8_t>& types) {
    const std::size_t count = types.size();
    if (points.size() != count || count == 0 || types[0] != PT_MOVETO) {
        return false;
    }
    for (std::size_t i = 0; i < count;) {
        if (types[i] == PT_MOVETO || types[i] == PT_LINETO) {
            ++i;
            continue;
        }
        if (types[i] != PT_BEZIERTO) {
            return false;
        }
        std::size_t end = i;
        while (end < count && types[end] == PT_BEZIERTO) {
            ++end;
        }
        if (end - i < 2 || end >= count || types[end] != PT_LINETO) {
            return false;
        }
        i = end + 1;
    }
    return true;
}

void CDigiSegment::SetPoints(const QPoint* points, const std::uint8_t* types, int count) {
    m_points.clear();
    m_types.clear();
    if (points == nullptr || types == nullptr || count <= 0) {
        return;
    }
    const auto n = static_cast<std::size_t>(count);
    m_points.assign(points, points + n);
    m_types.assign(types, types + n);
}

QPainterPath CDigiSegment::Path(const DigiRect& rect, int charWidth) const {
    QPainterPath path;
    const std::size_t count = m_types.size();
    if (count == 0 || charWidth <= 0) {
        return path;
    }
    const double xs = (rect.right - rect.left) / charWidth;
    const double ys = (rect.bottom - rect.top) / kDigiCharHeight;
    auto exact = [&](std::size_t i) {
        return QPointF(m_points[i].x() * xs + rect.left, m_points[i].y() * ys + rect.top);
    };
    auto device = [&](std::size_t i) {
        const QPointF p = exact(i);
        return QPointF(roundToDevice(p.x()), roundToDevice(p.y()));
    };

    for (std::size_t i = 0; i < count;) {
        switch (m_types[i]) {
            case PT_MOVETO:
                path.closeSubpath();
                path.moveTo(device(i));
                ++i;
                continue;
            case PT_BEZIERTO:
                break;
            default:
                path.lineTo(device(i));
                ++i;
                continue;
        }
        std::size_t end = i;
        while (end < count && m_types[end] == PT_BEZIERTO) {
            ++end;
        }
        if (i == 0 || end >= count || m_types[end] != PT_LINETO) {
            for (; i < end; ++i) {
                path.lineTo(device(i));
            }
            continue;
        }
        // Samples: the point before the run, the run, and its end point.
        std::vector<double> samples;
        samples.reserve(2 * (end - i + 2));
        for (std::size_t k = i - 1; k <= end; ++k) {
            const QPointF p = exact(k);
            samples.push_back(p.x());
            samples.push_back(p.y());
        }
        double control[4];
        FitBezier(samples.data(), static_cast<int>(samples.size()), control);
        path.cubicTo(QPointF(roundToDevice(control[0]), roundToDevice(control[1])),
                     QPointF(roundToDevice(control[2]), roundToDevice(control[3])), device(end));
        i = end + 1;
    }
    path.closeSubpath();
    return path;
}
