#pragma once

// The survey's local response table: created from the questions at the first merge, opened
// when a survey with responses is loaded, and kept open (with the order numbers of its two
// tags) while the survey is open. The main window holds one TResponseTable for the open survey.

#include "core/responses/responsefields.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace xbase {
class TTable;
}

class TSurvey;

// Shows an error box; the command's caller decides where (a window, a terminal, a test log).
using TShowError = std::function<void(const QString&)>;

class TResponseTable {
public:
    TResponseTable();
    ~TResponseTable();
    TResponseTable(const TResponseTable&) = delete;
    TResponseTable& operator=(const TResponseTable&) = delete;

    bool IsOpen() const;
    // The open table; only valid while IsOpen().
    xbase::TTable& Table();
    const xbase::TTable& Table() const;
    int RemoteIPOrder() const { return remoteIPOrder_; }
    int EmailOrder() const { return emailOrder_; }
    QString Path() const;
    void Close();

    // Opens the table at `path` and its two tags (made when an older or foreign table lacks
    // them), with EMAIL as the active order. An empty string on success, else the message.
    QString OpenAt(const QString& path);
    // Where a creation failed: the engine refused to start it (the file exists, the folder does
    // not), the fields could not be declared or the table not made, or the tags failed after.
    enum class TCreateFailure { None, Refused, Declaration, Internal };
    // Creates a table at `path` with `fields` and the two tags and opens it. An empty string on
    // success, else the message, with the stage of the failure in `failure`.
    QString CreateAt(const QString& path, const std::vector<TResponseField>& fields, TCreateFailure& failure);

private:
    QString OpenTags();

    std::unique_ptr<xbase::TTable> table_;
    int remoteIPOrder_ = 0;
    int emailOrder_ = 0;
};

// Key expressions of the two tags. A character key holds at most 240 bytes, so the 250-byte
// EMAIL field is keyed on its first 240.
inline constexpr const char* kRemoteIPTag = "REMOTEIP";
inline constexpr const char* kEmailTag = "EMAIL";
inline constexpr const char* kEmailKeyExpression = "LEFT(EMAIL,240)";
inline constexpr int kEmailKeyBytes = 240;

// Creates the table for the survey's current questions at ResponseTablePath, stores that path in
// SRResponseFile and opens it. On failure the error box shows one of "Could not create the
// database " + path (SRResponseFile emptied), "Failed database creation: " + path (the path
// kept) or "The following internal error occurred: " + message (SRResponseFile emptied).
bool CreateResponseTable(TSurvey& survey, TResponseTable& table, const TShowError& showError);

// Opens the table named by SRResponseFile. On failure the error box shows "The following
// internal error occurred: " + message and SRResponseFile is emptied.
bool OpenResponseTable(TSurvey& survey, TResponseTable& table, const TShowError& showError);

// Deletes a table file and its companions (index, memo, code page marker), each when it exists.
// False when one of them exists and could not be deleted.
bool DeleteResponseTableFiles(const QString& tablePath);

// Takes a table and its companions away from `tablePath` as one: either none of them is there
// afterwards, or (with the message returned) all are as they were. Empty on success.
QString RemoveResponseTableFiles(const QString& tablePath);

// Where the survey's table goes (ResponseTablePath) when SRResponseFile names no existing file:
// a survey moved together with its table, or one whose earlier open failed, finds its table
// there. A table with this survey's layout is opened and SRResponseFile names it (Opened). Any
// other file there is renamed out of the way, and `inform` says where it went (Free: the caller
// creates the table). Blocked: it could not be moved; `showError` has said why.
enum class TResponsePathState { Free, Opened, Blocked };
TResponsePathState PrepareResponsePath(
    TSurvey& survey, TResponseTable& table, const TShowError& showError, const TShowError& inform);

// Whether the open table can be this survey's: the four fixed fields first, and every other
// field one of the survey's questions has now or could have had (its identifier given out).
bool HasSurveyLayout(const xbase::TTable& table, const TSurvey& survey);

// The work of "&Reset Local Responses..." after the user said Yes: SRLastUpdate "Never", no
// responses, the table closed and its files deleted (SRResponseFile keeps its value), the history
// entry "Response file reset", and the survey saved. Returns an error message, or empty. When
// the files cannot be deleted nothing changes: the table is reopened and the survey is as it was.
QString ResetLocalResponses(TSurvey& survey, TResponseTable& table);

// Fields that cannot be declared (a name longer than 10 characters, a name used twice, a width
// out of range), described for a message; empty when all can.
QString CheckFieldDeclarations(const std::vector<TResponseField>& fields);
