#include "support/scriptedseams.h"

TScriptedMessages::Answer TScriptedMessages::Next(TAnswer cautious)
{
    if (answers.empty())
        return {cautious, false};
    const Answer a = answers.front();
    answers.pop_front();
    return a;
}

void TScriptedMessages::Tell(Icon icon, const QString& caption, const QString& text)
{
    shown.push_back({QStringLiteral("Tell"), icon, caption, text});
}

bool TScriptedMessages::AskYesNo(const QString& caption, const QString& text, bool)
{
    shown.push_back({QStringLiteral("YesNo"), Icon::Question, caption, text});
    return Next(TAnswer::No).answer == TAnswer::Yes;
}

TAnswer TScriptedMessages::AskYesNoCancel(const QString& caption, const QString& text)
{
    shown.push_back({QStringLiteral("YesNoCancel"), Icon::Question, caption, text});
    return Next(TAnswer::Cancel).answer;
}

TAnswer TScriptedMessages::Warn(const QString& text, bool& dontShowAgain)
{
    shown.push_back({QStringLiteral("Warn"), Icon::Question, QStringLiteral("Warning"), text});
    const Answer a = Next(TAnswer::Cancel);
    dontShowAgain = a.dontShowAgain;
    return a.answer;
}

QStringList TScriptedMessages::Captions() const
{
    QStringList list;
    for (const auto& m : shown)
        list.append(m.Caption);
    return list;
}

QStringList TScriptedMessages::Texts() const
{
    QStringList list;
    for (const auto& m : shown)
        list.append(m.Text);
    return list;
}

std::optional<QString> TScriptedFileDialogs::Next()
{
    if (answers.empty())
        return std::nullopt;
    const Answer a = answers.front();
    answers.pop_front();
    if (!a.Chosen)
        return std::nullopt;
    return a.Path;
}

std::optional<QString> TScriptedFileDialogs::OpenFile(
    const QString& title, const QString& filter, const QString& directory)
{
    requests.push_back({QStringLiteral("Open"), title, filter, directory, {}});
    return Next();
}

std::optional<QString> TScriptedFileDialogs::SaveFile(const QString& title, const QString& filter,
    const QString& directory, const QString& fileName, QString* chosenFilter)
{
    requests.push_back({QStringLiteral("Save"), title, filter, directory, fileName});
    const QString picked = answers.empty() || answers.front().Filter.isEmpty()
        ? filter.section(QStringLiteral(";;"), 0, 0)
        : answers.front().Filter;
    if (chosenFilter)
        *chosenFilter = picked;
    return Next();
}

std::optional<QString> TScriptedFileDialogs::Directory(const QString& title, const QString& directory)
{
    requests.push_back({QStringLiteral("Directory"), title, {}, directory, {}});
    return Next();
}

TScriptedSeams::TScriptedSeams()
{
    auto m = std::make_unique<TScriptedMessages>();
    auto f = std::make_unique<TScriptedFileDialogs>();
    auto s = std::make_unique<TScriptedShell>();
    messages = m.get();
    files = f.get();
    shell = s.get();
    oldMessages_ = SetMessageBoxes(std::move(m));
    oldFiles_ = SetFileDialogs(std::move(f));
    oldShell_ = SetShell(std::move(s));
}

TScriptedSeams::~TScriptedSeams()
{
    SetMessageBoxes(std::move(oldMessages_));
    SetFileDialogs(std::move(oldFiles_));
    SetShell(std::move(oldShell_));
}
