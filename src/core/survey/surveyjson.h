#pragma once

#include <QJsonObject>
#include <QString>

class TSurvey;

// The JSON form of a survey (docs/survey-json.md): "Details" and "Defaults" with every key of
// the survey file under its own name, and "Questions" in survey order with the derived
// NumberLabel and SkipDistance.

// Renumbers the survey, then describes it.
QJsonObject SurveyToJson(TSurvey& survey);
// Fills a survey (call NewSurvey first) from the JSON form; missing keys take the survey file's
// reading defaults. Throws ESurveyException naming the first key of the wrong type.
void SurveyFromJson(const QJsonObject& json, TSurvey& survey);
// Builds a survey from the JSON form and saves it as outPath, keeping the JSON's LastUpdated.
// Throws ESurveyException.
void SaveSurveyFromJson(const QJsonObject& json, const QString& outPath);
// Loads a survey file and describes it; LastUpdated is the file's stored time, not the load time.
QJsonObject SurveyFileToJson(const QString& path);
