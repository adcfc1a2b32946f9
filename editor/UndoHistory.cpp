#include "editor/UndoHistory.h"

#include "base/Trace.h"
#include "platform/Paths.h"

namespace qelFramework {

bool UndoHistory::write(std::string& name) {
    // The folder may be missing where the content was installed without it.
    if (!platform::makeFolder(folder))
        Trace::write(Trace::Warning, "syncEditor", "cannot make the folder \"%s\" for the undo snapshots",
                     folder.c_str());
    name = nextSnapshotFileName();
    if (!writeSyncFile(name, data))
        return false;
    written.push_back(name);
    return true;
}

bool UndoHistory::beforeEdit(const std::string& what) {
    redoSteps.clear(); // a new edit: what was undone cannot come back
    std::string name;
    if (!write(name))
        return false;
    undoSteps.names.push_back(name);
    undoSteps.edits.push_back(what);
    return true;
}

UndoHistory::Step UndoHistory::restore(Stack& from, Stack& to) {
    Step step;
    if (from.names.empty())
        return step;
    step.taken = true;
    step.what = from.edits.back();
    std::string leaving;
    step.leftKept = write(leaving);
    if (step.leftKept) {
        to.names.push_back(leaving);
        to.edits.push_back(step.what);
    }
    const std::string name = from.names.back();
    from.names.pop_back();
    from.edits.pop_back();
    step.restored = readSyncFile(name, data, SyncContents::snapshot);
    return step;
}

UndoHistory::Step UndoHistory::undo() { return restore(undoSteps, redoSteps); }

UndoHistory::Step UndoHistory::redo() { return restore(redoSteps, undoSteps); }

void UndoHistory::deleteFiles() {
    for (const std::string& name : written)
        platform::deleteFile(name.c_str());
    forget();
}

void UndoHistory::forget() {
    written.clear();
    undoSteps.clear();
    redoSteps.clear();
}

} // namespace qelFramework
