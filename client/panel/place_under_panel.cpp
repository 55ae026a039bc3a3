#include "client/panel/place_under_panel.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "client/app/registry_store.h"

namespace {

struct PlacementInputs {
    StoredWindowRect stored;
    QList<QRect> screens;
    QRect panelScreen;
};

PlacementInputs readPlacementInputs(pelorin::CRegistryStore& store, const QWidget* panel) {
    PlacementInputs inputs;
    StoredWindowRect& stored = inputs.stored;
    store.ReadWindowRect(stored.left, stored.top, stored.right, stored.bottom);
    for (const QScreen* screen : QGuiApplication::screens()) {
        inputs.screens.push_back(screen->availableGeometry());
    }
    const QScreen* panelScreen = panel != nullptr ? panel->screen() : nullptr;
    if (panelScreen == nullptr) {
        panelScreen = QGuiApplication::primaryScreen();
    }
    inputs.panelScreen = panelScreen != nullptr ? panelScreen->availableGeometry() : QRect();
    return inputs;
}

// The frame's extra width and height stay as they are.
void moveFrameTo(QWidget& window, const QRect& frame, const QRect& target) {
    if (target == frame) {
        return;
    }
    window.resize(window.width() + target.width() - frame.width(),
                  window.height() + target.height() - frame.height());
    window.move(target.topLeft());
}

}  // namespace

void PlaceWindowUnderPanel(QWidget& window, pelorin::CRegistryStore& store, const QWidget* panel,
                           WhenPanelSmaller whenSmaller) {
    const PlacementInputs inputs = readPlacementInputs(store, panel);
    const QRect frame = window.frameGeometry();
    QRect target =
        PlaceUnderPanel(inputs.stored, frame, inputs.panelScreen, inputs.screens, whenSmaller);
    target.setHeight(frame.height());
    moveFrameTo(window, frame, target);
}

void PlaceWindowBesidePanel(QWidget& window, pelorin::CRegistryStore& store, const QWidget* panel,
                            BesidePanel where) {
    const PlacementInputs inputs = readPlacementInputs(store, panel);
    const QRect frame = window.frameGeometry();
    moveFrameTo(window, frame,
                PlaceBesidePanel(inputs.stored, frame, where, inputs.panelScreen, inputs.screens));
}
