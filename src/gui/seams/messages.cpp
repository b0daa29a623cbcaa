#include "gui/seams/messages.h"

#include "gui/seams/warning.h"
#include "core/base/inisettings.h"
#include "core/base/settingstable.h"

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

std::unique_ptr<TMessageBoxes>& Installed()
{
    static std::unique_ptr<TMessageBoxes> boxes;
    return boxes;
}

} // namespace

TMessageBoxes& MessageBoxes()
{
    auto& b = Installed();
    if (!b)
        b = std::make_unique<TQtMessageBoxes>();
    return *b;
}

std::unique_ptr<TMessageBoxes> SetMessageBoxes(std::unique_ptr<TMessageBoxes> boxes)
{
    std::swap(Installed(), boxes);
    return boxes;
}

void ShowError(const QString& message)
{
    ShowErrorCaption(QStringLiteral("Error"), message);
}

void ShowErrorCaption(const QString& caption, const QString& message)
{
    MessageBoxes().Tell(TMessageBoxes::Icon::Error, caption, message);
}

void ShowWarning(const QString& message)
{
    MessageBoxes().Tell(TMessageBoxes::Icon::Information, QStringLiteral("Warning"), message);
}

void ShowInformation(const QString& message)
{
    MessageBoxes().Tell(TMessageBoxes::Icon::Information, QStringLiteral("Information"), message);
}

bool AskYesNo(const QString& message, bool yesIsDefault)
{
    return AskYesNoCaption(QStringLiteral("Warning"), message, yesIsDefault);
}

bool AskYesNoCaption(const QString& caption, const QString& message, bool yesIsDefault)
{
    return MessageBoxes().AskYesNo(caption, message, yesIsDefault);
}

TAnswer AskYesNoCancel(const QString& caption, const QString& message)
{
    return MessageBoxes().AskYesNoCancel(caption, message);
}

TAnswer WarnOnce(const QString& message, const QString& name)
{
    TSettings& s = AppSettings();
    if (s.ReadBool(settings::DisabledWarnings, name, false))
        return TAnswer::Yes;
    bool dontShowAgain = false;
    const TAnswer answer = MessageBoxes().Warn(message, dontShowAgain);
    if (dontShowAgain && answer != TAnswer::Cancel)
        s.WriteBool(settings::DisabledWarnings, name, true);
    return answer;
}

void ShowNotAvailable(const QString& command)
{
    QString name = command;
    name.remove(QLatin1Char('&'));
    if (name.endsWith(QLatin1String("...")))
        name.chop(3);
    ShowInformation(QStringLiteral("\"%1\" is not available in this version of Orvalle yet.").arg(name));
}
