#pragma once

#include "core/survey/survey.h"

#include <QByteArray>
#include <QString>

// A survey that uses every style, headers, a skip group, options with "~", multi-line texts and
// a non-default value for every stored property.
void FillFullSurvey(TSurvey& survey);
// Writes text to a file, byte for byte.
void WriteBytes(const QString& path, const QByteArray& bytes);
QByteArray ReadBytes(const QString& path);
// A minimal survey file: a Details section with the given count and extra lines appended.
QByteArray MinimalSurveyFile(int questionCount, const QByteArray& extra);
