#include "core/survey/survey.h"

#include "core/base/clock.h"
#include "core/base/commatext.h"
#include "core/base/datetimetext.h"
#include "core/base/settings.h"
#include "core/base/utils.h"

#include <algorithm>

namespace {

const QString kDefaults = QStringLiteral("Defaults");

// One "&crlf;" per line break, whether it came as CR LF, CR or a lone LF (what text boxes give).
QString Escape(const QString& text)
{
    QString escaped = ReplaceAll(text, QStringLiteral("\r\n"), QStringLiteral("\r"));
    escaped.replace(u'\n', u'\r');
    return ReplaceAll(escaped, QStringLiteral("\r"), QStringLiteral("&crlf;"));
}

QString Unescape(const QString& text)
{
    return ReplaceAll(text, QStringLiteral("&crlf;"), QStringLiteral("\r"));
}

} // namespace

ESurveyException::ESurveyException(const QString& message)
    : std::runtime_error(message.toStdString())
{
}

QString DefaultNotifyMessage()
{
    return JoinCommaText({QStringLiteral("Dear <FirstName>:"), QString(),
        QStringLiteral("You have been selected to participate in our web based survey on "
                       "<SurveyTitle>.  Please use your web browser to go to (ENTER URL "
                       "HERE). Thank you for your support!"),
        QString(), QStringLiteral("Regards,"), QString(), QStringLiteral("<SurveyAuthor>")});
}

QString DefaultFormAction()
{
    return QStringLiteral("http://localhost:8765/orv.dll");
}

QDateTime ZeroDateTime()
{
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0));
}

QDateTime NoDownloadDateTime()
{
    return QDateTime(QDate(1963, 6, 15), QTime(0, 0));
}

TSurvey::TSurvey(TSettings* settings)
    : settings_(settings)
{
    ApplyNewSurveyDefaults();
    fileName_ = QStringLiteral("Survey1.orv");
}

TSurvey::~TSurvey() = default;

void TSurvey::ApplyNewSurveyDefaults()
{
    TMemorySettings none;
    const TSettings& reg = settings_ ? *settings_ : none;
    const QDateTime now = Now();
    name_ = QString::fromLatin1(kUntitled);
    author_ = reg.ReadString(kDefaults, QStringLiteral("Author"), QString());
    password_ = reg.ReadString(kDefaults, QStringLiteral("Password"), QString());
    uniqueName_ = u'S' + now.toString(QStringLiteral("yyMMddHHmmss"));
    publishMethod_ = 0;
    displayTemplate_ = QString::fromLatin1(kDefaultDisplayTemplate);
    processResponses_ = 0;
    accountID_ = reg.ReadString(kDefaults, QStringLiteral("AccountID"), QString());
    serverURL_ = reg.ReadString(kDefaults, QStringLiteral("ServerURL"), QString());
    resultURL_ = reg.ReadString(kDefaults, QStringLiteral("ResultURL"), QString());
    eMailAddress_.clear();
    notificationFile_.clear();
    notifyMessage_.clear();
    allAddresses_ = false;
    attachSurvey_ = false;
    samplingPercent_ = 10;
    incomingDomain_ = false;
    domain_.clear();
    only1Email_ = reg.ReadBool(kDefaults, QStringLiteral("Only1Email"), false);
    only1IP_ = reg.ReadBool(kDefaults, QStringLiteral("Only1IP"), false);
    limitByIP_ = false;
    ipAddresses_ = reg.ReadString(kDefaults, QStringLiteral("IPAddresses"), QString());
    serverStatus_ = QString::fromLatin1(kServerNotVerified);
    lastUpdated_ = now;
    eMailStatus_ = QString::fromLatin1(kEMailNotSent);
    htmlStatus_ = QString::fromLatin1(kHTMLNotGenerated);
    htmlLastUpdate_ = ZeroDateTime();
    regDate_ = ZeroDateTime();
    htmlFileName_.clear();
    serverMajorVer_ = reg.ReadInteger(kDefaults, QStringLiteral("ServerMajorVer"), 0);
    serverMinorVer_ = reg.ReadInteger(kDefaults, QStringLiteral("ServerMinorVer"), 0);
    srLastUpdate_ = QString::fromLatin1(kSRNever);
    srServerUpdate_ = NoDownloadDateTime();
    srResponseCount_ = 0;
    srResponseFile_.clear();
    dataFileName_.clear();
    pubHistory_ = QString::fromLatin1(kNeverPublished);
    // The defaults may have been typed with line breaks; the survey holds them escaped.
    instructions_ = Escape(reg.ReadString(kDefaults, QStringLiteral("Instructions"), QString()));
    finalComments_ = Escape(reg.ReadString(kDefaults, QStringLiteral("FinalComments"), QString()));
}

