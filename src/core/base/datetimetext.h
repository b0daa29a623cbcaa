#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// Date-times as the user's locale writes them: the short date and the long time. The stored year
// always has four digits (a two-digit year would lose its century on the way back), and the long
// time carries no zone name (local time is what the files hold).

QString ShortDateFormat();
QString LongTimeFormat();

// "<short date> <long time>", always with the time (history entries).
QString FormatDateAndTime(const QDateTime& value);
// As FormatDateAndTime, but the date alone when the time of day is midnight (stored values).
QString FormatDateTimeText(const QDateTime& value);
// Reads what FormatDateTimeText writes in the same locale; also the locale's own two-digit-year
// short date (files from the original platform; a two-digit year is the most recent such year not
// after the current one, and 12/30/99 is the zero date) and ISO 8601. nullopt when nothing parses.
std::optional<QDateTime> ParseDateTimeText(const QString& text);
