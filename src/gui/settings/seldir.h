#pragma once

#include <QDialog>

class QComboBox;
class QFileSystemModel;
class QLineEdit;
class QListView;
class QPushButton;
class QTreeView;

// "Select Directory": picks a directory from a tree (with the mounted volumes to start from and
// a greyed list of the files in it) or by name. OK offers to create a directory that does not
// exist and stays open until one exists.
class TORVSelDir : public QDialog {
    Q_OBJECT
public:
    explicit TORVSelDir(const QString& startDirectory, QWidget* parent = nullptr);

    // The chosen directory, absolute, after OK.
    QString Directory() const { return chosen_; }

    QComboBox* cmbDrive = nullptr;
    QTreeView* tvDirectories = nullptr;
    QListView* lbFiles = nullptr;
    QLineEdit* eDirectory = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

private:
    void ShowDirectory(const QString& path);
    void btnOKClick();

    QFileSystemModel* directories_ = nullptr;
    QFileSystemModel* files_ = nullptr;
    QString chosen_;
};
