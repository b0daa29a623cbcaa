// The progress window of long work: Stop is heard, and a fast loop does not repaint at every step.

#include "gui/widgets/progresswindow.h"

#include <QPushButton>
#include <QTest>

class ProgressWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void stepsAreThrottledButTheLastOneShows()
    {
        TProgressWindow progress(QStringLiteral("Export Responses"), QStringLiteral("Writing..."), nullptr);
        progress.Start(100000);
        for (int done = 1; done < 100000; ++done)
            progress.Step(done);
        QVERIFY2(progress.Dialog().value() < 1000, "a fast loop is not shown record by record");
        progress.Step(100000);
        QCOMPARE(progress.Dialog().value(), 100000);
        QVERIFY(!progress.StopRequested());
    }

    // Work that never reported progress (a CSV copy): the window must not pop up afterwards over
    // the next message.
    void finishedWorkNeverShowsTheWindow()
    {
        TProgressWindow progress(QStringLiteral("Export Responses"), QStringLiteral("Writing..."), nullptr);
        progress.Finish();
        QTest::qWait(4500); // a progress dialog shows itself 4 s after it was made
        QVERIFY(!progress.Dialog().isVisible());
    }

    void stopButtonAsksTheWorkToStop()
    {
        TProgressWindow progress(QStringLiteral("Export Responses"), QStringLiteral("Writing..."), nullptr);
        progress.Start(10);
        progress.Dialog().show();
        auto* stop = progress.Dialog().findChild<QPushButton*>();
        QVERIFY(stop);
        QCOMPARE(stop->text(), QStringLiteral("&Stop"));
        QTest::mouseClick(stop, Qt::LeftButton);
        QVERIFY(progress.StopRequested());
    }
};

QTEST_MAIN(ProgressWindowTest)
#include "progresswindow_test.moc"
