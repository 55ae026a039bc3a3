#include "controls/digi_char.h"

#include <QBrush>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPen>
#include <QPolygonF>
#include <QRegion>

#include <algorithm>
#include <initializer_list>

namespace {

constexpr std::uint8_t M = PT_MOVETO;
constexpr std::uint8_t L = PT_LINETO;
constexpr std::uint8_t B = PT_BEZIERTO;

struct ShapePoint {
    int x;
    int y;
    std::uint8_t type;
};
using Shape = std::initializer_list<ShapePoint>;

// Outlines in the design grid of a 49-unit character (83 units high). The
// curved set rounds the segment ends with Bezier sample points.
const Shape kTop7Straight = {{5, 4, M}, {12, 11, L}, {36, 11, L}, {43, 4, L}};
const Shape kTop7Curved = {{6, 4, M},   {5, 5, B},   {5, 6, B}, {8, 9, B},
                           {12, 11, L}, {36, 11, L}, {39, 4, L}};
const Shape kLeft7Straight = {{4, 6, M}, {4, 40, L}, {11, 36, L}, {11, 13, L}};
const Shape kLeft7Curved = {{4, 9, M},  {4, 39, L},  {6, 40, B}, {7, 40, B},
                            {9, 38, B}, {11, 36, L}, {11, 12, L}};
const Shape kRight7Curved = {{37, 36, M}, {39, 38, B}, {41, 40, B}, {42, 40, L}, {44, 39, L},
                             {44, 6, L},  {42, 4, B},  {41, 4, B},  {39, 8, B},  {37, 12, L}};
const Shape kMiddle7Straight = {{6, 41, M},  {14, 45, L}, {34, 45, L},
                                {42, 41, L}, {34, 37, L}, {14, 37, L}};
const Shape kMiddle7Curved = {{8, 41, M},  {12, 45, L}, {36, 45, L},
                              {40, 41, L}, {36, 37, L}, {12, 37, L}};

const Shape kCentre14Straight = {{20, 13, M}, {20, 36, L}, {24, 40, L}, {28, 36, L}, {28, 13, L}};
const Shape kCentre14Curved = {{20, 12, M}, {20, 25, L}, {22, 36, B}, {23, 39, B}, {24, 40, B},
                               {25, 39, B}, {26, 36, B}, {28, 25, L}, {28, 12, L}, {26, 10, B},
                               {24, 9, B},  {22, 10, B}, {20, 12, L}};
const Shape kDiagonal14Straight = {{5, 5, M}, {15, 35, L}, {20, 37, L}, {18, 25, L}};
const Shape kDiagonal14Curved = {{10, 10, M}, {10, 13, B}, {11, 20, B}, {13, 28, B}, {21, 38, L},
                                 {21, 37, L}, {19, 26, B}, {15, 16, B}, {11, 10, B}, {10, 10, L}};
const Shape kHalf14Straight = {{6, 41, M},  {14, 45, L}, {18, 45, L},
                               {22, 41, L}, {18, 37, L}, {14, 37, L}};
const Shape kHalf14Curved = {{8, 41, M},  {12, 45, L}, {16, 45, L},
                             {23, 41, L}, {16, 37, L}, {12, 37, L}};
const Shape kVertical14Straight = {{4, 7, M}, {4, 40, L}, {11, 36, L}, {11, 26, L}};
const Shape kVertical14Curved = {{4, 7, M},   {4, 39, L},  {5, 40, B}, {6, 40, B}, {9, 37, B},
                                 {11, 33, B}, {11, 25, L}, {9, 14, B}, {5, 6, B},  {4, 7, L}};
const Shape kBar14Straight = {{6, 4, M}, {11, 11, L}, {37, 11, L}, {42, 4, L}};
const Shape kBar14Curved = {{8, 4, M},   {7, 5, B},   {7, 6, B},  {9, 8, B},  {12, 9, B},
                            {14, 11, L}, {19, 11, L}, {21, 9, B}, {24, 7, B}, {27, 9, B},
                            {29, 11, L}, {34, 11, L}, {36, 9, B}, {39, 8, B}, {41, 6, B},
                            {41, 5, B},  {40, 4, L}};

// The colon character's dots, top to bottom (both sets).
const Shape kDots[3] = {
    {{4, 23, M}, {4, 32, L}, {13, 32, L}, {13, 23, L}},
    {{4, 50, M}, {4, 59, L}, {13, 59, L}, {13, 50, L}},
    {{4, 68, M}, {4, 77, L}, {13, 77, L}, {13, 68, L}},
};

// Mirror axes of a 49-unit character: x = 24 and y = 41.
enum class Transform { AsIs, MirrorX, MirrorY, HalfTurn };

DigiOutline makeOutline(const char* name, const Shape& shape, Transform transform) {
    DigiOutline outline{name, {}, {}};
    for (const ShapePoint& p : shape) {
        int x = p.x;
        int y = p.y;
        if (transform == Transform::MirrorX || transform == Transform::HalfTurn) {
            x = (kDigiCharWidth - 1) - x;
        }
        if (transform == Transform::MirrorY || transform == Transform::HalfTurn) {
            y = (kDigiCharHeight - 1) - y;
        }
        outline.points.emplace_back(x, y);
        outline.types.push_back(p.type);
    }
    return outline;
}

struct SegmentRecipe {
    const char* name;
    const Shape* shape;
    Transform transform;
};

std::vector<SegmentRecipe> recipes7(bool curved) {
    const Shape* top = curved ? &kTop7Curved : &kTop7Straight;
    const Shape* left = curved ? &kLeft7Curved : &kLeft7Straight;
    const Shape* middle = curved ? &kMiddle7Curved : &kMiddle7Straight;
    if (curved) {
        return {{"7seg curved top", top, Transform::AsIs},
                {"7seg curved upper left", left, Transform::AsIs},
                {"7seg curved upper right", &kRight7Curved, Transform::AsIs},
                {"7seg curved middle", middle, Transform::AsIs},
                {"7seg curved lower left", left, Transform::MirrorY},
                {"7seg curved lower right", &kRight7Curved, Transform::MirrorY},
                {"7seg curved bottom", top, Transform::MirrorY}};
    }
    return {{"7seg straight top", top, Transform::AsIs},
            {"7seg straight upper left", left, Transform::AsIs},
            {"7seg straight upper right", left, Transform::MirrorX},
            {"7seg straight middle", middle, Transform::AsIs},
            {"7seg straight lower left", left, Transform::MirrorY},
            {"7seg straight lower right", left, Transform::HalfTurn},
            {"7seg straight bottom", top, Transform::MirrorY}};
}

std::vector<SegmentRecipe> recipes14(bool curved) {
    const Shape* centre = curved ? &kCentre14Curved : &kCentre14Straight;
    const Shape* diagonal = curved ? &kDiagonal14Curved : &kDiagonal14Straight;
    const Shape* half = curved ? &kHalf14Curved : &kHalf14Straight;
    const Shape* vertical = curved ? &kVertical14Curved : &kVertical14Straight;
    const Shape* bar = curved ? &kBar14Curved : &kBar14Straight;
    return {{"14seg upper centre", centre, Transform::AsIs},
            {"14seg upper left diagonal", diagonal, Transform::AsIs},
            {"14seg upper right diagonal", diagonal, Transform::MirrorX},
            {"14seg lower left diagonal", diagonal, Transform::MirrorY},
            {"14seg lower right diagonal", diagonal, Transform::HalfTurn},
            {"14seg lower centre", centre, Transform::MirrorY},
            {"14seg middle left", half, Transform::AsIs},
            {"14seg middle right", half, Transform::MirrorX},
            {"14seg upper left", vertical, Transform::AsIs},
            {"14seg lower left", vertical, Transform::MirrorY},
            {"14seg bottom", bar, Transform::MirrorY},
            {"14seg lower right", vertical, Transform::HalfTurn},
            {"14seg upper right", vertical, Transform::MirrorX},
            {"14seg top", bar, Transform::AsIs}};
}

std::vector<CDigiSegment> buildSegments(const std::vector<SegmentRecipe>& recipes) {
    std::vector<CDigiSegment> segments(recipes.size());
    for (std::size_t i = 0; i < recipes.size(); ++i) {
        const DigiOutline outline =
            makeOutline(recipes[i].name, *recipes[i].shape, recipes[i].transform);
        segments[i].SetPoints(outline.points.data(), outline.types.data(),
                              static_cast<int>(outline.points.size()));
    }
    return segments;
}

// The outlines depend only on the style's curved bit: build each set once.
const std::vector<CDigiSegment>& segments7(bool curved) {
    static const std::vector<CDigiSegment> straight = buildSegments(recipes7(false));
    static const std::vector<CDigiSegment> rounded = buildSegments(recipes7(true));
    return curved ? rounded : straight;
}

const std::vector<CDigiSegment>& segments14(bool curved) {
    static const std::vector<CDigiSegment> straight = buildSegments(recipes14(false));
    static const std::vector<CDigiSegment> rounded = buildSegments(recipes14(true));
    return curved ? rounded : straight;
}

const std::vector<CDigiSegment>& segmentsColon() {
    static const std::vector<CDigiSegment> dots = buildSegments({
        {"colon dot 0", &kDots[0], Transform::AsIs},
        {"colon dot 1", &kDots[1], Transform::AsIs},
        {"colon dot 2", &kDots[2], Transform::AsIs},
    });
    return dots;
}

}  // namespace

