#include "sync/editor/UndoHistory.h"

#include "base/Trace.h"
#include "platform/Paths.h"

namespace qelFramework {

bool UndoHistory::write(std::string& name) {
    // The folder may be missing where the content was installed without it.
    if (!platform::makeFolder(folder))
        Trace::write(Trace::WARNING, "syncEditor", "cannot make the folder \"%s\" for the undo snapshots",
                     folder.c_str());
    name = nextSnapshotFileName();
    if (!writeSyncFile(name, data))
        return false;
    written.push_back(name);
    return true;
}

bool UndoHistory::beforeEdit() {
    redoNames.clear(); // a new edit: what was undone cannot come back
    std::string name;
    if (!write(name))
        return false;
    undoNames.push_back(name);
    return true;
}

UndoHistory::Step UndoHistory::restore(std::vector<std::string>& from, std::vector<std::string>& to) {
    Step step;
    if (from.empty())
        return step;
    step.taken = true;
    std::string leaving;
    step.leftKept = write(leaving);
    if (step.leftKept)
        to.push_back(leaving);
    const std::string name = from.back();
    from.pop_back();
    step.restored = readSyncFile(name, data);
    return step;
}

UndoHistory::Step UndoHistory::undo() { return restore(undoNames, redoNames); }

UndoHistory::Step UndoHistory::redo() { return restore(redoNames, undoNames); }

void UndoHistory::deleteFiles() {
    for (const std::string& name : written)
        platform::deleteFile(name.c_str());
    forget();
}

void UndoHistory::forget() {
    written.clear();
    undoNames.clear();
    redoNames.clear();
}

} // namespace qelFramework
