#include "xbase/dbfheader.h"

#include "xbase/codepage.h"

#include <QDateTime>

#include <cmath>
#include <cstring>

namespace xbase {

namespace {

quint32 Le32(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint32(u[0]) | quint32(u[1]) << 8 | quint32(u[2]) << 16 | quint32(u[3]) << 24;
}

quint16 Le16(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint16(u[0] | u[1] << 8);
}

void PutLe32(char* p, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = char((v >> (8 * i)) & 0xFF);
}

void PutLe16(char* p, quint16 v)
{
    p[0] = char(v & 0xFF);
    p[1] = char(v >> 8);
}

bool KnownVersion(quint8 v)
{
    switch (v) {
    case 0x02:
    case 0x03:
    case 0x30:
    case 0x31:
    case 0x32:
    case 0x83:
    case 0xF5:
    case 0xFB:
        return true;
    default:
        return false;
    }
}

bool BinaryField(const TFieldDef& f, bool vfp)
{
    switch (f.Type) {
    case 'I':
    case 'B':
    case 'Y':
    case 'T':
    case '0':
        return true;
    case 'M':
    case 'G':
    case 'P':
        return vfp && f.Width == 4;
    default:
        return false;
    }
}

QString Trimmed(const char* p, int width)
{
    int b = 0, e = width;
    while (b < e && (p[b] == ' ' || p[b] == '\0'))
        ++b;
    while (e > b && (p[e - 1] == ' ' || p[e - 1] == '\0'))
        --e;
    return QString::fromLatin1(p + b, e - b);
}

QDate DateOf(const char* p)
{
    bool ok = false;
    const int v = QByteArray(p, 8).toInt(&ok);
    if (!ok)
        return {};
    return QDate(v / 10000, v / 100 % 100, v % 100);
}

} // namespace

bool IsMemoType(char type)
{
    return type == 'M' || type == 'G' || type == 'P';
}
bool IsNumericType(char type)
{
    return type == 'N' || type == 'F' || type == 'I' || type == 'B' || type == 'Y';
}

bool TDbfHeader::HasMemoFields() const
{
    for (const TFieldDef& f : Layout.Fields)
        if (IsMemoType(f.Type))
            return true;
    return false;
}

TStatus ReadDbfHeader(TFile& file, TDbfHeader* header)
{
    const qint64 size = file.Size();
    if (size < 0)
        return TStatus::Error(QStringLiteral("Cannot read the table file"));
    QByteArray head(32, '\0');
    if (size < 32 || file.ReadAt(0, head.data(), 32) != 32)
        return TStatus::Error(QStringLiteral("The table file is too short to be a table"));
    const int headerLength = Le16(head.constData() + 8);
    if (headerLength < 33 || headerLength > size)
        return TStatus::Error(
            QStringLiteral("The table header is damaged (header length %1)").arg(headerLength));
    QByteArray bytes(headerLength, '\0');
    if (file.ReadAt(0, bytes.data(), headerLength) != headerLength)
        return TStatus::Error(QStringLiteral("Cannot read the table header"));
    return ParseDbfHeader(bytes, size, header);
}

TStatus ParseDbfHeader(const QByteArray& bytes, qint64 fileSize, TDbfHeader* h)
{
    if (bytes.size() < 33)
        return TStatus::Error(QStringLiteral("The table file is too short to be a table"));
    const char* p = bytes.constData();
    h->Version = quint8(p[0]);
    if (!KnownVersion(h->Version))
        return TStatus::Error(QStringLiteral("Not a FoxPro table (version byte 0x%1)")
                                  .arg(h->Version, 2, 16, QLatin1Char('0')));
    h->StoredCount = Le32(p + 4);
    h->HeaderLength = Le16(p + 8);
    const int recordLength = Le16(p + 10);
    h->Flags = quint8(p[28]);
    h->CodePageMark = quint8(p[29]);
    if (h->HeaderLength < 33 || h->HeaderLength > bytes.size() || h->HeaderLength > fileSize)
        return TStatus::Error(
            QStringLiteral("The table header is damaged (header length %1)").arg(h->HeaderLength));
    if (recordLength < 2)
        return TStatus::Error(
            QStringLiteral("The table header is damaged (record length %1)").arg(recordLength));

    h->Layout = TRecordLayout();
    int offset = 1;
    const bool vfp = h->IsVfp();
    for (int pos = 32; pos < h->HeaderLength && p[pos] != '\r'; pos += 32) {
        if (pos + 32 > h->HeaderLength)
            return TStatus::Error(QStringLiteral("The table header is damaged (field list not terminated)"));
        const char* d = p + pos;
        int nameLength = 0;
        while (nameLength < 11 && d[nameLength] != '\0')
            ++nameLength;
        TFieldDef f;
        f.Name = QString::fromLatin1(d, nameLength).trimmed().toUpper();
        f.Type = char(std::toupper(static_cast<unsigned char>(d[11])));
        f.Width = quint8(d[16]);
        f.Decimals = quint8(d[17]);
        f.Offset = offset;
        bool nameOk = !f.Name.isEmpty();
        for (QChar c : f.Name)
            nameOk = nameOk && c.unicode() > 32 && c.unicode() < 127;
        if (!nameOk)
            return TStatus::Error(QStringLiteral("The table header is damaged (field %1 has no valid name)")
                                      .arg(h->Layout.Fields.size() + 1));
        if (f.Width == 0)
            return TStatus::Error(
                QStringLiteral("The table header is damaged (field %1 has width 0)").arg(f.Name));
        const bool fixed8 = f.Type == 'B' || f.Type == 'Y' || f.Type == 'T';
        if ((f.Type == 'D' && f.Width != 8) || (fixed8 && f.Width != 8) || (f.Type == 'I' && f.Width != 4)
            || (IsMemoType(f.Type) && f.Width != 4 && f.Width != 10))
            return TStatus::Error(
                QStringLiteral("The table header is damaged (field %1 of type %2 has width %3)")
                    .arg(f.Name, QString(QChar(f.Type)), QString::number(f.Width)));
        if (IsMemoType(f.Type) && f.Width == 4 && !vfp)
            return TStatus::Error(QStringLiteral("The table header is damaged (binary memo pointer in a "
                                                 "table that is not a Visual FoxPro table)"));
        offset += f.Width;
        h->Layout.Fields.push_back(f);
        if (h->Layout.Fields.size() > 255)
            return TStatus::Error(QStringLiteral("The table header is damaged (more than 255 fields)"));
    }
    if (h->Layout.Fields.empty())
        return TStatus::Error(QStringLiteral("The table has no fields"));
    if (offset > recordLength)
        return TStatus::Error(
            QStringLiteral("The table header is damaged (fields need %1 bytes, records hold %2)")
                .arg(offset)
                .arg(recordLength));
    h->Layout.RecordLength = recordLength;
    h->Layout.Encoding = EncodingForMark(h->CodePageMark);
    const qint64 room = (fileSize - h->HeaderLength) / recordLength;
    h->RecordCount = quint32(std::min<qint64>(h->StoredCount, room));
    h->Raw = bytes.left(h->HeaderLength);
    return TStatus::Ok();
}

QByteArray BuildDbfHeader(TDbfHeader& h)
{
    const int n = int(h.Layout.Fields.size());
    h.HeaderLength = 32 + 32 * n + 1 + (h.IsVfp() ? 263 : 0);
    QByteArray raw(h.HeaderLength, '\0');
    char* p = raw.data();
    p[0] = char(h.Version);
    int offset = 1;
    for (int i = 0; i < n; ++i) {
        TFieldDef& f = h.Layout.Fields[size_t(i)];
        f.Offset = offset;
        char* d = p + 32 + 32 * i;
        const QByteArray name = f.Name.toLatin1().left(10);
        std::memcpy(d, name.constData(), size_t(name.size()));
        d[11] = f.Type;
        // FoxPro 2.x readers take the displacement from the field widths; writing it too costs
        // nothing and helps Visual FoxPro.
        PutLe32(d + 12, quint32(offset));
        d[16] = char(f.Width);
        d[17] = char(f.Decimals);
        offset += f.Width;
    }
    p[32 + 32 * n] = '\r';
    h.Layout.RecordLength = offset;
    PutLe16(p + 8, quint16(h.HeaderLength));
    PutLe16(p + 10, quint16(offset));
    p[28] = char(h.Flags);
    p[29] = char(h.CodePageMark);
    StampHeader(raw, h.RecordCount);
    h.StoredCount = h.RecordCount;
    h.Raw = raw;
    return raw;
}

void StampHeader(QByteArray& raw, quint32 count)
{
    const QDate today = QDate::currentDate();
    raw[1] = char(today.year() % 100);
    raw[2] = char(today.month());
    raw[3] = char(today.day());
    PutLe32(raw.data() + 4, count);
}

QString FieldDisplayText(const char* record, const TFieldDef& f, TTextEncoding encoding)
{
    const char* p = record + f.Offset;
    switch (f.Type) {
    case 'C':
    case 'V': {
        int e = f.Width;
        while (e > 0 && (p[e - 1] == ' ' || p[e - 1] == '\0'))
            --e;
        return DecodeText(p, e, encoding);
    }
    case 'N':
    case 'F':
    case 'D':
        return Trimmed(p, f.Width);
    case 'L':
        if (std::strchr("TtYy", p[0]) && p[0])
            return QStringLiteral("T");
        if (std::strchr("FfNn", p[0]) && p[0])
            return QStringLiteral("F");
        return QString();
    case 'I':
        return QString::number(qint32(Le32(p)));
    case 'B':
    case 'Y':
        return QString::number(FieldNumeric(record, f), 'f', f.Type == 'Y' ? 4 : f.Decimals);
    case 'T': {
        const QVariant v = FieldTypedValue(record, f, encoding);
        return v.isNull() ? QString() : v.toDateTime().toString(QStringLiteral("yyyyMMddHHmmss"));
    }
    default:
        return QString();
    }
}

double FieldNumeric(const char* record, const TFieldDef& f)
{
    const char* p = record + f.Offset;
    switch (f.Type) {
    case 'N':
    case 'F': {
        bool ok = false;
        const double v = QByteArray(p, f.Width).trimmed().toDouble(&ok);
        return ok ? v : 0;
    }
    case 'I':
        return double(qint32(Le32(p)));
    case 'B': {
        double v;
        std::memcpy(&v, p, 8); // little-endian IEEE, as the host
        return std::isfinite(v) ? v : 0;
    }
    case 'Y': {
        qint64 v;
        std::memcpy(&v, p, 8);
        return double(v) / 10000.0;
    }
    default:
        return 0;
    }
}

bool FieldIsBlank(const char* record, const TFieldDef& f)
{
    const char* p = record + f.Offset;
    switch (f.Type) {
    case 'I':
    case 'B':
    case 'Y':
        return FieldNumeric(record, f) == 0;
    case 'T':
        return Le32(p) == 0;
    case 'M':
    case 'G':
    case 'P':
        return MemoBlock(record, f) == 0;
    case 'N':
    case 'F':
        return Trimmed(p, f.Width).isEmpty() || FieldNumeric(record, f) == 0;
    case 'L':
        return !(p[0] && std::strchr("TtYy", p[0]));
    default:
        for (int i = 0; i < f.Width; ++i)
            if (p[i] != ' ' && p[i] != '\0')
                return false;
        return true;
    }
}

quint32 MemoBlock(const char* record, const TFieldDef& f)
{
    const char* p = record + f.Offset;
    if (f.Width == 4)
        return Le32(p);
    quint64 v = 0;
    for (int i = 0; i < f.Width; ++i) {
        if (p[i] >= '0' && p[i] <= '9')
            v = v * 10 + quint64(p[i] - '0');
        else if (p[i] != ' ' && p[i] != '\0')
            return 0;
        if (v > 0xFFFFFFFFull)
            return 0;
    }
    return quint32(v);
}

void SetMemoBlock(char* record, const TFieldDef& f, quint32 block)
{
    char* p = record + f.Offset;
    if (f.Width == 4) {
        PutLe32(p, block);
        return;
    }
    std::memset(p, ' ', size_t(f.Width));
    if (block == 0)
        return;
    const QByteArray digits = QByteArray::number(block).right(f.Width);
    std::memcpy(p + f.Width - digits.size(), digits.constData(), size_t(digits.size()));
}

QVariant FieldTypedValue(const char* record, const TFieldDef& f, TTextEncoding encoding)
{
    const char* p = record + f.Offset;
    switch (f.Type) {
    case 'N':
    case 'F':
        if (Trimmed(p, f.Width).isEmpty())
            return QVariant();
        return FieldNumeric(record, f);
    case 'I':
    case 'B':
    case 'Y':
        return FieldNumeric(record, f);
    case 'D': {
        const QDate d = DateOf(p);
        return d.isValid() ? QVariant(d) : QVariant();
    }
    case 'T': {
        const qint32 day = qint32(Le32(p));
        const qint32 ms = qint32(Le32(p + 4));
        if (day <= 0)
            return QVariant();
        const QDate d = QDate::fromJulianDay(day);
        const QTime t = ms >= 0 && ms < 86400000 ? QTime::fromMSecsSinceStartOfDay(ms) : QTime(0, 0);
        return QDateTime(d, t);
    }
    case 'L': {
        const QString t = FieldDisplayText(record, f, encoding);
        return t.isEmpty() ? QVariant() : QVariant(t == QLatin1String("T"));
    }
    default:
        return FieldDisplayText(record, f, encoding);
    }
}

TStatus StoreFieldNumber(char* record, const TFieldDef& f, double value)
{
    char* p = record + f.Offset;
    if (!std::isfinite(value))
        return TStatus::Error(QStringLiteral("Field %1: not a number").arg(f.Name));
    switch (f.Type) {
    case 'N':
    case 'F': {
        const QByteArray digits = QByteArray::number(value, 'f', f.Decimals);
        if (digits.size() > f.Width)
            return TStatus::Error(QStringLiteral("Field %1: the value %2 does not fit in %3 characters")
                                      .arg(f.Name, QString::fromLatin1(digits))
                                      .arg(f.Width));
        std::memset(p, ' ', size_t(f.Width));
        std::memcpy(p + f.Width - digits.size(), digits.constData(), size_t(digits.size()));
        return TStatus::Ok();
    }
    case 'I':
        if (value < -2147483648.0 || value > 2147483647.0)
            return TStatus::Error(QStringLiteral("Field %1: the value does not fit").arg(f.Name));
        PutLe32(p, quint32(qint32(std::llround(value))));
        return TStatus::Ok();
    case 'B':
        std::memcpy(p, &value, 8);
        return TStatus::Ok();
    case 'Y': {
        const qint64 v = std::llround(value * 10000.0);
        std::memcpy(p, &v, 8);
        return TStatus::Ok();
    }
    default:
        return TStatus::Error(QStringLiteral("Field %1 is not numeric").arg(f.Name));
    }
}

TStatus StoreFieldText(char* record, const TFieldDef& f, const QString& text, TTextEncoding encoding)
{
    char* p = record + f.Offset;
    switch (f.Type) {
    case 'C': {
        // Plain ASCII that fits, the usual case, goes straight into the record.
        if (text.size() <= f.Width) {
            const QChar* c = text.constData();
            int i = 0;
            while (i < text.size() && c[i].unicode() < 0x80)
                ++i;
            if (i == text.size()) {
                for (i = 0; i < text.size(); ++i)
                    p[i] = char(c[i].unicode());
                std::memset(p + i, ' ', size_t(f.Width - i));
                return TStatus::Ok();
            }
        }
        const QByteArray bytes = EncodeFitting(text, encoding, f.Width);
        std::memset(p, ' ', size_t(f.Width));
        std::memcpy(p, bytes.constData(), size_t(bytes.size()));
        return TStatus::Ok();
    }
    case 'N':
    case 'F':
    case 'I':
    case 'B':
    case 'Y': {
        const QString t = text.trimmed();
        if (t.isEmpty()) {
            if (f.Type == 'N' || f.Type == 'F')
                std::memset(p, ' ', size_t(f.Width));
            else
                std::memset(p, 0, size_t(f.Width));
            return TStatus::Ok();
        }
        bool ok = false;
        const double v = t.toDouble(&ok);
        if (!ok)
            return TStatus::Error(QStringLiteral("Field %1: \"%2\" is not a number").arg(f.Name, text));
        return StoreFieldNumber(record, f, v);
    }
    case 'D': {
        const QString t = text.trimmed();
        if (t.isEmpty()) {
            std::memset(p, ' ', 8);
            return TStatus::Ok();
        }
        QDate d = QDate::fromString(t, QStringLiteral("yyyyMMdd"));
        if (!d.isValid())
            d = QDate::fromString(t, Qt::ISODate);
        if (!d.isValid() || d.year() < 1 || d.year() > 9999)
            return TStatus::Error(QStringLiteral("Field %1: \"%2\" is not a date").arg(f.Name, text));
        const QByteArray s = d.toString(QStringLiteral("yyyyMMdd")).toLatin1();
        std::memcpy(p, s.constData(), 8);
        return TStatus::Ok();
    }
    case 'L': {
        const QString t = text.trimmed().toUpper();
        if (t.isEmpty())
            p[0] = ' ';
        else if (t == QLatin1String("T") || t == QLatin1String("Y") || t == QLatin1String(".T."))
            p[0] = 'T';
        else if (t == QLatin1String("F") || t == QLatin1String("N") || t == QLatin1String(".F."))
            p[0] = 'F';
        else
            return TStatus::Error(
                QStringLiteral("Field %1: \"%2\" is not a logical value").arg(f.Name, text));
        return TStatus::Ok();
    }
    default:
        return TStatus::Error(QStringLiteral("Field %1 of type %2 cannot be assigned text")
                                  .arg(f.Name, QString(QChar(f.Type))));
    }
}

QByteArray BlankRecord(const TRecordLayout& layout, bool vfp)
{
    QByteArray r(layout.RecordLength, ' ');
    for (const TFieldDef& f : layout.Fields)
        if (BinaryField(f, vfp))
            std::memset(r.data() + f.Offset, 0, size_t(f.Width));
    return r;
}

} // namespace xbase
