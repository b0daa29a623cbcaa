#include "gui/widgets/dialogposition.h"

#include "core/base/inisettings.h"
#include "core/base/settingstable.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void RestoreDialogPosition(QWidget* dialog, const QString& section)
{
    const TSettings& s = AppSettings();
    const int top = s.ReadInteger(section, settings::Top, settings::NotStored);
    const int left = s.ReadInteger(section, settings::Left, settings::NotStored);
    if (top != settings::NotStored && left != settings::NotStored) {
        dialog->move(left, top);
        return;
    }
    const QScreen* screen = dialog->screen() ? dialog->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame(QPoint(0, 0), dialog->sizeHint().expandedTo(dialog->size()));
    frame.moveCenter(screen->availableGeometry().center());
    dialog->move(frame.topLeft());
}

void StoreDialogPosition(const QWidget* dialog, const QString& section)
{
    TSettings& s = AppSettings();
    s.WriteInteger(section, settings::Top, dialog->pos().y());
    s.WriteInteger(section, settings::Left, dialog->pos().x());
}
