// What the subcommands of kqtools-cli share: registration, option reading,
// output helpers and the exit codes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Text.h"  // JsonString

namespace kq::cli {

enum EExitCode { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

using CommandFunction = int (*)(std::vector<std::string>& args);

struct CCliCommand {
    const char* m_pszName;
    int m_nOrder;            // position in the help listing
    const char* m_pszSummary;
    const char* m_pszUsage;  // full text of `kqtools-cli help NAME`
    CommandFunction m_pfnRun;
};

// Registers a subcommand; used through KQ_CLI_COMMAND at namespace scope.
bool RegisterCommand(const CCliCommand& command);
const std::vector<CCliCommand>& Commands();
const CCliCommand* FindCommand(std::string_view name);

#define KQ_CLI_COMMAND(ident, ...) \
    static const bool kq_cli_registered_##ident = ::kq::cli::RegisterCommand(::kq::cli::CCliCommand{__VA_ARGS__})

// Option reader over the arguments after the subcommand name. Options may
// come in any order before or between positionals; "--" ends options.
class CArgReader {
public:
    explicit CArgReader(std::vector<std::string> args) : m_aArgs(std::move(args)) {}

    // True when the flag was present (it is consumed).
    bool Flag(std::string_view name);
    // Value of "--name VALUE" or "--name=VALUE"; false when absent. A
    // missing value records an error.
    bool Value(std::string_view name, std::string& value);
    // Every occurrence, in order.
    std::vector<std::string> Values(std::string_view name);
    // Integer value; records an error when it is not a whole number.
    bool IntValue(std::string_view name, int& value);
    // What is left: positionals. Records an error for any unknown option.
    std::vector<std::string> Positionals();

    bool HasError() const { return !m_strError.empty(); }
    const std::string& Error() const { return m_strError; }

private:
    std::vector<std::string> m_aArgs;
    std::string m_strError;
};

// Prints "kqtools-cli: <message>" and a help hint on stderr; returns kExitUsage.
int UsageError(std::string_view command, std::string_view message);
// Writes UTF-8 text and a newline.
void PrintOut(std::string_view text);
void PrintErr(std::string_view text);
// Output of many lines goes to stdout in pieces of whole lines, so that a
// million of them need no text of their size: called after each whole line,
// writes out once it holds a piece, and then says so (out is empty again).
constexpr size_t kOutputPiece = size_t(1) << 20;
bool WriteFullPiece(std::string& out);

}  // namespace kq::cli
