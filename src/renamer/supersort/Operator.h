// Versioned objects in a binary archive: every object writes its version
// number before its fields, so that a later program reads earlier files and
// an earlier one refuses objects newer than it knows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kq {

// Little-endian integers and length-prefixed strings over a byte buffer.
// Reading never goes past the end: a short read marks the archive failed
// and yields zero / empty values from then on.
class CArchive {
public:
    CArchive() = default;                        // storing into Bytes()
    explicit CArchive(std::string_view bytes);   // loading from bytes

    bool IsStoring() const { return m_bStoring; }
    const std::string& Bytes() const { return m_strOut; }

    void WriteInt32(int32_t value);
    void WriteInt64(int64_t value);
    // FF FE FF, the length ladder, then UTF-16LE units.
    void WriteString(std::u16string_view text);

    bool ReadInt32(int32_t& value);
    bool ReadInt64(int64_t& value);
    // The UTF-16 form, or the single-byte form in the ANSI code page (GBK).
    bool ReadString(std::u16string& text);

    // A read ran past the end of the data.
    bool Failed() const { return m_bFailed; }
    // An object newer than this program was met: where its fields end is
    // unknown, so nothing after it can be read.
    bool Refused() const { return m_bRefused; }
    void SetRefused() { m_bRefused = true; }
    bool AtEnd() const { return m_nPos >= m_input.size(); }
    size_t Remaining() const { return m_input.size() - m_nPos; }

private:
    bool ReadBytes(void* out, size_t count);
    bool ReadLength(uint32_t first, uint64_t& length);

    bool m_bStoring = true;
    std::string m_strOut;
    std::string_view m_input;
    size_t m_nPos = 0;
    bool m_bFailed = false;
    bool m_bRefused = false;
};

// Status codes of StoreObject / LoadObject.
enum EOperatorStatus {
    kOperatorOk = 0,
    kOperatorNothing = 1,  // version outside 1-5, or a base implementation
    kOperatorNewer = 2,    // "版本过低" was shown; nothing more read
    kOperatorDamaged = 3,  // the data ended inside the object
};

class COperator {
public:
    virtual ~COperator() = default;

    virtual int GetVersion() const { return 1; }
    virtual EOperatorStatus StoreVersion1(CArchive&) const { return kOperatorNothing; }
    virtual EOperatorStatus LoadVersion1(CArchive&) { return kOperatorNothing; }
    virtual EOperatorStatus StoreVersion2(CArchive&) const { return kOperatorNothing; }
    virtual EOperatorStatus LoadVersion2(CArchive&) { return kOperatorNothing; }
    virtual EOperatorStatus StoreVersion3(CArchive&) const { return kOperatorNothing; }
    virtual EOperatorStatus LoadVersion3(CArchive&) { return kOperatorNothing; }
    virtual EOperatorStatus StoreVersion4(CArchive&) const { return kOperatorNothing; }
    virtual EOperatorStatus LoadVersion4(CArchive&) { return kOperatorNothing; }
    virtual EOperatorStatus StoreVersion5(CArchive&) const { return kOperatorNothing; }
    virtual EOperatorStatus LoadVersion5(CArchive&) { return kOperatorNothing; }

    // The version, then that version's fields.
    EOperatorStatus StoreObject(CArchive& ar) const;
    // A newer version shows "版本过低" through the prompt provider, marks the
    // archive refused and returns kOperatorNewer.
    EOperatorStatus LoadObject(CArchive& ar);
};

extern const std::u16string kVersionTooLowText;   // "因系统安装的程序版本太低而无法读取，请联系开发商升级！"
extern const std::u16string kVersionTooLowTitle;  // "版本过低"

}  // namespace kq
