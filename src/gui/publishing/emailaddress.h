#pragma once

// TORVEmailAddress ("Address"): enters or changes one person of an e-mail list.

#include "core/publishing/emaillist.h"

#include <QDialog>

class QLineEdit;

class TORVEmailAddress : public QDialog {
    Q_OBJECT
public:
    explicit TORVEmailAddress(QWidget* parent = nullptr);
    ~TORVEmailAddress() override;

    void SetPerson(const TEmailPerson& person);
    TEmailPerson Person() const;

    QLineEdit* eFirstName = nullptr;
    QLineEdit* eLastName = nullptr;
    QLineEdit* eEmailAddress = nullptr;
};
