#pragma once

// The table file's header and the values of its fields (the byte layout is described in the
// format notes of the project, foxpro-tables.md).

#include "xbase/filesystem.h"
#include "xbase/recordlayout.h"
#include "xbase/status.h"

#include <QByteArray>
#include <QDate>
#include <QVariant>

namespace xbase {

struct TDbfHeader {
    quint8 Version = 0xF5;
    quint8 Flags = 0;
    quint8 CodePageMark = 0;
    quint32 StoredCount = 0; // as the header says
    quint32 RecordCount = 0; // what the file really holds: at most the stored count
    int HeaderLength = 0;
    TRecordLayout Layout;
    QByteArray Raw; // the header bytes as read or built (HeaderLength bytes)

    bool IsVfp() const { return Version == 0x30 || Version == 0x31 || Version == 0x32; }
    bool HasMemoFields() const;
    bool HasStructuralIndex() const { return Flags & 0x01; }
    qint64 RecordOffset(quint32 recno) const
    {
        return HeaderLength + qint64(recno - 1) * Layout.RecordLength;
    }
};

// Reads and checks the header; `fileSize` bounds every length in it.
TStatus ReadDbfHeader(TFile& file, TDbfHeader* header);
// Parses the first bytes of a table (at least the whole header).
TStatus ParseDbfHeader(const QByteArray& bytes, qint64 fileSize, TDbfHeader* header);
// A new FoxPro 2.x header for the layout (offsets and record length are computed here).
QByteArray BuildDbfHeader(TDbfHeader& header);
// Writes the record count and today's date into the first 8 bytes of `raw`.
void StampHeader(QByteArray& raw, quint32 count);

// --- Field values -------------------------------------------------------------------------------

// The text of a field as FieldText shows it (memo fields excluded: they need the memo file).
QString FieldDisplayText(const char* record, const TFieldDef& field, TTextEncoding encoding);
// The numeric value of N F I B Y fields (0 when blank or not a number).
double FieldNumeric(const char* record, const TFieldDef& field);
// Whether the field holds nothing (blanks, blank number, empty date, unset logical).
bool FieldIsBlank(const char* record, const TFieldDef& field);
// The block number of a memo field, 0 when it points nowhere.
quint32 MemoBlock(const char* record, const TFieldDef& field);
void SetMemoBlock(char* record, const TFieldDef& field, quint32 block);
// Typed value (memo fields excluded), see TTable::FieldValue.
QVariant FieldTypedValue(const char* record, const TFieldDef& field, TTextEncoding encoding);

// Stores a value given as text into a non-memo field.
TStatus StoreFieldText(char* record, const TFieldDef& field, const QString& text, TTextEncoding encoding);
TStatus StoreFieldNumber(char* record, const TFieldDef& field, double value);
// A record with every field blank (memo pointers included).
QByteArray BlankRecord(const TRecordLayout& layout, bool vfp);

bool IsMemoType(char type);
bool IsNumericType(char type);

} // namespace xbase