void TSurvey::NewSurvey()
{
    items_.clear();
    lastID_ = 0;
    ++counter_;
    ApplyNewSurveyDefaults();
    fileName_ = QStringLiteral("Survey%1.orv").arg(counter_);
    notifyMessage_ = DefaultNotifyMessage();
    modified_ = false;
    hasFile_ = false;
    changes_.Notify(TSurveyChange::Items | TSurveyChange::Properties | TSurveyChange::Modified
        | TSurveyChange::Responses);
}

void TSurvey::Stamp(TSurveyChanges changes)
{
    lastUpdated_ = Now();
    modified_ = true;
    changes_.Notify(changes | TSurveyChange::Modified);
}

void TSurvey::MarkModified()
{
    Stamp(TSurveyChange::Items);
}

void TSurvey::SetModified(bool modified)
{
    modified_ = modified;
    changes_.Notify(TSurveyChange::Modified);
}

void TSurvey::SetServerStatus(const QString& v)
{
    serverStatus_ = v;
    changes_.Notify(TSurveyChange::Properties);
}

void TSurvey::SetEMailStatus(const QString& v)
{
    eMailStatus_ = v;
    changes_.Notify(TSurveyChange::Properties);
}

// --- items ---

TQuestion& TSurvey::AppendNew()
{
    auto item = std::make_unique<TQuestion>();
    item->ID = ++lastID_;
    items_.push_back(std::move(item));
    return *items_.back();
}

int TSurvey::AddQuestion(const TQuestionContent& content)
{
    AppendNew();
    const int index = QuestionCount() - 1;
    UpdateQuestion(index, content);
    return index;
}

int TSurvey::InsertQuestion(int position, const TQuestionContent& content)
{
    const TSurveyChangeBatch batch(changes_);
    const int index = AddQuestion(content);
    if (position >= index)
        return index;
    const int target = std::max(position + 1, 0);
    MoveQuestion(index, target);
    return target;
}

int TSurvey::AddHeader(const QString& text)
{
    return AddQuestion({.Text = text, .Style = qsHeader});
}

void TSurvey::UpdateQuestion(int index, const TQuestionContent& content)
{
    GetQuestion(index).SetContent(content);
    Stamp(TSurveyChange::Items);
}

void TSurvey::SetChartOptions(int index, int chartType, bool displayLegend, int legendStyle,
    bool displayMarks, int marksStyle, int rotation)
{
    TQuestion& q = GetQuestion(index);
    q.ChartType = chartType;
    q.DisplayLegend = displayLegend;
    q.LegendStyle = legendStyle;
    q.DisplayMarks = displayMarks;
    q.MarksStyle = marksStyle;
    q.Rotation = rotation;
    Stamp(TSurveyChange::Items);
}

void TSurvey::DeleteQuestion(int index)
{
    if (index < 0 || index >= QuestionCount())
        return;
    items_.erase(items_.begin() + index);
    Stamp(TSurveyChange::Items);
}

bool TSurvey::MoveQuestion(int from, int to)
{
    const int count = QuestionCount();
    if (from < 0 || from >= count || to < 0 || to >= count)
        return false;
    if (from == to)
        return true;
    auto item = std::move(items_[from]);
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, std::move(item));
    Stamp(TSurveyChange::Items);
    return true;
}

TQuestion& TSurvey::GetQuestion(int index)
{
    return *items_.at(static_cast<size_t>(index));
}

const TQuestion& TSurvey::GetQuestion(int index) const
{
    return *items_.at(static_cast<size_t>(index));
}

void TSurvey::ClearQuestions()
{
    items_.clear();
    Stamp(TSurveyChange::Items);
}

void TSurvey::AppendStored(const TQuestion& item)
{
    lastID_ = std::max(lastID_, item.ID);
    items_.push_back(std::make_unique<TQuestion>(item));
    changes_.Notify(TSurveyChange::Items);
}

void TSurvey::Renumber()
{
    int number = 0;
    int members = 0;
    int owner = -1;
    bool inRun = false;
    for (auto& item : items_)
        item->SkipDistance = -1;
    for (int i = 0; i < QuestionCount(); ++i) {
        TQuestion& q = *items_[i];
        if (q.IsRenderedAsHeader()) {
            q.NumberLabel = QString::number(number + 1);
            continue;
        }
        if (!q.IsSkipGroupMember()) {
            ++number;
            q.NumberLabel = QString::number(number);
            if (inRun && owner >= 0)
                items_[owner]->SkipDistance = members + 1;
            inRun = false;
            members = 0;
            continue;
        }
        if (!inRun) {
            inRun = true;
            owner = i - 1;
        }
        ++members;
        q.NumberLabel = QString::number(number) + SubLetter(members);
    }
    if (inRun && owner >= 0)
        items_[owner]->SkipDistance = -1;
}

// --- derived texts ---

QString TSurvey::GetFormAction() const
{
    return processResponses_ == 1 ? DefaultFormAction() : serverURL_;
}

QString TSurvey::GetSRLastUpdate() const
{
    return srLastUpdate_.contains(QLatin1String(kSRNever)) ? QString::fromLatin1(kSRNever) : srLastUpdate_;
}

