#include "gui/authoring/properties.h"

#include "core/authoring/questionrules.h"
#include "core/authoring/responsetemplate.h"
#include "core/base/inisettings.h"
#include "core/base/settingstable.h"
#include "core/base/utils.h"
#include "core/survey/survey.h"
#include "core/webform/page.h"
#include "gui/help/help.h"
#include "core/interaction/filedialogs.h"
#include "core/interaction/messages.h"
#include "core/interaction/shell.h"
#include "gui/widgets/dialogposition.h"
#include "gui/widgets/hooks.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSlider>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

enum TTab { tabDetails = 0, tabWebServer = 1, tabNotifications = 2, tabHistory = 3, tabSecurity = 4 };

// A box greyed in the button-face colour while it is disabled.
void EnableBox(QWidget* box, bool on)
{
    box->setEnabled(on);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, QApplication::palette().color(on ? QPalette::Base : QPalette::Button));
    box->setPalette(palette);
}

QString WithLineFeeds(const QString& text)
{
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines;
}

} // namespace

TORVProperties::TORVProperties(TSurvey& survey, const QString& dataDirectory, QWidget* parent)
    : QDialog(parent)
    , survey_(survey)
    , dataDirectory_(dataDirectory)
{
    setObjectName(QStringLiteral("ORVProperties"));
    setWindowTitle(QStringLiteral("Survey Properties"));
    pcProperties = new QTabWidget(this);
    pcProperties->addTab(CreateDetailsPage(), QStringLiteral("Details"));
    pcProperties->addTab(CreateWebServerPage(), QStringLiteral("Web Server"));
    pcProperties->addTab(CreateNotificationsPage(), QStringLiteral("Notifications"));
    pcProperties->addTab(CreateHistoryPage(), QStringLiteral("History"));
    pcProperties->addTab(CreateSecurityPage(), QStringLiteral("Security"));
    cbMakeDefault = new QCheckBox(QStringLiteral("Ma&ke Default"), this);
    btnOK = new QPushButton(QStringLiteral("&OK"), this);
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cbMakeDefault);
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pcProperties, 1);
    layout->addLayout(buttons);
    resize(540, 500);

    AssignHelpContexts();
    Fill(PropertiesFromSurvey(survey_));
    ConnectBehaviour();
    UpdateSampling();
    UpdateIPControls();
}

void TORVProperties::Fill(const TPropertyValues& v)
{
    eName->setText(v.Name);
    eAuthor->setText(v.Author);
    memoInstructions->setPlainText(v.Instructions);
    memoFinalComments->setPlainText(v.FinalComments);
    ePassword->setText(v.Password);
    for (const TTemplateEntry& entry : ListTemplates(dataDirectory_, TTemplateKind::Display))
        cmbDisplayTemplate->addItem(entry.Caption);
    cmbDisplayTemplate->setCurrentIndex(cmbDisplayTemplate->findText(v.DisplayTemplate));
    cmbServerStyle->setCurrentIndex(v.ServerStyle);
    nbServer->setCurrentIndex(v.ServerStyle);
    eServerURL->setText(v.ServerURL);
    eAccountID->setText(v.AccountID);
    eResultURL->setText(v.ResultURL);
    eListFileName->setText(v.NotificationFile);
    (v.AllAddresses ? rbSendNotificationsAll : rbSendNotificationsRandom)->setChecked(true);
    tbSampling->setValue(v.SamplingPercent);
    lblSampling->setText(SamplingCaption(tbSampling->value()));
    memoNotifyMessage->setPlainText(v.NotifyMessage);
    cbAttachSurvey->setChecked(v.AttachSurvey);
    memoPublicationHistory->setPlainText(WithLineFeeds(survey_.PubHistory()));
    cbOnly1Email->setChecked(v.Only1Email);
    cbOnly1IP->setChecked(v.Only1IP);
    cbLimitByIP->setChecked(v.LimitByIP);
    for (const QString& address : v.IpAddresses) {
        if (!address.isEmpty())
            lbIPAddresses->addItem(address);
    }
    cbMakeDefault->setChecked(false);
}

