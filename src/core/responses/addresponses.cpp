#include "core/responses/addresponses.h"

#include "core/base/clock.h"
#include "core/responses/datafile.h"
#include "core/responses/keyset.h"
#include "core/responses/responsewriter.h"
#include "core/survey/survey.h"
#include "xbase/table.h"

#include <QFileInfo>

#include <algorithm>
#include <exception>

namespace {

// Lines judged against the table are held up to this many bytes, and as many records: larger
// batches mean fewer commits (each rewrites the index), smaller ones less memory.
constexpr qsizetype kBatchBytes = 32 * 1024 * 1024;
constexpr int kProgressEvery = 256; // lines between two progress reports
constexpr int kEmailWidth = 250;

std::string Key(const QString& text)
{
    return text.toStdString();
}

// The duplicate checks: a seek in the table, plus the keys admitted in the batch not yet
// stored. A table empty when the merge begins holds nothing but what the merge adds, so there
// the keys of the whole merge are kept and nothing is looked up in the table. An empty address
// is no address and never a duplicate.
class TDuplicateCheck {
public:
    explicit TDuplicateCheck(TResponseTable& table)
        : table_(table)
        , addressWidth_(table.IsOpen() ? RemoteIPWidth(table.Table()) : 0)
        , inMemory_(table.IsOpen() && table.Table().RecordCount() == 0)
    {
    }

    bool JudgesInMemory() const { return inMemory_; }

    // The value as the field stores it and reads it back: cut to the width, trailing blanks off.
    static QString WithoutTrailingBlanks(QString key)
    {
        while (!key.isEmpty() && key.back() == QLatin1Char(' '))
            key.chop(1);
        return key;
    }
    static QString EmailKey(const QString& value)
    {
        return WithoutTrailingBlanks(CutToFieldBytes(value, kEmailWidth));
    }
    // The whole address: two addresses are one only when they are equal.
    static QString AddressKey(const QString& value) { return WithoutTrailingBlanks(value); }

    bool AddressSeen(const QString& key)
    {
        if (key.isEmpty())
            return false;
        if (addresses_.Contains(Key(key)))
            return true;
        if (inMemory_)
            return false;
        // A table made before addresses could be longer stores them cut, so a stored one never
        // proves a longer address seen: better one response too many than a respondent lost.
        if (key.toUtf8().size() > addressWidth_)
            return false;
        xbase::TTable& t = table_.Table();
        if (table_.RemoteIPOrder() == 0 || !t.SetOrder(table_.RemoteIPOrder()))
            return false;
        return t.Seek(key, xbase::TSeekMode::Exact);
    }

    // The tag holds the first 240 bytes only: a key found is a duplicate when the whole field
    // matches, and records sharing those bytes are looked at in turn.
    bool EmailSeen(const QString& key)
    {
        if (key.isEmpty())
            return false;
        if (emails_.Contains(Key(key)))
            return true;
        if (inMemory_)
            return false;
        xbase::TTable& t = table_.Table();
        if (table_.EmailOrder() == 0 || !t.SetOrder(table_.EmailOrder()))
            return false;
        const QString prefix = CutToFieldBytes(key, kEmailKeyBytes);
        if (!t.Seek(prefix, xbase::TSeekMode::Partial))
            return false;
        while (!t.Eof()) {
            const QString stored = t.FieldText(QStringLiteral("EMAIL"));
            if (stored == key)
                return true;
            if (!stored.startsWith(prefix) || !t.Skip(1))
                return false;
        }
        return false;
    }

    // Once the batch is stored, the seeks find its records.
    void BatchStored()
    {
        if (inMemory_)
            return;
        addresses_.Clear();
        emails_.Clear();
    }

