#pragma once

// Building a survey from a plain text file of questions: one item per line, classified by its
// first characters. "H)" (either case) starts a header; a line starting with a blank is an option
// of the pending question, or, when it reads "-" + N after trimming, the options of the first
// response template whose file name + "|" + title contains N; the control character EOT is
// ignored; anything else (an empty line too) is the text of a new question.

#include <QString>
#include <QStringList>

#include <vector>

class TSurvey;

enum class TImportLine { Header, Option, TemplateReference, Ignored, Question };

TImportLine ClassifyImportLine(const QString& line);

// A response template as the import looks it up: "file name|title", and its options.
struct TImportTemplate {
    QString Description;
    QStringList Options;
};
// The response templates of the data directory, in directory order.
std::vector<TImportTemplate> ImportTemplates(const QString& dataDirectory);

// The options a template reference line stands for: the first matching template's values, or
// the line itself, untrimmed, when no template matches.
QStringList ReferencedOptions(const QString& line, const std::vector<TImportTemplate>& templates);

// Adds the items of the lines to the survey; every question gets `style`. Returns the number of
// items added.
int ImportQuestionLines(
    TSurvey& survey, const QStringList& lines, int style, const std::vector<TImportTemplate>& templates);

// Reads the file and adds its items. An empty string on success, else the message for the error
// box: "Error loading file " + path when the file cannot be read, or the import error (the
// items added before it stay).
QString ImportQuestionsFromFile(
    TSurvey& survey, const QString& path, int style, const QString& dataDirectory);

// The styles the import offers, in the order of its list: Single Select, Multiple Select,
// Sliding Scale, Pull Down List.
const std::vector<int>& ImportStyles();
