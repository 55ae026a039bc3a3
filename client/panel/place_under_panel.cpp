#include "client/panel/place_under_panel.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "client/app/registry_store.h"

void PlaceWindowUnderPanel(QWidget& window, pelorin::CRegistryStore& store, const QWidget* panel,
                           WhenPanelSmaller whenSmaller) {
    StoredWindowRect stored;
    store.ReadWindowRect(stored.left, stored.top, stored.right, stored.bottom);
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        screens.push_back(screen->availableGeometry());
    }
    const QScreen* panelScreen = panel != nullptr ? panel->screen() : nullptr;
    if (panelScreen == nullptr) {
        panelScreen = QGuiApplication::primaryScreen();
    }
    const QRect screenArea = panelScreen != nullptr ? panelScreen->availableGeometry() : QRect();
    const QRect frame = window.frameGeometry();
    const QRect target = PlaceUnderPanel(stored, frame, screenArea, screens, whenSmaller);
    if (target == frame) {
        return;
    }
    // The frame's extra width and height stay as they are.
    window.resize(window.width() + target.width() - frame.width(), window.height());
    window.move(target.topLeft());
}
