#include "platform/Paths.h"
#include "platform/VideoPipe.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#ifndef _WIN32

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

// This test program's own fsync and rename: they log each call (the file it touches) and
// pass it on, or fail an fsync on request, so that the order the writer puts its bytes on
// the disk in can be checked.
namespace {
std::vector<std::string>* g_calls = nullptr;
bool g_failSync = false;

std::string fdPath(int fd) {
    char link[64], target[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(link, target, sizeof target);
    return std::string(target, n > 0 ? static_cast<std::size_t>(n) : 0);
}
} // namespace

extern "C" int fsync(int fd) {
    static const auto real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
    if (g_calls)
        g_calls->push_back("fsync " + fdPath(fd));
    if (g_failSync) {
        errno = EIO;
        return -1;
    }
    return real(fd);
}

extern "C" int rename(const char* from, const char* to) {
    static const auto real = reinterpret_cast<int (*)(const char*, const char*)>(dlsym(RTLD_NEXT, "rename"));
    if (g_calls)
        g_calls->push_back(std::string("rename ") + from + " " + to);
    return real(from, to);
}

using namespace qelFramework;

TEST(WholeFileWriter, SyncsTheBytesBeforeTheRenameAndTheFolderAfterIt) {
    qmtest::TempFolder folder;
    const std::string root = std::filesystem::canonical(folder.path()).string();
    const std::string target = folder.file("demosynch.dat");
    qmtest::writeFile(target, "old");
    std::vector<std::string> calls;
    std::string error;
    g_calls = &calls;
    const bool written = platform::writeWholeFile(target, {'n', 'e', 'w'}, error);
    g_calls = nullptr;
    ASSERT_TRUE(written) << error;
    EXPECT_EQ(calls, (std::vector<std::string>{"fsync " + root + "/demosynch.dat.quillmont-tmp",
                                               "rename " + target + ".quillmont-tmp " + target, "fsync " + root}));
    EXPECT_EQ(qmtest::readFile(target), "new");

    // Bytes that cannot be put on the disk fail the write: the old file stays, no
    // temporary file is left, and the reason is the system's.
    g_failSync = true;
    EXPECT_FALSE(platform::writeWholeFile(target, {'x'}, error));
    g_failSync = false;
    EXPECT_EQ(error, "cannot write " + target + ".quillmont-tmp: Input/output error");
    EXPECT_EQ(qmtest::readFile(target), "new");
    EXPECT_FALSE(platform::fileExists(target + ".quillmont-tmp"));
}

// A video the encoder finished is committed the same way: its bytes on the disk before the
// rename, then the folder.
TEST(WholeFileWriter, AFinishedVideoIsSyncedBeforeItTakesItsName) {
    qmtest::TempFolder folder;
    const std::string root = std::filesystem::canonical(folder.path()).string();
    const std::string target = folder.file("clip.mp4");
    platform::VideoSettings settings;
    settings.width = 64;
    settings.height = 48;
    std::string error;
    platform::VideoPipe pipe;
    ASSERT_TRUE(pipe.open(target, settings, error)) << error;
    ASSERT_TRUE(pipe.write(std::vector<std::uint8_t>(64 * 48 * 3, 90).data(), error)) << error;
    std::vector<std::string> calls;
    g_calls = &calls;
    const bool closed = pipe.close(true, error);
    g_calls = nullptr;
    ASSERT_TRUE(closed) << error;
    EXPECT_EQ(calls, (std::vector<std::string>{"fsync " + root + "/clip.mp4.quillmont-tmp",
                                               "rename " + target + ".quillmont-tmp " + target, "fsync " + root}));
    EXPECT_EQ(qmtest::listFolder(folder.path()), std::vector<std::string>{"clip.mp4"});
}

TEST(WholeFileWriter, LeftoverTemporaryFilesGoAndNothingElse) {
    qmtest::TempFolder folder;
    ASSERT_TRUE(platform::makeFolder(folder.file("sub")));
    ASSERT_TRUE(platform::makeFolder(folder.file("folder.quillmont-tmp")));
    // Only the writer's own leftovers go: a maker's file that merely ends in .tmp stays.
    for (const char* name : {"demosynch.dat.quillmont-tmp", "--3--2024-01-02!03-04-05.dat.quillmont-tmp",
                             "demosynch.dat", "mine.tmp", "notes.txt.tmp", ".quillmont-tmp",
                             "sub/x.dat.quillmont-tmp", "notes.quillmont-tmp.txt"})
        qmtest::writeFile(folder.file(name), "x");
    std::vector<std::string> removed = platform::removeLeftoverTemporaryFiles(folder.path() + "\\");
    std::sort(removed.begin(), removed.end());
    EXPECT_EQ(removed, (std::vector<std::string>{folder.path() + "/--3--2024-01-02!03-04-05.dat.quillmont-tmp",
                                                 folder.path() + "/demosynch.dat.quillmont-tmp"}));
    for (const char* kept : {"demosynch.dat", "mine.tmp", "notes.txt.tmp", ".quillmont-tmp", "sub/x.dat.quillmont-tmp",
                             "notes.quillmont-tmp.txt", "folder.quillmont-tmp"})
        EXPECT_TRUE(platform::fileExists(folder.file(kept))) << kept;
    EXPECT_TRUE(platform::removeLeftoverTemporaryFiles(folder.file("missing")).empty());

    // One file's leftover, by the file's name.
    qmtest::writeFile(folder.file("choreography.txt.quillmont-tmp"), "x");
    EXPECT_TRUE(platform::removeLeftoverTemporaryFileOf(folder.file("choreography.txt")));
    EXPECT_FALSE(platform::fileExists(folder.file("choreography.txt.quillmont-tmp")));
    EXPECT_FALSE(platform::removeLeftoverTemporaryFileOf(folder.file("choreography.txt")));
    EXPECT_FALSE(platform::removeLeftoverTemporaryFileOf(folder.file("folder")));
}

TEST(WholeFileWriter, WritesThroughASymbolicLinkToItsTargetKeepingTheTargetsMode) {
    qmtest::TempFolder folder;
    ASSERT_TRUE(platform::makeFolder(folder.file("content")) && platform::makeFolder(folder.file("work")));
    const std::string target = folder.file("content/choreography.txt");
    qmtest::writeFile(target, "old");
    ASSERT_EQ(chmod(target.c_str(), 0600), 0);
    // A relative link, read from the folder that holds it, and a link to that link.
    const std::string link = folder.file("work/link.txt"), second = folder.file("second.txt");
    ASSERT_EQ(symlink("../content/choreography.txt", link.c_str()), 0);
    ASSERT_EQ(symlink(link.c_str(), second.c_str()), 0);
    EXPECT_EQ(std::filesystem::canonical(platform::linkTarget(second)), std::filesystem::canonical(target));

    std::string error;
    ASSERT_TRUE(platform::writeWholeFile(second, {'n', 'e', 'w'}, error)) << error;
    for (const std::string& name : {link, second}) {
        struct stat st{};
        ASSERT_EQ(lstat(name.c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode)) << name;
    }
    struct stat st{};
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(qmtest::readFile(link), "new");
    EXPECT_EQ(qmtest::listFolder(folder.file("work")), std::vector<std::string>{"link.txt"});

    // A finished temporary file committed through the link lands on the target too.
    qmtest::writeFile(folder.file("content/out.quillmont-tmp"), "committed");
    ASSERT_TRUE(platform::commitWholeFile(folder.file("content/out.quillmont-tmp"), link, error)) << error;
    EXPECT_EQ(qmtest::readFile(target), "committed");
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);

    // A cut-off write through the link left its temporary file beside the target.
    qmtest::writeFile(target + ".quillmont-tmp", "x");
    EXPECT_TRUE(platform::removeLeftoverTemporaryFileOf(link));
    EXPECT_FALSE(platform::fileExists(target + ".quillmont-tmp"));
}

#else

TEST(Paths, PosixOnly) {
    GTEST_SKIP() << "replaces the C library's fsync and rename in this program (dlfcn) and makes"
                    " symbolic links and modes: POSIX only (PathNamesTest covers Windows names)";
}

#endif
