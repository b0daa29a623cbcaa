#pragma once

class TORVMainForm;

// Connects the main window's "&Preferences..." to the preferences dialog: on OK every setting is
// written, the window takes the page extension, and a new data directory has its libraries and
// response templates read.
void ConnectPreferences(TORVMainForm& form);
void RunPreferences(TORVMainForm& form);
