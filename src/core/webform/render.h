#pragma once

#include <QString>

class TSurvey;

// How a display template lays questions out (its layout placeholders).
struct TPageLayout {
    bool BoldQuestions = false; // question text in bold
    bool QuestionStyle2 = false; // ratings and lists on one line with the text after them
    bool IncludeGotos = false; // "Go to next question" links and the jumps of skip groups
};

// The HTML fragment of the item at `index` for the survey page. `ordinal` is the number of
// non-header items from the first item up to and including this one (for a header: up to the
// item before it). Reads the items' NumberLabel and SkipDistance; changes nothing. The input names and values
// written here are what the response server sends back, so every character of the fragment matters.
QString RenderQuestionHTML(const TSurvey& survey, int index, int ordinal, const TPageLayout& layout);

// The plain-text block of the item at `index`, as copied to the clipboard.
QString RenderQuestionText(const TSurvey& survey, int index);
