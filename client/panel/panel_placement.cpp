#include "client/panel/panel_placement.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

// The least move that brings `rect` inside `area`; a rectangle larger than
// the area keeps its top-left corner inside it (a title bar stays reachable).
QRect clampedInto(const QRect& rect, const QRect& area) {
    const int x =
        std::max(area.left(), std::min(rect.left(), area.left() + area.width() - rect.width()));
    const int y =
        std::max(area.top(), std::min(rect.top(), area.top() + area.height() - rect.height()));
    return QRect(QPoint(x, y), rect.size());
}

long long overlapArea(const QRect& a, const QRect& b) {
    const QRect common = a.intersected(b);
    return common.isEmpty() ? 0 : static_cast<long long>(common.width()) * common.height();
}

int distance(const QPoint& a, const QPoint& b) {
    return std::abs(a.x() - b.x()) + std::abs(a.y() - b.y());
}

bool isDocked(FollowerPlace place) {
    return place == FollowerPlace::DockedBelow || place == FollowerPlace::DockedRight;
}

struct Candidate {
    QRect frame;
    AnchorSide side;
};

// Exclusive right and bottom edges of the anchor.
int rightOf(const QRect& r) {
    return r.left() + r.width();
}
int bottomOf(const QRect& r) {
    return r.top() + r.height();
}

QRect ownPlace(const FollowerRequest& request) {
    const QRect& a = request.anchor;
    const QSize& size = request.size;
    switch (request.place) {
        case FollowerPlace::Under:
            return QRect(a.left(), bottomOf(a) + 1, std::max(size.width(), a.width()),
                         size.height());
        case FollowerPlace::UnderOwnSize:
            return QRect(QPoint(a.left(), bottomOf(a) + 1), size);
        case FollowerPlace::BelowRight:
            return QRect(QPoint(rightOf(a) + 1, bottomOf(a) + 1), size);
        case FollowerPlace::Right:
            return QRect(rightOf(a) + 1, a.top(), size.width(), a.height());
        case FollowerPlace::DockedBelow:
            return QRect(QPoint(a.left(), bottomOf(a)), size);
        case FollowerPlace::DockedRight:
            return QRect(rightOf(a), a.top(), size.width(), a.height());
    }
    return QRect(QPoint(a.left(), bottomOf(a) + 1), size);
}

AnchorSide ownSide(FollowerPlace place) {
    switch (place) {
        case FollowerPlace::Under:
        case FollowerPlace::UnderOwnSize:
        case FollowerPlace::BelowRight:
        case FollowerPlace::DockedBelow:
            return AnchorSide::Below;
        case FollowerPlace::Right:
        case FollowerPlace::DockedRight:
            return AnchorSide::Right;
    }
    return AnchorSide::Below;
}

// Left edges (or top edges with `vertical`) along an edge of the anchor, from
// `from` outwards: `from` brought onto the area, and the places just clear of
// each other follower, nearest first.
std::vector<int> alongEdge(int from, int length, bool vertical, const QRect& area,
                           const QList<QRect>& others) {
    const int low = vertical ? area.top() : area.left();
    const int high = low + (vertical ? area.height() : area.width()) - length;
    const auto onArea = [&](int at) { return std::max(low, std::min(at, high)); };
    std::vector<int> places{onArea(from)};
    for (const QRect& other : others) {
        const int start = vertical ? other.top() : other.left();
        const int extent = vertical ? other.height() : other.width();
        places.push_back(onArea(start - length));
        places.push_back(onArea(start + extent));
    }
    std::stable_sort(places.begin(), places.end(),
                     [from](int a, int b) { return std::abs(a - from) < std::abs(b - from); });
    return places;
}

// Its own place, then the places along the same edge and on the other
// side, in the order they are tried.
std::vector<Candidate> sidePlaces(const FollowerRequest& request, const QRect& part,
                                  const QRect& area) {
    const QRect& a = request.anchor;
    const int gap = isDocked(request.place) ? 0 : 1;
    const int w = part.width();
    const int h = part.height();
    std::vector<Candidate> places{{part, ownSide(request.place)}};
    const auto horizontal = [&](int y, AnchorSide side) {
        places.push_back({QRect(part.left(), y, w, h), side});
        for (const int x : alongEdge(part.left(), w, false, area, request.others)) {
            places.push_back({QRect(x, y, w, h), side});
        }
    };
    const auto vertical = [&](int x, AnchorSide side) {
        places.push_back({QRect(x, part.top(), w, h), side});
        for (const int y : alongEdge(part.top(), h, true, area, request.others)) {
            places.push_back({QRect(x, y, w, h), side});
        }
    };
    const auto below = [&] { horizontal(bottomOf(a) + gap, AnchorSide::Below); };
    const auto above = [&] { horizontal(a.top() - gap - h, AnchorSide::Above); };
    const auto right = [&] { vertical(rightOf(a) + gap, AnchorSide::Right); };
    const auto left = [&] { vertical(a.left() - gap - w, AnchorSide::Left); };
    switch (request.place) {
        case FollowerPlace::Under:
        case FollowerPlace::UnderOwnSize:
        case FollowerPlace::DockedBelow:
            below();
            above();
            break;
        case FollowerPlace::Right:
        case FollowerPlace::DockedRight:
            right();
            left();
            break;
        case FollowerPlace::BelowRight:
            below();
            right();
            above();
            left();
            break;
    }
    return places;
}

