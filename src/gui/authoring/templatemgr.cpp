#include "gui/authoring/templatemgr.h"

#include "core/authoring/questionrules.h"
#include "gui/authoring/libname.h"
#include "gui/help/help.h"
#include "core/interaction/filedialogs.h"
#include "core/interaction/messages.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyle>
#include <QToolButton>

TORVTemplateMgr::TORVTemplateMgr(const QString& dataDirectory, QWidget* parent)
    : QDialog(parent)
    , dataDirectory_(dataDirectory)
{
    setObjectName(QStringLiteral("ORVTemplateMgr"));
    setWindowTitle(QStringLiteral("Template Manager"));
    AskTemplateName = [this]() -> std::optional<QString> {
        TORVLibName dialog(this);
        dialog.setWindowTitle(QStringLiteral("New Template"));
        dialog.SetPrompt(QStringLiteral("Please enter a &name for the new template:"));
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.Name();
    };

    cmbTypeList = new QComboBox(this);
    cmbTypeList->addItems({QStringLiteral("Response Templates"), QStringLiteral("Display Templates")});
    cmbTemplate = new QComboBox(this);
    cmbTemplate->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmbTemplate->setMinimumContentsLength(24);
    mContents = new QPlainTextEdit(this);
    mContents->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    btnNewTemplate = new QToolButton(this);
    btnNewTemplate->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    btnNewTemplate->setToolTip(QStringLiteral("Create New Template"));
    btnDeleteTemplate = new QToolButton(this);
    btnDeleteTemplate->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    btnDeleteTemplate->setToolTip(QStringLiteral("Delete Selected Template"));
    btnClose = new QPushButton(QStringLiteral("&Close"), this);
    btnHelp = new QPushButton(QStringLiteral("&Help"), this);

    connect(cmbTypeList, &QComboBox::currentIndexChanged, this, &TORVTemplateMgr::ChooseType);
    connect(cmbTemplate, &QComboBox::currentIndexChanged, this, &TORVTemplateMgr::ChooseTemplate);
    connect(mContents, &QPlainTextEdit::textChanged, this, [this] { changed_ = true; });
    connect(btnNewTemplate, &QToolButton::clicked, this, &TORVTemplateMgr::NewTemplate);
    connect(btnDeleteTemplate, &QToolButton::clicked, this, &TORVTemplateMgr::DeleteTemplate);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnHelp, &QPushButton::clicked, this, [] { ShowHelpTopic(25); });

    auto* type = new QLabel(QStringLiteral("&Type"), this);
    type->setBuddy(cmbTypeList);
    auto* templates = new QLabel(QStringLiteral("T&emplates:"), this);
    templates->setBuddy(cmbTemplate);
    auto* top = new QGridLayout;
    top->addWidget(type, 0, 0);
    top->addWidget(cmbTypeList, 0, 1);
    top->addWidget(templates, 1, 0);
    top->addWidget(cmbTemplate, 1, 1);
    top->addWidget(btnNewTemplate, 1, 2);
    top->addWidget(btnDeleteTemplate, 1, 3);
    top->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnClose);
    buttons->addWidget(btnHelp);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(mContents, 1);
    layout->addLayout(buttons);
    resize(460, 380);
    SetHelpContexts({{cmbTypeList, 2501}, {cmbTemplate, 2502}, {mContents, 2503}, {btnNewTemplate, 2504},
        {btnDeleteTemplate, 2505}, {btnClose, 10}, {btnHelp, 4}});
    ShareHelpWithLabels(this);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(0, 0), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }

    RebuildList();
}

TTemplateKind TORVTemplateMgr::Kind() const
{
    return cmbTypeList->currentIndex() == 1 ? TTemplateKind::Display : TTemplateKind::Response;
}

void TORVTemplateMgr::LoadContents(const QString& text)
{
    const QSignalBlocker block(mContents);
    mContents->setPlainText(text);
    changed_ = false;
}

void TORVTemplateMgr::RebuildList()
{
    entries_ = ListTemplates(dataDirectory_, Kind());
    shown_ = -1;
    changed_ = false;
    {
        const QSignalBlocker block(cmbTemplate);
        cmbTemplate->clear();
        for (const TTemplateEntry& e : entries_)
            cmbTemplate->addItem(e.Caption);
        cmbTemplate->setCurrentIndex(-1);
    }
    if (entries_.empty()) {
        LoadContents(QString());
        return;
    }
    {
        const QSignalBlocker block(cmbTemplate);
        cmbTemplate->setCurrentIndex(0);
    }
    ChooseTemplate(0);
}