    void Remember(const QString& addressKey, const QString& emailKey)
    {
        if (!addressKey.isEmpty())
            addresses_.Insert(Key(addressKey));
        if (!emailKey.isEmpty())
            emails_.Insert(Key(emailKey));
    }

private:
    static int RemoteIPWidth(const xbase::TTable& table)
    {
        const int field = table.FieldIndex(QStringLiteral("REMOTEIP"));
        return field < 0 ? 0 : table.Layout().Fields[static_cast<size_t>(field)].Width;
    }

    TResponseTable& table_;
    const int addressWidth_;
    const bool inMemory_;
    TKeySet addresses_;
    TKeySet emails_;
};

// The judging of a batch runs inside a read batch of the table: its many seeks then take the
// table's lock once, not each on its own. It ends before the batch is stored.
class TJudging {
public:
    explicit TJudging(xbase::TTable& table)
        : table_(table)
    {
    }
    ~TJudging() { End(); }
    TJudging(const TJudging&) = delete;
    TJudging& operator=(const TJudging&) = delete;

    // A batch that cannot begin only costs speed: every seek then takes the lock itself.
    void Begin()
    {
        if (!open_ && table_.IsOpen())
            open_ = table_.BeginReadBatch().ok();
    }
    void End()
    {
        if (open_)
            table_.EndReadBatch();
        open_ = false;
    }

private:
    xbase::TTable& table_;
    bool open_ = false;
};

class TMerge {
public:
    TMerge(TSurvey& survey, TResponseTable& table, TAddResponseResult& result, const TIntakeHooks& hooks)
        : survey_(survey)
        , table_(table)
        , result_(result)
        , hooks_(hooks)
        , duplicates_(table)
    {
    }

    // Reads the file and appends what is admitted. False with result_.ErrorMessage on an error.
    bool Run(const QString& path);
    void Finish(bool ran);

private:
    bool ReadResponses(TDataLineReader& reader);
    bool AppendLines(std::vector<QByteArray>& lines, TResponseValues& values, const TResponseWriter& writer);
    bool Append(const TResponseValues& values, const TResponseWriter& writer);
    bool CommitAppended();
    bool Admit(
        const TResponseWriter& writer, const TResponseValues& values, QString& addressKey, QString& emailKey);
    bool Fail(const QString& message)
    {
        result_.ErrorMessage = message;
        return false;
    }

