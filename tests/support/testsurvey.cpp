#include "support/testsurvey.h"

#include <QFile>

void FillFullSurvey(TSurvey& s)
{
    s.SetName("Customer \"satisfaction\" 2026");
    s.SetAuthor("  Ann Lee  ");
    s.SetPassword("secret");
    s.SetUniqueName("S261207150405");
    s.SetPublishMethod(2);
    s.SetDisplayTemplate("modern.ovg");
    s.SetProcessResponses(1);
    s.SetAccountID("acct-17");
    s.SetServerURL("http://example.org/scripts/orv.dll");
    s.SetResultURL("http://example.org/thanks.html");
    s.SetEMailAddress("survey@example.org");
    s.SetNotificationFile("/home/ann/list.eml");
    s.SetNotifyMessage("\"Dear <FirstName>:\",,\"Please, answer.\",,\"Regards, Ann\"");
    s.SetAllAddresses(true);
    s.SetAttachSurvey(true);
    s.SetSamplingPercent(25);
    s.SetIncomingDomain(true);
    s.SetDomain("example.org");
    s.SetOnly1Email(false);
    s.SetOnly1IP(true);
    s.SetLimitByIP(true);
    s.SetIPAddresses("192.168.,10.0.");
    s.SetServerStatus("Server verified");
    s.SetEMailStatus("Sent to 12 addresses");
    s.SetHTMLStatus("HTML file generated");
    s.SetHTMLFileName("/home/ann/survey.htm");
    s.SetServerMajorVer(2);
    s.SetServerMinorVer(5);
    s.SetSRLastUpdate("12/6/2026 10:00:00 AM");
    s.SetSRServerUpdate(QDateTime(QDate(2026, 12, 6), QTime(10, 0, 0)));
    s.SetSRResponseCount(42);
    s.SetSRResponseFile("/home/ann/responses.dbf");
    s.SetDataFileName("/home/ann/data.txt");
    s.SetInstructions("Line one\r\nLine two, with \"quotes\"\r\n  indented");
    s.SetFinalComments("Thank you!");
    s.SetRegistered(QDateTime(QDate(2026, 12, 5), QTime(9, 30, 0)));
    s.AddHistory("HTML file generated");
    s.SetHTMLLastUpdate(QDateTime(QDate(2026, 12, 5), QTime(0, 0)));

    s.AddHeader("About you");
    const int owner = s.AddQuestion(
        {"Do you own a car?\r\n", qsSingleSelect, "Yes~Y,No~N", 0, false, 40, true, 120, 0, 0, 0});
    const int m1 = s.AddQuestion(
        {"Which make?", qsPullDownList, "Ford,\"Rolls Royce~RR\",Other", 0, true, 60, false, 40, 0, 0, 0});
    const int m2 = s.AddQuestion({"How old is it?", qsNumericValue, "", 0, false, 40, false, 40, 0, 30, 5});
    s.GetQuestion(owner).SkipGroupOfResponse = 1;
    s.GetQuestion(m1).SkipGroupOfQuestion = s.GetQuestion(owner).ID;
    s.GetQuestion(m2).SkipGroupOfQuestion = s.GetQuestion(owner).ID;
    s.AddQuestion({"Hobbies", qsMultipleSelect, "Reading,\"Long walks\",\"\"\"Quoted\"\"\"", 0, true, 250,
        true, 30, 0, 0, 0});
    s.AddQuestion({"Rate us", qsSlidingScale, "1,2,3,4,5", 0, false, 40, false, 40, 0, 0, 0});
    s.AddHeader("Free text");
    s.AddQuestion({"Comments", qsFreeFormText, "", -1, false, 40, false, 40, 0, 0, 0});
    s.AddQuestion({"  Name (short)  ", qsFreeFormText, "", 50, false, 40, false, 40, 0, 0, 0});
    s.SetChartOptions(1, 3, false, 2, false, 4, 45);
    s.DeleteQuestion(s.AddQuestion({"deleted", qsSingleSelect, "a", 0, false, 40, false, 40, 0, 0, 0}));
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray MinimalSurveyFile(int questionCount, const QByteArray& extra)
{
    return "[Details]\r\nName=Minimal\r\nQuestionCount=" + QByteArray::number(questionCount)
        + "\r\nLastUpdated=12/7/2026 3:04:05 PM\r\nHTMLLastUpdate=12/30/1899\r\n"
          "SRServerUpdate=6/15/1963\r\nRegDate=12/30/1899\r\n"
        + extra;
}