TPropertyValues TORVProperties::Values() const
{
    TPropertyValues v;
    v.Name = eName->text();
    v.Author = eAuthor->text();
    v.Password = ePassword->text();
    v.Instructions = memoInstructions->toPlainText();
    v.FinalComments = memoFinalComments->toPlainText();
    v.DisplayTemplate
        = cmbDisplayTemplate->currentIndex() >= 0 ? cmbDisplayTemplate->currentText() : QString();
    v.ServerStyle = cmbServerStyle->currentIndex() == kServerHosted ? kServerHosted : kServerPrivate;
    v.ServerURL = eServerURL->text();
    v.AccountID = eAccountID->text();
    v.ResultURL = eResultURL->text();
    v.NotificationFile = eListFileName->text();
    v.AllAddresses = rbSendNotificationsAll->isChecked();
    v.SamplingPercent = tbSampling->value();
    v.NotifyMessage = memoNotifyMessage->toPlainText();
    v.AttachSurvey = cbAttachSurvey->isChecked();
    v.Only1Email = cbOnly1Email->isChecked();
    v.Only1IP = cbOnly1IP->isChecked();
    v.LimitByIP = cbLimitByIP->isChecked();
    for (int i = 0; i < lbIPAddresses->count(); ++i)
        v.IpAddresses.append(lbIPAddresses->item(i)->text());
    return v;
}

