#include "core/authoring/stocktemplates.h"

#include "core/base/profilefile.h"

#include <QFileInfo>

namespace {

bool WriteTemplate(const QString& path, const QString& title, const QStringList& values)
{
    if (QFileInfo::exists(path))
        return true;
    TProfileFile file;
    file.WriteString(QStringLiteral("Details"), QStringLiteral("Title"), title);
    for (int i = 0; i < values.size(); ++i)
        file.WriteString(QStringLiteral("Values"), QString::number(i + 1), values[i]);
    return file.Save(path);
}

} // namespace

bool WriteDefaultTemplates(const QString& dataDirectory)
{
    const bool yesNo = WriteTemplate(dataDirectory + QStringLiteral("yesno.ovt"), QStringLiteral("Yes / No"),
        {QStringLiteral("Yes"), QStringLiteral("No"), QStringLiteral("Don't Know")});
    const bool agree
        = WriteTemplate(dataDirectory + QStringLiteral("agree.ovt"), QStringLiteral("Agree / Disagree"),
            {QStringLiteral("Strongly Agree"), QStringLiteral("Agree"), QStringLiteral("Neutral"),
                QStringLiteral("Disagree"), QStringLiteral("Strongly Disagree")});
    return yesNo && agree;
}
