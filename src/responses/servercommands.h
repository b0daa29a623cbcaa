#pragma once

// The main window's commands that talk to the response server: "&Update Now" and Survey >
// "&Clear Results From Server...".

#include <functional>

class TORVMainForm;
class TResponseTable;

// Rebuilds the tallies after a merge; set by the analysis view once it exists.
void SetAnalyzeResultsHook(std::function<void()> hook);

void UpdateNowCommand(TORVMainForm& form, TResponseTable& table);
void ClearResultsFromServerCommand(TORVMainForm& form);
void AttachServerCommands(TORVMainForm& form, TResponseTable& table);
