#include "core/base/datetimetext.h"

#include "core/base/clock.h"

#include <QLocale>

namespace {

// Removes the zone-name letters ("t") outside quoted literals.
QString WithoutZone(const QString& format)
{
    QString out;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't')
            continue;
        out += c;
    }
    return out.simplified();
}

QString NativeShortDateFormat()
{
    return QLocale().dateFormat(QLocale::ShortFormat);
}

bool HasFourDigitYear(const QString& format)
{
    return format.contains(QLatin1String("yyyy"));
}

// A two-digit year is the most recent such year not after the current one. The original
// platform wrote its zero date ("never") as 12/30/99, which stands for that date, not 1999.
QDate WithCentury(QDate date)
{
    if (!date.isValid())
        return date;
    const int twoDigits = date.year() % 100;
    if (twoDigits == 99 && date.month() == 12 && date.day() == 30)
        return QDate(1899, 12, 30);
    const int nowYear = Now().date().year();
    int year = nowYear - nowYear % 100 + twoDigits;
    if (year > nowYear)
        year -= 100;
    return QDate(year, date.month(), date.day());
}

bool IsMidnight(const QTime& t)
{
    return t.hour() == 0 && t.minute() == 0 && t.second() == 0;
}

std::optional<QDateTime> ParseWith(const QString& text, const QString& dateFormat, bool twoDigitYear,
    const QLocale& locale = QLocale(), const QString& timeFormat = LongTimeFormat())
{
    QDateTime dt = locale.toDateTime(text, dateFormat + u' ' + timeFormat);
    if (dt.isValid()) {
        if (twoDigitYear)
            dt.setDate(WithCentury(dt.date()));
        return dt;
    }
    QDate date = locale.toDate(text, dateFormat);
    if (date.isValid()) {
        if (twoDigitYear)
            date = WithCentury(date);
        return QDateTime(date, QTime(0, 0));
    }
    return std::nullopt;
}

} // namespace

QString ShortDateFormat()
{
    QString format = NativeShortDateFormat();
    if (!HasFourDigitYear(format))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

QString LongTimeFormat()
{
    return WithoutZone(QLocale().timeFormat(QLocale::LongFormat));
}

QString FormatDateAndTime(const QDateTime& value)
{
    const QLocale locale;
    return locale.toString(value.date(), ShortDateFormat()) + u' '
        + locale.toString(value.time(), LongTimeFormat());
}

QString FormatDateTimeText(const QDateTime& value)
{
    if (IsMidnight(value.time()))
        return QLocale().toString(value.date(), ShortDateFormat());
    return FormatDateAndTime(value);
}

std::optional<QDateTime> ParseDateTimeText(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    if (auto dt = ParseWith(t, ShortDateFormat(), false))
        return dt;
    const QString native = NativeShortDateFormat();
    if (!HasFourDigitYear(native))
        if (auto dt = ParseWith(t, native, true))
            return dt;
    QDateTime iso = QDateTime::fromString(t, Qt::ISODate);
    if (iso.isValid())
        return iso.toLocalTime();
    const QDate isoDate = QDate::fromString(t, Qt::ISODate);
    if (isoDate.isValid())
        return QDateTime(isoDate, QTime(0, 0));
    // Most files from the original platform were written with the United States formats.
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QString usTime = QStringLiteral("h:mm:ss AP");
    if (auto dt = ParseWith(t, QStringLiteral("M/d/yyyy"), false, us, usTime))
        return dt;
    return ParseWith(t, QStringLiteral("M/d/yy"), true, us, usTime);
}
