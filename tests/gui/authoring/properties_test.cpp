#include "core/base/inisettings.h"
#include "core/base/settingstable.h"
#include "core/survey/survey.h"
#include "gui/authoring/properties.h"
#include "gui/widgets/hooks.h"
#include "support/scriptedseams.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

class PropertiesTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<TScriptedSeams> seams_;
    std::unique_ptr<TSurvey> survey_;
    QString Dir() const { return dir_->path() + QLatin1Char('/'); }
    void Touch(const QString& name, const QByteArray& bytes = "<html><!--ORVQUESTIONS--></html>")
    {
        QFile f(Dir() + name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    // The dialog shown, as the author sees it; OK is clicked by each test.
    std::unique_ptr<TORVProperties> Open()
    {
        auto dialog = std::make_unique<TORVProperties>(*survey_, Dir());
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        if (!QTest::qWaitForWindowActive(dialog.get()))
            qWarning("the properties dialog did not become active");
        return dialog;
    }

private Q_SLOTS:
    void init()
    {
        SetAppSettings(std::make_unique<TMemorySettings>());
        dir_ = std::make_unique<QTemporaryDir>();
        seams_ = std::make_unique<TScriptedSeams>();
        Touch(QStringLiteral("default.ovg"));
        Touch(QStringLiteral("modern.ovg"));
        survey_ = std::make_unique<TSurvey>(&AppSettings());
        survey_->NewSurvey();
        survey_->SetServerURL(QStringLiteral("http://www.example.com/scripts/orv.dll"));
        survey_->SetModified(false);
        seams_->messages->shown.clear();
    }
    void cleanup()
    {
        survey_.reset();
        seams_.reset();
        dir_.reset();
        UnregisterHook(QString::fromLatin1(kEmailListManagerHook));
    }

    void opensOnDetailsWithTheUntitledNameSelected()
    {
        auto d = Open();
        QCOMPARE(d->pcProperties->currentIndex(), 0);
        QCOMPARE(d->eName->selectedText(), QStringLiteral("(Untitled)"));
        QCOMPARE(d->cmbDisplayTemplate->currentText(), QStringLiteral("default.ovg"));
        QCOMPARE(d->eServerURL->text(), QStringLiteral("http://www.example.com/scripts/orv.dll"));
        QVERIFY(!d->cbMakeDefault->isChecked());
    }

    void urlCheck_data()
    {
        QTest::addColumn<QString>("result");
        QTest::addColumn<int>("server");
        QTest::addColumn<QString>("serverURL");
        QTest::addColumn<QString>("refused"); // the box that gets the focus, empty when OK passes
        QTest::newRow("secure result") << "https://example.com/done.html" << 0 << "http://h/orv.dll"
                                       << "";
        QTest::newRow("leading text") << "go to http://example.com/done.html" << 0 << "http://h/orv.dll"
                                      << "";
        QTest::newRow("no scheme") << "example.com/done.html" << 0 << "http://h/orv.dll"
                                   << "eResultURL";
        QTest::newRow("empty private server") << "" << 0 << ""
                                              << "eServerURL";
        QTest::newRow("hosted, server not checked") << "" << 1 << ""
                                                    << "";
    }
    void urlCheck()
    {
        QFETCH(QString, result);
        QFETCH(int, server);
        QFETCH(QString, serverURL);
        QFETCH(QString, refused);
        auto d = Open();
        d->eResultURL->setText(result);
        d->cmbServerStyle->setCurrentIndex(server);
        d->eServerURL->setText(serverURL);
        QTest::mouseClick(d->btnOK, Qt::LeftButton);
        if (refused.isEmpty()) {
            QCOMPARE(d->result(), int(QDialog::Accepted));
            QVERIFY(seams_->messages->shown.empty());
            QCOMPARE(survey_->ResultURL(), result);
            return;
        }
        QVERIFY(d->isVisible());
        QCOMPARE(d->pcProperties->currentIndex(), 1);
        auto* box = d->findChild<QLineEdit*>(refused);
        QVERIFY(box);
        QCOMPARE(QApplication::focusWidget(), box);
        QCOMPARE(box->selectedText(), box->text());
        QCOMPARE(seams_->messages->Captions(), QStringList{"Error"});
        QVERIFY(!survey_->Modified());
    }

    void accountIDKeptOrClearedByServerType()
    {
        auto d = Open();
        d->cmbServerStyle->setCurrentIndex(1);
        QCOMPARE(d->nbServer->currentIndex(), 1);
        d->eAccountID->setText(QStringLiteral("ACME-42"));
        QTest::mouseClick(d->btnOK, Qt::LeftButton);
        QCOMPARE(survey_->ProcessResponses(), 1);
        QCOMPARE(survey_->AccountID(), QStringLiteral("ACME-42"));

        auto again = Open();
        QCOMPARE(again->eAccountID->text(), QStringLiteral("ACME-42"));
        again->cmbServerStyle->setCurrentIndex(0);
        QCOMPARE(again->nbServer->currentIndex(), 0);
        again->eServerURL->setText(QStringLiteral("http://h/orv.dll"));
        QTest::mouseClick(again->btnOK, Qt::LeftButton);
        QCOMPARE(survey_->ProcessResponses(), 0);
        QCOMPARE(survey_->AccountID(), QString());
    }

    void makeDefaultStoresOnlyItsNineValues()
    {
        auto d = Open();
        d->eName->setText(QStringLiteral("Staff survey"));
        d->eAuthor->setText(QStringLiteral("Pat"));
        d->ePassword->setText(QStringLiteral("secret"));
        d->eListFileName->setText(QStringLiteral("/tmp/staff.eml"));
        d->cbOnly1IP->setChecked(true);
        d->cbMakeDefault->setChecked(true);
        QTest::mouseClick(d->btnOK, Qt::LeftButton);
        const TSettings& s = AppSettings();
        QCOMPARE(s.ReadString(settings::Defaults, settings::Author, {}), QStringLiteral("Pat"));
        QCOMPARE(
            s.ReadString(settings::Defaults, settings::DisplayTemplate, {}), QStringLiteral("default.ovg"));
        QVERIFY(s.ReadBool(settings::Defaults, settings::Only1IP, false));
        QVERIFY(!s.Value(settings::Defaults, settings::Password));
        QVERIFY(!s.Value(settings::Defaults, QStringLiteral("Name")));
        QVERIFY(!s.Value(settings::Defaults, QStringLiteral("NotificationFile")));
        QVERIFY(!s.Value(settings::Defaults, QStringLiteral("ProcessResponses")));

        auto unchecked = Open();
        QVERIFY(!unchecked->cbMakeDefault->isChecked());
    }

    void ipListFollowsItsCheckBox()
    {
        auto d = Open();
        d->pcProperties->setCurrentIndex(4);
        QVERIFY(!d->lbIPAddresses->isEnabled());
        QVERIFY(!d->eIPToAdd->isEnabled());
        QVERIFY(!d->btnAddIP->isEnabled() && !d->btnDeleteIP->isEnabled());
        d->cbLimitByIP->setChecked(true);
        QCOMPARE(QApplication::focusWidget(), d->eIPToAdd);
        QVERIFY(d->btnAddIP->isDefault());
        QVERIFY(!d->btnAddIP->isEnabled());
        QTest::keyClicks(d->eIPToAdd, QStringLiteral("192.168.10"));
        QTest::keyClick(d->eIPToAdd, Qt::Key_Return); // Enter adds while the box has the focus
        QVERIFY(d->isVisible());
        QCOMPARE(d->lbIPAddresses->count(), 1);
        QCOMPARE(d->lbIPAddresses->currentItem()->text(), QStringLiteral("192.168.10"));
        QCOMPARE(d->eIPToAdd->text(), QString());
        QVERIFY(d->btnDeleteIP->isEnabled());
        QTest::keyClicks(d->eIPToAdd, QStringLiteral("10.0.0.1.2.3.4.5.6")); // at most 15 characters
        QCOMPARE(d->eIPToAdd->text().size(), 15);
        d->eIPToAdd->clear();
        QTest::mouseClick(d->btnDeleteIP, Qt::LeftButton);
        QCOMPARE(d->lbIPAddresses->count(), 0);
        d->lbIPAddresses->addItem(QStringLiteral("10.1"));
        d->btnOK->setFocus();
        QVERIFY(d->btnOK->isDefault());
        QTest::mouseClick(d->btnOK, Qt::LeftButton);
        QVERIFY(survey_->LimitByIP());
        QCOMPARE(survey_->IPAddresses(), QStringLiteral("10.1"));
    }

    void samplingTrackBarOnlyForARandomSample()
    {
        survey_->SetAllAddresses(true);
        auto d = Open();
        QVERIFY(!d->tbSampling->isEnabled());
        QCOMPARE(d->lblSampling->text(), QStringLiteral("10% of list"));
        d->rbSendNotificationsRandom->setChecked(true);
        QVERIFY(d->tbSampling->isEnabled() && d->lblSampling->isEnabled());
        d->tbSampling->setValue(35);
        QCOMPARE(d->lblSampling->text(), QStringLiteral("35% of list"));
        QTest::mouseClick(d->btnOK, Qt::LeftButton);
        QCOMPARE(survey_->SamplingPercent(), 35);
        QVERIFY(!survey_->AllAddresses());
    }

    void previewUsesTheChosenTemplateOnly()
    {
        QStringList recorded;
        auto d = Open();
        d->OnPreviewFile = [&](const QString& path) { recorded.append(path); };
        d->cmbDisplayTemplate->setCurrentText(QStringLiteral("modern.ovg"));
        QTest::mouseClick(d->btnPreview, Qt::LeftButton);
        QCOMPARE(recorded.size(), 1);
        QCOMPARE(seams_->shell->opened, recorded);
        QCOMPARE(survey_->DisplayTemplate(), QStringLiteral("default.ovg"));
        QCOMPARE(survey_->HTMLStatus(), QString::fromLatin1(kHTMLNotGenerated));
        QFile::remove(recorded.front());
        d->reject();
        QVERIFY(!survey_->Modified());
    }

    void missingTemplateRefusesOK()
    {
        survey_->SetDisplayTemplate(QStringLiteral("gone.ovg"));
        survey_->SetModified(false);
        auto d = Open();
        QCOMPARE(d->cmbDisplayTemplate->currentIndex(), -1);
        d->eName->setText(QStringLiteral("Changed"));
        QTest::mouseClick(d->btnOK, Qt::LeftButton);
        QVERIFY(d->isVisible());
        QCOMPARE(survey_->Name(), QStringLiteral("(Untitled)"));
        QVERIFY(!survey_->Modified());
        d->cmbDisplayTemplate->setCurrentIndex(0);
        QTest::mouseClick(d->btnOK, Qt::LeftButton);
        QCOMPARE(survey_->Name(), QStringLiteral("Changed"));
    }

    void emailListButtonOpensTheManager()
    {
        QVariantMap seen;
        int calls = 0;
        RegisterHook(QString::fromLatin1(kEmailListManagerHook), [&](QWidget*, const QVariantMap& args) {
            seen = args;
            ++calls;
        });
        auto d = Open();
        const QString missing = Dir() + QStringLiteral("new.eml");
        d->eListFileName->setText(missing);
        QTest::mouseClick(d->btnEMailLibrary, Qt::LeftButton); // unscripted question: No
        QCOMPARE(calls, 0);
        QCOMPARE(seams_->messages->Texts().last(),
            QStringLiteral("The Notification list ") + missing
                + QStringLiteral(" does not exist.  Would you like to create a new list with that name?"));
        seams_->messages->Script(TAnswer::Yes);
        QTest::mouseClick(d->btnEMailLibrary, Qt::LeftButton);
        QCOMPARE(calls, 1);
        QCOMPARE(seen.value("file").toString(), missing);
        QVERIFY(seen.value("create").toBool());

        UnregisterHook(QString::fromLatin1(kEmailListManagerHook));
        d->eListFileName->clear();
        QTest::mouseClick(d->btnEMailLibrary, Qt::LeftButton);
        QVERIFY(seams_->messages->Texts().last().contains(QStringLiteral("E-Mail List Manager")));
    }

    void notificationFileChooser()
    {
        auto d = Open();
        d->eListFileName->setText(QStringLiteral("/srv/lists/old.eml"));
        seams_->files->Script(QStringLiteral("/srv/lists/staff.eml"));
        QTest::mouseClick(d->btnSelectFile, Qt::LeftButton);
        QCOMPARE(d->eListFileName->text(), QStringLiteral("/srv/lists/staff.eml"));
        const TFileDialogRequest& r = seams_->files->requests.back();
        QCOMPARE(r.Title, QStringLiteral("Select an Email List"));
        QCOMPARE(r.Directory, QStringLiteral("/srv/lists"));
    }

    void cancelWritesNothingAndThePositionIsKept()
    {
        auto d = Open();
        d->eName->setText(QStringLiteral("Changed"));
        d->move(40, 60);
        d->reject();
        QCOMPARE(survey_->Name(), QStringLiteral("(Untitled)"));
        QVERIFY(!survey_->Modified());
        QCOMPARE(AppSettings().ReadInteger(settings::PropertyWindow, settings::Left, 0), 40);
        auto again = Open();
        QCOMPARE(again->pos(), QPoint(40, 60));
    }

    void screenshots()
    {
        const QString target = qEnvironmentVariable("ORVALLE_SCREENSHOT_DIR");
        if (target.isEmpty())
            QSKIP("ORVALLE_SCREENSHOT_DIR not set");
        survey_->SetName(QStringLiteral("Harbour Street Café visitor survey"));
        survey_->SetAuthor(QStringLiteral("Mara Ellison"));
        survey_->SetInstructions(
            QStringLiteral("Thank you for visiting us!\nThis survey takes about three minutes."));
        survey_->SetFinalComments(QStringLiteral("Thank you for your time."));
        survey_->SetResultURL(QStringLiteral("http://www.example.com/result.html"));
        survey_->SetLimitByIP(true);
        survey_->SetIPAddresses(QStringLiteral("192.168.10,10.20"));
        survey_->AddHistory(QStringLiteral("Survey page generated"));
        auto d = Open();
        d->resize(560, 520);
        QVERIFY(QTest::qWaitForWindowExposed(d.get()));
        const char* files[] = {"properties-details.png", "properties-webserver.png",
            "properties-notifications.png", "properties-history.png", "properties-security.png"};
        for (int tab = 0; tab < 5; ++tab) {
            d->pcProperties->setCurrentIndex(tab);
            QTest::qWait(100);
            QVERIFY(d->grab().save(target + QLatin1Char('/') + QLatin1String(files[tab])));
        }
    }
};

QTEST_MAIN(PropertiesTest)
#include "properties_test.moc"
