#include "core/interaction/messages.h"

#include "core/base/inisettings.h"
#include "core/base/settingstable.h"

#include <cstdio>

namespace {

// Until the program installs the boxes of its windows: what would have been shown goes to the
// error stream, and every question is answered with the choice that changes nothing.
class TUnattendedMessageBoxes : public TMessageBoxes {
public:
    void Tell(Icon, const QString& caption, const QString& text) override { Print(caption, text); }
    bool AskYesNo(const QString& caption, const QString& text, bool) override
    {
        Print(caption, text);
        return false;
    }
    TAnswer AskYesNoCancel(const QString& caption, const QString& text) override
    {
        Print(caption, text);
        return TAnswer::Cancel;
    }
    TAnswer Warn(const QString& text, bool& dontShowAgain) override
    {
        Print(QStringLiteral("Warning"), text);
        dontShowAgain = false;
        return TAnswer::Cancel;
    }

private:
    static void Print(const QString& caption, const QString& text)
    {
        std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
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
        b = std::make_unique<TUnattendedMessageBoxes>();
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
