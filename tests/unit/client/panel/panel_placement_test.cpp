// Where the front panel opens and where every window that follows it goes,
// for screens, panel places and followers.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/panel/panel_placement.h"
#include "tests/support/row_names.h"

namespace {

// The panel's frame as the offscreen platform and a plain X11 desktop give
// it: its client area, no decorations.
constexpr QSize kPanel(720, 431);

std::string rectText(const QRect& r) {
    return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) +
           "x" + std::to_string(r.height());
}

// --- Exact places ------------------------------------------------------------------------------

struct PlaceCase {
    const char* name;
    QRect anchor;
    FollowerPlace place;
    WhenAnchorSmaller whenSmaller;
    QSize size;
    QList<QRect> others;
    QList<QRect> areas;
    QRect expected;
    std::optional<QPoint> anchorMove;
};
ROW_NAME(PlaceCase, row.name);

const QRect kCurrent(100, 120, 10, 10);
const QRect k1280(0, 0, 1280, 1024);
const QRect k1366(0, 0, 1366, 768);

const PlaceCase kPlaceRows[] = {
    {"UnderThePanelAtItsWidth",
     QRect(10, 20, 720, 410),
     FollowerPlace::Under,
     WhenAnchorSmaller::Centre,
     {400, 300},
     {},
     {k1280},
     QRect(10, 431, 720, 300),
     {}},
    {"NarrowerWindowTakesThePanelsWidth",
     QRect(10, 20, 320, 410),
     FollowerPlace::Under,
     WhenAnchorSmaller::Centre,
     {300, 300},
     {},
     {k1280},
     QRect(10, 431, 320, 300),
     {}},
    {"NarrowPanelCentres",
     QRect(10, 20, 290, 410),
     FollowerPlace::Under,
     WhenAnchorSmaller::Centre,
     {400, 300},
     {},
     {k1280},
     QRect(440, 362, 400, 300),
     {}},
    {"SmallPanelLeavesTheKeySwitchPanel",
     QRect(10, 20, 290, 410),
     FollowerPlace::Under,
     WhenAnchorSmaller::Stay,
     {400, 300},
     {},
     {k1280},
     QRect(100, 120, 400, 300),
     {}},
    {"WindowLeftOffTheScreenComesBackOnIt",
     QRect(10, 20, 290, 410),
     FollowerPlace::Under,
     WhenAnchorSmaller::Stay,
     {400, 300},
     {},
     {QRect(200, 0, 1080, 1024)},
     QRect(200, 120, 400, 300),
     {}},
    // Under the panel is off the bottom: along the edge does not help, so
    // above it.
    {"PanelAtTheBottomPutsTheDialogAbove",
     QRect(560, 600, 720, 410),
     FollowerPlace::Under,
     WhenAnchorSmaller::Centre,
     {400, 300},
     {},
     {k1280},
     QRect(560, 299, 720, 300),
     {}},
    {"EntryWindowBelowTheRightCorner",
     QRect(10, 20, 720, 410),
     FollowerPlace::BelowRight,
     WhenAnchorSmaller::Stay,
     {300, 200},
     {},
     {k1280},
     QRect(731, 431, 300, 200),
     {}},
    // Beyond the right edge: slid back left along the panel's bottom edge.
    {"EntryWindowSlidesAlongTheBottomEdge",
     QRect(500, 20, 720, 410),
     FollowerPlace::BelowRight,
     WhenAnchorSmaller::Stay,
     {300, 200},
     {},
     {k1280},
     QRect(980, 431, 300, 200),
     {}},
    {"EntryWindowKeepsOffTheLogWindow",
     QRect(10, 20, 720, 410),
     FollowerPlace::BelowRight,
     WhenAnchorSmaller::Stay,
     {300, 200},
     {QRect(731, 20, 300, 700)},
     {k1280},
     QRect(431, 431, 300, 200),
     {}},
    {"LogWindowRightOfThePanelAtItsHeight",
     QRect(10, 20, 720, 410),
     FollowerPlace::Right,
     WhenAnchorSmaller::Stay,
     {300, 200},
     {},
     {k1280},
     QRect(731, 20, 300, 410),
     {}},
    {"LogWindowGoesLeftOfAPanelAtTheRightEdge",
     QRect(560, 20, 720, 410),
     FollowerPlace::Right,
     WhenAnchorSmaller::Stay,
     {300, 200},
     {},
     {k1280},
     QRect(259, 20, 300, 410),
     {}},
    {"LowPanelLeavesTheLogWindow",
     QRect(10, 20, 720, 130),
     FollowerPlace::Right,
     WhenAnchorSmaller::Stay,
     {300, 200},
     {},
     {k1280},
     QRect(100, 120, 300, 200),
     {}},
    {"AutoplayDialogAtTheRightCornerAtItsOwnSize",
     QRect(10, 20, 720, 410),
     FollowerPlace::BelowRight,
     WhenAnchorSmaller::Centre,
     {250, 180},
     {},
     {k1280},
     QRect(731, 431, 250, 180),
     {}},
    {"EditorUnderTheLogWindow",
     QRect(731, 20, 300, 410),
     FollowerPlace::UnderOwnSize,
     WhenAnchorSmaller::Place,
     {280, 240},
     {},
     {k1280},
     QRect(731, 431, 280, 240),
     {}},
    {"EditorAboveALowLogWindow",
     QRect(731, 700, 300, 300),
     FollowerPlace::UnderOwnSize,
     WhenAnchorSmaller::Place,
     {280, 240},
     {},
     {k1280},
     QRect(731, 459, 280, 240),
     {}},
    // 1366x768, the panel centred (179 to 610): neither under (215 more) nor
    // above it fits, so the panel moves up by the least distance.
    {"CwWindowMovesACentredPanelUp",
     QRect(323, 168, 720, 431),
     FollowerPlace::DockedBelow,
     WhenAnchorSmaller::Place,
     {720, 215},
     {},
     {k1366},
     QRect(323, 553, 720, 215),
     QPoint(323, 122)},
    {"CwWindowGoesAboveAPanelAtTheBottom",
     QRect(323, 337, 720, 431),
     FollowerPlace::DockedBelow,
     WhenAnchorSmaller::Place,
     {720, 215},
     {},
     {k1366},
     QRect(323, 122, 720, 215),
     {}},
    {"CwWindowStaysBelowAPanelAtTheTop",
     QRect(323, 0, 720, 431),
     FollowerPlace::DockedBelow,
     WhenAnchorSmaller::Place,
     {720, 215},
     {},
     {k1366},
     QRect(323, 431, 720, 215),
     {}},
    // 1366 wide: 440 px do not fit on either side of a centred panel.
    {"MemoryKeysMoveACentredPanelLeft",
     QRect(323, 168, 720, 431),
     FollowerPlace::DockedRight,
     WhenAnchorSmaller::Place,
     {440, 431},
     {},
     {k1366},
     QRect(926, 168, 440, 431),
     QPoint(206, 168)},
    {"MemoryKeysGoLeftOfAPanelAtTheRightEdge",
     QRect(646, 168, 720, 431),
     FollowerPlace::DockedRight,
     WhenAnchorSmaller::Place,
     {440, 431},
     {},
     {k1366},
     QRect(206, 168, 440, 431),
     {}},
    // A screen too low for panel and window: inside it, overlapping the panel
    // least, nearest to under it.
    {"TooLowAScreenOverlapsThePanelLeast",
     QRect(0, 0, 720, 431),
     FollowerPlace::DockedBelow,
     WhenAnchorSmaller::Place,
     {720, 215},
     {},
     {QRect(0, 0, 1024, 600)},
     QRect(304, 385, 720, 215),
     {}},
};

