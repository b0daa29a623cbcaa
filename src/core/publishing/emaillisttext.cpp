#include "core/publishing/emaillisttext.h"

#include "core/base/textfile.h"
#include "core/base/utils.h"

using namespace emaillist;

namespace {

// Splits one record of import text starting at `pos`; moves `pos` past the record's line end.
// `unclosed` tells that the text ended inside a quoted field.
QStringList SplitRecord(const QString& text, qsizetype& pos, bool& unclosed)
{
    QStringList fields;
    QString field;
    bool quoted = false; // inside a field that began with a quote
    bool fieldStart = true;
    const qsizetype n = text.size();
    while (pos < n) {
        const QChar c = text.at(pos++);
        if (quoted) {
            if (c == u'"' && pos < n && text.at(pos) == u'"') {
                field += c;
                ++pos;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
            continue;
        }
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && pos < n && text.at(pos) == u'\n')
                ++pos;
            break;
        }
        if (c == u'"' && fieldStart) {
            quoted = true;
            fieldStart = false;
            continue;
        }
        if (c == u',') {
            fields.append(field);
            field.clear();
            fieldStart = true;
            continue;
        }
        field += c;
        fieldStart = false;
    }
    fields.append(field);
    unclosed = quoted;
    return fields;
}

// The line number (from 1) at which `pos` lies.
int LineAt(const QString& text, qsizetype pos)
{
    int line = 1;
    for (qsizetype i = 0; i < pos; ++i) {
        const bool crlf = text.at(i) == u'\r' && i + 1 < pos && text.at(i + 1) == u'\n';
        if (text.at(i) == u'\n' || (text.at(i) == u'\r' && !crlf))
            ++line;
    }
    return line;
}

QString TrimRight(const QString& s)
{
    qsizetype end = s.size();
    while (end > 0 && s.at(end - 1) == u' ')
        --end;
    return s.left(end);
}

QString CsvField(const QString& text)
{
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\r') && !text.contains(u'\n'))
        return text;
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

const int kWidths[3] = {NameWidth, NameWidth, EmailWidth};

void AppendTextExport(const std::vector<TEmailPerson>& people, QString& out)
{
    const char* names[3] = {FirstName, LastName, Email};
    for (int i = 0; i < 3; ++i)
        out += FitWidth(QString::fromLatin1(names[i]), kWidths[i]);
    out += QStringLiteral("\r\n");
    for (int width : kWidths)
        out += RepeatString(QStringLiteral("-"), width - 1) + u' ';
    out += QStringLiteral("\r\n");
    for (const TEmailPerson& p : people) {
        out += FitWidth(p.FirstName, kWidths[0]);
        out += FitWidth(p.LastName, kWidths[1]);
        out += FitWidth(p.Email, kWidths[2]);
        out += QStringLiteral("\r\n");
    }
}

void AppendCsvExport(const std::vector<TEmailPerson>& people, QString& out)
{
    out += QStringLiteral("FNAME,LNAME,EMAIL\r\n");
    for (const TEmailPerson& p : people)
        out += CsvField(p.FirstName) + u',' + CsvField(p.LastName) + u',' + CsvField(p.Email)
            + QStringLiteral("\r\n");
}

} // namespace

std::vector<TEmailPerson> ParseImportText(const QString& text, QString* error)
{
    std::vector<TEmailPerson> people;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype start = pos;
        bool unclosed = false;
        QStringList fields = SplitRecord(text, pos, unclosed);
        if (unclosed) {
            if (error)
                *error = QStringLiteral(
                    "Line %1 opens a quoted field that is never closed; nothing was imported.")
                             .arg(LineAt(text, start));
            return {};
        }
        fields.last() = TrimRight(fields.last());
        while (fields.size() < 3)
            fields.append(QString());
        people.push_back({fields.at(0), fields.at(1), fields.at(2)});
    }
    return people;
}

QString ImportListText(TEmailList& list, const QString& path)
{
    QByteArray bytes;
    QString error;
    if (!ReadFileBytes(path, bytes, &error))
        return error;
    const std::vector<TEmailPerson> people = ParseImportText(DecodeFileText(bytes), &error);
    if (!error.isEmpty())
        return error;
    return list.AddMany(people);
}

QByteArray FormatExport(const std::vector<TEmailPerson>& people, TListTextFormat format)
{
    QString out;
    if (format == TListTextFormat::Text)
        AppendTextExport(people, out);
    else
        AppendCsvExport(people, out);
    return out.toUtf8();
}

QString ExportListText(TEmailList& list, const QString& path, TListTextFormat format)
{
    if (!list.IsOpen())
        return QStringLiteral("No list is open");
    std::vector<TEmailPerson> people;
    for (TEmailRow& row : list.RowsInOrder())
        people.push_back(std::move(row.Person));
    QString error;
    if (!WriteFileAtomically(path, FormatExport(people, format), &error))
        return error;
    return {};
}

TListTextFormat FormatForFileName(const QString& path)
{
    return path.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive) ? TListTextFormat::Text
                                                                     : TListTextFormat::Csv;
}

QString EnsureExportExtension(const QString& path, TListTextFormat format)
{
    const QLatin1String ext(format == TListTextFormat::Text ? ".txt" : ".csv");
    return path.endsWith(ext, Qt::CaseInsensitive) ? path : path + ext;
}
