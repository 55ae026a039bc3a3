#include "client/panel/panel_placement.h"

#include <algorithm>

std::optional<QPoint> StoredPanelPosition(const StoredWindowRect& stored, QSize clientSize,
                                          QSize windowSize, const QList<QRect>& screens) {
    const long long width = static_cast<long long>(stored.right) - stored.left;
    const long long height = static_cast<long long>(stored.bottom) - stored.top;
    if (width < clientSize.width() || height < clientSize.height()) {
        return std::nullopt;
    }
    const QRect placed(QPoint(stored.left, stored.top), windowSize);
    for (const QRect& screen : screens) {
        if (screen.intersects(placed)) {
            return placed.topLeft();
        }
    }
    return std::nullopt;
}

QPoint CentredPosition(QSize windowSize, const QRect& screen) {
    return QPoint(screen.x() + (screen.width() - windowSize.width()) / 2,
                  screen.y() + (screen.height() - windowSize.height()) / 2);
}

QRect PlaceUnderPanel(const StoredWindowRect& stored, const QRect& current,
                      const QRect& panelScreen, const QList<QRect>& screens,
                      WhenPanelSmaller whenSmaller) {
    const QSize size = current.size();
    const QRect centred(CentredPosition(size, panelScreen), size);
    const long long width = static_cast<long long>(stored.right) - stored.left;
    const long long height = static_cast<long long>(stored.bottom) - stored.top;
    if (width < size.width() || height < size.height()) {
        return whenSmaller == WhenPanelSmaller::Centre ? centred : current;
    }
    const QRect placed(stored.left, stored.bottom + 1,
                       std::max(size.width(), static_cast<int>(width)), size.height());
    for (const QRect& screen : screens) {
        if (screen.contains(placed)) {
            return placed;
        }
    }
    return centred;
}

namespace {

QRect onScreenOrCentred(const QRect& placed, const QRect& centreScreen,
                        const QList<QRect>& screens) {
    for (const QRect& screen : screens) {
        if (screen.contains(placed)) {
            return placed;
        }
    }
    return QRect(CentredPosition(placed.size(), centreScreen), placed.size());
}

}  // namespace

QRect PlaceBesidePanel(const StoredWindowRect& stored, const QRect& current, BesidePanel where,
                       const QRect& panelScreen, const QList<QRect>& screens) {
    const QSize size = current.size();
    const long long width = static_cast<long long>(stored.right) - stored.left;
    const long long height = static_cast<long long>(stored.bottom) - stored.top;
    if (width < size.width() || height < size.height()) {
        return current;
    }
    const QRect placed =
        where == BesidePanel::BelowRight
            ? QRect(stored.right + 1, stored.bottom + 1, size.width(), size.height())
            : QRect(stored.right + 1, stored.top, size.width(), static_cast<int>(height));
    return onScreenOrCentred(placed, panelScreen, screens);
}

QRect PlaceBelowWindow(const QRect& anchor, QSize size, const QRect& anchorScreen,
                       const QList<QRect>& screens) {
    // The anchor's bottom edge is its last row; one pixel below it leaves a
    // one-pixel gap, as with the panel's stored (exclusive) edges.
    const QRect placed(anchor.left(), anchor.top() + anchor.height() + 1, size.width(),
                       size.height());
    return onScreenOrCentred(placed, anchorScreen, screens);
}
