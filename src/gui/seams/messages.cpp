#include "gui/seams/qtseams.h"
#include "gui/seams/warning.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

QMessageBox::Icon ToQt(TMessageBoxes::Icon icon)
{
    switch (icon) {
    case TMessageBoxes::Icon::Error:
        return QMessageBox::Critical;
    case TMessageBoxes::Icon::Question:
        return QMessageBox::Question;
    case TMessageBoxes::Icon::Information:
        break;
    }
    return QMessageBox::Information;
}

// Boxes that really show, owned by the active window so that they stay on top of it.
class TQtMessageBoxes : public TMessageBoxes {
public:
    void Tell(Icon icon, const QString& caption, const QString& text) override
    {
        QMessageBox box(ToQt(icon), caption, text, QMessageBox::Ok, QApplication::activeWindow());
        box.exec();
    }

    bool AskYesNo(const QString& caption, const QString& text, bool yesIsDefault) override
    {
        QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
            QApplication::activeWindow());
        box.setDefaultButton(yesIsDefault ? QMessageBox::Yes : QMessageBox::No);
        return box.exec() == QMessageBox::Yes;
    }

    TAnswer AskYesNoCancel(const QString& caption, const QString& text) override
    {
        QMessageBox box(QMessageBox::Question, caption, text,
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QApplication::activeWindow());
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
        switch (box.exec()) {
        case QMessageBox::Yes:
            return TAnswer::Yes;
        case QMessageBox::No:
            return TAnswer::No;
        default:
            return TAnswer::Cancel;
        }
    }

    TAnswer Warn(const QString& text, bool& dontShowAgain) override
    {
        QApplication::beep();
        TORVWarning dlg(text, QApplication::activeWindow());
        const TAnswer answer = dlg.Ask();
        dontShowAgain = dlg.DontShowAgain();
        return answer;
    }
};

} // namespace

std::unique_ptr<TMessageBoxes> MakeQtMessageBoxes()
{
    return std::make_unique<TQtMessageBoxes>();
}
