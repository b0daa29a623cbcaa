#include "core/publishing/mailheaders.h"

namespace {

QString WithoutControls(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u' ';
    return out;
}

bool IsPrintableAscii(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return false;
    return true;
}

bool IsAtext(QChar c)
{
    static const QString specials = QStringLiteral("!#$%&'*+-/=?^_`{|}~");
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')
        || specials.contains(c);
}

// UTF-8 encoded words of at most 75 characters, separated by folding white space.
QByteArray EncodedWords(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    qsizetype start = 0;
    while (start < utf8.size()) {
        qsizetype end = std::min(start + 45, utf8.size()); // 45 bytes -> 60 base64 characters
        while (end < utf8.size() && (quint8(utf8.at(end)) & 0xC0) == 0x80)
            --end; // never split a character
        if (!out.isEmpty())
            out += "\r\n ";
        out += "=?UTF-8?B?" + utf8.mid(start, end - start).toBase64() + "?=";
        start = end;
    }
    return out;
}

QString JoinNames(const QString& first, const QString& last)
{
    return first.trimmed() + u' ' + last.trimmed();
}

} // namespace

QByteArray EncodeUnstructured(const QString& text)
{
    const QString clean = WithoutControls(text);
    if (IsPrintableAscii(clean) && !clean.contains(QLatin1String("=?")))
        return clean.toLatin1();
    return EncodedWords(clean);
}

QByteArray EncodePhrase(const QString& text)
{
    const QString clean = WithoutControls(text).trimmed();
    if (!IsPrintableAscii(clean) || clean.contains(QLatin1String("=?")))
        return EncodedWords(clean);
    bool atoms = true;
    for (QChar c : clean)
        atoms = atoms && (IsAtext(c) || c == u' ');
    if (atoms)
        return clean.toLatin1();
    QString quoted = clean;
    quoted.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    return '"' + quoted.toLatin1() + '"';
}

QByteArray EncodeComment(const QString& text)
{
    const QString clean = WithoutControls(text);
    if (!IsPrintableAscii(clean) || clean.contains(QLatin1String("=?")))
        return '(' + EncodedWords(clean) + ')';
    QString escaped = clean;
    escaped.replace(u'\\', QStringLiteral("\\\\"))
        .replace(u'(', QStringLiteral("\\("))
        .replace(u')', QStringLiteral("\\)"));
    return '(' + escaped.toLatin1() + ')';
}

QByteArray NameAddress(const QString& name, const QString& address)
{
    const QByteArray phrase = EncodePhrase(name);
    const QByteArray addr = WithoutControls(address).trimmed().toUtf8();
    if (phrase.isEmpty())
        return addr;
    return phrase + " <" + addr + '>';
}

QByteArray ToHeader(int sendFormat, const QString& firstName, const QString& lastName, const QString& address)
{
    const QString names = JoinNames(firstName, lastName);
    const QByteArray addr = WithoutControls(address).trimmed().toUtf8();
    switch (sendFormat) {
    case 1:
    case 3:
    case 4:
    case 5:
        return NameAddress(names, address);
    case 2:
        return addr + ' ' + EncodeComment(names);
    case 6:
        return addr;
    default:
        return EncodeComment(names) + ' ' + addr;
    }
}

bool IsUsableAddress(const QString& address)
{
    const QString a = address.trimmed();
    if (a.isEmpty())
        return false;
    for (QChar c : a)
        if (c.unicode() <= 0x20 || c.unicode() == 0x7F || c == u'<' || c == u'>')
            return false;
    return true;
}
