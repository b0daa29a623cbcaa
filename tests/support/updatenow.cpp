#include "support/updatenow.h"

#include "gui/mainwindow/commandids.h"
#include "gui/mainwindow/mainform.h"
#include "gui/responses/updateresponses.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTimer>

QStringList RunUpdateNow(TORVMainForm& window, bool stopWhenConnected, int* outcome, int timeoutMs)
{
    QStringList lines;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<TORVUpdateResponses*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        const bool closeOffered = dialog->btnStop->text() == QStringLiteral("Close");
        if (stopWhenConnected && !closeOffered
            && dialog->StatusLines().contains(QStringLiteral("Connected."))) {
            dialog->btnStop->click();
            if (outcome)
                *outcome = dialog->Outcome();
            stopWhenConnected = false;
        } else if (closeOffered && dialog->btnStop->isEnabled()) {
            lines = dialog->StatusLines();
            driver.stop();
            dialog->btnStop->click();
        }
    });
    driver.start(20);
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        if (auto* modal = QApplication::activeModalWidget())
            modal->close();
    });
    watchdog.start(timeoutMs);
    window.Command(cmd::UpdateNow)->trigger();
    return lines;
}