const WORD kDigi7SegMasks[12] = {0x00, 0x77, 0x24, 0x5D, 0x6D, 0x2E,
                                 0x6B, 0x7B, 0x25, 0x7F, 0x6F, 0x08};

const WORD kDigi14SegMasks[45] = {
    0x0000, 0x3F00, 0x1800, 0x36C0, 0x3CC0, 0x19C0, 0x2DC0, 0x2FC0, 0x3800, 0x3FC0, 0x3DC0, 0x00C0,
    0x3BC0, 0x3CA1, 0x2700, 0x3C21, 0x27C0, 0x23C0, 0x2F80, 0x1BC0, 0x2421, 0x1E00, 0x0354, 0x0700,
    0x1B06, 0x1B12, 0x3F00, 0x33C0, 0x3F10, 0x33D0, 0x2DC0, 0x2021, 0x1F00, 0x030C, 0x1B18, 0x001E,
    0x11E0, 0x240C, 0x00FF, 0x00E1, 0x0014, 0x000A, 0x0012, 0x000C, 0x0001,
};

void CDigiChar::SetElementData(WORD wMask, DWORD dwStyle) {
    m_wMask = wMask;
    m_bLitOnly = (dwStyle & DIGI_LITONLY) != 0;
}

void CDigiChar::Draw(QPainter* painter, const DigiRect& rect, const QPen& offPen, const QPen& onPen,
                     const QBrush& offBrush, const QBrush& onBrush, QRegion* region) const {
    for (int i = 0; i < m_nCount; ++i) {
        const bool lit = (m_wMask & static_cast<WORD>(1u << i)) != 0;
        if (m_bLitOnly && !lit) {
            continue;
        }
        const QPainterPath path = GetSegment(i).Path(rect, m_Width);
        painter->setPen(lit ? onPen : offPen);
        painter->setBrush(lit ? onBrush : offBrush);
        painter->drawPath(path);
        if (region != nullptr) {
            // The pixels the segment covers: its inside and its 1-pixel outline.
            QPainterPathStroker stroker;
            stroker.setWidth(1.0);
            const QPainterPath covered = path.united(stroker.createStroke(path));
            for (const QPolygonF& polygon : covered.toFillPolygons()) {
                *region += QRegion(polygon.toPolygon(), Qt::WindingFill);
            }
        }
    }
}

