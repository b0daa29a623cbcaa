#pragma once

// TTable: one open FoxPro-format table (DBF) with its memo file (FPT) and structural compound
// index (CDX), as the response table and the e-mail lists use it.
//
// Files we create are FoxPro 2.x tables (version byte 0xF5) holding UTF-8 text: code page mark
// 0 and a "NAME.cpg" file beside the table saying "UTF-8". Tables written by other programs are
// read too (FoxPro 2.x and Visual FoxPro headers, field types C N F D L M I B Y T, code pages
// 437, 850, 1252 or none), and their text is converted to Unicode.
//
// Sharing: a table is always opened shared. Several handles, in one process or in several, may
// have the same table open; each sees what the others committed as soon as it moves (First, Skip,
// Go, Seek, the counts). Writes take an exclusive lock on the table file and re-read the headers
// first, so two writers never overwrite each other's records.
//
// Editing follows the xBase pattern: Append() starts a blank record, AssignField() fills the
// record buffer, Commit() stores it. Edits of the current record work the same way. Moving to
// another record or closing commits pending changes. Several appended records may be pending at
// once; one Commit() then stores them together, which is how bulk loads should be done. Past a
// few megabytes, pending records wait in an unnamed temporary file beside the table (or in the
// temporary folder), so a bulk load holds little more than its keys in memory.
//
// Deleted records are hidden: navigation skips them and VisibleCount() leaves them out.
//
// Errors never throw: operations return a TStatus, and LastError() repeats the last message.
// A record that cannot be read (a damaged block, an I/O error) is never passed off as a blank
// one: the move, seek, copy or change that needed it fails with "Cannot read record N ...".
// Reading fields of such a record gives blanks with LastError() set.

#include "xbase/recordlayout.h"
#include "xbase/status.h"

#include <QDate>
#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

namespace xbase {

class TFileSystem;

// A field of a table to be created: type 'C' (width 1-254), 'N' (width 1-20, decimals), 'M'
// (memo), and also 'D' and 'L'.
struct TFieldSpec {
    QString Name; // 1-10 characters: a letter, then letters, digits or '_'
    char Type = 'C';
    int Width = 0; // ignored for M (10), D (8) and L (1)
    int Decimals = 0;
};

// What a tag of the structural index holds.
struct TTagInfo {
    QString Name;
    QString KeyExpression;
    QString ForExpression; // empty: every record has a key
    bool Descending = false;
    bool Unique = false;
    char KeyType = 'C'; // 'C' character, 'N' numeric/date (8-byte keys), 'I' integer, 'L' logical
    int KeyLength = 0;
};

enum class TSeekMode {
    // The key may be shorter than the tag's keys: the first key that begins with it matches
    // (FoxPro's seek with SET EXACT OFF). Seeking "1.2.3.4" finds "1.2.3.45".
    Partial,
    // The whole key must match, trailing blanks aside.
    Exact,
};

class TTable {
public:
    TTable(); // on the real file system
    explicit TTable(std::shared_ptr<TFileSystem> fileSystem);
    ~TTable(); // commits pending changes, like Close()
    TTable(const TTable&) = delete;
    TTable& operator=(const TTable&) = delete;

    // --- Create, open, close -------------------------------------------------------------------

    // Creates the table (and its memo file when a field is 'M') with the fields in the order
    // given, and opens it on this handle. An existing table of that name is refused.
    TStatus CreateTable(const QString& path, const std::vector<TFieldSpec>& fields);
    // Opens an existing table, shared. An index found out of date with the table is rebuilt
    // (IndexWasRebuilt() tells); an index that cannot be read is an error.
    TStatus Open(const QString& path);
    // Opens for reading only: nothing is ever written, not even a rebuilt index.
    TStatus OpenReadOnly(const QString& path);
    TStatus Close(); // commits pending changes first
    bool IsOpen() const;
    bool IsReadOnly() const;
    const QString& Path() const;

    const TRecordLayout& Layout() const;
    int FieldCount() const;
    int FieldIndex(const QString& name) const; // -1 when the table has no such field
    quint8 VersionByte() const;
    quint8 CodePageMark() const;
    bool IndexWasRebuilt() const; // the last Open found the index out of date and rebuilt it

    // --- Index tags -----------------------------------------------------------------------------

    // Creates (or replaces) a tag in the table's structural index and fills it from the records.
    // A character key holds at most 240 bytes, so a wider field must be keyed on a shorter
    // expression: a C(250) EMAIL field is indexed as LEFT(EMAIL,240). A seek on such a tag
    // compares only those 240 bytes; a caller deciding "same address" must compare the whole
    // field of the record found (and skip on while keys match).
    TStatus CreateIndexTag(const QString& tagName, const QString& keyExpression,
        const QString& forCondition = QString(), bool descending = false);
    int TagCount() const;
    int TagNumber(const QString& tagName) const; // 1-based; 0 when there is no such tag
    QString TagName(int tagNumber) const; // empty for an unknown number
    TTagInfo TagInfo(int tagNumber) const;
    // Later navigation and seeks follow this tag; 0 selects record-number order.
    TStatus SetOrder(int tagNumber);
    int Order() const; // 0: record order
    // Rebuilds every tag from the records.
    TStatus Reindex();

