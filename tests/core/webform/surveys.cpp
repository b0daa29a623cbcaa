#include "surveys.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace {

QString TestDir()
{
    return QStringLiteral(ORVALLE_SOURCE_DIR "/tests/core/webform/");
}

} // namespace

int AddItem(TSurvey& survey, const TItemSpec& item, int id)
{
    const int index = item.Style == qsHeader ? survey.AddHeader(item.Text)
                                             : survey.AddQuestion({item.Text, item.Style, item.Options,
                                                 item.Length, item.Other, 35, item.Comment, 120, 0, 10, 1});
    survey.GetQuestion(index).ID = id;
    return index;
}

std::unique_ptr<TSurvey> AllStylesSurvey()
{
    auto survey = std::make_unique<TSurvey>();
    survey->NewSurvey();
    const TItemSpec items[] = {
        {"Are you a member?", qsSingleSelect, "Yes,No", 0, true, true},
        {"Your visit", qsHeader, ""},
        {"Which rooms did you use?", qsMultipleSelect, "Lobby,\"Meeting room\",Café", 0, true, true},
        {"Rate the staff", qsSlidingScale, "\"Very poor~1\",Poor~2,Fair~3,Good~4,\"Very good~5\"", 0, true,
            true},
        {"Your name", qsFreeFormText, "", 25, false, true},
        {"Your story", qsFreeFormText, "", -1, false, false},
        {"How did you travel?", qsPullDownList, "Car,Bus,Bike", 0, true, true},
        {"Pick a day", qsPullDownList, "Mon,Tue", 0, false, false},
        {"Your age", qsNumericValue, "", 0, false, true},
        {"Rate the food", qsSlidingScale, "Bad,Good", 0, false, false},
    };
    int id = 11;
    for (const TItemSpec& item : items)
        AddItem(*survey, item, id++);
    survey->Renumber();
    return survey;
}

std::unique_ptr<TSurvey> SkipGroupSurvey()
{
    auto survey = std::make_unique<TSurvey>();
    survey->NewSurvey();
    const int owner = AddItem(*survey, {"Do you drive?", qsSingleSelect, "Yes,No,Sometimes"}, 1);
    AddItem(*survey, {"Which car?", qsFreeFormText, "", 30}, 2);
    AddItem(*survey, {"How far?", qsNumericValue, ""}, 3);
    const int second = AddItem(*survey, {"Any pets?", qsSingleSelect, "Yes,No"}, 4);
    AddItem(*survey, {"Pet name", qsFreeFormText, "", 20}, 5);
    survey->GetQuestion(owner).SkipGroupOfResponse = 1;
    survey->GetQuestion(1).SkipGroupOfQuestion = 1;
    survey->GetQuestion(2).SkipGroupOfQuestion = 1;
    survey->GetQuestion(second).SkipGroupOfResponse = 1;
    survey->GetQuestion(4).SkipGroupOfQuestion = 4;
    survey->Renumber();
    return survey;
}

QByteArray ReadTestFile(const QString& relativePath)
{
    QFile file(TestDir() + relativePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QString CompareWithGolden(const QString& goldenName, const QByteArray& actual)
{
    const QString path = TestDir() + QStringLiteral("golden/") + goldenName;
    if (qEnvironmentVariableIntValue("ORVALLE_UPDATE_GOLDEN") == 1) {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(actual) != actual.size() || !file.commit())
            return QStringLiteral("cannot write ") + path;
        return {};
    }
    const QByteArray expected = ReadTestFile(QStringLiteral("golden/") + goldenName);
    if (expected == actual)
        return {};
    qsizetype at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    return QStringLiteral("%1 differs at byte %2: expected \"%3\", got \"%4\"")
        .arg(goldenName)
        .arg(at)
        .arg(QString::fromUtf8(expected.mid(at, 60)), QString::fromUtf8(actual.mid(at, 60)));
}
