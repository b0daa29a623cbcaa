#pragma once

// The main window's publishing commands: "Publish &Survey..." (the publish dialog, after the
// survey is saved) and "&Email List Manager" (a new list manager window).

class TORVMainForm;

void PublishSurveyCommand(TORVMainForm& form);
void EmailListManagerCommand(TORVMainForm& form);
void AttachPublishingCommands(TORVMainForm& form);
