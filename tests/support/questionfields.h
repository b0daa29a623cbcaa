#pragma once

#include "core/survey/survey.h"

// Adds a question from its fields in the order the editors show them; for tests that build
// surveys of many styles in a line each.
inline int AddQuestionFields(TSurvey& survey, const QString& text, int style, const QString& options,
    int length, bool other, int otherLength, bool comment, int commentLength, int min, int max, int step)
{
    return survey.AddQuestion({.Text = text,
        .Style = style,
        .Options = options,
        .LengthOfResponse = length,
        .IncludeOther = other,
        .OtherLength = otherLength,
        .IncludeComment = comment,
        .CommentLength = commentLength,
        .MinValue = min,
        .MaxValue = max,
        .StepValue = step});
}
