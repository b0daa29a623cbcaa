#include "core/responses/keyset.h"

#include <cstring>
#include <functional>

namespace {

std::uint32_t HashOf(std::string_view key)
{
    return static_cast<std::uint32_t>(std::hash<std::string_view>()(key));
}

} // namespace

bool TKeySet::Contains(std::string_view key) const
{
    return !slots_.empty() && slots_[Find(key, HashOf(key))].at != 0;
}

void TKeySet::Insert(std::string_view key)
{
    if ((size_ + 1) * 2 > slots_.size())
        Grow();
    const std::uint32_t hash = HashOf(key);
    TSlot& slot = slots_[Find(key, hash)];
    if (slot.at != 0)
        return;
    slot = {hash, static_cast<std::uint32_t>(bytes_.size())};
    const auto length = static_cast<std::uint32_t>(key.size());
    bytes_.append(reinterpret_cast<const char*>(&length), sizeof length);
    bytes_.append(key);
    ++size_;
}

void TKeySet::Clear()
{
    bytes_.resize(1);
    slots_.clear();
    size_ = 0;
}

std::size_t TKeySet::Find(std::string_view key, std::uint32_t hash) const
{
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const TSlot& slot = slots_[i];
        if (slot.at == 0 || (slot.hash == hash && KeyAt(slot.at) == key))
            return i;
    }
}

std::string_view TKeySet::KeyAt(std::uint32_t at) const
{
    std::uint32_t length;
    std::memcpy(&length, bytes_.data() + at, sizeof length);
    return std::string_view(bytes_.data() + at + sizeof length, length);
}

void TKeySet::Grow()
{
    std::vector<TSlot> old = std::move(slots_);
    slots_.assign(old.empty() ? 64 : old.size() * 2, TSlot());
    const std::size_t mask = slots_.size() - 1;
    for (const TSlot& slot : old) {
        if (slot.at == 0)
            continue;
        std::size_t i = slot.hash & mask;
        while (slots_[i].at != 0)
            i = (i + 1) & mask;
        slots_[i] = slot;
    }
}
