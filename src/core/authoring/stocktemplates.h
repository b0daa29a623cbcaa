#pragma once

#include <QString>

// Writes the two stock response templates into the data directory when they are missing:
// "yesno.ovt" (Yes / No / Don't Know) and "agree.ovt" (Strongly Agree ... Strongly Disagree).
// Existing files are left alone. Returns false when a missing template could not be written.
bool WriteDefaultTemplates(const QString& dataDirectory);
