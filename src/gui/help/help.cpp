#include "gui/help/help.h"

#include "core/startup/datadir.h"
#include "core/interaction/shell.h"
#include "core/base/inisettings.h"
#include "core/base/settingstable.h"

#include <QAbstractScrollArea>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QWhatsThis>
#include <QWidget>

#include <memory>

namespace {

const char* const kContextProperty = "orvalleHelpContext";

QString& Override()
{
    static QString dir;
    return dir;
}

QString HelpFolder()
{
    if (!Override().isEmpty())
        return WithTrailingSlash(Override());
    const QString data = AppSettings().ReadString(
        settings::ApplicationDetails, settings::DataDirectory, DefaultDataDirectory());
    return HelpDirectory(data);
}

struct TWhatsThisTexts {
    QString Folder;
    QHash<int, QString> Texts;
};

const QHash<int, QString>& Texts()
{
    static TWhatsThisTexts cache;
    const QString folder = HelpFolder();
    if (cache.Folder == folder)
        return cache.Texts;
    cache.Folder = folder;
    cache.Texts.clear();
    QFile file(folder + QStringLiteral("whatsthis.txt"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return cache.Texts;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (line.startsWith(QLatin1Char('#')) || eq <= 0)
            continue;
        bool ok = false;
        const int number = line.left(eq).trimmed().toInt(&ok);
        if (ok)
            cache.Texts.insert(
                number, line.mid(eq + 1).trimmed().replace(QLatin1String("&CR;"), QLatin1String("\n")));
    }
    return cache.Texts;
}

// Scroll areas report their context menu position in their viewport.
QWidget* ViewportOf(QWidget* control)
{
    if (auto* area = qobject_cast<QAbstractScrollArea*>(control))
        return area->viewport();
    return control;
}

// Text boxes keep their own menu (undo, cut, copy, paste, select all) above What's This.
std::unique_ptr<QMenu> StandardMenu(QWidget* control, const QPoint& pos)
{
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        return std::unique_ptr<QMenu>(edit->createStandardContextMenu());
    if (auto* memo = qobject_cast<QPlainTextEdit*>(control))
        return std::unique_ptr<QMenu>(memo->createStandardContextMenu(pos));
    return std::make_unique<QMenu>(control);
}

void OpenPage(const QString& page)
{
    OpenWithShell(HelpFolder() + page);
}

} // namespace

QString HelpTopicPage(int context)
{
    const QString page = HelpFolder() + QStringLiteral("topic%1.html").arg(context);
    if (QFileInfo::exists(page))
        return page;
    return HelpFolder() + QStringLiteral("index.html");
}

void ShowHelpTopic(int context)
{
    OpenWithShell(HelpTopicPage(context));
}

void ShowHelpContents()
{
    OpenPage(QStringLiteral("index.html"));
}

void ShowHelpSearch()
{
    OpenPage(QStringLiteral("search.html"));
}

void ShowHelpOnHelp()
{
    OpenPage(QStringLiteral("usinghelp.html"));
}

QString WhatsThisText(int context)
{
    return Texts().value(context);
}

void SetHelpDirectoryOverride(const QString& directory)
{
    Override() = directory;
}

int HelpContext(const QWidget* control)
{
    return control ? control->property(kContextProperty).toInt() : 0;
}

void SetHelpContext(QWidget* control, int context, bool keepMenu)
{
    control->setProperty(kContextProperty, context);
    QString text = WhatsThisText(context);
    if (text.isEmpty())
        text = QStringLiteral("No help is available for this item.");
    control->setWhatsThis(text);
    if (keepMenu)
        return;
    control->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(control, &QWidget::customContextMenuRequested, control, [control](const QPoint& pos) {
        std::unique_ptr<QMenu> menu = StandardMenu(control, pos);
        if (!menu->isEmpty())
            menu->addSeparator();
        menu->addAction(QStringLiteral("&What's This?"), control, [control] { ShowWhatsThis(control); });
        menu->exec(ViewportOf(control)->mapToGlobal(pos));
    });
}

void SetHelpContexts(std::initializer_list<std::pair<QWidget*, int>> controls)
{
    for (const auto& [control, context] : controls)
        SetHelpContext(control, context);
}

void ShareHelpWithLabels(QWidget* dialog)
{
    for (QLabel* label : dialog->findChildren<QLabel*>())
        if (label->buddy() && HelpContext(label) == 0 && HelpContext(label->buddy()) != 0)
            SetHelpContext(label, HelpContext(label->buddy()));
}

void ShowWhatsThis(QWidget* control)
{
    if (!control)
        return;
    const QPoint at = control->mapToGlobal(QPoint(control->width() / 2, control->height() / 2));
    QWhatsThis::showText(at, control->whatsThis(), control);
}
