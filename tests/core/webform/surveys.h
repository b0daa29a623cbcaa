#pragma once

// Surveys the webform tests render: every style, every extra box, and skip groups.

#include "core/survey/survey.h"

#include <QString>

#include <memory>

struct TItemSpec {
    QString Text;
    int Style;
    QString Options;
    int Length = 0;
    bool Other = false;
    bool Comment = false;
};

// Appends the item and gives it the identifier `id` (pages name their inputs after it).
int AddItem(TSurvey& survey, const TItemSpec& item, int id);

// One item of every style, the choice styles with "Other" and comment boxes, a header between
// them and options with "~" codes; identifiers 11, 12, ... in order.
std::unique_ptr<TSurvey> AllStylesSurvey();

// Q1 owns a group of two members (1a, 1b) followed by Q2; Q3 owns a group that runs to the end.
std::unique_ptr<TSurvey> SkipGroupSurvey();

// Reads a file of the test data folder; empty when it is missing.
QByteArray ReadTestFile(const QString& relativePath);

// Compares `actual` byte for byte with the golden file; ORVALLE_UPDATE_GOLDEN=1 rewrites it.
// Returns an empty string on a match, else a description of the first difference.
QString CompareWithGolden(const QString& goldenName, const QByteArray& actual);
