#include "renamer/supersort/Operator.h"

#include <cstring>

#include "platform/CodePage.h"
#include "platform/Prompt.h"

namespace kq {

const std::u16string kVersionTooLowText = u"因系统安装的程序版本太低而无法读取，请联系开发商升级！";
const std::u16string kVersionTooLowTitle = u"版本过低";

CArchive::CArchive(std::string_view bytes) : m_bStoring(false), m_input(bytes) {}

void CArchive::WriteInt32(int32_t value)
{
    const auto v = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) m_strOut.push_back(static_cast<char>((v >> shift) & 0xFF));
}

void CArchive::WriteInt64(int64_t value)
{
    const auto v = static_cast<uint64_t>(value);
    for (int shift = 0; shift < 64; shift += 8) m_strOut.push_back(static_cast<char>((v >> shift) & 0xFF));
}

void CArchive::WriteString(std::u16string_view text)
{
    auto put16 = [this](uint32_t v) {
        m_strOut.push_back(static_cast<char>(v & 0xFF));
        m_strOut.push_back(static_cast<char>((v >> 8) & 0xFF));
    };
    m_strOut.push_back('\xFF');
    put16(0xFFFE);
    const size_t length = text.size();
    if (length < 0xFF) {
        m_strOut.push_back(static_cast<char>(length));
    } else if (length < 0xFFFE) {
        m_strOut.push_back('\xFF');
        put16(static_cast<uint32_t>(length));
    } else {
        m_strOut.push_back('\xFF');
        put16(0xFFFF);
        WriteInt32(static_cast<int32_t>(static_cast<uint32_t>(length)));
    }
    m_strOut.reserve(m_strOut.size() + length * 2);
    for (char16_t c : text) put16(c);
}

bool CArchive::ReadBytes(void* out, size_t count)
{
    if (m_bFailed || count > Remaining()) {
        m_bFailed = true;
        std::memset(out, 0, count);
        return false;
    }
    std::memcpy(out, m_input.data() + m_nPos, count);
    m_nPos += count;
    return true;
}

bool CArchive::ReadInt32(int32_t& value)
{
    unsigned char b[4];
    bool ok = ReadBytes(b, 4);
    value = static_cast<int32_t>(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
    return ok;
}

bool CArchive::ReadInt64(int64_t& value)
{
    unsigned char b[8];
    bool ok = ReadBytes(b, 8);
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = v << 8 | b[i];
    value = static_cast<int64_t>(v);
    return ok;
}

// The rest of the ladder after a first byte of 0xFF: a 16-bit length, or
// 0xFFFF and a 32-bit one.
bool CArchive::ReadLength(uint32_t first, uint64_t& length)
{
    if (first < 0xFF) {
        length = first;
        return true;
    }
    unsigned char w[2];
    if (!ReadBytes(w, 2)) return false;
    const uint32_t word = uint32_t(w[0]) | uint32_t(w[1]) << 8;
    if (word < 0xFFFF) {
        length = word;
        return true;
    }
    int32_t dword = 0;
    if (!ReadInt32(dword)) return false;
    length = static_cast<uint32_t>(dword);
    return true;
}

bool CArchive::ReadString(std::u16string& text)
{
    text.clear();
    unsigned char first = 0;
    if (!ReadBytes(&first, 1)) return false;
    bool wide = false;
    uint64_t length = first;
    if (first == 0xFF) {
        unsigned char w[2];
        if (!ReadBytes(w, 2)) return false;
        const uint32_t word = uint32_t(w[0]) | uint32_t(w[1]) << 8;
        if (word == 0xFFFE) {
            wide = true;
            unsigned char b = 0;
            if (!ReadBytes(&b, 1) || !ReadLength(b, length)) return false;
        } else if (word < 0xFFFF) {
            length = word;
        } else {
            int32_t dword = 0;
            if (!ReadInt32(dword)) return false;
            length = static_cast<uint32_t>(dword);
        }
    }
    // The length is checked against what is left before anything is
    // allocated: a hostile length cannot ask for more than the file holds.
    const uint64_t bytes = wide ? length * 2 : length;
    if (bytes > Remaining()) {
        m_bFailed = true;
        return false;
    }
    const char* p = m_input.data() + m_nPos;
    m_nPos += static_cast<size_t>(bytes);
    if (wide) {
        text.resize(static_cast<size_t>(length));
        for (size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<char16_t>(uint16_t(static_cast<unsigned char>(p[2 * i])) |
                                            uint16_t(static_cast<unsigned char>(p[2 * i + 1])) << 8);
    } else if (!FromGbk(std::string_view(p, static_cast<size_t>(bytes)), text)) {
        // Without a GBK converter ASCII still reads as itself.
        text.clear();
        for (size_t i = 0; i < bytes; ++i) {
            auto c = static_cast<unsigned char>(p[i]);
            text.push_back(c < 0x80 ? char16_t(c) : u'\xFFFD');
        }
    }
    return true;
}

EOperatorStatus COperator::StoreObject(CArchive& ar) const
{
    const int version = GetVersion();
    ar.WriteInt32(version);
    switch (version) {
    case 1: return StoreVersion1(ar);
    case 2: return StoreVersion2(ar);
    case 3: return StoreVersion3(ar);
    case 4: return StoreVersion4(ar);
    case 5: return StoreVersion5(ar);
    default: return kOperatorNothing;
    }
}

EOperatorStatus COperator::LoadObject(CArchive& ar)
{
    int32_t version = 0;
    if (!ar.ReadInt32(version)) return kOperatorDamaged;
    if (version > GetVersion()) {
        GetPromptProvider().Inform(kVersionTooLowText, kVersionTooLowTitle);
        ar.SetRefused();
        return kOperatorNewer;
    }
    switch (version) {
    case 1: return LoadVersion1(ar);
    case 2: return LoadVersion2(ar);
    case 3: return LoadVersion3(ar);
    case 4: return LoadVersion4(ar);
    case 5: return LoadVersion5(ar);
    default: return kOperatorNothing;
    }
}

}  // namespace kq
