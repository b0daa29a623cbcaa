#pragma once

#include <QString>

class QWidget;

// Dialogs that remember where the author left them keep Top and Left under their own settings
// section; -200 (never stored) centres the dialog on the screen.
void RestoreDialogPosition(QWidget* dialog, const QString& section);
void StoreDialogPosition(const QWidget* dialog, const QString& section);
