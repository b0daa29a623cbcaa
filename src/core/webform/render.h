#pragma once

#include <QString>

class TSurvey;

// The HTML fragment of the item at `index` for the survey page. `ordinal` is the number of
// non-header items from the first item up to and including this one (for a header: up to the
// item before it). Reads the survey's page-layout flags and the items' NumberLabel and
// SkipDistance; changes nothing. The input names and values written here are what the response
// server sends back, so every character of the fragment matters.
QString RenderQuestionHTML(const TSurvey& survey, int index, int ordinal);

// The plain-text block of the item at `index`, as copied to the clipboard.
QString RenderQuestionText(const TSurvey& survey, int index);
