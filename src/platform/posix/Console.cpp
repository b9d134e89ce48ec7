#include "platform/Console.h"

#include <cstdio>
#include <iostream>

namespace kq {

std::vector<std::string> CommandLineArguments(int argc, char** argv)
{
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

void WriteStdText(EStdStream stream, std::string_view utf8)
{
    FILE* file = stream == EStdStream::Out ? stdout : stderr;
    // Messages on stderr follow whatever was printed before them.
    if (stream == EStdStream::Err) std::fflush(stdout);
    std::fwrite(utf8.data(), 1, utf8.size(), file);
    if (stream == EStdStream::Err) std::fflush(stderr);
}

bool ReadStdLine(std::string& utf8)
{
    if (!std::getline(std::cin, utf8)) return false;
    if (!utf8.empty() && utf8.back() == '\r') utf8.pop_back();
    return true;
}

}  // namespace kq
