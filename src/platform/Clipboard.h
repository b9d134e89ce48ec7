// The process-wide clipboard (Unicode text only).
#pragma once

#include <string>

namespace kq {

class IClipboardProvider {
public:
    virtual ~IClipboardProvider() = default;
    // True and the text when the clipboard holds text.
    virtual bool GetText(std::u16string& text) = 0;
    // True when the text was put on the clipboard.
    virtual bool SetText(const std::u16string& text) = 0;
};

// A clipboard that lives in memory: for tests and for `--clipboard-file`.
class CMemoryClipboard : public IClipboardProvider {
public:
    CMemoryClipboard() = default;
    explicit CMemoryClipboard(std::u16string text) : m_strText(std::move(text)), m_bHasText(true) {}
    bool GetText(std::u16string& text) override;
    bool SetText(const std::u16string& text) override;
    void Clear() { m_strText.clear(); m_bHasText = false; }

private:
    std::u16string m_strText;
    bool m_bHasText = false;
};

// The desktop clipboard through wl-paste/wl-copy or xclip when present.
class CSystemClipboard : public IClipboardProvider {
public:
    bool GetText(std::u16string& text) override;
    bool SetText(const std::u16string& text) override;
};

// The provider in force; the default is a CSystemClipboard. The caller keeps
// ownership of what it installs; nullptr restores the default.
void SetClipboardProvider(IClipboardProvider* provider);
IClipboardProvider& GetClipboardProvider();

}  // namespace kq
