#pragma once

#include "core/base/preferences.h"

#include <QDialog>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QTabWidget;
class QToolButton;
class TMailSecurityBox;

// "Preferences": the per-user settings in three tabs (General, Email, Advanced). Filled from
// the values given; the caller writes Values() back on OK. The data directory is changed only
// through the directory chooser.
class TORVPrefs : public QDialog {
    Q_OBJECT
public:
    explicit TORVPrefs(const TPreferenceValues& values, QWidget* parent = nullptr);

    TPreferenceValues Values() const;
    // Runs the directory chooser on the data directory; tests replace it.
    std::function<std::optional<QString>(const QString& start)> ChooseDirectory;
    void BrowseDataDirectory();

    QTabWidget* pcPrefs = nullptr;
    // General
    QLineEdit* eDataDir = nullptr;
    QToolButton* btnBrowseDataDir = nullptr;
    QCheckBox* cbAutoReopenLastFile = nullptr;
    QCheckBox* cbDeleteQuestions = nullptr;
    QCheckBox* cbUngroupSkipGroup = nullptr;
    QCheckBox* cbChangesToPublishedSurvey = nullptr;
    QCheckBox* cbMoveSkipGroup = nullptr;
    QCheckBox* cbTipsAtStartup = nullptr;
    // Email
    QComboBox* cmbMailType = nullptr;
    QStackedWidget* nbMail = nullptr;
    QLineEdit* eSMTPServerAddress = nullptr;
    QLineEdit* eOutgoingPort = nullptr;
    QLineEdit* eUserID = nullptr;
    TMailSecurityBox* gbConnection = nullptr; // security, password, pause
    QLineEdit* eDisplayName = nullptr;
    QLineEdit* eReplyAddress = nullptr;
    QComboBox* cmbSendFormat = nullptr;
    QLineEdit* eGatewayText = nullptr;
    // Advanced
    QComboBox* cmbDefaultHTML = nullptr;
    QCheckBox* cbUseProxy = nullptr;
    QLabel* lblProxyAddress = nullptr;
    QLineEdit* eProxyAddress = nullptr;
    QLabel* lblProxyPort = nullptr;
    QLineEdit* eProxyPort = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    QWidget* CreateGeneralPage();
    QWidget* CreateEmailPage();
    QWidget* CreateInternetPage();
    QWidget* CreateMapiPage();
    QWidget* CreateAdvancedPage();
    void AssignHelpContexts();
    void Fill(const TPreferenceValues& values);
    void UpdateProxy();

    bool shownOnce_ = false;
};
