#pragma once

#include <QString>

class TSurvey;

// Loads a survey file for a command; an empty string on success, else the message.
QString LoadSurveyForCommand(TSurvey& survey, const QString& path);

// Prints the message on standard error and returns the failure status 1.
int FailWith(const QString& message);
