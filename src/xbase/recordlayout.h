#pragma once

// What an xBase expression knows of a table: the field layout of its records and how to read
// the current record. Shared by the table engine (which fills it) and the expression compiler
// (which resolves field names against it once, at compile time).

#include <QByteArray>
#include <QString>

#include <functional>
#include <string_view>
#include <vector>

namespace xbase {

// One field of a record. `Offset` counts from the start of the record, whose byte 0 is the
// deletion flag ('*' deleted, ' ' live); the first field therefore starts at offset 1.
struct TFieldDef {
    QString Name; // upper case, at most 10 characters
    char Type = 'C'; // C N F D L M I B Y T (G and others are read as opaque)
    int Width = 0; // bytes in the record
    int Decimals = 0;
    int Offset = 0;
};

// How character data of a table is encoded on disk.
enum class TTextEncoding { Utf8, Cp437, Cp850, Cp1252, Latin1 };

struct TRecordLayout {
    std::vector<TFieldDef> Fields;
    TTextEncoding Encoding = TTextEncoding::Utf8;
    int RecordLength = 1; // deletion flag plus every field

    // Index of the field with this name (case-insensitive), or -1.
    int FieldIndex(const QString& name) const
    {
        for (size_t i = 0; i < Fields.size(); ++i)
            if (Fields[i].Name.compare(name, Qt::CaseInsensitive) == 0)
                return static_cast<int>(i);
        return -1;
    }
};

// The record an expression is evaluated on.
struct TRecordContext {
    std::string_view Record; // RecordLength bytes, byte 0 the deletion flag
    // Reads the text of a memo field of this record (field index into TRecordLayout::Fields).
    // May be empty when the caller knows no expression reads memos.
    std::function<QString(int fieldIndex)> Memo;
};

} // namespace xbase
