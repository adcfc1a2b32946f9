// quillmont-forge OUTDIR [--only ID]... [--list]
// Makes the production's default content under OUTDIR (OUTDIR/data/..., OUTDIR/editor/)
// from code alone: the same bytes on every run.
#include "Products.h"

#include "platform/Paths.h"
#include "platform/ProgramArguments.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using namespace qelFramework;
using namespace qelFramework::forge;

namespace {

void usage() {
    std::fprintf(stderr, "usage: quillmont-forge OUTDIR [--only ID]...\n"
                         "       quillmont-forge --list\n");
}

// Makes every folder on the way to (and including) folder, below its root ("/", "C:/").
bool makeFolders(const std::string& folder) {
    std::string native = platform::nativePath(folder);
    for (size_t i = std::max<size_t>(platform::rootLength(native), 1); i <= native.size(); ++i)
        if (i == native.size() || native[i] == '/')
            if (!platform::makeFolder(native.substr(0, i)))
                return false;
    return true;
}

std::string folderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args = platform::programArguments(argc, argv);
    std::string outDir;
    std::vector<std::string> only;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--list") {
            for (const Product& p : allProducts())
                std::printf("%-14s %s\n", p.id.c_str(), p.file.c_str());
            return 0;
        }
        if (args[i] == "--only" && i + 1 < args.size()) {
            only.push_back(args[++i]);
            continue;
        }
        if (args[i].empty() || args[i][0] == '-' || !outDir.empty()) {
            usage();
            return 2;
        }
        outDir = args[i];
    }
    if (outDir.empty()) {
        usage();
        return 2;
    }

    std::vector<const Product*> chosen;
    for (const Product& p : allProducts()) {
        bool wanted = only.empty();
        for (const std::string& id : only)
            wanted = wanted || id == p.id;
        if (wanted)
            chosen.push_back(&p);
    }
    for (const std::string& id : only) {
        bool known = false;
        for (const Product& p : allProducts())
            known = known || id == p.id;
        if (!known) {
            std::fprintf(stderr, "forge: no product named \"%s\" (see --list)\n", id.c_str());
            return 2;
        }
    }

    // The editor writes its snapshots into editor/, so it is made even though nothing
    // ships in it yet.
    if (!makeFolders(outDir + "/data") || !makeFolders(outDir + "/editor")) {
        std::fprintf(stderr, "forge: cannot make the folders under %s\n", outDir.c_str());
        return 1;
    }

    int failures = 0;
    for (size_t i = 0; i < chosen.size(); ++i) {
        const Product& p = *chosen[i];
        const std::string path = platform::nativePath(outDir + "/" + p.file);
        std::string note, error;
        bool ok = makeFolders(folderOf(path));
        if (!ok)
            error = "cannot make the folder " + folderOf(path);
        else
            ok = p.make(path, note, error);
        if (ok) {
            std::printf("forge: [%zu/%zu] %s  %s\n", i + 1, chosen.size(), p.file.c_str(), note.c_str());
        } else {
            std::fprintf(stderr, "forge: [%zu/%zu] %s failed: %s\n", i + 1, chosen.size(), p.file.c_str(),
                         error.c_str());
            ++failures;
        }
        std::fflush(stdout);
    }
    return failures ? 1 : 0;
}
