// Builds the installed help documents from their hand-written sources: the
// marker comments are replaced by tables generated from the core, so the
// function reference always lists exactly the functions the engine knows.
//
//   kqhelpgen SOURCE.html OUTPUT.html
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "HelpSections.h"

namespace {

bool ReadAll(const char* path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: kqhelpgen SOURCE.html OUTPUT.html\n";
        return 2;
    }
    std::string text;
    if (!ReadAll(argv[1], text)) {
        std::cerr << "kqhelpgen: cannot read " << argv[1] << "\n";
        return 1;
    }
    std::string unknown;
    const std::string result = kq::help::ExpandMarkers(text, unknown);
    if (!unknown.empty()) {
        std::cerr << "kqhelpgen: unknown marker " << unknown << " in " << argv[1] << "\n";
        return 1;
    }
    // Written under a temporary name first, so a failed run never leaves a
    // half document that the build would take as up to date.
    const std::string temporary = std::string(argv[2]) + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << result;
        if (!out.flush()) {
            std::cerr << "kqhelpgen: cannot write " << temporary << "\n";
            return 1;
        }
    }
    if (std::rename(temporary.c_str(), argv[2]) != 0) {
        std::cerr << "kqhelpgen: cannot write " << argv[2] << "\n";
        return 1;
    }
    return 0;
}
