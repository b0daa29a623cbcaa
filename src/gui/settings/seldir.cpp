#include "gui/settings/seldir.h"

#include "gui/help/help.h"
#include "core/interaction/messages.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStorageInfo>
#include <QTreeView>

namespace {

QLabel* Caption(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

} // namespace

TORVSelDir::TORVSelDir(const QString& startDirectory, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ORVSelDir"));
    setWindowTitle(QStringLiteral("Select Directory"));
    eDirectory = new QLineEdit(this);
    directories_ = new QFileSystemModel(this);
    directories_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden);
    directories_->setRootPath(QDir::rootPath());
    tvDirectories = new QTreeView(this);
    tvDirectories->setModel(directories_);
    for (int column = 1; column < directories_->columnCount(); ++column)
        tvDirectories->hideColumn(column);
    tvDirectories->header()->hide();
    files_ = new QFileSystemModel(this);
    files_->setFilter(QDir::Files | QDir::Hidden);
    lbFiles = new QListView(this);
    lbFiles->setModel(files_);
    lbFiles->setEnabled(false);
    cmbDrive = new QComboBox(this);
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady() && cmbDrive->findText(volume.rootPath()) < 0)
            cmbDrive->addItem(volume.rootPath());
    }
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);

    connect(tvDirectories->selectionModel(), &QItemSelectionModel::currentChanged, this,
        [this](const QModelIndex& index) {
            const QString path = directories_->filePath(index);
            eDirectory->setText(path);
            lbFiles->setRootIndex(files_->setRootPath(path));
        });
    // The tree fills in the background; keep the chosen directory in view as it grows.
    connect(directories_, &QFileSystemModel::directoryLoaded, this,
        [this] { tvDirectories->scrollTo(tvDirectories->currentIndex(), QAbstractItemView::PositionAtTop); });
    connect(cmbDrive, &QComboBox::activated, this, [this] { ShowDirectory(cmbDrive->currentText()); });
    connect(btnOK, &QPushButton::clicked, this, &TORVSelDir::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* grid = new QGridLayout;
    grid->addWidget(Caption(QStringLiteral("Directory &Name:"), eDirectory, this), 0, 0, 1, 2);
    grid->addWidget(eDirectory, 1, 0, 1, 2);
    grid->addWidget(Caption(QStringLiteral("&Directories:"), tvDirectories, this), 2, 0);
    grid->addWidget(tvDirectories, 3, 0);
    grid->addWidget(Caption(QStringLiteral("&Files (*.*):"), lbFiles, this), 2, 1);
    grid->addWidget(lbFiles, 3, 1);
    grid->addWidget(Caption(QStringLiteral("Dri&ves:"), cmbDrive, this), 4, 0);
    grid->addWidget(cmbDrive, 5, 0);
    grid->setRowStretch(3, 1);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addLayout(buttons);
    resize(480, 400);
    QWidget* const order[] = {eDirectory, tvDirectories, cmbDrive, btnOK, btnCancel};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
    SetHelpContexts({{eDirectory, 1631}, {tvDirectories, 1632}, {tvDirectories->header(), 1632},
        {lbFiles, 1633}, {cmbDrive, 1634}, {btnOK, 2}, {btnCancel, 3}});
    ShareHelpWithLabels(this);

    ShowDirectory(startDirectory);
    eDirectory->setText(startDirectory);
}

void TORVSelDir::ShowDirectory(const QString& path)
{
    const QModelIndex index = directories_->index(path);
    if (!index.isValid())
        return;
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
        tvDirectories->expand(parent);
    tvDirectories->setCurrentIndex(index);
    tvDirectories->expand(index);
    tvDirectories->scrollTo(index, QAbstractItemView::PositionAtTop);
}

void TORVSelDir::btnOKClick()
{
    const QString name = eDirectory->text().trimmed();
    if (name.isEmpty())
        return;
    if (!QFileInfo(name).isDir()) {
        if (!AskYesNoCaption(QStringLiteral("Confirm Create"),
                QStringLiteral("The directory named ") + name
                    + QStringLiteral(" does not exists.  Create it?")))
            return;
        if (!QDir().mkpath(name) || !QFileInfo(name).isDir()) {
            ShowErrorCaption(QStringLiteral("Directory Error"),
                QStringLiteral("Error creating directory ") + name
                    + QStringLiteral(".  Please try another name."));
            return;
        }
    }
    chosen_ = QFileInfo(name).absoluteFilePath();
    accept();
}