CDigi7SegChar::CDigi7SegChar() {
    m_Width = kDigiCharWidth;
    m_nCount = 7;
}

void CDigi7SegChar::SetElementData(WORD wMask, DWORD dwStyle) {
    m_SegArray = segments7((dwStyle & DIGI_CURVED) != 0);
    CDigiChar::SetElementData(wMask, dwStyle);
}

CDigi14SegChar::CDigi14SegChar() {
    m_Width = kDigiCharWidth;
    m_nCount = 14;
}

void CDigi14SegChar::SetElementData(WORD wMask, DWORD dwStyle) {
    m_SegArray = segments14((dwStyle & DIGI_CURVED) != 0);
    CDigiChar::SetElementData(wMask, dwStyle);
}

CDigiColonChar::CDigiColonChar() {
    m_Width = kDigiColonWidth;
    m_nCount = 3;
}

void CDigiColonChar::SetElementData(WORD wMask, DWORD dwStyle) {
    m_SegArray = segmentsColon();
    CDigiChar::SetElementData(wMask, dwStyle);
}

std::unique_ptr<CDigiChar> CreateDigiChar(QChar c, DWORD dwStyle) {
    std::unique_ptr<CDigiChar> digi;
    WORD mask = 0;
    const char16_t u = c.unicode();
    int index = -1;
    if (u == u' ') {
        index = 0;
    } else if (u == u'-') {
        index = 11;
    } else if (u >= u'0' && u <= u'9') {
        index = u - u'0' + 1;
    }
    if (index >= 0) {
        if ((dwStyle & DIGI_DIGITS14) != 0) {
            digi = std::make_unique<CDigi14SegChar>();
            mask = kDigi14SegMasks[index];
        } else {
            digi = std::make_unique<CDigi7SegChar>();
            mask = kDigi7SegMasks[index];
        }
    } else if (u >= u'A' && u <= u'Z') {
        digi = std::make_unique<CDigi14SegChar>();
        mask = kDigi14SegMasks[u - u'A' + 12];
    } else if (u == u'.' || u == u':') {
        digi = std::make_unique<CDigiColonChar>();
        mask = u == u'.' ? 0x04 : 0x03;
    } else {
        constexpr struct {
            char16_t c;
            int index;
        } kSigns[] = {{u'*', 38},  {u'+', 39}, {u'(', 40}, {u')', 41},
                      {u'\\', 42}, {u'/', 43}, {u'\'', 44}};
        for (const auto& sign : kSigns) {
            if (sign.c == u) {
                digi = std::make_unique<CDigi14SegChar>();
                mask = kDigi14SegMasks[sign.index];
            }
        }
    }
    if (digi) {
        digi->SetElementData(mask, dwStyle);
    }
    return digi;
}

