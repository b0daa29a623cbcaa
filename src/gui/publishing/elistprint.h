#pragma once

// The printed e-mail list: a page head with the list path and the column titles, one ruled line
// per person in the current order, and the page number at the foot.

#include "core/publishing/emaillist.h"

#include <QFont>
#include <QString>

#include <vector>

class QPrinter;
class QWidget;

// Prints on the printer as it is set up (tests print to PDF). False when painting could not start.
bool PrintEmailList(QPrinter& printer, const QString& listPath, TEmailOrder order,
    const std::vector<TEmailPerson>& people, const QFont& font);
// The print dialog first (copies and printer from it), then the list.
void PrintEmailListWithDialog(QWidget* parent, const QString& listPath, TEmailOrder order,
    const std::vector<TEmailPerson>& people, const QFont& font);
// The printer set-up dialog for the printer the list manager prints on.
void EmailListPrintSetup(QWidget* parent);
