#pragma once

// The main window's commands that talk to the response server: "&Update Now" and Survey >
// "&Clear Results From Server...".

class TORVMainForm;
class TSurveyResponseTable;

void UpdateNowCommand(TORVMainForm& form, TSurveyResponseTable& responses);
void ClearResultsFromServerCommand(TORVMainForm& form);
// Puts the two commands' handlers on the window; they use the table the window holds when they run.
void SetServerHandlers(TORVMainForm& form);
