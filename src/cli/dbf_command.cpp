// orvalle-cli dbf info FILE
// orvalle-cli dbf dump FILE [--filter EXPR] [--order TAG] [--deleted]
// orvalle-cli dbf seek FILE TAG KEY
// orvalle-cli dbf check FILE
// orvalle-cli dbf reindex FILE
// Looks into FoxPro tables (ours or anyone's) without changing them: the header as JSON, the
// records as JSON Lines, the first record a tag finds for a key, or a full check of the table
// and its index. Reindex is the one verb that writes: it builds every tag anew.

#include "xbase/table.h"
#include "xbase/tablecheck.h"

#include <QDate>
#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QTextStream>

#include <cmath>

using xbase::TSeekMode;
using xbase::TStatus;
using xbase::TTable;

namespace {

int Usage(QTextStream& err)
{
    err << "usage: orvalle-cli dbf info FILE\n"
           "       orvalle-cli dbf dump FILE [--filter EXPR] [--order TAG] [--deleted]\n"
           "       orvalle-cli dbf seek FILE TAG KEY\n"
           "       orvalle-cli dbf check FILE\n"
           "       orvalle-cli dbf reindex FILE\n";
    return 2;
}

QString JsonString(const QString& text)
{
    // A one-element array is the simplest way to have Qt escape a string for JSON.
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

QString JsonNumber(double v)
{
    if (!std::isfinite(v))
        return QStringLiteral("null");
    if (v == std::floor(v) && std::fabs(v) < 1e15)
        return QString::number(qint64(v));
    return QString::number(v, 'g', 15);
}

QString JsonValue(const TTable& table, int field)
{
    const QVariant v = table.FieldValue(field);
    if (v.isNull())
        return QStringLiteral("null");
    switch (v.typeId()) {
    case QMetaType::Double:
        return JsonNumber(v.toDouble());
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QMetaType::QDate:
        return JsonString(v.toDate().toString(Qt::ISODate));
    case QMetaType::QDateTime:
        return JsonString(v.toDateTime().toString(Qt::ISODate));
    default: {
        QString s = v.toString();
        while (s.endsWith(QLatin1Char(' ')))
            s.chop(1);
        return JsonString(s);
    }
    }
}

// The current record as one line of JSON, fields in table order.
QString RecordLine(const TTable& table)
{
    QString line = QStringLiteral("{\"_recno\":%1").arg(table.RecNo());
    if (table.Deleted())
        line += QStringLiteral(",\"_deleted\":true");
    for (int i = 0; i < table.FieldCount(); ++i) {
        const xbase::TFieldDef& f = table.Layout().Fields[size_t(i)];
        if (f.Type == '0')
            continue; // the hidden null-flags field of Visual FoxPro tables
        line += QLatin1Char(',') + JsonString(f.Name) + QLatin1Char(':') + JsonValue(table, i);
    }
    return line + QLatin1Char('}');
}

int Fail(QTextStream& err, const TStatus& st)
{
    err << st.Message() << "\n";
    return 1;
}

int Info(TTable& table, QTextStream& out)
{
    QJsonObject info;
    info[QStringLiteral("version")] = table.VersionByte();
    info[QStringLiteral("versionHex")]
        = QStringLiteral("0x%1").arg(table.VersionByte(), 2, 16, QLatin1Char('0'));
    info[QStringLiteral("codePage")] = table.CodePageMark();
    info[QStringLiteral("records")] = table.RecordCount();
    QJsonArray fields;
    for (const xbase::TFieldDef& f : table.Layout().Fields)
        fields.append(
            QJsonObject{{QStringLiteral("name"), f.Name}, {QStringLiteral("type"), QString(QChar(f.Type))},
                {QStringLiteral("width"), f.Width}, {QStringLiteral("decimals"), f.Decimals}});
    info[QStringLiteral("fields")] = fields;
    QJsonArray tags;
    for (int t = 1; t <= table.TagCount(); ++t) {
        const xbase::TTagInfo tag = table.TagInfo(t);
        tags.append(QJsonObject{{QStringLiteral("name"), tag.Name},
            {QStringLiteral("key"), tag.KeyExpression}, {QStringLiteral("for"), tag.ForExpression},
            {QStringLiteral("descending"), tag.Descending}, {QStringLiteral("unique"), tag.Unique}});
    }
    info[QStringLiteral("tags")] = tags;
    out << QJsonDocument(info).toJson(QJsonDocument::Compact) << "\n";
    return 0;
}

int Dump(TTable& table, const QStringList& options, QTextStream& out, QTextStream& err)
{
    for (int i = 0; i < options.size(); ++i) {
        const QString& o = options[i];
        if (o == QLatin1String("--deleted")) {
            table.SetDeletedVisible(true);
        } else if ((o == QLatin1String("--filter") || o == QLatin1String("--order"))
            && i + 1 < options.size()) {
            const QString value = options[++i];
            if (o == QLatin1String("--filter")) {
                const TStatus st = table.SetFilter(value);
                if (!st.ok())
                    return Fail(err, st);
            } else {
                const int tag = table.TagNumber(value);
                if (tag == 0) {
                    err << "no index tag " << value << "\n";
                    return 1;
                }
                (void)table.SetOrder(tag);
            }
        } else {
            return Usage(err);
        }
    }
    TStatus st = table.First();
    while (st.ok() && !table.Eof()) {
        out << RecordLine(table) << "\n";
        st = table.Skip();
    }
    return st.ok() ? 0 : Fail(err, st);
}

int Seek(TTable& table, const QString& tag, const QString& key, QTextStream& out, QTextStream& err)
{
    const int number = table.TagNumber(tag);
    if (number == 0) {
        err << "no index tag " << tag << "\n";
        return 1;
    }
    (void)table.SetOrder(number);
    if (!table.Seek(key, TSeekMode::Partial)) {
        err << "not found\n";
        return 1;
    }
    out << RecordLine(table) << "\n";
    return 0;
}

int Check(const QString& path, QTextStream& out, QTextStream& err)
{
    xbase::TTableCheck check;
    const TStatus st = xbase::CheckTable(path, &check);
    if (!st.ok())
        return Fail(err, st);
    for (const QString& line : check.Lines)
        out << line << "\n";
    if (check.Problems == 0) {
        out << "No problems found.\n";
        return 0;
    }
    out << check.Problems << (check.Problems == 1 ? " problem" : " problems")
        << " found. \"orvalle-cli dbf reindex " << path << "\" rebuilds the index.\n";
    return 1;
}

int Reindex(const QString& path, QTextStream& out, QTextStream& err)
{
    QElapsedTimer clock;
    clock.start();
    TTable table;
    TStatus st = table.Open(path);
    if (st.ok())
        st = table.Reindex();
    if (st.ok())
        st = table.Close();
    if (!st.ok())
        return Fail(err, st);
    TTable reopened;
    st = reopened.OpenReadOnly(path);
    if (!st.ok())
        return Fail(err, st);
    out << "Rebuilt " << reopened.TagCount() << (reopened.TagCount() == 1 ? " tag" : " tags") << " of "
        << path << " (" << reopened.RecordCount() << " records) in "
        << QString::number(double(clock.elapsed()) / 1000, 'f', 2) << " s.\n";
    return 0;
}

} // namespace

int RunDbfCommand(const QStringList& args)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (args.size() < 2)
        return Usage(err);
    const QString& verb = args[0];
    if (verb == QLatin1String("check") && args.size() == 2)
        return Check(args[1], out, err);
    if (verb == QLatin1String("reindex") && args.size() == 2)
        return Reindex(args[1], out, err);
    TTable table;
    const TStatus st = table.OpenReadOnly(args[1]);
    if (!st.ok())
        return Fail(err, st);
    if (verb == QLatin1String("info") && args.size() == 2)
        return Info(table, out);
    if (verb == QLatin1String("dump"))
        return Dump(table, args.mid(2), out, err);
    if (verb == QLatin1String("seek") && args.size() == 4)
        return Seek(table, args[2], args[3], out, err);
    return Usage(err);
}
