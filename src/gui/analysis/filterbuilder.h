#pragma once

// "Filter Builder": the author puts together the conditions that limit the analysis to some
// respondents. The dialog edits a copy of the active filter; the caller takes Filter() on OK.

#include "core/analysis/filterlist.h"

#include <QDialog>

#include <functional>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class TSurvey;

// An entry of the question list: its caption and the item index it stands for.
struct TQuestionEntry {
    QString Caption;
    int ItemIndex = -1;
};

class TORVFilterBuilder : public QDialog {
    Q_OBJECT
public:
    // Checks a joined filter as the engine would take it: empty when it is accepted, else why not.
    using TValidator = std::function<QString(const QString& expression)>;
    // Search texts are upper-cased as the engine's UPPER() changes the field they are compared to.
    using TUpper = std::function<QString(const QString&)>;

    TORVFilterBuilder(const TSurvey& survey, const std::vector<TQuestionEntry>& questions,
        const TFilterList& active, QWidget* parent = nullptr);
    void SetValidator(TValidator validator) { validator_ = std::move(validator); }
    void SetUpper(TUpper upper) { upper_ = std::move(upper); }
    const TFilterList& Filter() const { return filter_; }

    QListWidget* lbCurrentFilter = nullptr;
    QPushButton* btnRemoveFilter = nullptr;
    QPushButton* btnClearAll = nullptr;
    QComboBox* cmbQList = nullptr;
    QStackedWidget* nbStyles = nullptr;
    QListWidget* lbResponses = nullptr;
    QRadioButton* rbSelected = nullptr;
    QRadioButton* rbDidNotSelect = nullptr;
    QComboBox* cmbTextOperators = nullptr;
    QLineEdit* eTextFilter = nullptr;
    QComboBox* cmbNumericOperators = nullptr;
    QLineEdit* eNumeric = nullptr;
    QPushButton* btnAddToFilter = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

    enum TPage { pgSelectList = 0, pgText = 1, pgNumeric = 2 };

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* MakeSelectListPage();
    QWidget* MakeTextPage();
    QWidget* MakeNumericPage();
    QLayout* MakeButtons();
    void cmbQListClick();
    void UpdateButtons();
    void btnAddToFilterClick();
    bool AddCondition(const TQuestion& question, TFilterList& candidate);
    void RefillCurrentFilter();
    void MakeDefault(QPushButton* button);
    const TQuestion* SelectedQuestion() const;

    const TSurvey& survey_;
    TFilterList filter_;
    TValidator validator_;
    TUpper upper_;
    bool shown_ = false;
};
