#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <functional>

// Runs `act` on the next modal dialog as soon as it is up, and rejects any modal dialog still
// open after `timeoutMs` so that a failing test cannot hang.
inline void WhenModal(std::function<void(QDialog*)> act, int timeoutMs = 5000)
{
    auto* poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll->stop();
        poll->deleteLater();
        act(dialog);
    });
    poll->start();
    QTimer::singleShot(timeoutMs, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
}
