#pragma once

#include "core/authoring/questionrows.h"

#include <QAbstractListModel>
#include <QStyledItemDelegate>

// The rows of lbQuestions. Replaced whole by RefreshQuestionList.
class TQuestionListModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { DetailRole = Qt::UserRole + 1, ImageRole, HeaderRole, IndentRole };

    using QAbstractListModel::QAbstractListModel;
    void SetRows(std::vector<TQuestionRow> rows);
    const std::vector<TQuestionRow>& Rows() const { return rows_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<TQuestionRow> rows_;
};

// Draws a row: a header as one bold line on the button-shadow colour; a question with its style
// image (indented 30 pixels inside a skip group), the bold number line and the detail line.
class TQuestionDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(
        QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    static constexpr int kGroupIndent = 30;
    static int HeaderRowHeight(const QFont& listFont);
    static int QuestionRowHeight();
};