class PlaceRows : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(PlaceRows, GoesWhereTheRuleSays) {
    const PlaceCase& row = GetParam();
    FollowerRequest request;
    request.anchor = row.anchor;
    request.place = row.place;
    request.whenSmaller = row.whenSmaller;
    request.size = row.size;
    request.current = QRect(kCurrent.topLeft(), row.size);
    request.others = row.others;
    request.areas = row.areas;
    const FollowerPlacement placed = PlaceFollower(request);
    EXPECT_EQ(placed.frame, row.expected) << rectText(placed.frame);
    EXPECT_EQ(placed.anchorMove, row.anchorMove);
}

INSTANTIATE_TEST_SUITE_P(Rows, PlaceRows, ::testing::ValuesIn(kPlaceRows), CaseName());

// A docked window that moves the panel takes the other docked windows along:
// the memory-key panel beside a panel whose CW window hangs below it.
TEST(DockedGroup, TheCwWindowBelowStaysInsideWhenTheMemoryKeysMoveThePanel) {
    FollowerRequest request;
    request.anchor = QRect(323, 100, 720, 431);
    request.place = FollowerPlace::DockedRight;
    request.size = {440, 431};
    request.docked = {QRect(323, 531, 720, 215)};
    request.areas = {k1366};
    const FollowerPlacement placed = PlaceFollower(request);
    ASSERT_TRUE(placed.anchorMove.has_value());
    const QPoint move = *placed.anchorMove - request.anchor.topLeft();
    EXPECT_TRUE(k1366.contains(request.docked.front().translated(move)));
    EXPECT_TRUE(k1366.contains(request.anchor.translated(move)));
    EXPECT_TRUE(k1366.contains(placed.frame));
    EXPECT_EQ(move, QPoint(-117, 0));
}

