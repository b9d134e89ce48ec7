#include "platform/Clipboard.h"

#include <atomic>

namespace kq {

bool CMemoryClipboard::GetText(std::u16string& text)
{
    if (!m_bHasText) return false;
    text = m_strText;
    return true;
}

bool CMemoryClipboard::SetText(const std::u16string& text)
{
    m_strText = text;
    m_bHasText = true;
    return true;
}

namespace {
std::atomic<IClipboardProvider*> g_clipboard{nullptr};
}

void SetClipboardProvider(IClipboardProvider* provider) { g_clipboard = provider; }

IClipboardProvider& GetClipboardProvider()
{
    static CSystemClipboard s_system;
    IClipboardProvider* provider = g_clipboard.load();
    if (provider) return *provider;
    return s_system;
}

}  // namespace kq
