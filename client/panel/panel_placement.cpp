#include "client/panel/panel_placement.h"

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
