#pragma once

// A set of byte strings kept compactly: the strings one after another in one buffer, and an
// open table of where each begins. A key costs its length plus about twenty bytes, where a
// node-based set costs several times that; the merge keeps every address and e-mail of a large
// download in two of them.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TKeySet {
public:
    bool Contains(std::string_view key) const;
    void Insert(std::string_view key); // a key already there is not added twice
    void Clear();
    std::size_t Size() const { return size_; }

private:
    struct TSlot {
        std::uint32_t hash = 0;
        std::uint32_t at = 0; // where the key's length and bytes begin in bytes_; 0: empty
    };

    std::size_t Find(std::string_view key, std::uint32_t hash) const; // its slot, or the empty one
    std::string_view KeyAt(std::uint32_t at) const;
    void Grow();

    std::string bytes_ = std::string(1, '\0'); // offset 0 marks an empty slot
    std::vector<TSlot> slots_;
    std::size_t size_ = 0;
};
