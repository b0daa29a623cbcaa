#include "core/base/commatext.h"

namespace {

bool IsBlankOrControl(QChar c)
{
    return c.unicode() <= u' ';
}

bool NeedsQuotes(const QString& item)
{
    for (const QChar c : item)
        if (IsBlankOrControl(c) || c == u',' || c == u'"')
            return true;
    return false;
}

void SkipBlanks(const QString& text, qsizetype& i)
{
    while (i < text.size() && IsBlankOrControl(text[i]))
        ++i;
}

// Reads a quoted item starting at the opening quote; leaves i after the closing quote.
QString ReadQuoted(const QString& text, qsizetype& i)
{
    QString item;
    ++i;
    while (i < text.size()) {
        const QChar c = text[i++];
        if (c != u'"') {
            item += c;
            continue;
        }
        if (i < text.size() && text[i] == u'"') {
            item += c;
            ++i;
            continue;
        }
        break;
    }
    return item;
}

} // namespace

QString QuoteCommaItem(const QString& item)
{
    if (!NeedsQuotes(item))
        return item;
    QString quoted = item;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return u'"' + quoted + u'"';
}

QString JoinCommaText(const QStringList& items)
{
    if (items.size() == 1 && items.front().isEmpty())
        return QStringLiteral("\"\"");
    QString text;
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (i > 0)
            text += u',';
        text += QuoteCommaItem(items[i]);
    }
    return text;
}

QStringList SplitCommaText(const QString& text)
{
    QStringList items;
    qsizetype i = 0;
    SkipBlanks(text, i);
    while (i < text.size()) {
        if (text[i] == u'"') {
            items.append(ReadQuoted(text, i));
        } else {
            const qsizetype start = i;
            while (i < text.size() && !IsBlankOrControl(text[i]) && text[i] != u',')
                ++i;
            items.append(text.mid(start, i - start));
        }
        SkipBlanks(text, i);
        if (i < text.size() && text[i] == u',') {
            if (i + 1 == text.size())
                items.append(QString());
            ++i;
            SkipBlanks(text, i);
        }
    }
    return items;
}
