#pragma once

// Many keys of one tag held together: the bytes of every key, without its trailing fill, in one
// buffer, beside an offset and a record number each. Whole tags are built from these, so that a
// load of hundreds of thousands of records costs a few bytes per key beyond the key itself, not
// an allocation of the whole key length for each.

#include <QtGlobal>

#include <string>
#include <string_view>
#include <vector>

namespace xbase {

class TCdxKeyList {
public:
    TCdxKeyList(int keyLength, char fill);

    int KeyLength() const { return m_keyLength; }
    char Fill() const { return m_fill; }
    size_t Size() const { return m_recnos.size(); }
    void Reserve(size_t keys, size_t bytes);

    // `key` holds the tag's key length in bytes.
    void Add(const char* key, quint32 recno);
    // The key without its trailing fill.
    std::string_view Key(size_t i) const
    {
        return std::string_view(m_bytes.data() + m_starts[i], m_starts[i + 1] - m_starts[i]);
    }
    quint32 Recno(size_t i) const { return m_recnos[i]; }

    // Ascending by key (as if filled out to the key length), then by record number.
    void Sort();
    bool Less(size_t a, const TCdxKeyList& other, size_t b) const;

private:
    int m_keyLength;
    char m_fill;
    std::string m_bytes;
    std::vector<size_t> m_starts{0}; // key i is m_bytes[m_starts[i], m_starts[i + 1])
    std::vector<quint32> m_recnos;
};

} // namespace xbase
