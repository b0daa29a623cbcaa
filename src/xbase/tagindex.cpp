#include "xbase/tagindex.h"

#include "xbase/codepage.h"

#include <QDate>

#include <algorithm>

namespace xbase {

namespace {

bool ValidTagName(const QString& name)
{
    if (name.isEmpty() || name.size() > 10)
        return false;
    for (int i = 0; i < name.size(); ++i) {
        const char c = name[i].toLatin1();
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
        if (!(letter || (i > 0 && c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

} // namespace

std::unique_ptr<TTag> TTag::FromHeader(const TCdxTagHeader& header, const TRecordLayout& layout)
{
    auto tag = std::make_unique<TTag>();
    tag->Header = header;
    QString error;
    auto key = TExpression::Compile(header.KeyExpression, layout, &error);
    if (key && key->ResultType() == 'N' && header.KeyLength == 4) {
        tag->KeyType = 'I';
        tag->Fill = '\0';
    } else if (key && (key->ResultType() == 'N' || key->ResultType() == 'D') && header.KeyLength == 8) {
        tag->KeyType = 'N';
        tag->Fill = '\0';
    } else if (key && key->ResultType() == 'L' && header.KeyLength == 1) {
        tag->KeyType = 'L';
    } else if (key && key->ResultType() == 'C') {
        tag->KeyType = 'C';
    } else {
        // Without the expression the key type can only be guessed from its length.
        tag->Fill = (header.KeyLength == 8 || header.KeyLength == 4) && !key ? '\0' : ' ';
        tag->KeyType = tag->Fill == '\0' ? (header.KeyLength == 4 ? 'I' : 'N') : 'C';
        if (key)
            error
                = QStringLiteral("the key expression does not give keys of length %1").arg(header.KeyLength);
        key.reset();
    }
    if (header.Collated) {
        key.reset();
        error = QStringLiteral("the tag uses a collation sequence");
    }
    tag->Key = std::move(key);
    if (tag->Key && !header.ForExpression.isEmpty()) {
        tag->For = TExpression::Compile(header.ForExpression, layout, &error);
        if (tag->For && tag->For->ResultType() != 'L') {
            tag->For.reset();
            error = QStringLiteral("the FOR condition is not a logical expression");
        }
    }
    if (!tag->Evaluable())
        tag->CompileError = QStringLiteral("Index tag %1 cannot be computed: %2").arg(header.Name, error);
    // A key that is just a character field (the usual case) is copied without evaluation.
    const int field = layout.FieldIndex(header.KeyExpression.trimmed());
    if (tag->Key && tag->KeyType == 'C' && field >= 0 && layout.Fields[size_t(field)].Type == 'C'
        && layout.Fields[size_t(field)].Width == header.KeyLength) {
        tag->DirectField = field;
        tag->DirectOffset = layout.Fields[size_t(field)].Offset;
    }
    return tag;
}

std::unique_ptr<TTag> TTag::Define(const QString& name, const QString& keyText, const QString& forText,
    bool descending, const TRecordLayout& layout, QString* error)
{
    if (!ValidTagName(name)) {
        *error = QStringLiteral("\"%1\" is not a valid tag name (1 to 10 letters, digits or _, "
                                "beginning with a letter)")
                     .arg(name);
        return nullptr;
    }
    if (keyText.toLatin1().size() + forText.toLatin1().size() > 510) {
        *error = QStringLiteral("The key and FOR expressions of tag %1 are longer than 510 characters")
                     .arg(name);
        return nullptr;
    }
    QString message;
    auto key = TExpression::Compile(keyText, layout, &message);
    if (!key) {
        *error = QStringLiteral("Key expression of tag %1: %2").arg(name, message);
        return nullptr;
    }
    TCdxTagHeader h;
    h.Name = name.toUpper();
    h.KeyExpression = keyText.trimmed();
    h.ForExpression = forText.trimmed();
    h.Descending = descending;
    h.Options = h.ForExpression.isEmpty() ? 0x60 : 0x68;
    switch (key->ResultType()) {
    case 'C':
        h.KeyLength = key->ResultWidth();
        if (h.KeyLength > kCdxMaxKeyLength || h.KeyLength < 1) {
            *error = QStringLiteral("The key of tag %1 is %2 bytes long; an index key holds at most 240 "
                                    "(index a shorter expression, such as LEFT(field,240))")
                         .arg(name)
                         .arg(h.KeyLength);
            return nullptr;
        }
        break;
    case 'N':
    case 'D':
        h.KeyLength = 8;
        break;
    default:
        h.KeyLength = 1;
        break;
    }
    auto tag = FromHeader(h, layout);
    if (!tag->Evaluable()) {
        *error = tag->CompileError;
        return nullptr;
    }
    return tag;
}

bool TTag::KeyOf(const TRecordContext& ctx, std::string* key) const
{
    if (For && !For->IsTrue(ctx))
        return false;
    RawKeyOf(ctx, key);
    return true;
}

void TTag::RawKeyOf(const TRecordContext& ctx, std::string* key) const
{
    if (DirectField >= 0) {
        key->assign(ctx.Record.data() + DirectOffset, size_t(Header.KeyLength));
        return;
    }
    const TValue v = Key->Evaluate(ctx);
    const size_t length = size_t(Header.KeyLength);
    switch (KeyType) {
    case 'C':
        key->assign(v.text.constData(), std::min(length, size_t(v.text.size())));
        key->resize(length, ' ');
        break;
    case 'I':
        *key = IntegerKey(qint32(v.number));
        break;
    case 'L':
        key->assign(1, v.logical ? 'T' : 'F');
        break;
    default:
        *key = NumericKey(v.number);
        break;
    }
}

bool TTag::SearchKey(const QString& text, TTextEncoding encoding, std::string* key, bool* exact) const
{
    const QString trimmed = text.trimmed();
    switch (KeyType) {
    case 'C': {
        QByteArray bytes = EncodeText(text, encoding);
        if (trimmed.isEmpty()) {
            // A blank key finds blank keys only: under the prefix rule it would find every record.
            key->assign(size_t(Header.KeyLength), ' ');
            *exact = true;
            return true;
        }
        if (bytes.size() >= Header.KeyLength) {
            bytes.truncate(Header.KeyLength);
            *exact = true;
        }
        key->assign(bytes.constData(), size_t(bytes.size()));
        if (*exact)
            key->resize(size_t(Header.KeyLength), ' ');
        return true;
    }
    case 'L':
        if (trimmed.isEmpty())
            return false;
        key->assign(1, QStringLiteral("TtYy").contains(trimmed[0]) ? 'T' : 'F');
        *exact = true;
        return true;
    default: {
        *exact = true;
        bool ok = false;
        double v = 0;
        if (Key && Key->ResultType() == 'D') {
            QDate d = QDate::fromString(trimmed, QStringLiteral("yyyyMMdd"));
            if (!d.isValid())
                d = QDate::fromString(trimmed, Qt::ISODate);
            if (!d.isValid())
                return false;
            v = double(d.toJulianDay());
        } else {
            v = trimmed.toDouble(&ok);
            if (!ok)
                return false;
        }
        *key = KeyType == 'I' ? IntegerKey(qint32(v)) : NumericKey(v);
        return true;
    }
    }
}

void SortTagEntries(std::vector<TCdxEntry>* entries, bool unique)
{
    std::sort(entries->begin(), entries->end());
    if (!unique)
        return;
    auto end = std::unique(entries->begin(), entries->end(),
        [](const TCdxEntry& a, const TCdxEntry& b) { return a.key == b.key; });
    entries->erase(end, entries->end());
}

} // namespace xbase
