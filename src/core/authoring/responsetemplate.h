#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Response templates: "*.ovt" profile files directly in the data directory. [Details] Title
// names the template; [Values] holds one option per key, in the order the keys stand in the
// file whatever their names. The program writes the keys "1".."n".

struct TResponseTemplate {
    QString Title; // "Unknown" when the file has none
    QStringList Options;
};

// A file that is missing or holds no profile reads as "Unknown" without options.
TResponseTemplate ReadResponseTemplate(const QString& path);
QString ResponseTemplateTitle(const QString& path);

// The file names of the response templates in the directory, sorted by name without regard to
// case (the order of the question editor's and the main window's template menus).
QStringList ResponseTemplateFiles(const QString& dataDirectory);

// The kinds the Template Manager works on.
enum class TTemplateKind { Response, Display };
struct TTemplateEntry {
    QString Path;
    QString Caption; // response: its title; display: its file name
};
// The templates of one kind in the order the directory lists them.
std::vector<TTemplateEntry> ListTemplates(const QString& dataDirectory, TTemplateKind kind);

// "rtemp" + N + ".ovt" with the smallest N from 0 upward that names no file yet.
QString NextResponseTemplatePath(const QString& dataDirectory);

// Writes a new template file under the next free name; lines become the keys "1".."n", blank
// lines included. Returns the path, or nullopt when the file could not be written.
std::optional<QString> CreateResponseTemplate(
    const QString& dataDirectory, const QString& title, const QStringList& lines);
// Writes the title again and replaces the whole [Values] section by the lines; other sections
// and lines of the file stay. False when the file could not be written (it stays as it was).
bool RewriteResponseTemplate(const QString& path, const QString& title, const QStringList& lines);

// Display templates edited as text: read with the program's text rules, written UTF-8 CR LF in
// one step. nullopt / false when the file cannot be read or written.
std::optional<QString> ReadDisplayTemplateText(const QString& path);
bool WriteDisplayTemplateText(const QString& path, const QString& text);
// A new display template's path: ".ovg" appended unless the name already ends so (any case).
QString DisplayTemplatePath(const QString& chosen);
