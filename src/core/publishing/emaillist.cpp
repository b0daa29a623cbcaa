#include "core/publishing/emaillist.h"

#include <QFileInfo>

#include <algorithm>

using namespace emaillist;

namespace {

const char* const kLiveOnly = ".not. DELETED()";

struct TTagDefinition {
    TEmailOrder Order;
    const char* Key;
};

const TTagDefinition kTags[] = {
    {TEmailOrder::LastName, "LNAME+FNAME"},
    {TEmailOrder::FirstName, "FNAME+LNAME"},
    {TEmailOrder::Email, "EMAIL"},
};

} // namespace

QString OrderTagName(TEmailOrder order)
{
    switch (order) {
    case TEmailOrder::FirstName:
        return QString::fromLatin1(FirstName);
    case TEmailOrder::LastName:
        return QString::fromLatin1(LastName);
    case TEmailOrder::Email:
        break;
    }
    return QString::fromLatin1(Email);
}

QString OrderDisplayLabel(TEmailOrder order)
{
    switch (order) {
    case TEmailOrder::FirstName:
        return QStringLiteral("First Name");
    case TEmailOrder::LastName:
        return QStringLiteral("Last Name");
    case TEmailOrder::Email:
        break;
    }
    return QStringLiteral("Email Address");
}

QString EnsureEmlExtension(const QString& fileName)
{
    if (fileName.endsWith(QLatin1String(Extension), Qt::CaseInsensitive))
        return fileName;
    return fileName + QLatin1String(Extension);
}

TEmailList::TEmailList() = default;
TEmailList::~TEmailList() = default;

bool TEmailList::IsOpen() const
{
    return table_ && table_->IsOpen();
}

QString TEmailList::Path() const
{
    return IsOpen() ? table_->Path() : QString();
}

QString TEmailList::LastError() const
{
    return table_ ? table_->LastError() : QString();
}

void TEmailList::Close()
{
    if (table_)
        (void)table_->Close();
    table_.reset();
}

QString TEmailList::OpenTable(const QString& path)
{
    for (const char* field : {FirstName, LastName, Email})
        if (table_->FieldIndex(QString::fromLatin1(field)) < 0) {
            const QString message = QStringLiteral("%1 is not an e-mail list: it has no field %2")
                                        .arg(path, QLatin1String(field));
            Close();
            return message;
        }
    // A list made by another tool may lack our tags; make the missing ones.
    for (const auto& tag : kTags)
        if (table_->TagNumber(OrderTagName(tag.Order)) == 0) {
            xbase::TStatus st = table_->CreateIndexTag(
                OrderTagName(tag.Order), QString::fromLatin1(tag.Key), QString::fromLatin1(kLiveOnly));
            if (!st.ok()) {
                Close();
                return st.Message();
            }
        }
    return SetOrder(TEmailOrder::LastName);
}

QString TEmailList::Open(const QString& path)
{
    Close();
    table_ = std::make_unique<xbase::TTable>();
    xbase::TStatus st = table_->Open(path);
    if (!st.ok()) {
        Close();
        return st.Message();
    }
    return OpenTable(path);
}

QString TEmailList::CreateTags()
{
    for (const auto& tag : kTags) {
        xbase::TStatus st = table_->CreateIndexTag(
            OrderTagName(tag.Order), QString::fromLatin1(tag.Key), QString::fromLatin1(kLiveOnly));
        if (!st.ok())
            return st.Message();
    }
    return {};
}

QString TEmailList::Create(const QString& path, TCreateListFailure* failure)
{
    Close();
    auto setFailure = [failure](TCreateListFailure f) {
        if (failure)
            *failure = f;
    };
    setFailure(TCreateListFailure::None);
    table_ = std::make_unique<xbase::TTable>();
    const std::vector<xbase::TFieldSpec> fields = {
        {QString::fromLatin1(FirstName), 'C', NameWidth, 0},
        {QString::fromLatin1(LastName), 'C', NameWidth, 0},
        {QString::fromLatin1(Email), 'C', EmailWidth, 0},
    };
    xbase::TStatus st = table_->CreateTable(path, fields);
    if (!st.ok()) {
        Close();
        setFailure(TCreateListFailure::Refused);
        return st.Message();
    }
    QString error = CreateTags();
    if (error.isEmpty())
        error = SetOrder(TEmailOrder::LastName);
    if (!error.isEmpty()) {
        Close();
        setFailure(TCreateListFailure::Incomplete);
    }
    return error;
}

QString TEmailList::SaveAs(const QString& path)
{
    if (!IsOpen())
        return QStringLiteral("No list is open");
    if (QFileInfo(path).absoluteFilePath() == QFileInfo(Path()).absoluteFilePath())
        return {};
    xbase::TStatus st = table_->CopyTable(path);
    if (!st.ok())
        return st.Message();
    QString error = Open(path);
    if (error.isEmpty())
        error = CreateTags(); // copies carry the tags; made again so that they are current
    if (error.isEmpty())
        error = SetOrder(TEmailOrder::LastName);
    return error;
}

