#pragma once

// The codebook written beside every export of the responses (the field-mapping text) and the
// field-name header line of the comma-delimited export. Both are derived from the survey's
// questions with the same field rules as the table itself.

#include "core/responses/responsefields.h"

#include <QString>
#include <QStringList>

class TSurvey;

// The field-mapping block of the item at `index`: lines ended by CR LF, the last one empty.
// A header gives an empty block.
QString GetFieldMapping(const TSurvey& survey, int index);

// The item's field names for the CSV header line, each in double quotes and followed by a
// comma. Memo fields are left out, as the comma-delimited copy of the table leaves them out.
QString GetCSVHeaderNames(const TSurvey& survey, int index);

// The field-mapping text as a list of entries, each saved followed by CR LF: the title naming
// `exportedFileName` (shown without its directory), the fixed fields, then one entry per block.
// With `forCsv` the questions whose answer goes to a memo field are left out. `remoteIPWidth` is
// the width of REMOTEIP in the table exported (older tables have a narrower one).
QStringList FieldMappingEntries(const TSurvey& survey, const QString& exportedFileName, bool forCsv,
    int remoteIPWidth = kRemoteIPFieldWidth);
// The entries joined as they are saved: each followed by CR LF.
QString FieldMappingText(const TSurvey& survey, const QString& exportedFileName, bool forCsv,
    int remoteIPWidth = kRemoteIPFieldWidth);

// The width of REMOTEIP in the table at `tablePath`; the width a new table gets when there is
// no such table or it cannot be read.
int RemoteIPWidthOf(const QString& tablePath);

// The whole header line of the comma-delimited export: the fixed names, then every question's.
QString CSVHeaderLine(const TSurvey& survey);
