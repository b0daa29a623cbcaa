#pragma once

#include <QObject>

#include <vector>

class TORVHeader;
class TORVMainForm;
class TORVQuestion;

// The editing commands of the main window's question list: add, edit, delete, move, cut, copy,
// paste, skip groups and response templates. Gives the window's commands for them their handlers; owns the
// question and header editors, which are created once and reused.
class TORVListCommands : public QObject {
    Q_OBJECT
public:
    explicit TORVListCommands(TORVMainForm& form);

    TORVQuestion* QuestionEditor() const { return question_; }
    TORVHeader* HeaderEditor() const { return header_; }

    void AddQuestion();
    void AddHeader();
    void EditItem();
    void DeleteItems();
    void MoveUp();
    void MoveDown();
    void Copy();
    void Cut();
    void Paste();
    void CreateSkipGroup();
    void Ungroup();
    // Applies the template at this position of the question editor's template list.
    void ApplyResponseTemplate(int position);
    void TemplateManager();
    // Rebuilds the main window's "Apply Response Template" submenu from the editor's list.
    void RebuildApplyMenu();

private:
    void Connect();
    void Finish(const std::vector<int>& select);
    bool MoveGuard();

    TORVMainForm& form_;
    TORVQuestion* question_ = nullptr;
    TORVHeader* header_ = nullptr;
};
