#include "core/responses/importdatafile.h"

#include "core/responses/datafile.h"
#include "core/responses/responsefields.h"
#include "core/survey/survey.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <exception>
#include <utility>
#include <vector>

namespace {

const QByteArray kCRLF("\r\n");

bool IsBlankLine(const QByteArray& line)
{
    for (const char c : line)
        if (static_cast<unsigned char>(c) > ' ')
            return false;
    return true;
}

QStringList TableFiles(const QString& tablePath)
{
    QStringList files{tablePath};
    files += ResponseTableCompanions(tablePath);
    return files;
}

// The response state an import changes, kept to be put back when the import fails.
struct TResponseState {
    explicit TResponseState(const TSurvey& s)
        : LastUpdate(s.SRLastUpdate())
        , ServerUpdate(s.SRServerUpdate())
        , Count(s.SRResponseCount())
        , File(s.SRResponseFile())
        , History(s.PubHistory())
    {
    }
    void Restore(TSurvey& s) const
    {
        s.SetSRLastUpdate(LastUpdate);
        s.SetSRServerUpdate(ServerUpdate);
        s.SetSRResponseCount(Count);
        s.SetSRResponseFile(File);
        s.SetPubHistory(History);
    }
    QString LastUpdate;
    QDateTime ServerUpdate;
    int Count;
    QString File;
    QString History;
};

QString SaveSurvey(TSurvey& survey)
{
    try {
        survey.Save();
    } catch (const ESurveyException& e) {
        return e.Message();
    }
    return QString();
}

// Creates the table the import fills, with the messages the creation of the survey's table gives.
bool CreateStagingTable(TSurvey& survey, TResponseTable& table, const QString& staging,
    const QString& finalPath, const TShowError& showError)
{
    DeleteResponseTableFiles(staging); // left over from an import that was cut short
    TResponseTable::TCreateFailure failure = TResponseTable::TCreateFailure::None;
    const QString error = table.CreateAt(staging, ResponseTableFields(survey), failure);
    switch (failure) {
    case TResponseTable::TCreateFailure::None:
        return true;
    case TResponseTable::TCreateFailure::Declaration:
        showError(QStringLiteral("Failed database creation: ") + finalPath);
        break;
    case TResponseTable::TCreateFailure::Refused:
        showError(QStringLiteral("Could not create the database ") + finalPath);
        break;
    case TResponseTable::TCreateFailure::Internal:
        showError(QStringLiteral("The following internal error occurred: ") + error);
        break;
    }
    return false;
}

// Puts the old table back after a failed import.
void KeepOldResponses(TSurvey& survey, TResponseTable& table, const QString& staging,
    const TResponseState& old, const TIntakeHooks& hooks)
{
    table.Close();
    DeleteResponseTableFiles(staging);
    old.Restore(survey);
    if (!old.File.isEmpty() && QFileInfo::exists(old.File) && table.OpenAt(old.File).isEmpty()
        && survey.SRResponseCount() > 0 && hooks.AnalyzeResults)
        hooks.AnalyzeResults();
}

} // namespace

QString PrepareImportFile(const QString& source, const QString& target)
{
    TDataLineReader reader;
    if (!reader.Open(source))
        return reader.Error();
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return out.errorString();
    QByteArray line;
    QByteArray held = "<DATA>";
    bool first = true;
    while (reader.ReadLine(line)) {
        if (reader.LastLineOverlong())
            line = "(line too long)"; // still a line, and one the merge eliminates
        if (first && (line.startsWith("PSID") || line.startsWith("ID"))) {
            first = false;
            continue;
        }
        first = false;
        if (out.write(held + kCRLF) < 0)
            return out.errorString();
        held = std::move(line);
        line = QByteArray();
    }
    if (reader.Failed())
        return reader.Error();
    if (!IsBlankLine(held) && out.write(held + kCRLF) < 0)
        return out.errorString();
    if (out.write("</DATA>" + kCRLF) < 0 || !out.flush())
        return out.errorString();
    return QString();
}

