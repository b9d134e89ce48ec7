// A flat hash table from names to indices, for the rename's per-folder
// lookups: one probe array, the hash kept beside each entry so that most
// misses never touch the text. The caller keeps the texts alive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
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

class CNameTable {
public:
    static constexpr size_t kNone = static_cast<size_t>(-1);

    explicit CNameTable(ENamePolicy policy, size_t expected = 0) : m_hasher{policy} { Reserve(expected); }

    void Reserve(size_t expected)
    {
        size_t size = 16;
        while (size < expected * 2) size <<= 1;
        if (size > m_aSlots.size()) Rehash(size);
    }

    // The value stored for the name, or kNone.
    size_t Find(std::u16string_view name) const
    {
        if (m_nCount == 0) return kNone;
        uint64_t h = m_hasher.Hash(name) & 0xFFFFFFFFu;
        for (size_t i = h & m_nMask;; i = (i + 1) & m_nMask) {
            const CSlot& s = m_aSlots[i];
            if (!s.m_pText) return kNone;
            if (s.m_nHash == static_cast<uint32_t>(h) && s.m_nLength == name.size() &&
                m_hasher.Equal({s.m_pText, s.m_nLength}, name))
                return s.m_nValue;
        }
    }
    bool Contains(std::u16string_view name) const { return Find(name) != kNone; }

    // Adds the name unless present; returns false (and leaves the old value)
    // when it was there already.
    bool Insert(std::u16string_view name, size_t value)
    {
        if ((m_nCount + 1) * 2 > m_aSlots.size()) Rehash(m_aSlots.size() * 2);
        uint64_t h = m_hasher.Hash(name) & 0xFFFFFFFFu;
        for (size_t i = h & m_nMask;; i = (i + 1) & m_nMask) {
            CSlot& s = m_aSlots[i];
            if (!s.m_pText) {
                s = {name.data() ? name.data() : u"", static_cast<uint32_t>(h), static_cast<uint32_t>(name.size()),
                     static_cast<uint32_t>(value)};
                ++m_nCount;
                return true;
            }
            if (s.m_nHash == static_cast<uint32_t>(h) && s.m_nLength == name.size() &&
                m_hasher.Equal({s.m_pText, s.m_nLength}, name))
                return false;
        }
    }

private:
    // Values and lengths fit 32 bits: a list holds far fewer rows, and a
    // name is far shorter.
    struct CSlot {
        const char16_t* m_pText = nullptr;  // null marks a free slot
        uint32_t m_nHash = 0;               // low bits of the hash (the probe start)
        uint32_t m_nLength = 0;
        uint32_t m_nValue = 0;
    };

    void Rehash(size_t size)
    {
        std::vector<CSlot> old;
        old.swap(m_aSlots);
        m_aSlots.assign(size, CSlot{});
        m_nMask = size - 1;
        for (const CSlot& s : old) {
            if (!s.m_pText) continue;
            for (size_t i = s.m_nHash & m_nMask;; i = (i + 1) & m_nMask) {
                if (!m_aSlots[i].m_pText) {
                    m_aSlots[i] = s;
                    break;
                }
            }
        }
    }

    CNameHasher m_hasher;
    std::vector<CSlot> m_aSlots;
    size_t m_nMask = 0;
    size_t m_nCount = 0;
};

}  // namespace kq
