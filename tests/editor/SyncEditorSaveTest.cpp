// What a save from the editor holds.
#include "EditorFixture.h"

#include "sync/SyncFile.h"
#include "sync/SyncFileFormat.h"

using namespace qelFramework;

namespace {
// Beside the fixture's two controllers, an empty one the sync file names and an empty
// one a layer only looked up.
class EditorSave : public qmtest::EditorTest {
protected:
    void prepare() override {
        SyncData stored;
        stored.getController("Named: Empty");
        ASSERT_TRUE(writeSyncFile("data/demosynch.dat", stored));
        ASSERT_EQ(readSyncFile("data/demosynch.dat", sync), SyncReadResult::read);
        sync.getController("Looked: Up");
    }
    std::vector<std::string> savedNames() {
        clickWorkspaceItem(0);
        const std::string bytes = qmtest::readFile("data/demosynch.dat");
        std::vector<SyncFileRecord> records;
        std::string problem;
        EXPECT_TRUE(decodeSyncRecords(std::vector<unsigned char>(bytes.begin(), bytes.end()), records, problem));
        std::vector<std::string> names;
        for (const SyncFileRecord& record : records)
            names.push_back(record.name);
        return names;
    }
};
} // namespace

TEST_F(EditorSave, AnEmptyControllerIsSavedOnlyWhenTheFileNamedIt) {
    const std::vector<std::string> held{"Test: A", "Test: B", "Named: Empty"};
    EXPECT_EQ(savedNames(), held);
    // Once it has a key it is saved; undone, it is left out again (the undo snapshot
    // holding it does not count as the file).
    clickControllerRow(3);
    ASSERT_EQ(editor->selectedController(), sync.find("Looked: Up"));
    press(PointerButton::Middle, 0.3f, 0.21f);
    ASSERT_EQ(sync.find("Looked: Up")->keyCount(), 1);
    EXPECT_EQ(savedNames(), (std::vector<std::string>{"Test: A", "Test: B", "Named: Empty", "Looked: Up"}));
    editor->undo();
    ASSERT_EQ(sync.find("Looked: Up")->keyCount(), 0);
    EXPECT_EQ(savedNames(), held);
}
