// The editor at a quit: edits never saved are kept in a file of their own, in the first
// folder that takes it, and a quit that would lose them is held once with a notice.
#include "editor/SyncEditor.h"

#include "base/Trace.h"
#include "platform/Kernel.h"
#include "platform/Paths.h"
#include "platform/UserFolders.h"
#include "sync/SyncFileFormat.h"

#include <cstdio>

namespace qelFramework {

namespace {
const char* const kTag = "syncEditor";

// Writes image as folder/stamp.dat (a second quit within the same second gets a name of its
// own); the name written, or "" with the reason in why.
std::string keepIn(const std::string& folder, const std::string& stamp, const std::vector<unsigned char>& image,
                   std::string& why) {
    if (!platform::makeFolders(folder, why))
        return std::string();
    std::string name = folder + "/" + stamp + ".dat";
    for (int n = 2; platform::fileExists(name) && n < 100; ++n)
        name = folder + "/" + stamp + "-" + std::to_string(n) + ".dat";
    return platform::writeWholeFile(name, image, why) ? name : std::string();
}
} // namespace

bool SyncEditor::keepUnsavedEdits(std::string* whyNot) {
    const platform::SystemTime time = platform::getSystemTimeUtc();
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "unsaved-%04d-%02d-%02d-%02d-%02d-%02d", time.year, time.month, time.day,
                  time.hour, time.minute, time.second);
    std::vector<unsigned char> image;
    std::string reasons;
    if (!encodeSyncData(sync, image, reasons, SyncContents::save))
        reasons = "the controllers cannot be written: " + reasons;
    // The snapshot folder first; when it cannot take the file (read-only, a full disk),
    // the user's state folder, then the system's temporary folder.
    for (const std::string& folder :
         {std::string(kSnapshotFolder), platform::userStateFolder(), platform::temporaryFolder()}) {
        if (folder.empty() || !image.size())
            continue;
        std::string why;
        const std::string name = keepIn(folder, stamp, image, why);
        if (!name.empty()) {
            unsavedFile = name;
            rememberSavedState(); // kept: a later quit has nothing more to keep
            Trace::write(Trace::Warning, kTag, "unsaved edits kept in %s", name.c_str());
            std::fprintf(stderr, "quillmont: unsaved edits kept in %s\n", name.c_str());
            return true;
        }
        reasons += (reasons.empty() ? "" : "; ") + folder + "/: " + why;
    }
    if (whyNot) { // the caller says it
        *whyNot = reasons;
        return false;
    }
    const std::string snapshots = history.hasFiles()
                                      ? std::string("; the undo snapshots stay in ") + kSnapshotFolder + "/"
                                      : std::string("; no undo snapshot was written either");
    Trace::write(Trace::Warning, kTag, "unsaved edits could not be kept (%s)%s", reasons.c_str(), snapshots.c_str());
    std::fprintf(stderr, "quillmont: unsaved edits could not be kept (%s)%s\n", reasons.c_str(), snapshots.c_str());
    return false;
}

bool SyncEditor::readyToQuit() {
    if (!hasUnsavedEdits())
        return true;
    const std::int64_t now = platform::queryPerformanceCounter();
    const auto within = static_cast<std::int64_t>(kQuitAgainSeconds * platform::queryPerformanceFrequency());
    if (quitHeldAt != 0 && now - quitHeldAt <= within)
        return true; // asked twice: the edits go
    std::string why;
    if (keepUnsavedEdits(&why))
        return true;
    quitHeldAt = now;
    Trace::write(Trace::Warning, kTag,
                 "unsaved edits cannot be kept anywhere (%s): save them, or press Escape again within %.0f s to quit "
                 "without them",
                 why.c_str(), kQuitAgainSeconds);
    setNotice("unsaved edits cannot be kept: " + why + ". Escape again quits without them", true, nullptr);
    return false;
}

} // namespace qelFramework
