#include "core/responses/responsetable.h"

#include "core/survey/survey.h"
#include "xbase/table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

namespace {

const QString kInternalError = QStringLiteral("The following internal error occurred: ");

xbase::TFieldSpec FieldDefinition(const TResponseField& field)
{
    return xbase::TFieldSpec{field.Name, field.Type, field.Width, field.Decimals};
}

bool ValidFieldName(const QString& name)
{
    if (name.isEmpty() || name.size() > 10 || !name.at(0).isLetter())
        return false;
    for (const QChar c : name)
        if (c.unicode() > 127 || !(c.isLetterOrNumber() || c == QLatin1Char('_')))
            return false;
    return true;
}

} // namespace

TResponseTable::TResponseTable() = default;
TResponseTable::~TResponseTable() = default;

bool TResponseTable::IsOpen() const
{
    return table_ && table_->IsOpen();
}

xbase::TTable& TResponseTable::Table()
{
    return *table_;
}

const xbase::TTable& TResponseTable::Table() const
{
    return *table_;
}

QString TResponseTable::Path() const
{
    return IsOpen() ? table_->Path() : QString();
}

void TResponseTable::Close()
{
    if (table_)
        (void)table_->Close();
    table_.reset();
    remoteIPOrder_ = 0;
    emailOrder_ = 0;
}

QString TResponseTable::OpenTags()
{
    xbase::TTable& t = *table_;
    const QString ip = QString::fromLatin1(kRemoteIPTag);
    const QString email = QString::fromLatin1(kEmailTag);
    if (t.TagNumber(ip) == 0 && !t.IsReadOnly() && t.FieldIndex(ip) >= 0) {
        const xbase::TStatus s = t.CreateIndexTag(ip, ip);
        if (!s)
            return s.Message();
    }
    if (t.TagNumber(email) == 0 && !t.IsReadOnly() && t.FieldIndex(email) >= 0) {
        const xbase::TStatus s = t.CreateIndexTag(email, QString::fromLatin1(kEmailKeyExpression));
        if (!s)
            return s.Message();
    }
    remoteIPOrder_ = t.TagNumber(ip);
    emailOrder_ = t.TagNumber(email);
    const xbase::TStatus s = t.SetOrder(emailOrder_);
    return s ? QString() : s.Message();
}

QString TResponseTable::OpenAt(const QString& path)
{
    Close();
    table_ = std::make_unique<xbase::TTable>();
    xbase::TStatus s = table_->Open(path);
    QString error = s ? QString() : s.Message();
    if (error.isEmpty())
        error = OpenTags();
    if (!error.isEmpty())
        Close();
    return error;
}

QString TResponseTable::CreateAt(
    const QString& path, const std::vector<TResponseField>& fields, TCreateFailure& failure)
{
    Close();
    failure = TCreateFailure::Refused;
    const QFileInfo info(path);
    if (info.exists())
        return QStringLiteral("%1 already exists").arg(path);
    if (!QFileInfo(info.absolutePath()).isDir())
        return QStringLiteral("the folder %1 does not exist").arg(info.absolutePath());
    failure = TCreateFailure::Declaration;
    const QString declarations = CheckFieldDeclarations(fields);
    if (!declarations.isEmpty())
        return declarations;
    std::vector<xbase::TFieldSpec> definitions;
    definitions.reserve(fields.size());
    for (const TResponseField& field : fields)
        definitions.push_back(FieldDefinition(field));
    table_ = std::make_unique<xbase::TTable>();
    const xbase::TStatus s = table_->CreateTable(path, definitions);
    if (!s) {
        table_.reset();
        return s.Message();
    }
    failure = TCreateFailure::Internal;
    const QString error = OpenTags();
    if (!error.isEmpty()) {
        // Nothing is in the new table yet; leaving it would block the next creation.
        Close();
        DeleteResponseTableFiles(path);
    } else
        failure = TCreateFailure::None;
    return error;
}

QString CheckFieldDeclarations(const std::vector<TResponseField>& fields)
{
    QStringList problems;
    QSet<QString> seen;
    for (const TResponseField& f : fields) {
        if (!ValidFieldName(f.Name))
            problems << QStringLiteral("field name %1 is not valid").arg(f.Name);
        else if (seen.contains(f.Name))
            problems << QStringLiteral("field name %1 is used twice").arg(f.Name);
        seen.insert(f.Name);
        if (f.Type == 'C' && (f.Width < 1 || f.Width > 254))
            problems << QStringLiteral("field %1 is %2 characters wide").arg(f.Name).arg(f.Width);
    }
    if (fields.size() > 255)
        problems << QStringLiteral("%1 fields are more than a table can hold").arg(fields.size());
    return problems.join(QStringLiteral("; "));
}

bool CreateResponseTable(TSurvey& survey, TResponseTable& table, const TShowError& showError)
{
    const QString path = ResponseTablePath(survey);
    survey.SetSRResponseFile(path);
    TResponseTable::TCreateFailure failure = TResponseTable::TCreateFailure::None;
    const QString error = table.CreateAt(path, ResponseTableFields(survey), failure);
    switch (failure) {
    case TResponseTable::TCreateFailure::None:
        return true;
    case TResponseTable::TCreateFailure::Declaration:
        showError(QStringLiteral("Failed database creation: ") + path);
        return false;
    case TResponseTable::TCreateFailure::Refused:
        showError(QStringLiteral("Could not create the database ") + path);
        break;
    case TResponseTable::TCreateFailure::Internal:
        showError(kInternalError + error);
        break;
    }
    survey.SetSRResponseFile(QString());
    return false;
}