void TORVProperties::ConnectBehaviour()
{
    connect(cmbServerStyle, &QComboBox::currentIndexChanged, nbServer, &QStackedWidget::setCurrentIndex);
    connect(tbSampling, &QSlider::valueChanged, this,
        [this](int value) { lblSampling->setText(SamplingCaption(value)); });
    connect(rbSendNotificationsAll, &QRadioButton::toggled, this, &TORVProperties::UpdateSampling);
    connect(cbLimitByIP, &QCheckBox::toggled, this, [this](bool on) {
        UpdateIPControls();
        if (on && isVisible())
            eIPToAdd->setFocus();
    });
    connect(lbIPAddresses, &QListWidget::itemSelectionChanged, this, &TORVProperties::UpdateIPControls);
    connect(eIPToAdd, &QLineEdit::textChanged, this, &TORVProperties::UpdateIPControls);
    connect(btnAddIP, &QPushButton::clicked, this, &TORVProperties::AddIP);
    connect(btnDeleteIP, &QPushButton::clicked, this, &TORVProperties::DeleteIP);
    focusFollower_ = connect(
        qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { FollowFocus(now); });
    connect(btnPreview, &QPushButton::clicked, this, &TORVProperties::Preview);
    connect(btnSelectFile, &QToolButton::clicked, this, &TORVProperties::SelectNotificationFile);
    connect(btnEMailLibrary, &QToolButton::clicked, this, &TORVProperties::OpenEmailListManager);
    connect(btnOK, &QPushButton::clicked, this, &TORVProperties::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

// Hiding the dialog while it is destroyed moves the focus; by then this is no longer a
// TORVProperties, so the focus follower must not hear of it.
TORVProperties::~TORVProperties()
{
    disconnect(focusFollower_);
}

void TORVProperties::UpdateSampling()
{
    const bool random = rbSendNotificationsRandom->isChecked();
    lblSamplingCaption->setEnabled(random);
    tbSampling->setEnabled(random);
    lblSampling->setEnabled(random);
}

void TORVProperties::UpdateIPControls()
{
    const TIPListState state = IPListState(cbLimitByIP->isChecked(),
        lbIPAddresses->currentItem() != nullptr && !lbIPAddresses->selectedItems().isEmpty(),
        eIPToAdd->text());
    EnableBox(lbIPAddresses, state.ListEnabled);
    EnableBox(eIPToAdd, state.ListEnabled);
    btnAddIP->setEnabled(state.AddEnabled);
    btnDeleteIP->setEnabled(state.DeleteEnabled);
}

void TORVProperties::FollowFocus(QWidget* now)
{
    // Enter in the address box adds the address; everywhere else it is OK.
    const bool adding = now == eIPToAdd;
    btnAddIP->setDefault(adding);
    btnOK->setDefault(!adding);
}

void TORVProperties::AddIP()
{
    if (eIPToAdd->text().isEmpty() || !cbLimitByIP->isChecked())
        return;
    lbIPAddresses->addItem(eIPToAdd->text());
    lbIPAddresses->setCurrentRow(lbIPAddresses->count() - 1);
    eIPToAdd->clear();
    eIPToAdd->setFocus();
    UpdateIPControls();
}

void TORVProperties::DeleteIP()
{
    const QList<QListWidgetItem*> selected = lbIPAddresses->selectedItems();
    if (selected.isEmpty()) {
        QApplication::beep();
        return;
    }
    delete lbIPAddresses->takeItem(lbIPAddresses->row(selected.front()));
    UpdateIPControls();
}

void TORVProperties::Preview()
{
    const QString chosen
        = cmbDisplayTemplate->currentIndex() >= 0 ? cmbDisplayTemplate->currentText() : QString();
    if (chosen.isEmpty()) {
        ShowError(QStringLiteral("Please choose a display template to preview the survey with."));
        return;
    }
    const QString file = MakeTempFileName(QStringLiteral("htm"));
    // A preview is not a publication: the survey keeps its page state, and nothing it stores has
    // changed (the main window's Preview does the same).
    const QString status = survey_.HTMLStatus();
    const QString pageFile = survey_.HTMLFileName();
    const QDateTime pageTime = survey_.HTMLLastUpdate();
    const bool modified = survey_.Modified();
    const TPageResult result = GeneratePreview(survey_, file, dataDirectory_, chosen);
    survey_.SetHTMLStatus(status);
    survey_.SetHTMLFileName(pageFile);
    survey_.SetHTMLLastUpdate(pageTime);
    survey_.SetModified(modified);
    if (!result.Succeeded()) {
        ShowError(QString::fromLatin1(kPageFailureMessage));
        return;
    }
    if (OnPreviewFile)
        OnPreviewFile(file);
    OpenWithShell(file);
}

void TORVProperties::SelectNotificationFile()
{
    const QString current = eListFileName->text().trimmed();
    const QString directory = current.isEmpty() ? QString() : QFileInfo(current).absolutePath();
    const auto chosen = FileDialogs().OpenFile(
        QStringLiteral("Select an Email List"), QStringLiteral("Email List (*.eml)"), directory);
    if (chosen)
        eListFileName->setText(*chosen);
}

void TORVProperties::OpenEmailListManager()
{
    const QString name = eListFileName->text().trimmed();
    QVariantMap args{{QStringLiteral("file"), name}, {QStringLiteral("create"), false}};
    if (!name.isEmpty() && !QFileInfo::exists(name)) {
        if (!AskYesNo(QStringLiteral("The Notification list ") + name
                    + QStringLiteral(" does not exist.  Would you like to create a ")
                    + QStringLiteral("new list with that name?"),
                true))
            return;
        args[QStringLiteral("create")] = true;
    }
    if (!RunHook(QString::fromLatin1(kEmailListManagerHook), parentWidget() ? parentWidget() : this, args))
        ShowNotAvailable(QStringLiteral("E-Mail List Manager"));
}

void TORVProperties::btnOKClick()
{
    const TPropertyValues values = Values();
    try {
        ValidateProperties(values);
    } catch (const EValidationException& e) {
        ShowInvalid(e.Field(), e.Message());
        return;
    }
    ApplyProperties(values, survey_);
    if (cbMakeDefault->isChecked())
        WritePropertyDefaults(survey_, AppSettings());
    accept();
}

void TORVProperties::ShowInvalid(const QString& field, const QString& message)
{
    pcProperties->setCurrentIndex(tabWebServer);
    QWidget* control = findChild<QWidget*>(field);
    if (auto* box = qobject_cast<QLineEdit*>(control))
        box->selectAll();
    if (control)
        control->setFocus();
    ShowError(message);
}

void TORVProperties::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        RestoreDialogPosition(this, settings::PropertyWindow);
        pcProperties->setCurrentIndex(tabDetails);
        eName->setFocus();
        // After the dialog has given its first focus (which would select the whole name).
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (eName->text() == QLatin1String(kUntitled))
                    eName->selectAll();
                else
                    eName->setCursorPosition(0);
            },
            Qt::QueuedConnection);
    }
    QDialog::showEvent(event);
}

void TORVProperties::done(int result)
{
    StoreDialogPosition(this, settings::PropertyWindow);
    QDialog::done(result);
}