// --- The placement table -------------------------------------------------------------------------

struct Screens {
    const char* name;
    QList<QRect> areas;
};

const Screens kScreens[] = {
    {"S1366x768", {QRect(0, 0, 1366, 768)}},
    {"S1400x1050", {QRect(0, 0, 1400, 1050)}},
    {"S1920x1080", {QRect(0, 0, 1920, 1080)}},
    {"TwoSideBySide", {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1366, 768)}},
};

// Where the panel was stored, in the area of the screen it lands on (the
// last screen of a pair): the panel then opens where StoredPanelPosition
// puts it.
enum class Stored { Centred, NearLeft, NearRight, NearTop, NearBottom, OnALargerScreen };

struct Follower {
    const char* name;
    FollowerPlace place;
    WhenAnchorSmaller whenSmaller;
    QSize size;  // a height of 0 is half the panel's (the CW window)
    bool underLogWindow;
};

const Follower kFollowers[] = {
    {"CwWindow", FollowerPlace::DockedBelow, WhenAnchorSmaller::Place, {720, 0}, false},
    {"MemoryKeys", FollowerPlace::DockedRight, WhenAnchorSmaller::Place, {440, 431}, false},
    {"EntryWindow", FollowerPlace::BelowRight, WhenAnchorSmaller::Stay, {350, 230}, false},
    {"LogWindow", FollowerPlace::Right, WhenAnchorSmaller::Stay, {640, 400}, false},
    {"KeySwitchPanel", FollowerPlace::Under, WhenAnchorSmaller::Stay, {511, 320}, false},
    {"MemoryDialog", FollowerPlace::Under, WhenAnchorSmaller::Centre, {397, 280}, false},
    {"AutoplayDialog", FollowerPlace::BelowRight, WhenAnchorSmaller::Centre, {260, 190}, false},
    {"QsoEditor", FollowerPlace::UnderOwnSize, WhenAnchorSmaller::Place, {430, 300}, true},
};

struct TableCase {
    std::string name;
    QList<QRect> areas;
    Stored stored;
    Follower follower;
};
ROW_NAME(TableCase, row.name);

const char* storedName(Stored stored) {
    switch (stored) {
        case Stored::Centred:
            return "Centred";
        case Stored::NearLeft:
            return "NearLeft";
        case Stored::NearRight:
            return "NearRight";
        case Stored::NearTop:
            return "NearTop";
        case Stored::NearBottom:
            return "NearBottom";
        case Stored::OnALargerScreen:
            return "OnALargerScreen";
    }
    return "";
}

std::vector<TableCase> tableRows() {
    std::vector<TableCase> rows;
    for (const Screens& screens : kScreens) {
        for (const Stored stored : {Stored::Centred, Stored::NearLeft, Stored::NearRight,
                                    Stored::NearTop, Stored::NearBottom, Stored::OnALargerScreen}) {
            for (const Follower& follower : kFollowers) {
                rows.push_back({std::string(screens.name) + storedName(stored) + follower.name,
                                screens.areas, stored, follower});
            }
        }
    }
    return rows;
}

// The panel's frame once it is open: stored near an edge means a few pixels
// from it; a larger screen's place lies beyond this one's bottom right.
QRect openedPanel(const QList<QRect>& areas, Stored stored) {
    const QRect area = areas.back();
    const QSize client = kPanel;
    std::optional<QPoint> at;
    const auto storedAt = [&](int x, int y) {
        const StoredWindowRect rect{x, y, x + kPanel.width(), y + kPanel.height()};
        return StoredPanelPosition(rect, client, kPanel, areas);
    };
    switch (stored) {
        case Stored::Centred:
            break;
        case Stored::NearLeft:
            at = storedAt(area.left() + 3, area.top() + 200);
            break;
        case Stored::NearRight:
            at = storedAt(area.right() - kPanel.width() - 3, area.top() + 200);
            break;
        case Stored::NearTop:
            at = storedAt(area.left() + 300, area.top() + 2);
            break;
        case Stored::NearBottom:
            at = storedAt(area.left() + 300, area.bottom() - kPanel.height() - 4);
            break;
        case Stored::OnALargerScreen:
            at = storedAt(area.right() - 100, area.bottom() - 21);
            break;
    }
    return QRect(at ? *at : CentredPosition(kPanel, area), kPanel);
}

