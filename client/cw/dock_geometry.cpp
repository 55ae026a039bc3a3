#include "client/cw/dock_geometry.h"

#include <algorithm>

namespace cw {

namespace {

constexpr int kSlideStep = 5;

WinRect at(int left, int top, int width, int height) {
    return {left, top, left + width, top + height};
}

bool isVertical(DockEdge edge) {
    return edge == DockEdge::Bottom || edge == DockEdge::Top;
}

// The window's near edge starts against the panel's edge, the rest of it
// hidden behind the panel, and moves away by one step each time.
std::vector<WinRect> steps(const WinRect& docked, DockEdge edge, int start, int direction,
                           int last) {
    std::vector<WinRect> result;
    for (int step = 0; step <= last; step += kSlideStep) {
        const int edgeAt = start + direction * step;
        result.push_back(isVertical(edge)
                             ? at(docked.left, edgeAt, docked.width(), docked.height())
                             : at(edgeAt, docked.top, docked.width(), docked.height()));
    }
    return result;
}

}  // namespace

WinRect FromQRect(const QRect& rect) {
    return at(rect.x(), rect.y(), rect.width(), rect.height());
}

QRect ToQRect(const WinRect& rect) {
    return {rect.left, rect.top, rect.width(), rect.height()};
}

QSize CwDockedSize(const WinRect& parent, int ownWidth) {
    return QSize(ownWidth, parent.height() / 2);
}

std::vector<WinRect> SlideOutSteps(const WinRect& docked, DockEdge edge) {
    const int h = docked.height();
    const int w = docked.width();
    switch (edge) {
        case DockEdge::Bottom:
            return steps(docked, edge, docked.top - h + 1, 1, h + 2);
        case DockEdge::Top:
            return steps(docked, edge, docked.bottom - 1, -1, h + 2);
        case DockEdge::Right:
            return steps(docked, edge, docked.left - w, 1, w + 1);
        case DockEdge::Left:
            return steps(docked, edge, docked.right, -1, w + 1);
    }
    return {};
}

std::vector<WinRect> SlideInSteps(const WinRect& docked, DockEdge edge) {
    const int h = docked.height();
    const int w = docked.width();
    switch (edge) {
        case DockEdge::Bottom:
            return steps(docked, edge, docked.top, -1, h);
        case DockEdge::Top:
            return steps(docked, edge, docked.top, 1, h);
        case DockEdge::Right:
            return steps(docked, edge, docked.left, -1, w);
        case DockEdge::Left:
            return steps(docked, edge, docked.left, 1, w);
    }
    return {};
}

VisibleStep VisiblePart(const WinRect& step, const WinRect& parent, DockEdge edge) {
    VisibleStep result{step, QPoint(0, 0)};
    const bool overlaps = step.left < parent.right && parent.left < step.right &&
                          step.top < parent.bottom && parent.top < step.bottom;
    if (!overlaps) {
        return result;
    }
    WinRect& v = result.visible;
    switch (edge) {
        case DockEdge::Bottom:
            v.top = std::min(std::max(step.top, parent.bottom), step.bottom);
            break;
        case DockEdge::Top:
            v.bottom = std::max(std::min(step.bottom, parent.top), step.top);
            break;
        case DockEdge::Right:
            v.left = std::min(std::max(step.left, parent.right), step.right);
            break;
        case DockEdge::Left:
            v.right = std::max(std::min(step.right, parent.left), step.left);
            break;
    }
    result.contentOffset = QPoint(step.left - v.left, step.top - v.top);
    return result;
}

}  // namespace cw
