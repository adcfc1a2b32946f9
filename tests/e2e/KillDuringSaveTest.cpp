// A kill (SIGKILL) in the middle of a save leaves the old file or the new one, whole: a
// process that saves the sync file, or the sync text, without pause through the editor's
// own save functions is killed at many moments. (A start of the whole program costs
// seconds, too many for tens of kills; its save goes through these functions alone.)
#include "platform/Kernel.h"
#include "platform/Paths.h"
#include "support/TestSupport.h"
#include "sync/SyncData.h"
#include "sync/SyncFile.h"
#include "sync/SyncFileFormat.h"
#include "sync/SyncText.h"
#include "sync/SyncTextFile.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

using namespace qelFramework;

namespace {
// Saves in a child process without pause, the two versions in turn, and kills it after
// each of `kills` delays spread over the first milliseconds; after every kill the file
// must hold one of the two versions byte for byte, and a start's clean-up takes the
// temporary file the kill may have left.
void killWhileSaving(const std::string& path, const std::function<void(int)>& save,
                     const std::vector<std::string>& versions, int kills) {
    const std::string folder = path.substr(0, path.find_last_of('/'));
    for (int k = 0; k < kills; ++k) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Saves until killed; never longer than a minute, should the test be gone.
            const std::int64_t end = platform::queryPerformanceCounter() + 60 * platform::queryPerformanceFrequency();
            for (int n = 0; platform::queryPerformanceCounter() < end; ++n)
                save(n);
            _exit(0);
        }
        // Delays from 0.2 ms to about 60 ms, not in order, so that kills fall at every
        // stage of a save (reading, writing, syncing, renaming) and between saves.
        usleep(static_cast<useconds_t>(200 + (k * 7919) % 60000));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving process ended before its kill";
        const std::string now = qmtest::readFile(path);
        EXPECT_TRUE(now == versions[0] || now == versions[1])
            << "kill " << k << ": " << now.size() << " bytes, neither version";
        platform::removeLeftoverTemporaryFiles(folder);
        EXPECT_EQ(qmtest::listFolder(folder), std::vector<std::string>{path.substr(path.find_last_of('/') + 1)});
    }
}

// Many keys, so that a save takes a while and a kill finds it under way.
void fill(SyncData& data, int keys, float value) {
    for (int c = 0; c < 4; ++c) {
        SyncController* controller = data.getController("Kill: " + std::to_string(c));
        for (int k = 0; k < keys; ++k)
            controller->addKey(static_cast<float>(k) * 0.01f, value);
    }
}
} // namespace

TEST(KillDuringSave, TheSyncFileIsTheOldOrTheNewAfterEveryKill) {
    qmtest::TempFolder dir;
    ASSERT_TRUE(platform::makeFolder(dir.file("data")));
    const std::string path = dir.file("data/demosynch.dat");
    SyncData versions[2];
    fill(versions[0], 20000, 0.25f);
    fill(versions[1], 25000, 0.75f);
    std::vector<std::string> bytes;
    for (const SyncData& data : versions) {
        ASSERT_TRUE(writeSyncFile(path, data));
        bytes.push_back(qmtest::readFile(path));
    }
    killWhileSaving(path, [&](int n) { writeSyncFile(path, versions[n % 2]); }, bytes, 24);
}

TEST(KillDuringSave, TheSyncTextIsTheOldOrTheNewAfterEveryKill) {
    qmtest::TempFolder dir;
    const std::string path = dir.file("choreography.txt");
    // A text with comments; the second version changes every fourth value.
    SyncData versions[2];
    fill(versions[0], 1000, 0.25f);
    std::string text = "# the maker's notes\n" + formatSyncText(syncRecordsOf(versions[0]));
    text.insert(text.find("\n    0.02"), "   # the second key");
    qmtest::writeFile(path, text);
    std::vector<unsigned char> image;
    std::size_t controllers = 0;
    std::string error;
    ASSERT_TRUE(compileSyncTextFile(path, "choreography.txt", image, controllers, error)) << error;
    mergeSyncImage(image, "choreography.txt", versions[1]);
    for (std::size_t c = 0; c < versions[1].count(); ++c)
        for (int k = 0; k < versions[1].at(c)->keyCount(); k += 4)
            versions[1].at(c)->setKeyValue(k, 0.5f);
    std::vector<std::string> texts = {text};
    ASSERT_TRUE(writeSyncTextFile(path, versions[1], error)) << error;
    texts.push_back(qmtest::readFile(path));
    ASSERT_NE(texts[1].find("# the second key"), std::string::npos);
    ASSERT_TRUE(writeSyncTextFile(path, versions[0], error)) << error;
    ASSERT_TRUE(qmtest::readFile(path) == text); // no change from the text: the same bytes
    killWhileSaving(path, [&](int n) {
        std::string ignored;
        writeSyncTextFile(path, versions[n % 2], ignored);
    }, texts, 24);
}
