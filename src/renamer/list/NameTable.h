// A flat hash table from names to indices, for the list's row index and the
// rename's per-folder lookups. A slot holds only the index and the hash
// (eight bytes); the key of an index comes from the caller, so the texts stay
// where they are and a table over 100,000 names stays small.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Path.h"
#include "platform/Text.h"

namespace kq {

// FNV-1a over the UTF-16 units, upper-cased under the case-insensitive
// policy; seed lets a caller mix another part of its key in.
inline uint64_t HashName(std::u16string_view name, ENamePolicy policy, uint64_t seed = 0)
{
    uint64_t h = 1469598103934665603ull ^ seed;
    if (policy == ENamePolicy::ExactCase) {
        for (char16_t c : name) h = (h ^ c) * 1099511628211ull;
    } else {
        for (char16_t c : name) h = (h ^ AsciiUpper(c)) * 1099511628211ull;
    }
    return h ^ (h >> 29);
}

// Hash and equality of names under a policy, without building a key.
struct CNameHasher {
    using Key = std::u16string_view;
    ENamePolicy m_ePolicy;

    uint64_t Hash(Key name) const { return HashName(name, m_ePolicy); }
    bool Equal(Key a, Key b) const { return NamesEqual(a, b, m_ePolicy); }
};

inline constexpr size_t kNoName = static_cast<size_t>(-1);

// The table itself. It does not keep the keys: every call gets keyOf,
// callable as Hasher::Key(size_t index), so an owner that moves (the list)
// never leaves a table pointing at its old place. Indices are below
// 2^32 - 1: a list holds far fewer rows, a folder far fewer entries.
template <class Hasher>
class CNameIndex {
public:
    using Key = typename Hasher::Key;
    static constexpr size_t kNone = kNoName;

    explicit CNameIndex(Hasher hasher, size_t expected = 0) : m_hasher(std::move(hasher)) { Reserve(expected); }

    void Reserve(size_t expected)
    {
        size_t size = 16;
        while (size < expected * 2) size <<= 1;
        if (size > m_aSlots.size()) Rehash(size);
    }
    void Clear()
    {
        m_aSlots.clear();
        m_nMask = 0;
        m_nCount = 0;
    }
    size_t Size() const { return m_nCount; }

    // The index stored under the key, or kNone.
    template <class KeyOf>
    size_t Find(const Key& key, const KeyOf& keyOf) const
    {
        if (m_nCount == 0) return kNone;
        const uint32_t h = static_cast<uint32_t>(m_hasher.Hash(key));
        for (size_t i = h & m_nMask;; i = (i + 1) & m_nMask) {
            const CSlot& s = m_aSlots[i];
            if (s.m_nIndex == kFree) return kNone;
            if (s.m_nHash == h && m_hasher.Equal(keyOf(s.m_nIndex), key)) return s.m_nIndex;
        }
    }

    // Adds the index under its key unless the key is there already; returns
    // false (keeping the old index) in that case.
    template <class KeyOf>
    bool Insert(size_t index, const KeyOf& keyOf)
    {
        if ((m_nCount + 1) * 2 > m_aSlots.size()) Rehash(m_aSlots.empty() ? 16 : m_aSlots.size() * 2);
        const Key key = keyOf(index);
        const uint32_t h = static_cast<uint32_t>(m_hasher.Hash(key));
        for (size_t i = h & m_nMask;; i = (i + 1) & m_nMask) {
            CSlot& s = m_aSlots[i];
            if (s.m_nIndex == kFree) {
                s = {h, static_cast<uint32_t>(index)};
                ++m_nCount;
                return true;
            }
            if (s.m_nHash == h && m_hasher.Equal(keyOf(s.m_nIndex), key)) return false;
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

    Hasher m_hasher;
    std::vector<CSlot> m_aSlots;
    size_t m_nMask = 0;
    size_t m_nCount = 0;
};

// A name table that keeps its TextOf (callable as std::u16string_view(size_t
// index)), for tables that live no longer than the texts they index.
template <class TextOf>
class CNameTable {
public:
    static constexpr size_t kNone = kNoName;

    CNameTable(ENamePolicy policy, TextOf textOf, size_t expected = 0)
        : m_index(CNameHasher{policy}, expected), m_textOf(std::move(textOf))
    {
    }

    void Reserve(size_t expected) { m_index.Reserve(expected); }
    size_t Find(std::u16string_view name) const { return m_index.Find(name, m_textOf); }
    bool Contains(std::u16string_view name) const { return Find(name) != kNone; }
    bool Insert(size_t index) { return m_index.Insert(index, m_textOf); }

private:
    CNameIndex<CNameHasher> m_index;
    TextOf m_textOf;
};

}  // namespace kq