    // Seeks the key in the current order and makes the first matching visible record current.
    // The key is text: for numeric tags a number, for date tags YYYYMMDD or YYYY-MM-DD. Returns
    // false (and leaves the table at its end) when nothing matches or no order is set.
    // An empty key (or one of blanks only) matches only records whose key is blank, in both
    // modes: it never matches "everything".
    bool Seek(const QString& key, TSeekMode mode = TSeekMode::Partial);

    // A read batch holds the table's shared lock from BeginReadBatch() to EndReadBatch(), so
    // that a run of seeks and reads (the duplicate checks of a merge, say) neither takes the
    // lock nor looks for other writers' commits at every call: it sees the table as it was when
    // the batch began. Pending changes are committed first. Other handles and processes wait to
    // commit until the batch ends, and changes on this handle are refused until then. Batches
    // nest; Close() ends them.
    TStatus BeginReadBatch();
    void EndReadBatch();

    // --- Filter ---------------------------------------------------------------------------------

    // Navigation and VisibleCount() then see only records for which the expression is true.
    // The expression is compiled once here; an empty text clears the filter.
    TStatus SetFilter(const QString& expression);
    const QString& Filter() const;

    // --- Counts ---------------------------------------------------------------------------------

    // Deleted records are hidden unless this is switched on (as tools that show them need).
    void SetDeletedVisible(bool visible);

    int RecordCount(); // every record in the file, deleted ones included
    int VisibleCount(); // records neither deleted nor filtered out

    // --- Navigation -----------------------------------------------------------------------------

    TStatus First();
    TStatus Last();
    TStatus Skip(int count = 1); // negative counts move backwards
    bool Eof() const; // past the last visible record (also: empty table, failed seek)
    bool Bof() const; // before the first visible record
    TStatus Go(int recordNumber); // any record, deleted or filtered out ones too
    int RecNo() const; // 1-based; RecordCount() + 1 at the end
    bool Deleted() const; // the current record is marked deleted

    // --- Reading the current record -------------------------------------------------------------

    // Text of a field: characters with trailing blanks removed, numbers as stored without
    // blanks, dates as YYYYMMDD, logicals "T"/"F", memos their whole text.
    QString FieldText(const QString& fieldName) const;
    QString FieldText(int fieldIndex) const;
    double FieldNumber(const QString& fieldName) const; // 0 for blank or non-numeric
    bool FieldBlank(const QString& fieldName) const;
    QString MemoText(const QString& fieldName) const;
    // Typed value: QString (C, M), double (N F B Y I), QDate (D), QDateTime (T), bool (L);
    // a null QVariant for a blank number, date or logical.
    QVariant FieldValue(int fieldIndex) const;

    // --- Changing records -----------------------------------------------------------------------

    // Starts a new blank record; it becomes current and is stored by Commit().
    TStatus Append();
    // Text for C and M fields (cut to the width of a C field at a character boundary), digits
    // for N, YYYYMMDD or YYYY-MM-DD for D, "T"/"F"/"Y"/"N" for L.
    TStatus AssignField(const QString& fieldName, const QString& text);
    TStatus AssignField(const QString& fieldName, long long number);
    TStatus AssignNumber(const QString& fieldName, double number);
    // The same by the field's index (as FieldIndex gives it), for loops over many records.
    TStatus AssignField(int fieldIndex, const QString& text);
    TStatus AssignField(int fieldIndex, long long number);
    TStatus AssignNumber(int fieldIndex, double number);
    // Stores every pending change (appended records, edits, deletions) on disk, index included.
    TStatus Commit();
    TStatus Delete(); // marks the current record deleted (committed at once)
    TStatus Recall(); // removes the mark (committed at once)
    // Marks the records deleted with one commit (records already deleted stay as they are).
    TStatus DeleteMany(const std::vector<int>& recordNumbers);

    // --- Copies ---------------------------------------------------------------------------------

    // Writes the visible records (in record order) to a new table of the same layout, with its
    // memo file and the same index tags. An existing target is replaced only when the copy
    // succeeded.
    TStatus CopyTable(const QString& targetPath);
    // Writes the visible records as comma-delimited text, one CR LF line per record in record
    // order. Every non-memo field is followed by a comma (so a line ends with one, like the
    // quoted header line the exports put above it); character fields are enclosed in double
    // quotes with trailing blanks removed and inner quotes doubled; numbers are written as
    // stored without blanks; dates as YYYYMMDD; logicals as T or F. UTF-8. `firstLines` (a
    // header line, say) is written before the records.
    TStatus CopyText(const QString& targetPath, const QByteArray& firstLines = QByteArray());

    const QString& LastError() const;

    struct TImpl;

private:
    std::unique_ptr<TImpl> d;
};

} // namespace xbase
