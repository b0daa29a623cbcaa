#include "support/modaldriver.h"

#include <QDialog>
#include <QTest>

// The modal-dialog driver of the widget tests must not outlive the test that armed it.
class ModalDriverTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void actsOnTheDialogThatAppears()
    {
        int acted = 0;
        WhenModal([&acted](QDialog* d) {
            ++acted;
            d->accept();
        });
        QDialog dialog;
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(acted, 1);
    }

    // A driver armed for a dialog that never came stops waiting at its time-out, so that it
    // cannot act on the dialog of a later test.
    void stopsWaitingWhenNoDialogAppears()
    {
        int acted = 0;
        WhenModal(
            [&acted](QDialog* d) {
                ++acted;
                d->accept();
            },
            50);
        QTest::qWait(150);
        QDialog later;
        QTimer::singleShot(200, &later, &QDialog::reject);
        QCOMPARE(later.exec(), int(QDialog::Rejected));
        QCOMPARE(acted, 0);
    }

    // A dialog the action left open is rejected at the time-out, so that a failing test ends.
    void rejectsADialogLeftOpen()
    {
        WhenModal([](QDialog*) {}, 100);
        QDialog dialog;
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    }
};

QTEST_MAIN(ModalDriverTest)
#include "modaldriver_test.moc"
