#pragma once
// The editor's undo and redo. Before every edit all controllers are saved to a snapshot
// file (the sync file format) in the snapshot folder and its name pushed on the undo
// stack; undo restores the newest and pops it, after saving the state it leaves on the
// redo stack, and redo does the reverse. A new edit clears the redo stack. The files a
// session wrote are deleted when it ends. Every step keeps the name of its edit, so that
// undo and redo can say what they took back or brought back.
#include "sync/SyncFile.h"

#include <string>
#include <vector>

namespace qelFramework {

class SyncData;

class UndoHistory {
public:
    // What an undo or redo did.
    struct Step {
        bool taken = false;        // a snapshot was there to restore
        SyncReadResult restored = SyncReadResult::read;
        bool leftKept = true;      // the state it left was saved for the way back
        std::string what;          // the edit taken back or brought back
    };

    UndoHistory(SyncData& data, std::string folder) : data(data), folder(std::move(folder)) {}

    // Before an edit, named what ("move key"). False when the snapshot could not be
    // written: the edit goes ahead, but cannot be undone.
    bool beforeEdit(const std::string& what);
    Step undo();
    Step redo();

    const std::vector<std::string>& undoStack() const { return undoSteps.names; }
    const std::vector<std::string>& redoStack() const { return redoSteps.names; }
    // Whether any snapshot file of the session was written (and not yet deleted).
    bool hasFiles() const { return !written.empty(); }
    // Deletes every snapshot file of the session and empties both stacks.
    void deleteFiles();
    // Empties both stacks and leaves the files where they are.
    void forget();

private:
    // Writes the controllers to a new snapshot file; name is set either way.
    bool write(std::string& name);
    // One way of the history: snapshot file names and their edits, newest last.
    struct Stack {
        std::vector<std::string> names;
        std::vector<std::string> edits;
        void clear() {
            names.clear();
            edits.clear();
        }
    };
    Step restore(Stack& from, Stack& to);

    SyncData& data;
    std::string folder;
    Stack undoSteps, redoSteps;
    std::vector<std::string> written;              // every snapshot of the session
};

} // namespace qelFramework
