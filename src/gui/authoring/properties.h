#pragma once

#include "core/authoring/surveyproperties.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QStackedWidget;
class QTabWidget;
class QToolButton;
class TSurvey;

// "Survey Properties": the survey-wide properties in five tabs (Details, Web Server,
// Notifications, History, Security). Filled from the survey; OK checks the URLs and writes every
// value back (and, with "Ma&ke Default", the defaults of new surveys). Cancel writes nothing.
class TORVProperties : public QDialog {
    Q_OBJECT
public:
    TORVProperties(TSurvey& survey, const QString& dataDirectory, QWidget* parent = nullptr);
    ~TORVProperties() override;

    // Told the path of every preview page written, so that its owner deletes it later.
    std::function<void(const QString& path)> OnPreviewFile;

    TPropertyValues Values() const;
    void Preview();
    void SelectNotificationFile();
    void OpenEmailListManager();
    void AddIP();
    void DeleteIP();

    QTabWidget* pcProperties = nullptr;
    // Details
    QLineEdit* eName = nullptr;
    QLineEdit* eAuthor = nullptr;
    QPlainTextEdit* memoInstructions = nullptr;
    QPlainTextEdit* memoFinalComments = nullptr;
    QLineEdit* ePassword = nullptr;
    // Web Server
    QComboBox* cmbDisplayTemplate = nullptr;
    QPushButton* btnPreview = nullptr;
    QComboBox* cmbServerStyle = nullptr;
    QStackedWidget* nbServer = nullptr;
    QLineEdit* eServerURL = nullptr;
    QLineEdit* eAccountID = nullptr;
    QLineEdit* eResultURL = nullptr;
    // Notifications
    QLineEdit* eListFileName = nullptr;
    QToolButton* btnSelectFile = nullptr;
    QToolButton* btnEMailLibrary = nullptr;
    QRadioButton* rbSendNotificationsAll = nullptr;
    QRadioButton* rbSendNotificationsRandom = nullptr;
    QLabel* lblSamplingCaption = nullptr;
    QSlider* tbSampling = nullptr;
    QLabel* lblSampling = nullptr;
    QPlainTextEdit* memoNotifyMessage = nullptr;
    QCheckBox* cbAttachSurvey = nullptr;
    // History
    QPlainTextEdit* memoPublicationHistory = nullptr;
    // Security
    QCheckBox* cbOnly1Email = nullptr;
    QCheckBox* cbOnly1IP = nullptr;
    QCheckBox* cbLimitByIP = nullptr;
    QListWidget* lbIPAddresses = nullptr;
    QLineEdit* eIPToAdd = nullptr;
    QPushButton* btnAddIP = nullptr;
    QPushButton* btnDeleteIP = nullptr;
    // Below the tabs
    QCheckBox* cbMakeDefault = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    // properties_pages.cpp: the five tabs.
    QWidget* CreateDetailsPage();
    QWidget* CreateWebServerPage();
    QWidget* CreateNotificationsPage();
    QWidget* CreateHistoryPage();
    QWidget* CreateSecurityPage();
    void AssignHelpContexts();

    void Fill(const TPropertyValues& values);
    void ConnectBehaviour();
    void UpdateSampling();
    void UpdateIPControls();
    void FollowFocus(QWidget* now);
    void btnOKClick();
    void ShowInvalid(const QString& field, const QString& message);

    TSurvey& survey_;
    QString dataDirectory_;
    QMetaObject::Connection focusFollower_;
};
