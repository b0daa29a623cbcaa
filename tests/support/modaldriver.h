#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

// Runs `act` on the next modal dialog as soon as it is up. After `timeoutMs` the wait ends:
// polling stops (so that it never acts on a later test's dialog) and the dialog it acted on, if
// still open, is rejected so that a failing test cannot hang.
inline void WhenModal(std::function<void(QDialog*)> act, int timeoutMs = 5000)
{
    struct TWait {
        QTimer poll;
        QPointer<QDialog> seen;
    };
    auto wait = std::make_shared<TWait>();
    wait->poll.setInterval(5);
    QObject::connect(&wait->poll, &QTimer::timeout, [weak = std::weak_ptr<TWait>(wait), act] {
        const std::shared_ptr<TWait> w = weak.lock();
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!w || !dialog)
            return;
        w->poll.stop();
        w->seen = dialog;
        act(dialog);
    });
    wait->poll.start();
    QTimer::singleShot(timeoutMs, [wait] {
        wait->poll.stop();
        if (wait->seen && wait->seen->isVisible())
            wait->seen->reject();
    });
}