class PlacementTable : public ::testing::TestWithParam<TableCase> {};

TEST_P(PlacementTable, OnOneScreenAtItsOwnPlaceWhereItFitsDockedOffThePanel) {
    const TableCase& row = GetParam();
    const QRect panel = openedPanel(row.areas, row.stored);
    const QRect panelArea = AreaHolding(panel, row.areas);
    ASSERT_TRUE(panelArea.contains(panel)) << "panel " << rectText(panel);

    FollowerRequest request;
    request.anchor = panel;
    request.areas = row.areas;
    if (row.follower.underLogWindow) {
        FollowerRequest log;
        log.anchor = panel;
        log.place = FollowerPlace::Right;
        log.whenSmaller = WhenAnchorSmaller::Stay;
        log.size = {640, 400};
        log.areas = row.areas;
        request.anchor = PlaceFollower(log).frame;
    }
    request.place = row.follower.place;
    request.whenSmaller = row.follower.whenSmaller;
    request.size = row.follower.size.height() > 0
                       ? row.follower.size
                       : QSize(row.follower.size.width(), panel.height() / 2);
    request.current = QRect(QPoint(0, 0), request.size);
    const FollowerPlacement placed = PlaceFollower(request);
    const QRect anchor = request.anchor.translated(
        placed.anchorMove ? *placed.anchorMove - request.anchor.topLeft() : QPoint());
    const QRect area = AreaHolding(request.anchor, row.areas);

    EXPECT_TRUE(area.contains(placed.frame)) << rectText(placed.frame);
    EXPECT_TRUE(area.contains(anchor)) << "moved panel " << rectText(anchor);

    // Its own place, where it lies on the screen off the anchor.
    const QRect& a = request.anchor;
    const int right = a.left() + a.width();
    const int bottom = a.top() + a.height();
    const QSize size = request.size;
    QRect part;
    switch (request.place) {
        case FollowerPlace::Under:
            part = QRect(a.left(), bottom + 1, std::max(size.width(), a.width()), size.height());
            break;
        case FollowerPlace::UnderOwnSize:
            part = QRect(QPoint(a.left(), bottom + 1), size);
            break;
        case FollowerPlace::BelowRight:
            part = QRect(QPoint(right + 1, bottom + 1), size);
            break;
        case FollowerPlace::Right:
            part = QRect(right + 1, a.top(), size.width(), a.height());
            break;
        case FollowerPlace::DockedBelow:
            part = QRect(QPoint(a.left(), bottom), size);
            break;
        case FollowerPlace::DockedRight:
            part = QRect(right, a.top(), size.width(), a.height());
            break;
    }
    if (area.contains(part)) {
        EXPECT_EQ(placed.frame, part) << rectText(placed.frame);
    }
    if (request.place == FollowerPlace::DockedBelow ||
        request.place == FollowerPlace::DockedRight) {
        EXPECT_FALSE(placed.frame.intersects(anchor)) << rectText(placed.frame);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, PlacementTable, ::testing::ValuesIn(tableRows()), CaseName());

// --- The panel's own place -----------------------------------------------------------------------

struct PanelCase {
    const char* name;
    StoredWindowRect stored;
    std::optional<QPoint> expected;
};
ROW_NAME(PanelCase, row.name);

const QRect kLeft(0, 0, 1920, 1080);
const QRect kRight(1920, 0, 1366, 768);

const PanelCase kPanelRows[] = {
    {"TakenWhereItIsWhollyOnAScreen", {100, 50, 820, 481}, QPoint(100, 50)},
    {"ReachingOnlyThePrimaryIsMovedInsideIt", {1800, 900, 2520, 1331}, QPoint(1200, 649)},
    {"ReachingTheSmallerScreenIsMovedInsideIt", {3000, 600, 3720, 1031}, QPoint(2566, 337)},
    {"AboveTheScreenIsMovedDown", {100, -300, 820, 131}, QPoint(100, 0)},
    {"WhollyOffEveryScreenIsCentred", {5000, 100, 5720, 531}, std::nullopt},
    {"SmallerThanThePanelIsCentred", {100, 50, 500, 300}, std::nullopt},
};

class PanelPlace : public ::testing::TestWithParam<PanelCase> {};

TEST_P(PanelPlace, OpensWhollyOnTheScreenItReaches) {
    const PanelCase& row = GetParam();
    EXPECT_EQ(StoredPanelPosition(row.stored, kPanel, kPanel, {kLeft, kRight}), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, PanelPlace, ::testing::ValuesIn(kPanelRows), CaseName());

}  // namespace
