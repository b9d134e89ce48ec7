// A flat hash table from names to indices, for the list's row index and the
// rename's per-folder lookups. A slot holds only the index and the hash
// (eight bytes); the key of an index comes from the caller, so the texts stay
// where they are and a table over 100,000 names stays small.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Path.h"
#include "platform/Text.h"

namespace kq {

// Four UTF-16 units at a time (one multiply and one shift a word), the
// units upper-cased under the case-insensitive policy; seed lets a caller mix
// another part of its key in. Names of 255 units are common, and every
// preview cycle hashes every row's name, so the loop must not go unit by unit.
namespace detail {
// The ASCII lower-case letters of four units upper-cased; the word's units
// must all be below 0x80.
inline uint64_t UpperAsciiWord(uint64_t w)
{
    // Per unit u (< 0x80): bit 7 of u + 0x1F is set from 'a' on, bit 7 of
    // u + 0x05 from '{' on; neither sum carries into the next unit.
    const uint64_t fromA = w + 0x001F001F001F001Full;
    const uint64_t pastZ = w + 0x0005000500050005ull;
    const uint64_t lower = fromA & ~pastZ & 0x0080008000800080ull;
    return w - (lower >> 2);
}
inline uint64_t MixWord(uint64_t h, uint64_t w)
{
    h = (h ^ w) * 0x9FB21C651E98DF25ull;
    return h ^ (h >> 32);
}
}  // namespace detail

inline uint64_t HashName(std::u16string_view name, ENamePolicy policy, uint64_t seed = 0)
{
    const bool exact = policy == ENamePolicy::ExactCase;
    uint64_t h = (0xCBF29CE484222325ull ^ seed) + name.size();
    const char16_t* p = name.data();
    size_t n = name.size();
    for (; n >= 4; p += 4, n -= 4) {
        uint64_t w;
        std::memcpy(&w, p, sizeof w);
        if (!exact) {
            if ((w & 0xFF80FF80FF80FF80ull) == 0) {
                w = detail::UpperAsciiWord(w);
            } else {
                const char16_t units[4] = {AsciiUpper(p[0]), AsciiUpper(p[1]), AsciiUpper(p[2]), AsciiUpper(p[3])};
                std::memcpy(&w, units, sizeof w);
            }
        }
        h = detail::MixWord(h, w);
    }
    if (n > 0) {
        char16_t units[4] = {};
        for (size_t i = 0; i < n; ++i) units[i] = exact ? p[i] : AsciiUpper(p[i]);
        uint64_t w;
        std::memcpy(&w, units, sizeof w);
        h = detail::MixWord(h, w);
    }
    h *= 0xFF51AFD7ED558CCDull;
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
        return m_nCount == 0 ? kNone : FindHashed(key, m_hasher.Hash(key), keyOf);
    }
    // Find and Insert for a caller that has the key's hash already (it must
    // be the hasher's).
    template <class KeyOf>
    size_t FindHashed(const Key& key, uint64_t hash, const KeyOf& keyOf) const
    {
        if (m_nCount == 0) return kNone;
        const uint32_t h = static_cast<uint32_t>(hash);
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
        return InsertHashed(index, m_hasher.Hash(keyOf(index)), keyOf);
    }
    template <class KeyOf>
    bool InsertHashed(size_t index, uint64_t hash, const KeyOf& keyOf)
    {
        if ((m_nCount + 1) * 2 > m_aSlots.size()) Rehash(m_aSlots.empty() ? 16 : m_aSlots.size() * 2);
        const Key key = keyOf(index);
        const uint32_t h = static_cast<uint32_t>(hash);
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
    {}

    void Reserve(size_t expected) { m_index.Reserve(expected); }
    size_t Find(std::u16string_view name) const { return m_index.Find(name, m_textOf); }
    bool Contains(std::u16string_view name) const { return Find(name) != kNone; }
    bool Insert(size_t index) { return m_index.Insert(index, m_textOf); }
    // With the name's HashName under the table's policy, already known.
    size_t FindHashed(std::u16string_view name, uint64_t hash) const
    {
        return m_index.FindHashed(name, hash, m_textOf);
    }
    bool InsertHashed(size_t index, uint64_t hash) { return m_index.InsertHashed(index, hash, m_textOf); }

private:
    CNameIndex<CNameHasher> m_index;
    TextOf m_textOf;
};

}  // namespace kq
