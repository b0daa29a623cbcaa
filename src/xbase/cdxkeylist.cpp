#include "xbase/cdxkeylist.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace xbase {

namespace {

// Compares keys stored without trailing fill as their filled-out forms compare.
int CompareFilled(std::string_view a, std::string_view b, char fill)
{
    const size_t common = std::min(a.size(), b.size());
    const int c = common == 0 ? 0 : std::memcmp(a.data(), b.data(), common);
    if (c != 0 || a.size() == b.size())
        return c;
    const std::string_view rest = a.size() > b.size() ? a.substr(common) : b.substr(common);
    const int sign = a.size() > b.size() ? 1 : -1;
    for (char ch : rest)
        if (ch != fill)
            return quint8(ch) < quint8(fill) ? -sign : sign;
    return 0;
}

} // namespace

TCdxKeyList::TCdxKeyList(int keyLength, char fill)
    : m_keyLength(keyLength)
    , m_fill(fill)
{
}

void TCdxKeyList::Reserve(size_t keys, size_t bytes)
{
    m_bytes.reserve(bytes);
    m_starts.reserve(keys + 1);
    m_recnos.reserve(keys);
}

void TCdxKeyList::Add(const char* key, quint32 recno)
{
    size_t n = size_t(m_keyLength);
    while (n > 0 && key[n - 1] == m_fill)
        --n;
    m_bytes.append(key, n);
    m_starts.push_back(m_bytes.size());
    m_recnos.push_back(recno);
}

bool TCdxKeyList::Less(size_t a, const TCdxKeyList& other, size_t b) const
{
    const int c = CompareFilled(Key(a), other.Key(b), m_fill);
    return c < 0 || (c == 0 && m_recnos[a] < other.m_recnos[b]);
}

void TCdxKeyList::Sort()
{
    std::vector<quint32> order(Size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [this](quint32 a, quint32 b) { return Less(a, *this, b); });
    TCdxKeyList sorted(m_keyLength, m_fill);
    sorted.Reserve(Size(), m_bytes.size());
    for (quint32 i : order) {
        const std::string_view key = Key(i);
        sorted.m_bytes.append(key.data(), key.size());
        sorted.m_starts.push_back(sorted.m_bytes.size());
        sorted.m_recnos.push_back(m_recnos[i]);
    }
    *this = std::move(sorted);
}

} // namespace xbase