// A docked window that fits on no side: the anchor moves by the least
// distance that brings the anchor, the window (on either side) and the other
// docked windows inside the area; its own side wins a tie.
std::optional<FollowerPlacement> movedAnchor(const FollowerRequest& request, const QRect& part,
                                             const QRect& area) {
    const QRect& a = request.anchor;
    const bool below = request.place == FollowerPlace::DockedBelow;
    const QRect other = below ? QRect(QPoint(part.left(), a.top() - part.height()), part.size())
                              : QRect(QPoint(a.left() - part.width(), part.top()), part.size());
    const Candidate sides[] = {{part, below ? AnchorSide::Below : AnchorSide::Right},
                               {other, below ? AnchorSide::Above : AnchorSide::Left}};
    std::optional<FollowerPlacement> best;
    int bestMove = 0;
    for (const Candidate& side : sides) {
        QRect group = a.united(side.frame);
        for (const QRect& docked : request.docked) {
            group = group.united(docked);
        }
        if (group.width() > area.width() || group.height() > area.height()) {
            continue;
        }
        const QPoint move = clampedInto(group, area).topLeft() - group.topLeft();
        const int moved = std::abs(move.x()) + std::abs(move.y());
        if (!best || moved < bestMove) {
            best = FollowerPlacement{side.frame.translated(move), side.side, a.topLeft() + move};
            bestMove = moved;
        }
    }
    return best;
}

// Inside the area where the window overlaps the anchor least, then nearest
// to its own place. Along each axis the overlap is least at an end of the
// range the window can take or where it just clears the anchor, so those
// positions are all that need trying.
QRect leastOverlap(const QRect& part, const QRect& anchor, const QRect& area) {
    const QRect start = clampedInto(part, area);
    const int xs[] = {part.left(), area.left(), area.left() + area.width() - part.width(),
                      anchor.left() - part.width(), rightOf(anchor)};
    const int ys[] = {part.top(), area.top(), area.top() + area.height() - part.height(),
                      anchor.top() - part.height(), bottomOf(anchor)};
    QRect best = start;
    long long bestOverlap = overlapArea(start, anchor);
    int bestMove = distance(start.topLeft(), part.topLeft());
    for (const int x : xs) {
        for (const int y : ys) {
            const QRect r = clampedInto(QRect(QPoint(x, y), part.size()), area);
            const long long overlap = overlapArea(r, anchor);
            const int moved = distance(r.topLeft(), part.topLeft());
            if (overlap < bestOverlap || (overlap == bestOverlap && moved < bestMove)) {
                best = r;
                bestOverlap = overlap;
                bestMove = moved;
            }
        }
    }
    return best;
}

}  // namespace

QRect FrameOf(const StoredWindowRect& stored) {
    return QRect(stored.left, stored.top, stored.right - stored.left, stored.bottom - stored.top);
}

std::optional<QPoint> StoredPanelPosition(const StoredWindowRect& stored, QSize clientSize,
                                          QSize windowSize, const QList<QRect>& screens) {
    const long long width = static_cast<long long>(stored.right) - stored.left;
    const long long height = static_cast<long long>(stored.bottom) - stored.top;
    if (width < clientSize.width() || height < clientSize.height()) {
        return std::nullopt;
    }
    const QRect placed(QPoint(stored.left, stored.top), windowSize);
    const QRect area = AreaHolding(placed, screens);
    if (area.isEmpty() || !area.intersects(placed)) {
        return std::nullopt;
    }
    return clampedInto(placed, area).topLeft();
}

QPoint CentredPosition(QSize windowSize, const QRect& screen) {
    return QPoint(screen.x() + (screen.width() - windowSize.width()) / 2,
                  screen.y() + (screen.height() - windowSize.height()) / 2);
}

QRect AreaHolding(const QRect& frame, const QList<QRect>& areas) {
    QRect best;
    long long bestOverlap = -1;
    int bestDistance = 0;
    for (const QRect& area : areas) {
        const long long overlap = overlapArea(frame, area);
        const int away = distance(clampedInto(frame, area).topLeft(), frame.topLeft());
        if (overlap > bestOverlap ||
            (overlap == bestOverlap && overlap == 0 && away < bestDistance)) {
            best = area;
            bestOverlap = overlap;
            bestDistance = away;
        }
    }
    return best;
}

FollowerPlacement PlaceFollower(const FollowerRequest& request) {
    const QRect& anchor = request.anchor;
    const QRect area = AreaHolding(anchor, request.areas);
    const bool smaller =
        anchor.width() < request.size.width() || anchor.height() < request.size.height();
    if (smaller && request.whenSmaller != WhenAnchorSmaller::Place) {
        // The window goes elsewhere than beside the anchor: it only
        // has to be on the screen.
        const QRect part = request.whenSmaller == WhenAnchorSmaller::Centre
                               ? QRect(CentredPosition(request.size, area), request.size)
                               : QRect(request.current.topLeft(), request.size);
        return {area.isEmpty() ? part : clampedInto(part, area), AnchorSide::None, std::nullopt};
    }
    const QRect part = ownPlace(request);
    if (area.isEmpty()) {
        return {part, ownSide(request.place), std::nullopt};
    }

    const bool docked = isDocked(request.place);
    const std::vector<Candidate> places = sidePlaces(request, part, area);
    const auto fits = [&](const QRect& frame, bool keepOffOthers) {
        if (!area.contains(frame) || frame.intersects(anchor)) {
            return false;
        }
        if (keepOffOthers) {
            for (const QRect& other : request.others) {
                if (frame.intersects(other)) {
                    return false;
                }
            }
        }
        return true;
    };
    for (const bool keepOffOthers : {!docked && !request.others.isEmpty(), false}) {
        for (const Candidate& place : places) {
            if (fits(place.frame, keepOffOthers)) {
                return {place.frame, place.side, std::nullopt};
            }
        }
    }
    if (docked) {
        if (const std::optional<FollowerPlacement> moved = movedAnchor(request, part, area)) {
            return *moved;
        }
    }
    return {leastOverlap(part, anchor, area), AnchorSide::None, std::nullopt};
}
