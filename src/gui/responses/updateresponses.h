#pragma once

// TORVUpdateResponses ("Update Responses"): downloads the survey's new responses from the
// server into temporary files, checks the reply and merges it into the response table. The
// transfer starts once the dialog is on screen; "&Stop" ends it, and the button then reads
// "Close".

#include "core/responses/addresponses.h"

#include <QDialog>

#include <functional>

class QListWidget;
class QPushButton;
class THttpClient;
class TResponseTable;
class TSurvey;

class TORVUpdateResponses : public QDialog {
    Q_OBJECT
public:
    enum TOutcome { Running = 0, Transmitted = 1, FailedOrStopped = 2 };

    // `addTempFile` hands each temporary file to the main window, which deletes it at exit.
    TORVUpdateResponses(TSurvey& survey, TResponseTable& table, TIntakeHooks hooks,
        std::function<void(const QString&)> addTempFile, QWidget* parent = nullptr);
    ~TORVUpdateResponses() override;

    int Outcome() const { return outcome_; }
    QStringList StatusLines() const;

    QListWidget* lbStatus = nullptr;
    QPushButton* btnStop = nullptr;
    THttpClient* httpUpdate = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void Run();
    void Download(const QString& dataFile);
    void Incorporate(const QString& dataFile);
    void AddStatus(const QString& line);
    void EndTransfer(TOutcome outcome);
    void btnStopClick();
    void httpUpdateFailure(int operation);

    TSurvey& survey_;
    TResponseTable& table_;
    TIntakeHooks hooks_;
    std::function<void(const QString&)> addTempFile_;
    bool busy_ = false;
    bool startPending_ = true;
    int outcome_ = Running;
};
