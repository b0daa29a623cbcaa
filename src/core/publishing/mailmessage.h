#pragma once

// One invitation: the survey's message with the recipient merged in, and its MIME form.

#include <QByteArray>
#include <QString>

// The values merged into the message template.
struct TMergeValues {
    QString FirstName;
    QString LastName;
    QString Email;
    QString SurveyTitle;
    QString SurveyAuthor;
};

// The template's lines (comma text, one item a line) joined with CR LF after each line, and the
// placeholders <FirstName>, <LastName>, <EmailAddress>, <SurveyTitle> and <SurveyAuthor> replaced
// in that order, each everywhere it occurs (case counts; inserted text is not searched again
// for the same placeholder).
QString MergeMessage(const QString& notifyMessage, const TMergeValues& values);

// The web page sent along, read once for the whole run.
struct TMailAttachment {
    QString FileName; // the name shown to the recipient (no folder)
    QByteArray Base64Lines; // the content in base64, 76 characters and CR LF a line
};
TMailAttachment MakeAttachment(const QString& fileName, const QByteArray& content);

struct TMailContent {
    QByteArray From; // header value, already encoded
    QByteArray To; // header value, already encoded
    QString Subject;
    QString Body; // lines separated by CR LF
    const TMailAttachment* Attachment = nullptr;
};

// The whole message with CR LF line ends: Date, From, To, Subject (encoded words when needed),
// Message-ID, MIME-Version, X-Mailer: Orvalle, and a UTF-8 plain-text body in quoted-printable;
// with an attachment, multipart/mixed with the page as its second part.
QByteArray ComposeMessage(const TMailContent& content);

// Quoted-printable of UTF-8 text with CR LF line breaks (lines of at most 76 characters).
QByteArray QuotedPrintable(const QString& text);
