// A flat hash table from names to indices, for the rename's per-folder
// lookups. A slot holds only the index and the hash (eight bytes); the name
// of an index comes from the caller's TextOf, so the texts stay where they
// are and a table over 100,000 names stays small.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Path.h"
#include "platform/Text.h"

namespace kq {

// Hash and equality of names under a policy, without building a key.
struct CNameHasher {
    ENamePolicy m_ePolicy;

    uint64_t Hash(std::u16string_view name) const
    {
        uint64_t h = 1469598103934665603ull;
        if (m_ePolicy == ENamePolicy::ExactCase) {
            for (char16_t c : name) h = (h ^ c) * 1099511628211ull;
        } else {
            for (char16_t c : name) h = (h ^ AsciiUpper(c)) * 1099511628211ull;
        }
        return h ^ (h >> 29);
    }
    bool Equal(std::u16string_view a, std::u16string_view b) const { return NamesEqual(a, b, m_ePolicy); }
};

inline constexpr size_t kNoName = static_cast<size_t>(-1);

// TextOf: callable as std::u16string_view(size_t index). Indices are below
// 2^32 - 1: a list holds far fewer rows, a folder far fewer entries.
template <class TextOf>
class CNameTable {
public:
    static constexpr size_t kNone = kNoName;

    CNameTable(ENamePolicy policy, TextOf textOf, size_t expected = 0)
        : m_hasher{policy}, m_textOf(std::move(textOf))
    {
        Reserve(expected);
    }

    void Reserve(size_t expected)
    {
        size_t size = 16;
        while (size < expected * 2) size <<= 1;
        if (size > m_aSlots.size()) Rehash(size);
    }

    // The index stored under the name, or kNone.
    size_t Find(std::u16string_view name) const
    {
        if (m_nCount == 0) return kNone;
        const uint32_t h = static_cast<uint32_t>(m_hasher.Hash(name));
        for (size_t i = h & m_nMask;; i = (i + 1) & m_nMask) {
            const CSlot& s = m_aSlots[i];
            if (s.m_nIndex == kFree) return kNone;
            if (s.m_nHash == h && m_hasher.Equal(m_textOf(s.m_nIndex), name)) return s.m_nIndex;
        }
    }
    bool Contains(std::u16string_view name) const { return Find(name) != kNone; }

    // Adds the index under its name unless the name is there already;
    // returns false (keeping the old index) in that case.
    bool Insert(size_t index)
    {
        if ((m_nCount + 1) * 2 > m_aSlots.size()) Rehash(m_aSlots.size() * 2);
        const std::u16string_view name = m_textOf(index);
        const uint32_t h = static_cast<uint32_t>(m_hasher.Hash(name));
        for (size_t i = h & m_nMask;; i = (i + 1) & m_nMask) {
            CSlot& s = m_aSlots[i];
            if (s.m_nIndex == kFree) {
                s = {h, static_cast<uint32_t>(index)};
                ++m_nCount;
                return true;
            }
            if (s.m_nHash == h && m_hasher.Equal(m_textOf(s.m_nIndex), name)) return false;
        }
    }

private:
    static constexpr uint32_t kFree = 0xFFFFFFFFu;
    struct CSlot {
        uint32_t m_nHash = 0;  // low bits of the hash (the probe start)
        uint32_t m_nIndex = kFree;
    };

    void Rehash(size_t size)
    {
        std::vector<CSlot> old;
        old.swap(m_aSlots);
        m_aSlots.assign(size, CSlot{});
        m_nMask = size - 1;
        for (const CSlot& s : old) {
            if (s.m_nIndex == kFree) continue;
            size_t i = s.m_nHash & m_nMask;
            while (m_aSlots[i].m_nIndex != kFree) i = (i + 1) & m_nMask;
            m_aSlots[i] = s;
        }
    }

    CNameHasher m_hasher;
    TextOf m_textOf;
    std::vector<CSlot> m_aSlots;
    size_t m_nMask = 0;
    size_t m_nCount = 0;
};

}  // namespace kq
