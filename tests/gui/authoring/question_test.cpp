#include "core/base/inisettings.h"
#include "core/base/profilefile.h"
#include "core/base/settingstable.h"
#include "core/survey/question.h"
#include "gui/authoring/question.h"
#include "gui/authoring/rt.h"
#include "support/modaldriver.h"
#include "support/scriptedseams.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>

class QuestionEditorTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<TScriptedSeams> seams_;
    QString Dir() const { return dir_->path() + QLatin1Char('/'); }
    void WriteTemplate(const QString& name, const QByteArray& bytes)
    {
        QFile f(Dir() + name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

private Q_SLOTS:
    void init()
    {
        SetAppSettings(std::make_unique<TMemorySettings>());
        dir_ = std::make_unique<QTemporaryDir>();
        seams_ = std::make_unique<TScriptedSeams>();
    }
    void cleanup()
    {
        seams_.reset();
        dir_.reset();
    }

    void automaticStepFollowsMinimumAndMaximum_data()
    {
        QTest::addColumn<QString>("min");
        QTest::addColumn<QString>("max");
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("label");
        QTest::newRow("1..10") << "1"
                               << "10"
                               << "10"
                               << "(Results will be groups of 1)";
        QTest::newRow("2..10") << "2"
                               << "10"
                               << "5"
                               << "(Results will be groups of 2)";
        QTest::newRow("5..100") << "5"
                                << "100"
                                << "9"
                                << "(Results will be groups of 11)";
        QTest::newRow("1..200") << "1"
                                << "200"
                                << "19"
                                << "(Results will be groups of 10)";
        QTest::newRow("0..10") << "0"
                               << "10"
                               << "10"
                               << "(Results will be groups of 1)";
        QTest::newRow("10..5") << "10"
                               << "5"
                               << "1"
                               << "(Results will be groups of 1)";
    }
    void automaticStepFollowsMinimumAndMaximum()
    {
        QFETCH(QString, min);
        QFETCH(QString, max);
        QFETCH(QString, step);
        QFETCH(QString, label);
        TORVQuestion editor(Dir());
        editor.eStepValue->setText(QStringLiteral("3")); // typed earlier: overwritten by a change
        editor.eMinValue->setText(min);
        editor.eMaxValue->setText(QString());
        editor.eMaxValue->setText(max);
        QCOMPARE(editor.eStepValue->text(), step);
        QCOMPARE(editor.lblStepGroup->text(), label);
    }

    void fillForEditKeepsTheStoredStep()
    {
        TORVQuestion editor(Dir());
        TEditorValues v;
        v.Style = qsNumericValue;
        v.MinValue = QStringLiteral("1");
        v.MaxValue = QStringLiteral("100");
        v.StepValue = QStringLiteral("25");
        editor.Fill(v);
        QCOMPARE(editor.eStepValue->text(), QStringLiteral("25"));
        QCOMPARE(editor.lblStepGroup->text(), QStringLiteral("(Results will be groups of 4)"));
        QCOMPARE(editor.nbStyle->currentIndex(), int(TORVQuestion::pgNumeric));
        editor.eStepValue->setText(QString()); // an empty step counts as 10
        QCOMPARE(editor.lblStepGroup->text(), QStringLiteral("(Results will be groups of 10)"));

        v.Style = qsFreeFormText;
        v.Limited = false;
        v.Length = QStringLiteral("80");
        editor.Fill(v);
        QVERIFY(editor.rbVerbose->isChecked());
        QVERIFY(editor.eLengthOfResponse->text().isEmpty());
        QCOMPARE(editor.nbStyle->currentIndex(), int(TORVQuestion::pgFullText));
        QCOMPARE(FieldsFromEditor(editor.Values()).LengthOfResponse, -1);
    }

    void resetKeepsWhatTheLastQuestionLeft()
    {
        TORVQuestion editor(Dir());
        TEditorValues v;
        v.Text = QStringLiteral("Old");
        v.Style = qsPullDownList;
        v.Responses = QStringLiteral("a\nb");
        v.IncludeOther = true;
        v.IncludeComment = true;
        v.CommentLength = QStringLiteral("77");
        v.MinValue = QStringLiteral("3");
        editor.Fill(v);
        editor.ResetEditor();
        QVERIFY(editor.memoText->toPlainText().isEmpty());
        QVERIFY(editor.memoResponses->toPlainText().isEmpty());
        QCOMPARE(editor.cmbStyle->currentIndex(), 0);
        QCOMPARE(editor.nbStyle->currentIndex(), int(TORVQuestion::pgResponses));
        QVERIFY(!editor.cbIncludeSpecify->isChecked());
        QVERIFY(editor.cbIncludeComment->isChecked()); // still ticked from the earlier question
        QCOMPARE(editor.eCommentLength->text(), QStringLiteral("77"));
        QCOMPARE(editor.eMinValue->text(), QStringLiteral("3"));
    }

    void okChecksTheLengthsInOrder_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<bool>("other");
        QTest::addColumn<QString>("otherLength");
        QTest::addColumn<bool>("comment");
        QTest::addColumn<QString>("commentLength");
        QTest::addColumn<QString>("focused"); // empty: accepted
        QTest::newRow("comment on a numeric question") << 6 << false << "40" << true << "20"
                                                       << "eCommentLength";
        QTest::newRow("other on free text is not checked") << 4 << true << "20" << false << "40"
                                                           << "";
        QTest::newRow("other before comment") << 1 << true << "20" << true << "20"
                                              << "eOtherLength";
        QTest::newRow("not a number") << 1 << true << "4x" << false << ""
                                      << "eOtherLength";
        QTest::newRow("bounds") << 2 << true << "30" << true << "250"
                                << "";
        QTest::newRow("above") << 2 << false << "" << true << "251"
                               << "eCommentLength";
    }
    void okChecksTheLengthsInOrder()
    {
        QFETCH(int, style);
        QFETCH(bool, other);
        QFETCH(QString, otherLength);
        QFETCH(bool, comment);
        QFETCH(QString, commentLength);
        QFETCH(QString, focused);
        TORVQuestion editor(Dir());
        editor.ResetEditor();
        editor.cmbStyle->setCurrentIndex(style - 1);
        editor.cbIncludeSpecify->setChecked(other);
        editor.eOtherLength->setText(otherLength);
        editor.cbIncludeComment->setChecked(comment);
        editor.eCommentLength->setText(commentLength);
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        QTest::mouseClick(editor.btnOK, Qt::LeftButton);
        if (focused.isEmpty()) {
            QCOMPARE(editor.result(), int(QDialog::Accepted));
            QVERIFY(seams_->messages->shown.empty());
            return;
        }
        QVERIFY(editor.isVisible());
        QCOMPARE(seams_->messages->Texts(), QStringList{"You must enter a value between 30 and 250"});
        QCOMPARE(seams_->messages->Captions(), QStringList{"Error"});
        QLineEdit* box = focused == "eOtherLength" ? editor.eOtherLength : editor.eCommentLength;
        QCOMPARE(QApplication::focusWidget(), box);
        QCOMPARE(box->selectedText(), box->text());
    }

    void lengthBoxesFollowTheirCheckBoxes()
    {
        TORVQuestion editor(Dir());
        editor.cbIncludeSpecify->setChecked(false);
        editor.cbIncludeComment->setChecked(true);
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        QVERIFY(!editor.eOtherLength->isEnabled());
        QVERIFY(!editor.lblOtherRange->isEnabled());
        QVERIFY(editor.eCommentLength->isEnabled());
        QCOMPARE(QApplication::focusWidget(), editor.memoText);
        editor.cbIncludeSpecify->setChecked(true);
        QVERIFY(editor.eOtherLength->isEnabled());
        QVERIFY(editor.lblOtherLength->isEnabled());
    }

    void anEmptyRangeBoxKeepsTheFocus()
    {
        TORVQuestion editor(Dir());
        editor.cmbStyle->setCurrentIndex(qsNumericValue - 1);
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        editor.eMaxValue->setFocus();
        editor.eMaxValue->setText(QStringLiteral("  "));
        editor.eStepValue->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), editor.eMaxValue);
        QCOMPARE(editor.eStepValue->text(), QStringLiteral("10")); // an empty maximum counts as 10
    }

    void templatesFillTheResponses()
    {
        WriteTemplate("b.ovt", "[Details]\r\nTitle=Bee\r\n[Values]\r\n2=Two\r\n1=One\r\n3=Three\r\n");
        WriteTemplate("A.ovt", "[Values]\r\n1=x\r\n");
        WriteTemplate("junk.ovt", QByteArray("\x00\xff[[[=\n\x01", 9));
        TORVQuestion editor(Dir());
        QCOMPARE(editor.TemplateList(), QStringList({"A.ovt", "b.ovt", "junk.ovt"}));
        QStringList captions;
        for (QAction* a : editor.miInsertFromTemplate->actions())
            captions.append(a->text());
        QCOMPARE(captions, QStringList({"Unknown", "Bee", "Unknown"}));

        editor.memoResponses->setPlainText(QStringLiteral("old"));
        editor.miInsertFromTemplate->actions().at(1)->trigger();
        QCOMPARE(editor.memoResponses->toPlainText(), QStringLiteral("Two\nOne\nThree"));
        editor.miInsertFromTemplate->actions().at(2)->trigger(); // not a profile: no crash
        QFile::remove(Dir() + "b.ovt");
        editor.InsertFromTemplate(1); // vanished since the list was read
        QVERIFY(editor.memoResponses->toPlainText().isEmpty());
        editor.memoResponses->setPlainText(QStringLiteral("x"));
        editor.miClearAll->trigger();
        QVERIFY(editor.memoResponses->toPlainText().isEmpty());
    }

    void saveToTemplateWritesANewNumberedFile()
    {
        TORVQuestion editor(Dir());
        QStringList lines;
        for (int i = 0; i < 10000; ++i)
            lines.append(QStringLiteral("Option %1").arg(i));
        lines[5].clear(); // a blank line is kept
        editor.memoResponses->setPlainText(lines.join('\n'));
        bool okStartedDisabled = false;
        WhenModal([&](QDialog* d) {
            auto* rt = qobject_cast<TORVrt*>(d);
            QVERIFY(rt);
            QCOMPARE(rt->windowTitle(), QStringLiteral("Response Template"));
            okStartedDisabled = !rt->btnOK->isEnabled();
            QTest::keyClicks(rt->eTemplateName, QStringLiteral("Big list"));
            QVERIFY(rt->btnOK->isEnabled());
            rt->btnOK->click();
        });
        editor.miSaveToTemplate->trigger();
        QVERIFY(okStartedDisabled);
        const TProfileFile file(Dir() + "rtemp0.ovt");
        QCOMPARE(file.ReadString("Details", "Title", ""), QStringLiteral("Big list"));
        QCOMPARE(file.Keys("Values").size(), 10000);
        QCOMPARE(file.ReadString("Values", "6", "missing"), QString());
        QCOMPARE(file.ReadString("Values", "10000", ""), QStringLiteral("Option 9999"));
        QCOMPARE(editor.TemplateList(), QStringList({"rtemp0.ovt"}));
        QCOMPARE(editor.miInsertFromTemplate->actions().size(), 1);
        QVERIFY(AppSettings().Value(settings::ResponseTemplateWindow, settings::Top).has_value());
    }

    void saveToTemplateInAMissingDirectoryTellsTheAuthor()
    {
        TORVQuestion editor(Dir() + "gone/");
        editor.memoResponses->setPlainText(QStringLiteral("a"));
        WhenModal([](QDialog* d) {
            auto* rt = qobject_cast<TORVrt*>(d);
            QVERIFY(rt);
            rt->eTemplateName->setText(QStringLiteral("T"));
            rt->btnOK->click();
        });
        editor.SaveToTemplate();
        QCOMPARE(seams_->messages->Texts(), QStringList{"The response file could not be created."});
    }

    void positionIsKept()
    {
        AppSettings().WriteInteger(settings::QuestionWindow, settings::Top, 40);
        AppSettings().WriteInteger(settings::QuestionWindow, settings::Left, 60);
        TORVQuestion editor(Dir());
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        QCOMPARE(editor.pos(), QPoint(60, 40));
        editor.move(70, 90);
        editor.reject();
        QCOMPARE(AppSettings().ReadInteger(settings::QuestionWindow, settings::Top, 0), 90);
        QCOMPARE(AppSettings().ReadInteger(settings::QuestionWindow, settings::Left, 0), 70);
    }

    // Pictures of the three pages for the documentation, when asked for.
    void screenshots()
    {
        const QString target = qEnvironmentVariable("ORVALLE_SCREENSHOT_DIR");
        if (target.isEmpty())
            QSKIP("ORVALLE_SCREENSHOT_DIR not set");
        TORVQuestion editor(Dir());
        TEditorValues v;
        v.Text = QStringLiteral("How satisfied are you with our service?");
        v.Responses = QStringLiteral("Very satisfied\nSatisfied\nNeutral\nDissatisfied\nVery dissatisfied");
        v.IncludeComment = true;
        editor.Fill(v);
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        const struct {
            int Style;
            const char* Text;
            const char* File;
        } pages[] = {
            {qsSingleSelect, "How satisfied are you with our service?", "question-editor-responses.png"},
            {qsFreeFormText, "What could we do better?", "question-editor-fulltext.png"},
            {qsNumericValue, "How many times did you visit us this year?", "question-editor-numeric.png"},
        };
        for (const auto& p : pages) {
            editor.memoText->setPlainText(QString::fromLatin1(p.Text));
            editor.cmbStyle->setCurrentIndex(p.Style - 1);
            if (p.Style == qsNumericValue) {
                editor.eMinValue->setText(QStringLiteral("0"));
                editor.eMaxValue->setText(QStringLiteral("50"));
            }
            QTest::qWait(200);
            QVERIFY(editor.grab().save(target + QLatin1Char('/') + QLatin1String(p.File)));
        }
    }
};

QTEST_MAIN(QuestionEditorTest)
#include "question_test.moc"
