#pragma once

// Header texts of an invitation: RFC 2047 encoded words for text that is not plain ASCII, and
// the To: header in the form the SendFormat setting asks for, always a valid RFC 5322 address.

#include <QByteArray>
#include <QString>

// Text for an unstructured header (Subject): as it is when it is printable ASCII, else UTF-8
// encoded words ("=?UTF-8?B?...?="), folded so that no word passes 75 characters. Line breaks
// and other control characters become blanks, so a value can never start another header.
QByteArray EncodeUnstructured(const QString& text);
// A display name: an atom sequence as it is, other ASCII as a quoted string, anything else as
// encoded words.
QByteArray EncodePhrase(const QString& text);
// A comment "(...)" holding the text, with encoded words for anything but ASCII.
QByteArray EncodeComment(const QString& text);
// "Name <address>", or the bare address when the name is blank.
QByteArray NameAddress(const QString& name, const QString& address);

// The recipient as the setting writes it (the forms offered in the preferences):
//   0 (F L) E   1 <F L> E   2 E (F L)   3 E <F L>   4 F L <E>   5 F L (E)   6 E
// Forms 1, 3 and 5 are not valid addresses; they are written as "F L <E>", which keeps the names.
QByteArray ToHeader(
    int sendFormat, const QString& firstName, const QString& lastName, const QString& address);

// An address fit for the envelope: not empty, no blanks, control characters or angle brackets.
bool IsUsableAddress(const QString& address);
