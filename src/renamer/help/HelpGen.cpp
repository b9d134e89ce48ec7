// Builds the installed help documents from their hand-written sources: the
// marker comments are replaced by tables generated from the core, so the
// function reference always lists exactly the functions the engine knows.
//
//   kqhelpgen SOURCE.html OUTPUT.html
#include <iostream>
#include <string>
#include <vector>

#include "HelpSections.h"
#include "platform/AtomicFile.h"
#include "platform/Console.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

int main(int argc, char** argv)
{
    // Through the platform layer, so that the cross-built tool takes the same
    // paths and replaces an older output on Windows too.
    const std::vector<std::string> args = kq::CommandLineArguments(argc, argv);
    if (args.size() != 2) {
        std::cerr << "usage: kqhelpgen SOURCE.html OUTPUT.html\n";
        return 2;
    }
    std::string text;
    if (!kq::ReadFileBytes(kq::FromUtf8(args[0]), text)) {
        std::cerr << "kqhelpgen: cannot read " << args[0] << "\n";
        return 1;
    }
    std::string unknown;
    const std::string result = kq::help::ExpandMarkers(text, unknown);
    if (!unknown.empty()) {
        std::cerr << "kqhelpgen: unknown marker " << unknown << " in " << args[0] << "\n";
        return 1;
    }
    // Replaced whole or not at all, so a failed run never leaves a half
    // document that the build would take as up to date.
    if (!kq::ReplaceFileAtomic(kq::FromUtf8(args[1]), result)) {
        std::cerr << "kqhelpgen: cannot write " << args[1] << "\n";
        return 1;
    }
    return 0;
}
