#pragma once

// Reading a server data file: the status line, then one line per response made of Name=Value
// items, up to the end marker. The file comes from outside (a download, or a file the author
// saved by other means), so every byte sequence is accepted: lines of any length, unbalanced
// quotes and binary garbage end as responses with odd values or as eliminated lines, never as
// a crash or a hang.

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QString>
#include <QStringList>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Reads a file line by line through a fixed-size buffer. Lines end with CR LF, LF or CR; a last
// line without an end is still a line. A line longer than the limit is skipped whole and
// reported as overlong, so one endless line cannot exhaust memory.
class TDataLineReader {
public:
    static constexpr qsizetype kDefaultMaxLine = 64 * 1024 * 1024;

    explicit TDataLineReader(qsizetype maxLine = kDefaultMaxLine);
    // False with Error() set when the file cannot be opened.
    bool Open(const QString& path);

    // The next line without its end. False at the end of the file or after a read error.
    bool ReadLine(QByteArray& line);
    // The line just read was longer than the limit; `line` is then empty.
    bool LastLineOverlong() const { return overlong_; }
    bool Failed() const { return !error_.isEmpty(); }
    const QString& Error() const { return error_; }
    qint64 Position() const { return consumed_; }
    qint64 Size() const { return size_; }

private:
    bool Fill();

    QFile file_;
    QByteArray buffer_;
    qsizetype start_ = 0;
    qsizetype maxLine_;
    qint64 consumed_ = 0;
    qint64 size_ = 0;
    bool eof_ = false;
    bool overlong_ = false;
    QString error_;
};

// Line tests of the intake, on the raw bytes of a line.
bool IsErrorStatusLine(const QByteArray& line); // holds "<ERROR>" as written
// Holds "</DATA>" in any case and is no response line: an answer may contain the marker.
bool IsEndOfDataLine(const QByteArray& line);
bool IsResponseLine(const QByteArray& line); // holds "REMOTEADDR" in any case

// Splits a comma-text line into its items: items are separated by commas or blanks (any
// control byte counts as a blank); an item starting with a double quote runs to the next single
// double quote, a doubled one standing for one quote; a quote left open runs to the end.
std::vector<std::string> SplitCommaItems(std::string_view line);

// Text of a value: UTF-8 when it is valid UTF-8, otherwise Windows-1252 (older servers).
QString DecodeDataText(std::string_view bytes);

// The values of one response line for a fixed set of names. Names are registered once; each
// Parse() then keeps, for every registered name, the value after the first "=" of the first item
// with that name (compared without regard to case). A name without an item has the empty value.
class TResponseValues {
public:
    // Registers a name and returns its slot; registering a name twice gives the same slot.
    int AddName(const QString& name);
    void Parse(std::string_view line);
    bool Has(int slot) const { return present_[slot]; }
    QString Value(int slot) const;
    std::string_view Raw(int slot) const;

private:
    void Take(std::string_view item);

    std::unordered_map<std::string, int> slots_;
    std::vector<std::string> values_;
    std::vector<char> present_;
    std::string name_; // scratch: the upper-cased name of the item being looked at
    std::string unquoted_; // scratch for quoted items
};

// The Name=Value lookup of a single line for any name, first item winning (tests, tools).
QString ResponseValue(std::string_view line, const QString& name);
