// How names are spelt on each system, and the UTF-8 / UTF-16 conversions Windows names
// go through; both hold on every system.
#include "platform/Kernel.h"
#include "platform/Paths.h"
#include "platform/UserFolders.h"
#include "platform/Utf16.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using qelFramework::platform::isAbsolutePath;
using qelFramework::platform::nativePath;
using qelFramework::platform::PathRules;
using qelFramework::platform::rootLength;

TEST(PathNames, DrivesAndSharesAreRootsOnWindowsOnly) {
    const PathRules windows = PathRules::Windows, posix = PathRules::Posix;
    EXPECT_EQ(rootLength("C:\\out\\frames", windows), 3u);
    EXPECT_EQ(rootLength("z:/out", windows), 3u);
    EXPECT_EQ(rootLength("\\\\server\\share\\x\\y", windows), 15u); // "//server/share/"
    EXPECT_EQ(rootLength("//server/share", windows), 14u);
    EXPECT_EQ(rootLength("/home/x", windows), 1u);
    EXPECT_EQ(rootLength("/home/x", posix), 1u);
    for (const char* relative : {"out", "C:out", "1:/x", "data/x.png", ""}) {
        EXPECT_FALSE(isAbsolutePath(relative, windows)) << relative;
        EXPECT_FALSE(isAbsolutePath(relative, posix)) << relative;
    }
    // A drive letter means nothing on a POSIX system, and a share's two slashes are one.
    EXPECT_FALSE(isAbsolutePath("C:\\out", posix));
    EXPECT_EQ(nativePath("\\\\server\\\\share", windows), "//server/share");
    EXPECT_EQ(nativePath("\\\\server\\share", posix), "/server/share");
    EXPECT_EQ(nativePath("C:\\data\\\\textures\\x.png", windows), "C:/data/textures/x.png");
}

// A name from the command line is made absolute before start-up changes the working
// folder: on Windows the system's way, so that "\name" stays on the working drive and
// "C:name" goes to drive C:'s own working folder.
TEST(PathNames, NamesAreMadeAbsoluteAgainstTheWorkingFolderAndDrive) {
    using qelFramework::platform::absolutePath;
    const std::string cwd = nativePath(std::filesystem::current_path().u8string());
    ASSERT_FALSE(cwd.empty());
    EXPECT_EQ(absolutePath("a\\b"), cwd + "/a/b");
    if (qelFramework::platform::kSystemPathRules == PathRules::Posix) {
        EXPECT_EQ(absolutePath("/x/y"), "/x/y");
        return;
    }
    const std::string drive = cwd.substr(0, 2); // "Z:"
    EXPECT_EQ(absolutePath("\\x\\y"), drive + "/x/y");
    EXPECT_EQ(absolutePath("a\\tail. "), cwd + "/a/tail"); // as the system drops them
    const std::string onC = absolutePath("C:x");
    EXPECT_EQ(onC.rfind("C:/", 0), 0u) << onC;
    EXPECT_EQ(onC.substr(onC.size() - 2), "/x") << onC;
    EXPECT_EQ(onC.find(':', 2), std::string::npos) << onC;
    EXPECT_EQ(absolutePath("NUL"), "NUL"); // a device keeps its name
}

TEST(PathNames, Utf8AndUtf16RoundTripAndBadSequencesBecomeReplacements) {
    using qelFramework::platform::utf16FromUtf8;
    using qelFramework::platform::utf8FromUtf16;
    // ASCII, two-, three- and four-byte characters (a surrogate pair in UTF-16).
    const std::string text = "Z:/out/d\xC3\xA9j\xC3\xA0/\xE6\x97\xA5\xE6\x9C\xAC/\xF0\x9F\x8E\x86.png";
    const std::u16string wide = utf16FromUtf8(text);
    EXPECT_EQ(wide, u"Z:/out/d\u00e9j\u00e0/\u65e5\u672c/\U0001F386.png");
    EXPECT_EQ(utf8FromUtf16(wide), text);
    // Cut short, a stray continuation byte, an overlong slash, an encoded surrogate, past U+10FFFF.
    EXPECT_EQ(utf16FromUtf8("a\xE6\x97"), u"a\uFFFD\uFFFD");
    EXPECT_EQ(utf16FromUtf8("\x80" "b"), u"\uFFFD" "b");
    EXPECT_EQ(utf16FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");
    EXPECT_EQ(utf16FromUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(utf16FromUtf8("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
    // Unpaired surrogates in a Windows name.
    EXPECT_EQ(utf8FromUtf16(std::u16string(u"x") + char16_t(0xD800) + u"y" + char16_t(0xDC00)),
              "x\xEF\xBF\xBDy\xEF\xBF\xBD");
}

TEST(PathNames, ANameOutsideAsciiIsMadeReplacedListedAndRemoved) {
    namespace p = qelFramework::platform;
    qmtest::TempFolder dir;
    const std::string folder = dir.file("\xE6\x97\xA5\xE6\x9C\xAC/sub");
    const std::string file = folder + "/d\xC3\xA9j\xC3\xA0.dat";
    std::string error;
    ASSERT_TRUE(p::makeFolders(folder, error)) << error;
    ASSERT_TRUE(p::writeWholeFile(file, {1, 2, 3}, error)) << error;
    p::FileStamp first, second;
    ASSERT_TRUE(p::fileStamp(file, first));
    // The second write replaces the first file, which a plain rename does not do everywhere.
    ASSERT_TRUE(p::writeWholeFile(file, {4, 5, 6, 7}, error)) << error;
    ASSERT_TRUE(p::fileStamp(file, second));
    EXPECT_NE(first, second);
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(p::readWholeFile(file, bytes));
    EXPECT_EQ(bytes, (std::vector<unsigned char>{4, 5, 6, 7}));
    EXPECT_EQ(p::filesIn(folder), std::vector<std::string>{"d\xC3\xA9j\xC3\xA0.dat"});
    EXPECT_TRUE(p::deleteFile(file.c_str()));
    EXPECT_FALSE(p::fileExists(file));
}
