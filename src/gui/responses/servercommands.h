#pragma once

// The main window's commands that talk to the response server: "&Update Now" and Survey >
// "&Clear Results From Server...".

class TORVMainForm;
class TSurveyResponseTable;

void UpdateNowCommand(TORVMainForm& form, TSurveyResponseTable& responses);
void ClearResultsFromServerCommand(TORVMainForm& form);
void AttachServerCommands(TORVMainForm& form, TSurveyResponseTable& responses);
