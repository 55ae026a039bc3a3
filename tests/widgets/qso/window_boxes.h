#pragma once

// For tests of the message boxes the QSO windows raise: which windows a box
// blocks, and the box open now.

#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QObject>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <cstdlib>
#include <string>

#include "platform/message_service.h"

namespace qsotest {

// Records whether a modal dialog blocked the window it watches.
struct BlockedWatch : QObject {
    bool blocked = false;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::WindowBlocked)
            blocked = true;
        return QObject::eventFilter(watched, event);
    }
};

// Real boxes on the offscreen platform while it lives: the message log is
// set aside meanwhile. A box modal to the whole program that nobody closes
// would hold the test for ever: it is closed after a second, and the test
// fails.
struct RealBoxes {
    RealBoxes() {
        m_reaper.setInterval(1000);
        QObject::connect(&m_reaper, &QTimer::timeout, [] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(widget);
                if (box != nullptr && box->isVisible() &&
                    box->windowModality() == Qt::ApplicationModal) {
                    ADD_FAILURE() << "a box modal to the whole program: "
                                  << box->text().toStdString();
                    box->done(QMessageBox::No);
                }
            }
        });
        m_reaper.start();
        if (const char* log = std::getenv("ORVO_MESSAGE_LOG")) {
            m_log = log;
            m_hadLog = true;
            unsetenv("ORVO_MESSAGE_LOG");
        }
        MessageService::showBoxesOffscreen(true);
    }
    ~RealBoxes() {
        MessageService::showBoxesOffscreen(false);
        if (m_hadLog)
            setenv("ORVO_MESSAGE_LOG", m_log.c_str(), 1);
    }
    RealBoxes(const RealBoxes&) = delete;
    RealBoxes& operator=(const RealBoxes&) = delete;

  private:
    QTimer m_reaper;
    std::string m_log;
    bool m_hadLog = false;
};

// The message box shown now, or null.
inline QMessageBox* ShownMessageBox() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(widget); box != nullptr && box->isVisible())
            return box;
    }
    return nullptr;
}

// The front panel, a top-level window of its own with one button.
struct StandInPanel {
    StandInPanel() {
        button = new QPushButton(QStringLiteral("RIT"), &window);
        QObject::connect(button, &QPushButton::clicked, [this] { ++clicks; });
        window.show();
        window.installEventFilter(&watch);
    }
    QWidget window;
    QPushButton* button = nullptr;
    int clicks = 0;
    BlockedWatch watch;
};

}  // namespace qsotest
