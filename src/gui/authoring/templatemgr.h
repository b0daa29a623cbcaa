#pragma once

#include "core/authoring/responsetemplate.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <vector>

class QComboBox;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

// "Template Manager": creates, edits and deletes the response templates (*.ovt) and display
// templates (*.ovg) of the data directory. Changes to the shown template are written back when
// another one is chosen, before New, and when the manager closes.
class TORVTemplateMgr : public QDialog {
    Q_OBJECT
public:
    explicit TORVTemplateMgr(const QString& dataDirectory, QWidget* parent = nullptr);

    // Asks for the name of a new response template; nullopt when cancelled. Tests replace it.
    std::function<std::optional<QString>()> AskTemplateName;

    void ChooseType(int type);
    void ChooseTemplate(int index);
    void NewTemplate();
    void DeleteTemplate();
    // Writes the shown template back when its contents were edited.
    void SavePending();
    const std::vector<TTemplateEntry>& Entries() const { return entries_; }
    int ShownTemplate() const { return shown_; }

    QComboBox* cmbTypeList = nullptr;
    QComboBox* cmbTemplate = nullptr;
    QPlainTextEdit* mContents = nullptr;
    QToolButton* btnNewTemplate = nullptr;
    QToolButton* btnDeleteTemplate = nullptr;
    QPushButton* btnClose = nullptr;
    QPushButton* btnHelp = nullptr;

protected:
    void done(int result) override;

private:
    TTemplateKind Kind() const;
    void RebuildList();
    void LoadContents(const QString& text);
    void Append(const QString& path, const QString& caption);
    void NewResponseTemplate();
    void NewDisplayTemplate();

    QString dataDirectory_;
    std::vector<TTemplateEntry> entries_;
    TTemplateKind shownKind_ = TTemplateKind::Response;
    int shown_ = -1;
    bool changed_ = false;
};