QString TEmailList::SetOrder(TEmailOrder order)
{
    if (!IsOpen())
        return QStringLiteral("No list is open");
    xbase::TStatus st = table_->SetOrder(table_->TagNumber(OrderTagName(order)));
    if (!st.ok())
        return st.Message();
    order_ = order;
    return {};
}

bool TEmailList::Find(const QString& text)
{
    return IsOpen() && table_->Seek(text, xbase::TSeekMode::Partial);
}

int TEmailList::Add(const TEmailPerson& person)
{
    if (!AddMany({person}).isEmpty())
        return 0;
    return table_->RecordCount();
}

QString TEmailList::AddMany(const std::vector<TEmailPerson>& people)
{
    if (!IsOpen())
        return QStringLiteral("No list is open");
    for (const TEmailPerson& p : people) {
        xbase::TStatus st = table_->Append();
        if (st.ok())
            st = table_->AssignField(QString::fromLatin1(FirstName), p.FirstName);
        if (st.ok())
            st = table_->AssignField(QString::fromLatin1(LastName), p.LastName);
        if (st.ok())
            st = table_->AssignField(QString::fromLatin1(Email), p.Email);
        if (!st.ok())
            return st.Message();
    }
    xbase::TStatus st = table_->Commit();
    return st.ok() ? QString() : st.Message();
}

bool TEmailList::Remove(int recordNumber)
{
    if (!IsOpen())
        return false;
    return table_->Go(recordNumber).ok() && table_->Delete().ok();
}

QString TEmailList::RemoveMany(const std::vector<int>& recordNumbers)
{
    if (!IsOpen())
        return QStringLiteral("No list is open");
    const xbase::TStatus st = table_->DeleteMany(recordNumbers);
    return st.ok() ? QString() : st.Message();
}

TEmailPerson TEmailList::Read(int recordNumber)
{
    TEmailPerson p;
    if (!IsOpen() || !table_->Go(recordNumber).ok())
        return p;
    p.FirstName = table_->FieldText(QString::fromLatin1(FirstName));
    p.LastName = table_->FieldText(QString::fromLatin1(LastName));
    p.Email = table_->FieldText(QString::fromLatin1(Email));
    return p;
}

std::vector<int> TEmailList::RecordsInOrder()
{
    std::vector<int> records;
    if (!IsOpen())
        return records;
    records.reserve(size_t(table_->VisibleCount()));
    for (xbase::TStatus st = table_->First(); st.ok() && !table_->Eof(); st = table_->Skip())
        records.push_back(table_->RecNo());
    return records;
}

namespace {

// Compares two field texts as the index compares the fields padded with blanks.
int ComparePadded(const QString& a, const QString& b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i)
        if (a.at(i) != b.at(i))
            return a.at(i) < b.at(i) ? -1 : 1;
    const QString& longer = a.size() > b.size() ? a : b;
    for (qsizetype i = n; i < longer.size(); ++i)
        if (longer.at(i) != u' ')
            return (longer.at(i) < u' ') == (&longer == &a) ? -1 : 1;
    return 0;
}

} // namespace

void SortRows(std::vector<TEmailRow>& rows, TEmailOrder order)
{
    auto keyCompare = [order](const TEmailPerson& a, const TEmailPerson& b) {
        switch (order) {
        case TEmailOrder::LastName:
            if (int c = ComparePadded(a.LastName, b.LastName))
                return c;
            return ComparePadded(a.FirstName, b.FirstName);
        case TEmailOrder::FirstName:
            if (int c = ComparePadded(a.FirstName, b.FirstName))
                return c;
            return ComparePadded(a.LastName, b.LastName);
        case TEmailOrder::Email:
            break;
        }
        return ComparePadded(a.Email, b.Email);
    };
    std::sort(rows.begin(), rows.end(), [&](const TEmailRow& a, const TEmailRow& b) {
        const int c = keyCompare(a.Person, b.Person);
        return c != 0 ? c < 0 : a.Record < b.Record;
    });
}

std::vector<TEmailRow> TEmailList::RowsInOrder()
{
    std::vector<TEmailRow> rows;
    if (!IsOpen())
        return rows;
    const int order = table_->Order();
    (void)table_->SetOrder(0);
    const int first = table_->FieldIndex(QString::fromLatin1(FirstName));
    const int last = table_->FieldIndex(QString::fromLatin1(LastName));
    const int email = table_->FieldIndex(QString::fromLatin1(Email));
    rows.reserve(size_t(table_->RecordCount()));
    for (xbase::TStatus st = table_->First(); st.ok() && !table_->Eof(); st = table_->Skip())
        rows.push_back(
            {table_->RecNo(), {table_->FieldText(first), table_->FieldText(last), table_->FieldText(email)}});
    (void)table_->SetOrder(order);
    SortRows(rows, order_);
    return rows;
}
