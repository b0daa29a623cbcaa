#include "core/publishing/mailmessage.h"

#include "core/base/clock.h"
#include "core/base/commatext.h"
#include "core/base/utils.h"
#include "core/publishing/mailheaders.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringList>

namespace {

QByteArray EncodeLineQP(const QByteArray& line)
{
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    int column = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const quint8 b = quint8(line.at(i));
        const bool last = i + 1 == line.size();
        const bool plain = (b >= 33 && b <= 126 && b != '=') || ((b == ' ' || b == '\t') && !last);
        // A line that starts with a dot stays clear of the SMTP end-of-data mark in any transport.
        const bool encode = !plain || (column == 0 && b == '.');
        QByteArray piece(1, char(b));
        if (encode) {
            const char escaped[3] = {'=', hex[b >> 4], hex[b & 15]};
            piece = QByteArray(escaped, 3);
        }
        if (column + piece.size() > 75) {
            out += "=\r\n";
            column = 0;
        }
        out += piece;
        column += int(piece.size());
    }
    return out;
}

QByteArray MessageId(const QByteArray& from)
{
    const qsizetype at = from.lastIndexOf('@');
    QByteArray domain = at >= 0 ? from.mid(at + 1) : QByteArray("orvalle.invalid");
    domain = domain.left(domain.indexOf('>') >= 0 ? domain.indexOf('>') : domain.size());
    if (domain.isEmpty())
        domain = "orvalle.invalid";
    const quint64 r = QRandomGenerator::global()->generate64();
    return '<' + QByteArray::number(Now().toMSecsSinceEpoch()) + '.' + QByteArray::number(r, 36) + '@'
        + domain + '>';
}

QByteArray FilenameParameter(const QString& name)
{
    bool ascii = true;
    for (QChar c : name)
        ascii = ascii && c.unicode() > 0x20 && c.unicode() < 0x7F && c != u'"' && c != u'\\';
    if (ascii)
        return "filename=\"" + name.toLatin1() + '"';
    return "filename*=UTF-8''" + name.toUtf8().toPercentEncoding();
}

QByteArray Headers(const TMailContent& content)
{
    QByteArray h;
    h += "Date: " + Now().toString(Qt::RFC2822Date).toLatin1() + "\r\n";
    h += "From: " + content.From + "\r\n";
    h += "To: " + content.To + "\r\n";
    h += "Subject: " + EncodeUnstructured(content.Subject) + "\r\n";
    h += "Message-ID: " + MessageId(content.From) + "\r\n";
    h += "MIME-Version: 1.0\r\n";
    h += "X-Mailer: Orvalle\r\n";
    return h;
}

const char kTextPart[] = "Content-Type: text/plain; charset=UTF-8\r\n"
                         "Content-Transfer-Encoding: quoted-printable\r\n";

} // namespace

QString MergeMessage(const QString& notifyMessage, const TMergeValues& values)
{
    QString text;
    for (const QString& line : SplitCommaText(notifyMessage))
        text += line + QStringLiteral("\r\n");
    text = ReplaceAll(text, QStringLiteral("<FirstName>"), values.FirstName);
    text = ReplaceAll(text, QStringLiteral("<LastName>"), values.LastName);
    text = ReplaceAll(text, QStringLiteral("<EmailAddress>"), values.Email);
    text = ReplaceAll(text, QStringLiteral("<SurveyTitle>"), values.SurveyTitle);
    text = ReplaceAll(text, QStringLiteral("<SurveyAuthor>"), values.SurveyAuthor);
    return text;
}

QByteArray QuotedPrintable(const QString& text)
{
    QString normal = text;
    normal.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    const QList<QByteArray> lines = normal.toUtf8().split('\n');
    QByteArray out;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i + 1 == lines.size() && lines.at(i).isEmpty())
            break; // the text ended with a line break
        out += EncodeLineQP(lines.at(i)) + "\r\n";
    }
    return out;
}

TMailAttachment MakeAttachment(const QString& fileName, const QByteArray& content)
{
    TMailAttachment a;
    a.FileName = QFileInfo(fileName).fileName();
    const QByteArray b64 = content.toBase64();
    a.Base64Lines.reserve(b64.size() + b64.size() / 76 * 2 + 2);
    for (qsizetype i = 0; i < b64.size(); i += 76)
        a.Base64Lines += b64.mid(i, 76) + "\r\n";
    return a;
}

QByteArray ComposeMessage(const TMailContent& content)
{
    QByteArray m = Headers(content);
    const QByteArray body = QuotedPrintable(content.Body);
    if (!content.Attachment)
        return m + kTextPart + "\r\n" + body;
    const QByteArray boundary
        = "=_orvalle_" + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
    m += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\r\n\r\n";
    m += "This is a message in MIME format.\r\n";
    m += "--" + boundary + "\r\n" + kTextPart + "\r\n" + body;
    const TMailAttachment& a = *content.Attachment;
    m += "--" + boundary + "\r\n";
    m += "Content-Type: text/html; charset=UTF-8\r\n";
    m += "Content-Transfer-Encoding: base64\r\n";
    m += "Content-Disposition: attachment; " + FilenameParameter(a.FileName) + "\r\n\r\n";
    m += a.Base64Lines;
    m += "--" + boundary + "--\r\n";
    return m;
}