std::vector<DigiOutline> AllDigiOutlines() {
    std::vector<DigiOutline> all;
    for (bool curved : {false, true}) {
        for (const auto& recipes : {recipes7(curved), recipes14(curved)}) {
            for (const SegmentRecipe& r : recipes) {
                all.push_back(makeOutline(r.name, *r.shape, r.transform));
            }
        }
    }
    all.push_back(makeOutline("colon dot 0", kDots[0], Transform::AsIs));
    all.push_back(makeOutline("colon dot 1", kDots[1], Transform::AsIs));
    all.push_back(makeOutline("colon dot 2", kDots[2], Transform::AsIs));
    return all;
}

DigiLayout LayoutDigiChars(int totalUnits, double clientWidth, double clientHeight,
                           bool keepAspect) {
    DigiLayout layout;
    if (totalUnits <= 0) {
        return layout;
    }
    layout.totalUnits = totalUnits;
    layout.xunit = clientWidth / totalUnits;
    layout.yunit = clientHeight / kDigiCharHeight;
    if (keepAspect) {
        const double unit = std::min(layout.xunit, layout.yunit);
        layout.xunit = layout.yunit = unit;
        layout.x0 = (clientWidth - totalUnits * unit) / 2;
        layout.y0 = (clientHeight - kDigiCharHeight * unit) / 2;
    }
    return layout;
}

COLORREF DigiPenColor(COLORREF segment, COLORREF background, bool softEdge) {
    if (!softEdge) {
        return segment & 0xFFFFFF;
    }
    auto blend = [](int s, int b) { return static_cast<int>(0.75 * s + 0.25 * b); };
    return looks::rgb(blend(looks::redOf(segment), looks::redOf(background)),
                      blend(looks::greenOf(segment), looks::greenOf(background)),
                      blend(looks::blueOf(segment), looks::blueOf(background)));
}