QString SwapInResponseTable(const QString& stagingPath, const QString& finalPath, const QString& oldPath)
{
    QStringList targets = TableFiles(finalPath);
    if (!oldPath.isEmpty())
        for (const QString& file : TableFiles(oldPath))
            if (!targets.contains(file))
                targets << file;

    std::vector<std::pair<QString, QString>> backedUp; // original, backup
    const auto restoreBackups = [&backedUp] {
        for (const auto& [original, backup] : backedUp)
            QFile::rename(backup, original);
    };
    for (const QString& file : targets) {
        if (!QFileInfo::exists(file))
            continue;
        const QString backup = file + QStringLiteral(".orvold");
        QFile::remove(backup);
        if (!QFile::rename(file, backup)) {
            restoreBackups();
            return QStringLiteral("%1 could not be replaced").arg(file);
        }
        backedUp.emplace_back(file, backup);
    }

    const QStringList from = TableFiles(stagingPath);
    const QStringList to = TableFiles(finalPath);
    QStringList moved;
    for (int i = 0; i < from.size(); ++i) {
        if (!QFileInfo::exists(from[i]))
            continue;
        if (!QFile::rename(from[i], to[i])) {
            for (int k = 0; k < moved.size(); ++k)
                QFile::rename(to[from.indexOf(moved[k])], moved[k]);
            restoreBackups();
            return QStringLiteral("%1 could not be moved to %2").arg(from[i], to[i]);
        }
        moved << from[i];
    }
    for (const auto& entry : backedUp)
        QFile::remove(entry.second);
    return QString();
}

TImportOutcome ImportServerDataFile(
    TSurvey& survey, TResponseTable& table, const QString& path, const TIntakeHooks& hooks)
{
    TImportOutcome outcome;
    if (!QFileInfo(path).isFile()) {
        outcome.Kind = TImportOutcome::TKind::NotFound;
        outcome.Message = QStringLiteral("The file ") + path + QStringLiteral(" could not be found.");
        return outcome;
    }
    const TResponseState old(survey);
    const QString finalPath = ResponseTablePath(survey);
    QString staging = finalPath;
    staging.chop(QFileInfo(finalPath).suffix().size() + 1);
    staging += QStringLiteral("_import.dbf");
    try {
        QTemporaryFile temp(QDir::tempPath() + QStringLiteral("/orvXXXXXX.dat"));
        if (!temp.open())
            throw std::runtime_error(temp.errorString().toStdString());
        temp.close();
        const QString prepared = PrepareImportFile(path, temp.fileName());
        if (!prepared.isEmpty())
            throw std::runtime_error(prepared.toStdString());

        survey.SetSRLastUpdate(QString::fromLatin1(kSRNever));
        table.Close();
        if (CreateStagingTable(survey, table, staging, finalPath, hooks.ShowError))
            MergeResponses(survey, table, temp.fileName(), outcome.Result, hooks);
        if (!outcome.Result.Succeeded) {
            KeepOldResponses(survey, table, staging, old, hooks);
            outcome.Kind = outcome.Result.Stopped ? TImportOutcome::TKind::Stopped
                                                  : TImportOutcome::TKind::MergeFailed;
            outcome.Message = QStringLiteral("Error importing results.  File format may be incorrect.");
            outcome.Result.SaveError = SaveSurvey(survey);
            return outcome;
        }
        table.Close();
        const QString swapped = SwapInResponseTable(staging, finalPath, old.File);
        if (!swapped.isEmpty())
            throw std::runtime_error(swapped.toStdString());
        survey.SetSRResponseFile(finalPath);
        const QString reopened = table.OpenAt(finalPath);
        if (!reopened.isEmpty())
            hooks.ShowError(QStringLiteral("The following internal error occurred: ") + reopened);
        outcome.Kind = TImportOutcome::TKind::Imported;
        outcome.Message = MergeSummary(outcome.Result);
        outcome.Result.SaveError = SaveSurvey(survey);
    } catch (const std::exception& e) {
        KeepOldResponses(survey, table, staging, old, hooks);
        outcome.Kind = TImportOutcome::TKind::Error;
        outcome.Message = QStringLiteral("Error importing response file from ") + path
            + QStringLiteral(". The following error ") + QStringLiteral("was reported: ")
            + QString::fromUtf8(e.what());
        outcome.Result.Succeeded = false;
        outcome.Result.SaveError = SaveSurvey(survey);
    }
    return outcome;
}