bool OpenResponseTable(TSurvey& survey, TResponseTable& table, const TShowError& showError)
{
    const QString error = table.OpenAt(survey.SRResponseFile());
    if (error.isEmpty())
        return true;
    showError(kInternalError + error);
    survey.SetSRResponseFile(QString());
    return false;
}

bool HasSurveyLayout(const xbase::TTable& table, const TSurvey& survey)
{
    const std::vector<TResponseField>& fixed = FixedResponseFields();
    const std::vector<xbase::TFieldDef>& fields = table.Layout().Fields;
    if (fields.size() < fixed.size())
        return false;
    for (size_t i = 0; i < fixed.size(); ++i)
        if (fields[i].Name != fixed[i].Name)
            return false;
    static const QRegularExpression questionField(QStringLiteral("^ORV([0-9]{1,6})(CM|OT|_[0-9]+)?$"));
    for (size_t i = fixed.size(); i < fields.size(); ++i) {
        const QRegularExpressionMatch m = questionField.match(fields[i].Name);
        if (!m.hasMatch() || m.captured(1).toInt() > survey.LastID())
            return false;
    }
    return true;
}

namespace {

// The first free name beside `tablePath` for a table moved out of the way: NAME-moved-N.dbf.
QString MovedAsidePath(const QString& tablePath)
{
    const QFileInfo info(tablePath);
    const QString base = info.absolutePath() + QLatin1Char('/') + info.completeBaseName();
    for (int n = 1;; ++n) {
        const QString candidate = QStringLiteral("%1-moved-%2.%3").arg(base).arg(n).arg(info.suffix());
        bool free = !QFileInfo::exists(candidate);
        for (const QString& companion : ResponseTableCompanions(candidate))
            free = free && !QFileInfo::exists(companion);
        if (free)
            return candidate;
    }
}

// Renames a table and its companions as one; on failure every file is back where it was.
QString RenameTableFiles(const QString& from, const QString& to)
{
    const QStringList sources = QStringList{from} + ResponseTableCompanions(from);
    const QStringList targets = QStringList{to} + ResponseTableCompanions(to);
    QStringList moved;
    for (int i = 0; i < sources.size(); ++i) {
        if (!QFileInfo::exists(sources[i]))
            continue;
        if (QFileInfo::exists(targets[i]) || !QFile::rename(sources[i], targets[i])) {
            for (int k = static_cast<int>(moved.size()) - 1; k >= 0; --k)
                QFile::rename(targets[sources.indexOf(moved[k])], moved[k]);
            return QStringLiteral("%1 could not be renamed to %2").arg(sources[i], targets[i]);
        }
        moved << sources[i];
    }
    return QString();
}

} // namespace

TResponsePathState PrepareResponsePath(
    TSurvey& survey, TResponseTable& table, const TShowError& showError, const TShowError& inform)
{
    const QString path = ResponseTablePath(survey);
    if (!QFileInfo::exists(path))
        return TResponsePathState::Free;
    bool ours = false;
    {
        // Looked at without a change: a foreign table must be moved aside as it was.
        xbase::TTable candidate;
        ours = candidate.OpenReadOnly(path) && HasSurveyLayout(candidate, survey);
    }
    if (ours && table.OpenAt(path).isEmpty()) {
        survey.SetSRResponseFile(path);
        return TResponsePathState::Opened;
    }
    table.Close();
    const QString aside = MovedAsidePath(path);
    const QString error = RenameTableFiles(path, aside);
    if (!error.isEmpty()) {
        showError(QStringLiteral("Could not create the database ") + path + QStringLiteral(": ") + error);
        return TResponsePathState::Blocked;
    }
    inform(QStringLiteral("The file ") + path
        + QStringLiteral(" is not a response table of this survey; it was "
                         "renamed to ")
        + aside + QStringLiteral(" to make room for a new one."));
    return TResponsePathState::Free;
}

bool DeleteResponseTableFiles(const QString& tablePath)
{
    if (tablePath.isEmpty())
        return true;
    bool ok = true;
    QStringList files{tablePath};
    files += ResponseTableCompanions(tablePath);
    for (const QString& file : files)
        if (QFileInfo::exists(file) && !QFile::remove(file))
            ok = false;
    return ok;
}

QString RemoveResponseTableFiles(const QString& tablePath)
{
    if (tablePath.isEmpty())
        return QString();
    // Moved aside first as one, so that a failure leaves the whole table; then deleted.
    const QString aside = tablePath + QStringLiteral(".orvreset");
    DeleteResponseTableFiles(aside); // left over from a reset that was cut short
    const QString error = RenameTableFiles(tablePath, aside);
    if (!error.isEmpty())
        return error;
    DeleteResponseTableFiles(aside);
    return QString();
}

QString ResetLocalResponses(TSurvey& survey, TResponseTable& table)
{
    const bool wasOpen = table.IsOpen();
    table.Close();
    const QString removed = RemoveResponseTableFiles(survey.SRResponseFile());
    if (!removed.isEmpty()) {
        if (wasOpen)
            table.OpenAt(survey.SRResponseFile());
        return QStringLiteral("The local responses could not be reset: ") + removed;
    }
    survey.SetSRLastUpdate(QString::fromLatin1(kSRNever));
    survey.SetSRResponseCount(0);
    survey.AddHistory(QStringLiteral("Response file reset"));
    try {
        survey.Save();
    } catch (const ESurveyException& e) {
        return e.Message();
    }
    return QString();
}