void TORVTemplateMgr::ChooseType(int)
{
    SavePending();
    RebuildList();
}

void TORVTemplateMgr::ChooseTemplate(int index)
{
    SavePending();
    if (index < 0 || index >= static_cast<int>(entries_.size()))
        return;
    if (cmbTemplate->currentIndex() != index) {
        const QSignalBlocker block(cmbTemplate);
        cmbTemplate->setCurrentIndex(index);
    }
    const TTemplateEntry& entry = entries_[index];
    if (Kind() == TTemplateKind::Response) {
        LoadContents(ReadResponseTemplate(entry.Path).Options.join(QLatin1Char('\n')));
    } else {
        const std::optional<QString> text = ReadDisplayTemplateText(entry.Path);
        LoadContents(text.value_or(QString()));
        if (!text)
            ShowError(QStringLiteral("Could not load display template for file ") + entry.Path);
    }
    shownKind_ = Kind();
    shown_ = index;
}

void TORVTemplateMgr::SavePending()
{
    if (!changed_ || shown_ < 0 || shown_ >= static_cast<int>(entries_.size()))
        return;
    changed_ = false;
    const TTemplateEntry& entry = entries_[shown_];
    if (shownKind_ == TTemplateKind::Response) {
        if (!RewriteResponseTemplate(entry.Path, entry.Caption, MemoLines(mContents->toPlainText())))
            ShowError(QStringLiteral("Could not update Response Template"));
    } else if (!WriteDisplayTemplateText(entry.Path, mContents->toPlainText())) {
        ShowError(QStringLiteral("Could not update Display Template"));
    }
}

void TORVTemplateMgr::Append(const QString& path, const QString& caption)
{
    entries_.push_back({path, caption});
    {
        const QSignalBlocker block(cmbTemplate);
        cmbTemplate->addItem(caption);
    }
    ChooseTemplate(static_cast<int>(entries_.size()) - 1);
}

void TORVTemplateMgr::NewTemplate()
{
    SavePending();
    if (Kind() == TTemplateKind::Response)
        NewResponseTemplate();
    else
        NewDisplayTemplate();
}

void TORVTemplateMgr::NewResponseTemplate()
{
    const std::optional<QString> name = AskTemplateName ? AskTemplateName() : std::nullopt;
    if (!name)
        return;
    for (const TTemplateEntry& e : entries_) {
        if (e.Caption == *name) {
            ShowError(*name + QStringLiteral(" is already in use, please select another name"));
            return;
        }
    }
    const std::optional<QString> path = CreateResponseTemplate(dataDirectory_, *name, {});
    if (!path) {
        ShowError(QStringLiteral("The template file could not be created."));
        return;
    }
    Append(*path, *name);
}

void TORVTemplateMgr::NewDisplayTemplate()
{
    const std::optional<QString> chosen
        = FileDialogs().SaveFile(QStringLiteral("Create New Display Template"),
            QStringLiteral("Display Template Files (*.ovg)"), dataDirectory_, QString());
    if (!chosen || chosen->isEmpty())
        return;
    const QString path = DisplayTemplatePath(*chosen);
    if (QFileInfo::exists(path)) {
        ShowError(QStringLiteral("A display template with the name ") + path
            + QStringLiteral(" already exists.  Please select another name."));
        return;
    }
    LoadContents(QString());
    if (!WriteDisplayTemplateText(path, QString())) {
        ShowError(QStringLiteral("An error occurred attempting to write the new template to disk"));
        return;
    }
    Append(path, QFileInfo(path).fileName());
}

void TORVTemplateMgr::DeleteTemplate()
{
    if (shown_ < 0 || shown_ >= static_cast<int>(entries_.size())) {
        ShowError(QStringLiteral("There is no template or response file currently selected."));
        return;
    }
    const TTemplateEntry entry = entries_[shown_];
    if (!AskYesNo(QStringLiteral("Are you sure you want to delete the template named ") + entry.Caption))
        return;
    changed_ = false;
    if (!QFile::remove(entry.Path))
        ShowError(QStringLiteral("An error occurred when attempting to delete ") + entry.Path
            + QStringLiteral(".  File not deleted."));
    RebuildList();
}

void TORVTemplateMgr::done(int result)
{
    // However the manager is closed, an edit is not lost.
    SavePending();
    QDialog::done(result);
}
