#pragma once

#include <QString>
#include <QStringList>

// Comma text: a list held in one string. Items are separated by commas; an item that holds a
// blank, a control character, a comma or a double quote is enclosed in double quotes with its
// inner quotes doubled. A list of one empty item is written as "" so that it survives a round trip.
QString JoinCommaText(const QStringList& items);
// The inverse of JoinCommaText. Blanks around items are skipped, and an unquoted item also ends
// at a blank (text written by other programs may rely on that); a comma at the very end adds an
// empty item; an unterminated quote runs to the end of the text.
QStringList SplitCommaText(const QString& text);
// One item as JoinCommaText writes it.
QString QuoteCommaItem(const QString& item);
