// quillmont-sync: the sync file as text and back, and a controller's values at given times.
#include "base/Trace.h"
#include "platform/Kernel.h"
#include "platform/Paths.h"
#include "platform/ProgramArguments.h"
#include "sync/SyncData.h"
#include "sync/SyncFile.h"
#include "sync/SyncFileFormat.h"
#include "sync/SyncText.h"
#include "sync/SyncTextFile.h"

#include <cstdio>
#include <string>
#include <vector>

using namespace qelFramework;

namespace {
const char* const kUsage =
    "usage: quillmont-sync dump FILE              the sync file as text\n"
    "       quillmont-sync build TEXT OUT         the sync file OUT from the text file TEXT\n"
    "       quillmont-sync eval FILE NAME T1 [T2 ...]\n"
    "                                             controller NAME at the times T1, T2, ... (seconds):\n"
    "                                             one line per time: time, value, changed (0 or 1)\n";

constexpr std::size_t kNotesShown = 20;

int fail(const std::string& message) {
    std::fprintf(stderr, "quillmont-sync: %s\n", message.c_str());
    return 1;
}

int dump(const std::string& path) {
    std::vector<unsigned char> image;
    std::string why;
    if (!platform::readWholeFile(path, image, kSyncFileLimit, why))
        return fail("cannot read " + path + ": " + why);
    std::vector<SyncFileRecord> records;
    std::string problem;
    const bool whole = decodeSyncRecords(image, records, problem);
    const std::string text = formatSyncText(records);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
    if (!whole)
        return fail(path + " is damaged " + problem + "; printed the " + std::to_string(records.size()) +
                    " controllers before it");
    return 0;
}

int build(const std::string& textPath, const std::string& outPath) {
    std::vector<unsigned char> bytes;
    std::string why;
    if (!platform::readWholeFile(textPath, bytes, kSyncTextLimit, why))
        return fail("cannot read " + textPath + ": " + why);
    std::vector<SyncFileRecord> records;
    std::vector<std::string> notes;
    std::string error;
    if (!parseSyncText(std::string(bytes.begin(), bytes.end()), records, error, &notes))
        return fail(textPath + ": " + error);
    // Built as written; what the program will change when it reads the file is said here.
    const std::size_t shown = notes.size() > kNotesShown + 1 ? kNotesShown : notes.size();
    for (std::size_t i = 0; i < shown; ++i)
        std::fprintf(stderr, "quillmont-sync: %s: %s\n", textPath.c_str(), notes[i].c_str());
    if (shown < notes.size())
        std::fprintf(stderr, "quillmont-sync: %s: %zu more such lines\n", textPath.c_str(), notes.size() - shown);
    std::vector<unsigned char> image;
    if (!encodeSyncRecords(records, image, error) || !platform::writeWholeFile(outPath, image, error))
        return fail(error);
    return 0;
}

int eval(const std::string& path, const std::string& name, const std::vector<std::string>& times) {
    std::vector<float> values;
    for (const std::string& token : times) {
        float t;
        if (!parseSyncFloat(token, t))
            return fail("expected a time in seconds, found '" + token + "'");
        values.push_back(t);
    }
    SyncData data;
    switch (readSyncFile(path, data)) {
    case SyncReadResult::missing:
        return fail("cannot read " + path);
    case SyncReadResult::damaged:
        return fail(path + " is damaged (see the warning above)");
    case SyncReadResult::read:
        break;
    }
    SyncController* controller = data.find(name);
    if (!controller)
        return fail("no controller named \"" + name + "\" in " + path);
    for (float t : values) {
        controller->evaluate(t);
        std::printf("%.9g %.9g %d\n", static_cast<double>(t), static_cast<double>(controller->value),
                    controller->changed ? 1 : 0);
    }
    return 0;
}
} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args = platform::programArguments(argc, argv);
    platform::useBinaryStandardStreams(); // a dump is a text file, the same on every system
    Trace::setHighestLevel(Trace::Warning); // the reader's warnings go to standard error
    if (args.size() == 2 && args[0] == "dump")
        return dump(args[1]);
    if (args.size() == 3 && args[0] == "build")
        return build(args[1], args[2]);
    if (args.size() >= 4 && args[0] == "eval")
        return eval(args[1], args[2], std::vector<std::string>(args.begin() + 3, args.end()));
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    std::fputs(kUsage, stderr);
    return 2;
}
