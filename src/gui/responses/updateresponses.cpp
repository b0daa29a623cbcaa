#include "gui/responses/updateresponses.h"

#include "core/base/inisettings.h"
#include "core/base/utils.h"
#include "core/responses/httpclient.h"
#include "core/responses/serverprotocol.h"
#include "core/survey/survey.h"

#include <QApplication>
#include <QEventLoop>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString kClose = QStringLiteral("Close");

} // namespace

TORVUpdateResponses::TORVUpdateResponses(TSurvey& survey, TResponseTable& table, TIntakeHooks hooks,
    std::function<void(const QString&)> addTempFile, QWidget* parent)
    : QDialog(parent)
    , survey_(survey)
    , table_(table)
    , hooks_(std::move(hooks))
    , addTempFile_(std::move(addTempFile))
{
    setWindowTitle(QStringLiteral("Update Responses"));
    setModal(true);
    lbStatus = new QListWidget(this);
    lbStatus->setObjectName(QStringLiteral("lbStatus"));
    btnStop = new QPushButton(QStringLiteral("&Stop"), this);
    btnStop->setObjectName(QStringLiteral("btnStop"));
    httpUpdate = new THttpClient(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbStatus);
    layout->addWidget(btnStop, 0, Qt::AlignHCenter);
    resize(460, 260);

    connect(btnStop, &QPushButton::clicked, this, &TORVUpdateResponses::btnStopClick);
    connect(httpUpdate, &THttpClient::Connected, this, [this] { AddStatus(QStringLiteral("Connected.")); });
    connect(httpUpdate, &THttpClient::ConnectionFailed, this, [this] {
        AddStatus(QStringLiteral("Connection to server failed - update canceled."));
        EndTransfer(FailedOrStopped);
    });
    connect(httpUpdate, &THttpClient::Failed, this,
        [this](THttpOperation operation) { httpUpdateFailure(static_cast<int>(operation)); });
    connect(httpUpdate, &THttpClient::Succeeded, this, [this] {
        AddStatus(QStringLiteral("Result transmission completed."));
        EndTransfer(Transmitted);
    });
}

TORVUpdateResponses::~TORVUpdateResponses() = default;

QStringList TORVUpdateResponses::StatusLines() const
{
    QStringList lines;
    for (int row = 0; row < lbStatus->count(); ++row)
        lines << lbStatus->item(row)->text();
    return lines;
}

void TORVUpdateResponses::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!startPending_)
        return;
    startPending_ = false;
    // Queued, so that the dialog is painted before the transfer begins.
    QTimer::singleShot(0, this, &TORVUpdateResponses::Run);
}

void TORVUpdateResponses::reject()
{
    if (busy_)
        btnStopClick();
    QDialog::reject();
}

void TORVUpdateResponses::AddStatus(const QString& line)
{
    lbStatus->addItem(line);
    lbStatus->scrollToBottom();
}

void TORVUpdateResponses::EndTransfer(TOutcome outcome)
{
    outcome_ = outcome;
    busy_ = false;
}

void TORVUpdateResponses::httpUpdateFailure(int operation)
{
    AddStatus(QStringLiteral("Communication failure: ")
        + OperationFailedName(static_cast<THttpOperation>(operation))
        + QStringLiteral(" - update canceled."));
    httpUpdate->Abort();
    EndTransfer(FailedOrStopped);
    btnStop->setText(kClose);
    btnStop->setEnabled(true);
}

void TORVUpdateResponses::btnStopClick()
{
    if (btnStop->text() == kClose) {
        accept();
        return;
    }
    httpUpdate->Abort();
    EndTransfer(FailedOrStopped);
    btnStop->setText(kClose);
}

void TORVUpdateResponses::Run()
{
    busy_ = true;
    outcome_ = Running;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    httpUpdate->ApplyProxySettings(AppSettings());
    const QString dataFile = MakeTempFileName(QStringLiteral("dat"));
    const QString headerFile = MakeTempFileName(QStringLiteral("hdr"));
    addTempFile_(dataFile);
    addTempFile_(headerFile);
    httpUpdate->SetBodyFile(dataFile);
    httpUpdate->SetHeaderFile(headerFile);
    try {
        Download(dataFile);
    } catch (const std::exception&) {
        AddStatus(QStringLiteral("HTTP Connection Failed."));
    }
    // A transfer that ended without its own "Close" (refused connection, stop) offers it too.
    if (btnStop->text() != kClose) {
        btnStop->setText(kClose);
        btnStop->setEnabled(true);
    }
    QApplication::restoreOverrideCursor();
}

void TORVUpdateResponses::Download(const QString& dataFile)
{
    AddStatus(QStringLiteral("Connecting to ") + survey_.GetFormAction());
    httpUpdate->Get(DownloadURL(survey_));
    QEventLoop loop;
    QTimer poll;
    connect(&poll, &QTimer::timeout, &loop, [this, &loop] {
        if (!busy_)
            loop.quit();
    });
    poll.start(20);
    if (busy_)
        loop.exec();
    if (outcome_ == Transmitted)
        Incorporate(dataFile);
}

void TORVUpdateResponses::Incorporate(const QString& dataFile)
{
    btnStop->setEnabled(false);
    AddStatus(QStringLiteral("Verifying server results."));
    NormalizeLineEnds(dataFile);
    const TVerifyOutcome check = VerifyResultFile(dataFile);
    if (!check.Passed) {
        AddStatus(QStringLiteral("Result verification failed.  ") + check.Reason);
    } else {
        TAddResponseResult result;
        AddResponses(survey_, table_, dataFile, result, hooks_);
        if (result.Succeeded) {
            AddStatus(QStringLiteral("Results incorporated."));
            AddStatus(QStringLiteral("New responses: ") + QString::number(result.AddedCount));
            AddStatus(QStringLiteral("Responses eliminated: ") + QString::number(result.EliminatedCount));
            AddStatus(QStringLiteral("Total responses: ") + QString::number(result.TotalCount));
        } else {
            AddStatus(QStringLiteral("Error incorporating results."));
        }
    }
    btnStop->setText(kClose);
    btnStop->setEnabled(true);
}
