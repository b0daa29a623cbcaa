#pragma once

#include <QString>

#include <initializer_list>
#include <utility>

class QWidget;

// The help pages are HTML files in the help folder (HelpDirectory, datadir.h), one per topic:
// "topic<N>.html" for context number N, "index.html" (contents), "search.html" (the topic finder)
// and "usinghelp.html". They open in the browser through the shell seam.
void ShowHelpTopic(int context);
void ShowHelpContents();
void ShowHelpSearch();
void ShowHelpOnHelp();
// The page that ShowHelpTopic opens (index.html when the topic has no page of its own).
QString HelpTopicPage(int context);

// "What's This?" texts come from "whatsthis.txt" in the help folder: one "N=text" line per
// context number, "&CR;" for a line break. Empty when the number has no text.
QString WhatsThisText(int context);

// Gives a control its help context number: its What's This text (Shift+F1 and the Help menu's
// "&What's This?") and a context menu holding "&What's This?". Controls that have a context menu
// of their own (keepMenu) only get the text; their menu should offer AddWhatsThisAction.
// Text boxes keep their own menu, with "&What's This?" added below it.
void SetHelpContext(QWidget* control, int context, bool keepMenu = false);
// SetHelpContext for each control of a dialog.
void SetHelpContexts(std::initializer_list<std::pair<QWidget*, int>> controls);
int HelpContext(const QWidget* control);
// Gives every label of the dialog that names a control (its buddy) the help of that control.
void ShareHelpWithLabels(QWidget* dialog);
// Shows the control's What's This text as a popup next to it.
void ShowWhatsThis(QWidget* control);

// Tests and tools point the help folder elsewhere; empty restores the default.
void SetHelpDirectoryOverride(const QString& directory);
