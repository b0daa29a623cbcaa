#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <vector>

// A profile (INI) file held in memory: "[section]" lines followed by "key=value" lines. Section
// and key names match without regard to case; the first of duplicate sections or keys wins.
// Reading trims the value and removes one pair of enclosing double quotes. Writing replaces a
// key's line in place, or appends the key at the end of its section, or appends the section at
// the end of the file; every other line (comments, unknown keys and sections) is kept as it was.
// Saving replaces the file in one step (the old file stays intact when the write fails).
class TProfileFile {
public:
    TProfileFile() = default;
    // Reads the file when it exists; a missing file gives an empty profile.
    explicit TProfileFile(const QString& path);

    // Replaces the content with the file's; false when the file exists but cannot be read.
    bool Load(const QString& path, QString* error = nullptr);
    // Replaces the content with these bytes (UTF-8, or Windows-1252 when not valid UTF-8).
    void Parse(const QByteArray& bytes);
    void ParseText(const QString& text);

    // Writes the whole profile to the path (UTF-8, CR LF) in one step.
    bool Save(const QString& path, QString* error = nullptr) const;
    QByteArray ToBytes() const;
    QStringList Lines() const;

    QString Path() const { return path_; }
    void SetPath(const QString& path) { path_ = path; }

    // The value as stored on the key's line (after "="), untrimmed; nullopt for a missing key.
    std::optional<QString> RawValue(const QString& section, const QString& key) const;
    // The value trimmed and without enclosing quotes; nullopt for a missing key.
    std::optional<QString> Value(const QString& section, const QString& key) const;
    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    // Decimal; more than two characters starting "0x"/"0X" are hexadecimal; else the default.
    int ReadInteger(const QString& section, const QString& key, int def) const;
    bool ReadBool(const QString& section, const QString& key, bool def) const;

    // Stores the value as given. Line breaks in it would end the line, so each becomes a blank.
    void WriteString(const QString& section, const QString& key, const QString& value);
    // Stores the value so that ReadString gives it back unchanged: a value with blanks at either
    // end, or one that starts and ends with a double quote, is enclosed in one more pair of quotes.
    void WriteText(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value);

    bool SectionExists(const QString& section) const;
    bool KeyExists(const QString& section, const QString& key) const;
    QStringList Sections() const;
    QStringList Keys(const QString& section) const;
    void EraseSection(const QString& section);
    void DeleteKey(const QString& section, const QString& key);

private:
    struct TLine {
        QString Raw; // the line as read, or as last written
        quint32 KeyHash = 0;
        int KeyStart = 0;
        int KeyLength = 0;
        int ValueStart = -1; // offset of the value within Raw; -1 for a line that holds no key
        bool IsKey() const { return ValueStart >= 0; }
        QStringView Key() const { return QStringView(Raw).mid(KeyStart, KeyLength); }
    };
    struct TSection {
        QString Name; // Lines before the first section have no Header and cannot be looked up
        quint32 NameHash = 0;
        bool HasHeader = false;
        bool Erased = false;
        QString Header;
        std::vector<TLine> Lines;
        QHash<quint32, int> Keys; // key hash -> first line with that hash
    };

    static TLine ParseLine(const QString& raw);
    static TLine KeyLine(const QString& key, const QString& value);
    static void IndexKey(TSection& section, int line);
    int FindSection(QStringView name) const;
    static int FindKey(const TSection& section, QStringView key);
    const TLine* FindLine(const QString& section, const QString& key) const;
    TSection& SectionForWrite(const QString& section);
    void RebuildIndex();

    QString path_;
    std::vector<TSection> sections_;
    QHash<quint32, int> sectionIndex_; // name hash -> first section with that hash
    mutable int lastSection_ = -1; // the section found last: saves and loads go section by section
};

// Removes blanks at both ends and then one pair of enclosing double quotes.
QString UnquoteProfileValue(const QString& value);
// The form of a value that reads back unchanged through UnquoteProfileValue.
QString QuoteProfileValue(const QString& value);
