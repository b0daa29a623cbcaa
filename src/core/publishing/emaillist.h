#pragma once

// An e-mail list (".eml"): a FoxPro table of people to invite with the fields FNAME C(30),
// LNAME C(30) and EMAIL C(200), and three index tags (LNAME+FNAME, FNAME+LNAME, EMAIL) that
// leave deleted records out. The list manager edits it; the mailing run only reads it.

#include "xbase/table.h"

#include <QString>

#include <memory>

namespace emaillist {
inline constexpr const char* FirstName = "FNAME";
inline constexpr const char* LastName = "LNAME";
inline constexpr const char* Email = "EMAIL";
inline constexpr int NameWidth = 30;
inline constexpr int EmailWidth = 200;
inline constexpr const char* Extension = ".eml";
inline constexpr const char* DefaultListName = "default.eml";
} // namespace emaillist

// One person of a list, as typed or read (trailing blanks removed).
struct TEmailPerson {
    QString FirstName;
    QString LastName;
    QString Email;
};

// A live record and its person.
struct TEmailRow {
    int Record = 0;
    TEmailPerson Person;
};

// The three orders of a list, in column order.
enum class TEmailOrder { FirstName, LastName, Email };

// The tag and field name of an order ("FNAME", "LNAME", "EMAIL") and its column title.
QString OrderTagName(TEmailOrder order);
QString OrderDisplayLabel(TEmailOrder order);

// How a list could not be created: the engine refused to start (the file exists, the folder is
// missing) or the table was made but its tags failed.
enum class TCreateListFailure { None, Refused, Incomplete };

class TEmailList {
public:
    TEmailList();
    ~TEmailList();
    TEmailList(const TEmailList&) = delete;
    TEmailList& operator=(const TEmailList&) = delete;

    // Opens an existing list shared and selects the LNAME order. Empty on success, else the message.
    QString Open(const QString& path);
    // Creates a list with its fields and tags, opens it and selects the LNAME order.
    QString Create(const QString& path, TCreateListFailure* failure = nullptr);
    // Copies the live records to a new list at `path` (tags made anew) and makes it the open one.
    QString SaveAs(const QString& path);
    void Close();
    bool IsOpen() const;
    QString Path() const;

    TEmailOrder Order() const { return order_; }
    QString SetOrder(TEmailOrder order);

    // Seeks the text at the start of the current order's keys; false (table at its end) when
    // nothing matches.
    bool Find(const QString& text);

    // Appends one person; the record number of the new record, or 0 with LastError set.
    int Add(const TEmailPerson& person);
    // Appends many people with one commit (imports).
    QString AddMany(const std::vector<TEmailPerson>& people);
    // Marks the record deleted; false with LastError set when it cannot be reached.
    bool Remove(int recordNumber);
    // Marks the records deleted with one commit; empty on success, else the message.
    QString RemoveMany(const std::vector<int>& recordNumbers);
    // The person of a record.
    TEmailPerson Read(int recordNumber);
    // The live records in the current order, stepping through the index.
    std::vector<int> RecordsInOrder();
    // Every live record with its person, read in one pass in record order and then put in the
    // current order. Much faster than stepping through the index for a whole list, since the
    // records are read in file order.
    std::vector<TEmailRow> RowsInOrder();

    xbase::TTable& Table() { return *table_; }
    QString LastError() const;

private:
    QString OpenTable(const QString& path);
    QString CreateTags();

    std::unique_ptr<xbase::TTable> table_;
    TEmailOrder order_ = TEmailOrder::LastName;
};

// Sorts rows as the order's index tag keeps them: by the key fields padded with blanks to
// their widths (LNAME+FNAME, FNAME+LNAME or EMAIL), then by record number.
void SortRows(std::vector<TEmailRow>& rows, TEmailOrder order);

// The name with ".eml" appended unless it already ends in it (any case).
QString EnsureEmlExtension(const QString& fileName);
