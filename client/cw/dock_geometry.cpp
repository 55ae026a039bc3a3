#include "client/cw/dock_geometry.h"

#include <algorithm>

namespace cw {

namespace {

constexpr int kSlideStep = 5;

WinRect at(int left, int top, int width, int height) {
    return {left, top, left + width, top + height};
}

}  // namespace

WinRect FromQRect(const QRect& rect) {
    return at(rect.x(), rect.y(), rect.width(), rect.height());
}

QRect ToQRect(const WinRect& rect) {
    return {rect.left, rect.top, rect.width(), rect.height()};
}

WinRect CwDockedRect(const WinRect& parent, int ownWidth) {
    return at(parent.left, parent.bottom, ownWidth, parent.height() / 2);
}

std::vector<WinRect> CwSlideOutSteps(const WinRect& parent, int ownWidth) {
    const int height = parent.height() / 2;
    std::vector<WinRect> steps;
    int top = parent.bottom - height + 1;
    for (int step = 0; step <= height + 2; step += kSlideStep) {
        steps.push_back(at(parent.left, top, ownWidth, height));
        top += kSlideStep;
    }
    return steps;
}

std::vector<WinRect> CwSlideInSteps(const WinRect& parent, int ownWidth) {
    const int height = parent.height() / 2;
    std::vector<WinRect> steps;
    int top = parent.bottom;
    for (int step = 0; step <= height; step += kSlideStep) {
        steps.push_back(at(parent.left, top, ownWidth, height));
        top -= kSlideStep;
    }
    return steps;
}

WinRect MemoryKeysDockedRect(const WinRect& owner, int ownWidth) {
    return at(owner.right, owner.top, ownWidth, owner.height());
}

std::vector<WinRect> MemoryKeysSlideOutSteps(const WinRect& owner, int ownWidth) {
    std::vector<WinRect> steps;
    int left = owner.right - ownWidth;
    for (int step = 0; step <= ownWidth + 1; step += kSlideStep) {
        steps.push_back(at(left, owner.top, ownWidth, owner.height()));
        left += kSlideStep;
    }
    return steps;
}

std::vector<WinRect> MemoryKeysSlideInSteps(const WinRect& owner, int ownWidth) {
    std::vector<WinRect> steps;
    int left = owner.right;
    for (int step = 0; step <= ownWidth; step += kSlideStep) {
        steps.push_back(at(left, owner.top, ownWidth, owner.height()));
        left -= kSlideStep;
    }
    return steps;
}

VisibleStep VisiblePart(const WinRect& step, const WinRect& parent) {
    VisibleStep result{step, QPoint(0, 0)};
    const bool overlaps = step.left < parent.right && parent.left < step.right &&
                          step.top < parent.bottom && parent.top < step.bottom;
    if (!overlaps) {
        return result;
    }
    // The windows slide out from under one edge of the panel: keep what lies
    // beyond that edge.
    if (step.bottom > parent.bottom && step.left >= parent.left && step.right <= parent.right + 1) {
        result.visible.top = std::max(step.top, parent.bottom);
    } else if (step.right > parent.right) {
        result.visible.left = std::max(step.left, parent.right);
    } else {
        result.visible = {step.left, step.top, step.left, step.top};
    }
    result.contentOffset = QPoint(step.left - result.visible.left, step.top - result.visible.top);
    return result;
}

}  // namespace cw
