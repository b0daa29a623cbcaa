#include "core/survey/orvinifile.h"

#include "core/base/commatext.h"
#include "core/base/datetimetext.h"

std::optional<QDateTime> TORVIniFile::ReadDateTime(const QString& section, const QString& key) const
{
    const auto text = Value(section, key);
    if (!text)
        return std::nullopt;
    return ParseDateTimeText(*text);
}

void TORVIniFile::WriteDateTime(const QString& section, const QString& key, const QDateTime& value)
{
    WriteString(section, key, FormatDateTimeText(value));
}

QString EncodeOptions(const QString& options)
{
    QString stored;
    for (const QString& item : SplitCommaText(options)) {
        stored += item;
        stored += u'|';
    }
    return stored;
}

QString DecodeOptions(const QString& stored)
{
    QStringList items;
    qsizetype start = 0;
    for (qsizetype i = 0; i < stored.size(); ++i) {
        if (stored[i] != u'|')
            continue;
        items.append(stored.mid(start, i - start));
        start = i + 1;
    }
    return JoinCommaText(items);
}