    TSurvey& survey_;
    TResponseTable& table_;
    TAddResponseResult& result_;
    const TIntakeHooks& hooks_;
    TDuplicateCheck duplicates_;
    QString received_; // the receive time of the last response appended
    int committedCount_ = 0; // of the responses added
    qint64 committedAt_ = 0; // bytes of the file read at the last commit
};

bool TMerge::Run(const QString& path)
{
    if (!table_.IsOpen())
        return Fail(QStringLiteral("No response table is open."));
    TDataLineReader reader;
    if (!reader.Open(path))
        return Fail(QStringLiteral("%1: %2").arg(path, reader.Error()));
    QByteArray status;
    if (!reader.ReadLine(status) && reader.Failed())
        return Fail(reader.Error());
    if (IsErrorStatusLine(status)) {
        QByteArray message;
        reader.ReadLine(message);
        hooks_.ShowError(QStringLiteral("The following error occurred during update: ")
            + DecodeDataText(std::string_view(message.constData(), message.size())));
        return true;
    }
    return ReadResponses(reader);
}

bool TMerge::Admit(
    const TResponseWriter& writer, const TResponseValues& values, QString& addressKey, QString& emailKey)
{
    const QString address = values.Value(writer.RemoteAddrSlot());
    if (survey_.LimitByIP() && !IsAllowedAddress(survey_, address))
        return false;
    addressKey = TDuplicateCheck::AddressKey(address);
    emailKey = TDuplicateCheck::EmailKey(values.Value(writer.EmailSlot()));
    if (survey_.Only1IP() && duplicates_.AddressSeen(addressKey))
        return false;
    if (survey_.Only1Email() && duplicates_.EmailSeen(emailKey))
        return false;
    return true;
}

bool TMerge::ReadResponses(TDataLineReader& reader)
{
    xbase::TTable& table = table_.Table();
    TResponseValues values;
    const TResponseWriter writer(survey_, table, values);
    // Judged against the table, records are stored in batches: a seek stores every record still
    // waiting, so the lines of a batch are first judged (against the table and the batch's own
    // addresses), then appended and committed together. The budget bounds the memory they take.
    // Judged in memory, each line is appended at once (the table sets waiting records aside on
    // disk), and commits come at growing steps: each merges its keys with every key stored, so
    // their number must grow slower than the table.
    const qsizetype recordBytes = std::max<qsizetype>(table.Layout().RecordLength, 1);
    const qsizetype batchRecords = std::max<qsizetype>(64, kBatchBytes / recordBytes);
    const bool inMemory = duplicates_.JudgesInMemory();
    std::vector<QByteArray> batch;
    qsizetype batchBytes = 0;
    QByteArray line;
    qint64 lines = 0;
    bool ok = true;
    TJudging judging(table);
    while (ok && reader.ReadLine(line)) {
        if (++lines % kProgressEvery == 0 && hooks_.Progress) {
            judging.End(); // the hook may use the table
            if (!hooks_.Progress(reader.Position(), reader.Size())) {
                result_.Stopped = true;
                ok = Fail(QStringLiteral("The merge was stopped."));
                break;
            }
        }
        if (!reader.LastLineOverlong() && IsEndOfDataLine(line))
            break;
        if (reader.LastLineOverlong() || !IsResponseLine(line)) {
            ++result_.EliminatedCount;
            continue;
        }
        values.Parse(std::string_view(line.constData(), static_cast<size_t>(line.size())));
        QString addressKey;
        QString emailKey;
        if (!inMemory)
            judging.Begin();
        if (!Admit(writer, values, addressKey, emailKey)) {
            ++result_.EliminatedCount;
            continue;
        }
        duplicates_.Remember(addressKey, emailKey);
        if (inMemory) {
            ok = Append(values, writer);
            const bool due
                = result_.AddedCount - committedCount_ >= std::max<qsizetype>(batchRecords, committedCount_);
            // A rest of the file smaller than the step goes with the last commit.
            if (ok && due && reader.Size() - reader.Position() >= reader.Position() - committedAt_) {
                ok = CommitAppended();
                committedAt_ = reader.Position();
            }
            continue;
        }
        batchBytes += line.size();
        batch.push_back(std::move(line));
        line = QByteArray();
        if (static_cast<qsizetype>(batch.size()) >= batchRecords || batchBytes >= kBatchBytes) {
            judging.End();
            ok = AppendLines(batch, values, writer) && CommitAppended();
            batchBytes = 0;
        }
    }
    // What was judged admitted is stored even when the merge stops here.
    judging.End();
    if (!AppendLines(batch, values, writer) || !CommitAppended())
        return false;
    if (ok && reader.Failed())
        return Fail(reader.Error());
    return ok;
}

bool TMerge::AppendLines(
    std::vector<QByteArray>& lines, TResponseValues& values, const TResponseWriter& writer)
{
    for (const QByteArray& line : lines) {
        values.Parse(std::string_view(line.constData(), static_cast<size_t>(line.size())));
        if (!Append(values, writer))
            return false;
    }
    lines.clear();
    return true;
}

bool TMerge::Append(const TResponseValues& values, const TResponseWriter& writer)
{
    xbase::TTable& table = table_.Table();
    const xbase::TStatus appended = table.Append();
    if (!appended)
        return Fail(appended.Message());
    ++result_.AddedCount;
    // A response without a receive time leaves the last one known: an empty LastUpdate
    // would make the next download ask for nothing the server understands.
    if (values.Has(writer.DateRecSlot()) && !values.Raw(writer.DateRecSlot()).empty())
        received_ = values.Value(writer.DateRecSlot());
    result_.UnstoredAnswerCount += writer.Write(table);
    return true;
}

// The survey's LastUpdate moves only with what is stored: the next download then asks again
// for whatever a failed commit lost.
bool TMerge::CommitAppended()
{
    const xbase::TStatus committed = table_.Table().Commit();
    if (!committed)
        return Fail(committed.Message());
    committedCount_ = result_.AddedCount;
    if (!received_.isEmpty())
        survey_.SetSRLastUpdate(received_);
    duplicates_.BatchStored();
    return true;
}

void TMerge::Finish(bool ran)
{
    if (!table_.IsOpen())
        return;
    xbase::TTable& table = table_.Table();
    const xbase::TStatus committed = table.Commit();
    if (committed && !received_.isEmpty())
        survey_.SetSRLastUpdate(received_);
    if (ran && !committed) {
        ran = false;
        result_.ErrorMessage = committed.Message();
    }
    if (ran)
        survey_.SetSRServerUpdate(Now());
    // The records appended stay in the table even when the merge ends early, so the count and
    // the tallies follow the table in every case.
    survey_.SetSRResponseCount(table.RecordCount());
    result_.TotalCount = survey_.SRResponseCount();
    if (survey_.SRResponseCount() > 0 && (ran || result_.AddedCount > 0)) {
        if (hooks_.AnalyzeResults)
            hooks_.AnalyzeResults();
        survey_.AddHistory(QStringLiteral("Added %1 responses.").arg(result_.AddedCount));
    }
    result_.Succeeded = ran;
}

} // namespace

