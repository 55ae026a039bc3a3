#pragma once

// queueIfAlive: a call on an object that runs after the caller is done, and
// only if the object still lives then. The windows of every family use it for
// what a key or a menu asks of another window (the front panel, the CW
// window, a button of their own), so that the request never runs inside the
// handler that made it and never reaches a window closed meanwhile.
//
// The call is queued on the object itself, so it runs on the object's thread
// at its event loop's next pass, after whatever was queued there before it;
// calls queued one after another run in that order. Nothing is queued for an
// object already gone, and a queued call is dropped with its object.
//
// Call it on the object's own thread (the GUI thread for a window): the
// QPointer is read there.

#include <QMetaObject>
#include <QPointer>

#include <utility>

template <class T, class Call>
void queueIfAlive(const QPointer<T>& object, Call call) {
    if (!object) {
        return;
    }
    QMetaObject::invokeMethod(
        object.data(),
        [object, call = std::move(call)]() mutable {
            if (object) {
                call(*object);
            }
        },
        Qt::QueuedConnection);
}
