// Entry point of the quillmont production.
#include "app/CommandLine.h"
#include "app/Startup.h"
#include "platform/InputScript.h"
#include "platform/Paths.h"
#include "platform/ProgramArguments.h"
#include "platform/StartingConsole.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace qelFramework;
    platform::attachStartingConsole();
    std::vector<std::string> args = platform::programArguments(argc, argv);
    CommandLine options;
    std::string error;
    if (!parseCommandLine(args, options, error)) {
        std::fprintf(stderr, "quillmont: %s\n(see quillmont --help)\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(usageText(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("quillmont %s\n", QM_VERSION);
        return 0;
    }
    if (!options.inputScript.empty() && !platform::loadInputScript(options.inputScript, error)) {
        std::fprintf(stderr, "quillmont: %s\n", error.c_str());
        return 2;
    }
    if (!options.syncText.empty() && !checkSyncText(options, error)) {
        std::fprintf(stderr, "quillmont: %s\n", error.c_str());
        return 2;
    }
    // The capture's output is named from where the program was started, not from the
    // content folder it moves into.
    if (!options.capture.empty())
        options.capture = platform::absolutePath(options.capture);
    if (platform::enterContentFolder().empty())
        std::fprintf(stderr, "quillmont: no data/ folder here or beside the program; the first missing file will "
                             "stop the show (make the content with quillmont-forge FOLDER, or run scripts/setup)\n");
    return runProduction(options);
}
