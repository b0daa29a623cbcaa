#include "core/base/commatext.h"
#include "core/publishing/mailheaders.h"
#include "core/publishing/mailmessage.h"

#include <gtest/gtest.h>

namespace {

TEST(MailHeaders, ToHeaderForms)
{
    struct Case {
        int Format;
        const char* First;
        const char* Last;
        const char* To;
    } cases[] = {
        {0, "Ann", "Lee", "(Ann Lee) a@x.org"},
        {1, "Ann", "Lee", "Ann Lee <a@x.org>"}, // "<Ann Lee> a@x.org" is no address
        {2, "Ann", "Lee", "a@x.org (Ann Lee)"},
        {3, "Ann", "Lee", "Ann Lee <a@x.org>"},
        {4, "Ann", "Lee", "Ann Lee <a@x.org>"},
        {5, "Ann", "Lee", "Ann Lee <a@x.org>"},
        {6, "Ann", "Lee", "a@x.org"},
        {9, "Ann", "Lee", "(Ann Lee) a@x.org"}, // unknown forms behave as 0
        {0, "", "", "( ) a@x.org"},
        {4, "", "", "a@x.org"},
        {4, "Lee,", "Jr. \"J\"", "\"Lee, Jr. \\\"J\\\"\" <a@x.org>"},
        {0, "A (x)", "B", "(A \\(x\\) B) a@x.org"},
        {4, "Zoë", "Ång", "=?UTF-8?B?Wm/DqyDDhW5n?= <a@x.org>"},
        {4, "Ann\r\nBcc: evil@x.org", "Lee", "\"Ann  Bcc: evil@x.org Lee\" <a@x.org>"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ToHeader(c.Format, QString::fromUtf8(c.First), QString::fromUtf8(c.Last), "a@x.org"),
            QByteArray(c.To))
            << c.Format << " " << c.First;
}

TEST(MailHeaders, SubjectsAndUsableAddresses)
{
    EXPECT_EQ(EncodeUnstructured("Coffee survey"), "Coffee survey");
    EXPECT_EQ(EncodeUnstructured(QString::fromUtf8("Café")), "=?UTF-8?B?Q2Fmw6k=?=");
    const QByteArray longSubject = EncodeUnstructured(QString::fromUtf8("Ünïcödé ").repeated(12));
    for (const QByteArray& word : longSubject.split('\n'))
        EXPECT_LE(word.trimmed().size(), 75);
    EXPECT_FALSE(EncodeUnstructured("a\r\nBcc: x").contains('\n'));
    EXPECT_TRUE(IsUsableAddress(" a@x.org "));
    for (const char* bad : {"", "   ", "a b@x", "a@x\r\nRCPT TO:<y>", "<a@x>"})
        EXPECT_FALSE(IsUsableAddress(bad)) << bad;
}

TEST(MailMessage, MergeReplacesEveryPlaceholderInOrder)
{
    const QString message = JoinCommaText({"Dear <FirstName> <FirstName>:", "",
        "<SurveyTitle> by <SurveyAuthor>", "<LastName>, <EmailAddress>", "<firstname> stays"});
    const QString merged = MergeMessage(message, {"Ann", "<LastName>", "a@x", "T", "Me"});
    EXPECT_EQ(merged, "Dear Ann Ann:\r\n\r\nT by Me\r\n<LastName>, a@x\r\n<firstname> stays\r\n");
}

TEST(MailMessage, QuotedPrintableKeepsLinesShortAndEscapesWhatItMust)
{
    EXPECT_EQ(QuotedPrintable("plain\r\n"), "plain\r\n");
    EXPECT_EQ(QuotedPrintable(QString::fromUtf8("é=1 \r\n.dot\r\n")), "=C3=A9=3D1=20\r\n=2Edot\r\n");
    const QByteArray wrapped = QuotedPrintable(QString(200, u'x'));
    for (const QByteArray& line : wrapped.split('\n'))
        EXPECT_LE(line.size(), 77);
}

TEST(MailMessage, ComposedMessageCarriesTheMailerAndTheAttachment)
{
    const TMailAttachment page = MakeAttachment("/tmp/folder/survey.htm", QByteArray(1000, 'p'));
    TMailContent content;
    content.From = NameAddress("Survey Team", "team@x.org");
    content.To = "a@x.org";
    content.Subject = "S";
    content.Body = "Hi\r\n";
    content.Attachment = &page;
    const QByteArray m = ComposeMessage(content);
    EXPECT_TRUE(m.contains("\r\nX-Mailer: Orvalle\r\n"));
    EXPECT_TRUE(m.contains("From: Survey Team <team@x.org>\r\n"));
    EXPECT_TRUE(m.contains("filename=\"survey.htm\""));
    EXPECT_TRUE(m.contains("Content-Type: multipart/mixed; boundary="));
}

} // namespace
