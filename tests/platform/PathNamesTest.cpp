// How names are spelt on each system, and the UTF-8 / UTF-16 conversions Windows names
// go through; both hold on every system.
#include "platform/Paths.h"
#include "platform/Utf16.h"

#include <gtest/gtest.h>

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
