#include "renamer/cli/CliSupport.h"

#include <algorithm>
#include <cstdio>

#include "platform/Console.h"
#include "platform/Crt.h"

namespace kq::cli {

namespace {
std::vector<CCliCommand>& Registry()
{
    static std::vector<CCliCommand> s_commands;
    return s_commands;
}
}  // namespace

bool RegisterCommand(const CCliCommand& command)
{
    auto& commands = Registry();
    commands.push_back(command);
    std::stable_sort(commands.begin(), commands.end(),
                     [](const CCliCommand& a, const CCliCommand& b) { return a.m_nOrder < b.m_nOrder; });
    return true;
}

const std::vector<CCliCommand>& Commands() { return Registry(); }

const CCliCommand* FindCommand(std::string_view name)
{
    for (const auto& c : Registry())
        if (name == c.m_pszName) return &c;
    return nullptr;
}

bool CArgReader::Flag(std::string_view name)
{
    bool found = false;
    for (size_t i = 0; i < m_aArgs.size(); ++i) {
        if (m_aArgs[i] == "--") break;
        if (m_aArgs[i] == name) {
            m_aArgs.erase(m_aArgs.begin() + static_cast<long>(i));
            --i;
            found = true;
        }
    }
    return found;
}

bool CArgReader::Value(std::string_view name, std::string& value)
{
    std::vector<std::string> all = Values(name);
    if (all.empty()) return false;
    value = all.back();
    return true;
}

std::vector<std::string> CArgReader::Values(std::string_view name)
{
    std::vector<std::string> values;
    std::string prefix = std::string(name) + "=";
    for (size_t i = 0; i < m_aArgs.size(); ++i) {
        const std::string& a = m_aArgs[i];
        if (a == "--") break;
        if (a == name) {
            if (i + 1 >= m_aArgs.size()) {
                m_strError = "选项 " + std::string(name) + " 缺少取值";
                m_aArgs.erase(m_aArgs.begin() + static_cast<long>(i));
                break;
            }
            values.push_back(m_aArgs[i + 1]);
            m_aArgs.erase(m_aArgs.begin() + static_cast<long>(i), m_aArgs.begin() + static_cast<long>(i) + 2);
            --i;
        } else if (a.rfind(prefix, 0) == 0) {
            values.push_back(a.substr(prefix.size()));
            m_aArgs.erase(m_aArgs.begin() + static_cast<long>(i));
            --i;
        }
    }
    return values;
}

bool CArgReader::IntValue(std::string_view name, int& value)
{
    std::string text;
    if (!Value(name, text)) return false;
    size_t i = (text.size() > 1 && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
    bool digits = i < text.size() && text.size() - i <= 10;
    for (size_t j = i; j < text.size(); ++j)
        if (text[j] < '0' || text[j] > '9') digits = false;
    if (!digits) {
        m_strError = "选项 " + std::string(name) + " 需要整数：" + text;
        return false;
    }
    value = Atoi(text);
    return true;
}

std::vector<std::string> CArgReader::Positionals()
{
    std::vector<std::string> rest;
    bool optionsEnded = false;
    for (const auto& a : m_aArgs) {
        if (!optionsEnded && a == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && a.size() > 1 && a[0] == '-' && !(a[1] >= '0' && a[1] <= '9')) {
            if (m_strError.empty()) m_strError = "未知选项：" + a;
            continue;
        }
        rest.push_back(a);
    }
    return rest;
}

int UsageError(std::string_view command, std::string_view message)
{
    std::string text = "kqtools-cli: " + std::string(message) + "\n";
    text += command.empty() ? "用法见 kqtools-cli help" : "用法见 kqtools-cli help " + std::string(command);
    PrintErr(text);
    return kExitUsage;
}

void PrintOut(std::string_view text)
{
    WriteStdText(EStdStream::Out, text);
    WriteStdText(EStdStream::Out, "\n");
}

void PrintErr(std::string_view text) { WriteStdText(EStdStream::Err, std::string(text) + "\n"); }

bool WriteFullPiece(std::string& out)
{
    if (out.size() < kOutputPiece) return false;
    WriteStdText(EStdStream::Out, out);
    out.clear();
    return true;
}

}  // namespace kq::cli