QString TSurvey::GetInstructions() const
{
    return Unescape(instructions_);
}

QString TSurvey::GetFinalComments() const
{
    return Unescape(finalComments_);
}

void TSurvey::SetInstructions(const QString& text)
{
    instructions_ = Escape(text);
    Stamp();
}

void TSurvey::SetFinalComments(const QString& text)
{
    finalComments_ = Escape(text);
    Stamp();
}

void TSurvey::AddHistory(const QString& message)
{
    const QString entry = FormatDateAndTime(Now()) + QLatin1String(": ") + message + QLatin1String("\r\n");
    if (pubHistory_ == QLatin1String(kNeverPublished))
        pubHistory_ = entry;
    else
        pubHistory_ += entry;
    Stamp();
}

void TSurvey::SetRegistered(const QDateTime& when)
{
    AddHistory(QStringLiteral("Survey registered with server"));
    SetRegDate(when);
}

void TSurvey::SetHTMLLastUpdate(const QDateTime& when)
{
    htmlLastUpdate_ = when.isValid() ? when : ZeroDateTime();
    modified_ = true;
    changes_.Notify(TSurveyChange::Properties | TSurveyChange::Modified);
}

// --- plain setters ---

void TSurvey::SetName(const QString& v)
{
    name_ = v;
    Stamp();
}

void TSurvey::SetFileName(const QString& v)
{
    fileName_ = v;
    Stamp();
}

void TSurvey::SetAuthor(const QString& v)
{
    author_ = v;
    Stamp();
}

void TSurvey::SetPassword(const QString& v)
{
    password_ = v;
    Stamp();
}

void TSurvey::SetUniqueName(const QString& v)
{
    uniqueName_ = v;
    Stamp();
}

void TSurvey::SetPublishMethod(int v)
{
    publishMethod_ = v;
    Stamp();
}

void TSurvey::SetDisplayTemplate(const QString& v)
{
    displayTemplate_ = v;
    Stamp();
}

void TSurvey::SetProcessResponses(int v)
{
    processResponses_ = v;
    Stamp();
}

void TSurvey::SetAccountID(const QString& v)
{
    accountID_ = v;
    Stamp();
}

void TSurvey::SetServerURL(const QString& v)
{
    serverURL_ = v;
    Stamp();
}

void TSurvey::SetResultURL(const QString& v)
{
    resultURL_ = v;
    Stamp();
}

void TSurvey::SetEMailAddress(const QString& v)
{
    eMailAddress_ = v;
    Stamp();
}

void TSurvey::SetNotificationFile(const QString& v)
{
    notificationFile_ = v;
    Stamp();
}

void TSurvey::SetNotifyMessage(const QString& v)
{
    notifyMessage_ = v;
    Stamp();
}

void TSurvey::SetAllAddresses(bool v)
{
    allAddresses_ = v;
    Stamp();
}

void TSurvey::SetAttachSurvey(bool v)
{
    attachSurvey_ = v;
    Stamp();
}

void TSurvey::SetSamplingPercent(int v)
{
    samplingPercent_ = v;
    Stamp();
}

void TSurvey::SetIncomingDomain(bool v)
{
    incomingDomain_ = v;
    Stamp();
}

void TSurvey::SetDomain(const QString& v)
{
    domain_ = v;
    Stamp();
}

void TSurvey::SetOnly1Email(bool v)
{
    only1Email_ = v;
    Stamp();
}

void TSurvey::SetOnly1IP(bool v)
{
    only1IP_ = v;
    Stamp();
}

void TSurvey::SetLimitByIP(bool v)
{
    limitByIP_ = v;
    Stamp();
}

void TSurvey::SetIPAddresses(const QString& v)
{
    ipAddresses_ = v;
    Stamp();
}

void TSurvey::SetHTMLStatus(const QString& v)
{
    htmlStatus_ = v;
    Stamp();
}

void TSurvey::SetHTMLFileName(const QString& v)
{
    htmlFileName_ = v;
    Stamp();
}

void TSurvey::SetSRLastUpdate(const QString& v)
{
    srLastUpdate_ = v;
    Stamp();
}

void TSurvey::SetSRResponseCount(int v)
{
    srResponseCount_ = v;
    Stamp(TSurveyChange::Responses);
}

void TSurvey::SetSRResponseFile(const QString& v)
{
    srResponseFile_ = v;
    Stamp();
}

void TSurvey::SetDataFileName(const QString& v)
{
    dataFileName_ = v;
    Stamp();
}

void TSurvey::SetPubHistory(const QString& v)
{
    pubHistory_ = v;
    Stamp();
}

// Invalid date-times would not survive the file; they stand for the zero date.
void TSurvey::SetRegDate(const QDateTime& v)
{
    regDate_ = v.isValid() ? v : ZeroDateTime();
    Stamp();
}

void TSurvey::SetSRServerUpdate(const QDateTime& v)
{
    srServerUpdate_ = v.isValid() ? v : ZeroDateTime();
    Stamp();
}
