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
        QTimer Poll;
        QPointer<QDialog> Seen;
    };
    auto wait = std::make_shared<TWait>();
    wait->Poll.setInterval(5);
    QObject::connect(&wait->Poll, &QTimer::timeout, [weak = std::weak_ptr<TWait>(wait), act] {
        const std::shared_ptr<TWait> w = weak.lock();
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!w || !dialog)
            return;
        w->Poll.stop();
        w->Seen = dialog;
        act(dialog);
    });
    wait->Poll.start();
    QTimer::singleShot(timeoutMs, [wait] {
        wait->Poll.stop();
        if (wait->Seen && wait->Seen->isVisible())
            wait->Seen->reject();
    });
}