void MergeResponses(TSurvey& survey, TResponseTable& table, const QString& dataPath,
    TAddResponseResult& result, const TIntakeHooks& hooks)
{
    result = TAddResponseResult();
    try {
        TMerge merge(survey, table, result, hooks);
        const bool ran = merge.Run(dataPath);
        merge.Finish(ran);
    } catch (const std::exception& e) {
        result.Succeeded = false;
        result.ErrorMessage = QString::fromUtf8(e.what());
    }
}

void AddResponses(TSurvey& survey, TResponseTable& table, const QString& dataPath, TAddResponseResult& result,
    const TIntakeHooks& hooks)
{
    result = TAddResponseResult();
    try {
        const QString current = survey.SRResponseFile();
        if (!current.isEmpty() && QFileInfo::exists(current))
            OpenResponseTable(survey, table, hooks.ShowError);
        else if (PrepareResponsePath(survey, table, hooks.ShowError, hooks.Inform)
            == TResponsePathState::Free)
            CreateResponseTable(survey, table, hooks.ShowError);
        MergeResponses(survey, table, dataPath, result, hooks);
    } catch (const std::exception& e) {
        result.Succeeded = false;
        result.ErrorMessage = QString::fromUtf8(e.what());
    }
    try {
        survey.Save();
    } catch (const ESurveyException& e) {
        result.SaveError = e.Message();
    }
}

bool IsAllowedAddress(const TSurvey& survey, const QString& address)
{
    const QByteArray list = survey.IPAddresses().toUtf8();
    for (const std::string& entry : SplitCommaItems(std::string_view(list.constData(), list.size())))
        if (!entry.empty() && address.contains(QString::fromStdString(entry)))
            return true;
    return false;
}

QString MergeSummary(const TAddResponseResult& result)
{
    QString text = QStringLiteral("Results incorporated.\r\nNew responses: %1\r\nResponses eliminated: %2\r\n"
                                  "Total responses: %3\r\n")
                       .arg(result.AddedCount)
                       .arg(result.EliminatedCount)
                       .arg(result.TotalCount);
    if (result.UnstoredAnswerCount > 0)
        text += QStringLiteral("Answers not stored, the response table has no field for them "
                               "(questions added after it was created): %1\r\n")
                    .arg(result.UnstoredAnswerCount);
    return text;
}
