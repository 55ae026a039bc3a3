#include "client/panel/place_under_panel.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QVariant>
#include <QWidget>

#include <vector>

#include "client/base/registry_store.h"

namespace {

// Where a docked window sits against the panel's top-left corner (a QRect),
// as its last placement put it: after a drag of the panel, that is where it
// is about to be again.
constexpr const char* kDockedProperty = "rigcontrolDockedRect";

std::vector<QPointer<QWidget>>& followers() {
    static std::vector<QPointer<QWidget>> list;
    return list;
}

// The frame `window` has, or, never shown, the one it will get: like the
// frame of a window shown already.
QRect ExpectedFrame(const QWidget& window) {
    const QRect frame = window.frameGeometry();
    if (frame != window.geometry()) {
        return frame;
    }
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        if (other != &window && other->isVisible() && other->frameGeometry() != other->geometry()) {
            return QRect(frame.topLeft(),
                         window.size() + other->frameGeometry().size() - other->size());
        }
    }
    return frame;
}

}  // namespace

QList<QRect> AvailableAreas() {
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens()) {
        areas.push_back(screen->availableGeometry());
    }
    return areas;
}

void RegisterFollower(QWidget& window) {
    std::vector<QPointer<QWidget>>& list = followers();
    std::erase_if(list, [](const QPointer<QWidget>& w) { return w.isNull(); });
    for (const QPointer<QWidget>& w : list) {
        if (w.data() == &window) {
            return;
        }
    }
    list.emplace_back(&window);
}

FollowerFrames ShownFollowerFrames(const QWidget* except) {
    FollowerFrames frames;
    for (const QPointer<QWidget>& w : followers()) {
        if (w.isNull() || w.data() == except || !w->isVisible()) {
            continue;
        }
        if (w->property(kDockedProperty).isValid()) {
            frames.docked.push_back(w->frameGeometry());
        } else {
            frames.others.push_back(w->frameGeometry());
        }
    }
    return frames;
}

FollowerRequest RequestBesidePanel(QWidget& window, pelorin::CRegistryStore& store,
                                   FollowerPlace place, WhenAnchorSmaller whenSmaller) {
    RegisterFollower(window);
    StoredWindowRect stored;
    store.ReadWindowRect(stored.left, stored.top, stored.right, stored.bottom);
    FollowerRequest request;
    request.anchor = FrameOf(stored);
    request.place = place;
    request.whenSmaller = whenSmaller;
    request.current = ExpectedFrame(window);
    request.size = request.current.size();
    const FollowerFrames frames = ShownFollowerFrames(&window);
    // Docked windows sit beside the panel; a window placed here keeps off
    // them as off any other follower.
    request.others = frames.others + frames.docked;
    request.areas = AvailableAreas();
    return request;
}

void ApplyFollowerFrame(QWidget& window, const QRect& frame) {
    const QRect now = ExpectedFrame(window);
    if (frame.size() != now.size()) {
        const QSize client(window.width() + frame.width() - now.width(),
                           window.height() + frame.height() - now.height());
        if (window.minimumSize() == window.maximumSize()) {
            window.setFixedSize(client);
        } else {
            window.resize(client);
        }
    }
    // A window that was never moved is placed by Qt when it is shown (a
    // dialog centred over its parent), wherever it stands: it is moved even
    // to where it already is.
    if (frame.topLeft() != now.topLeft() || !window.testAttribute(Qt::WA_Moved)) {
        window.move(frame.topLeft());
    }
}

void PlaceWindowBesidePanel(QWidget& window, pelorin::CRegistryStore& store, FollowerPlace place,
                            WhenAnchorSmaller whenSmaller) {
    ApplyFollowerFrame(window,
                       PlaceFollower(RequestBesidePanel(window, store, place, whenSmaller)).frame);
}

void PlaceWindowUnder(QWidget& window, const QWidget& anchor) {
    FollowerRequest request;
    request.anchor = anchor.frameGeometry();
    request.place = FollowerPlace::UnderOwnSize;
    request.size = window.frameGeometry().size();
    // A window never shown has no frame yet: it will get one like the
    // anchor's.
    if (!window.testAttribute(Qt::WA_WState_Created) ||
        window.frameGeometry() == window.geometry()) {
        request.size += anchor.frameGeometry().size() - anchor.size();
    }
    request.current = QRect(window.frameGeometry().topLeft(), request.size);
    request.areas = AvailableAreas();
    // The window's position is its frame's; its size stays its own.
    window.move(PlaceFollower(request).frame.topLeft());
}

FollowerPlacement PlaceDockedWindow(QWidget& window, QWidget& panel, FollowerPlace place,
                                    QSize size) {
    RegisterFollower(window);
    FollowerRequest request;
    request.anchor = panel.frameGeometry();
    request.place = place;
    request.size = size;
    request.current = QRect(window.frameGeometry().topLeft(), size);
    request.areas = AvailableAreas();
    for (const QPointer<QWidget>& w : followers()) {
        if (w.isNull() || w.data() == &window || w->isHidden()) {
            continue;
        }
        const QVariant docked = w->property(kDockedProperty);
        if (docked.isValid()) {
            request.docked.push_back(docked.toRect().translated(request.anchor.topLeft()));
        }
    }
    FollowerPlacement placed = PlaceFollower(request);
    if (placed.anchorMove) {
        panel.move(*placed.anchorMove);
        // A window manager may have put the panel elsewhere than asked.
        placed.frame.translate(panel.frameGeometry().topLeft() - *placed.anchorMove);
    }
    window.setProperty(kDockedProperty, placed.frame.translated(-panel.frameGeometry().topLeft()));
    return placed;
}
