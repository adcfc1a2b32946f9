#include "platform/FontRasterizer.h"
#include "platform/Kernel.h"
#include "platform/Paths.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

using namespace qelFramework::platform;

namespace {
const std::string kFont = findFontFile("DejaVuSans.ttf");

size_t inked(const std::vector<std::uint8_t>& coverage) {
    return static_cast<size_t>(std::count_if(coverage.begin(), coverage.end(), [](std::uint8_t c) { return c > 0; }));
}
} // namespace

// The Windows package ships its font beside the program; elsewhere the system's is read.
TEST(FontRasterizer, AFontBesideTheProgramComesBeforeTheSystemOne) {
    const std::string name = "quillmont-test-face.ttf";
    EXPECT_EQ(findFontFile(name), "/usr/share/fonts/truetype/dejavu/" + name);
    const std::string folder = executableFolder() + "/fonts";
    const bool madeFolder = !fileExists(folder) && makeFolder(folder);
    std::string error;
    ASSERT_TRUE(writeWholeFile(folder + "/" + name, {0}, error)) << error;
    EXPECT_EQ(findFontFile(name), folder + "/" + name);
    deleteFile((folder + "/" + name).c_str());
    if (madeFolder)
        std::remove(folder.c_str());
}

TEST(FontRasterizer, RendersEveryLetterOfTheTitle) {
    FontFace face;
    std::string error;
    ASSERT_TRUE(face.load(kFont, error)) << error;
    ASSERT_TRUE(face.setPixelSize(48));
    for (char c : std::string("quillmont")) {
        GlyphBitmap g;
        ASSERT_TRUE(face.renderGlyph(static_cast<std::uint8_t>(c), g)) << c;
        EXPECT_TRUE(g.width > 0 && g.height > 0 && g.advance > 0.f && inked(g.coverage) > 10u)
            << c << ": " << g.width << " x " << g.height << ", advance " << g.advance << ", " << inked(g.coverage) << " inked";
    }
    TextBitmap text;
    ASSERT_TRUE(renderText(face, "quillmont", 0.f, text));
    EXPECT_GT(text.width, text.height * 3);
    EXPECT_GT(inked(text.coverage), 500u);
    EXPECT_GT(text.baseline, 0);
    EXPECT_LT(text.baseline, text.height); // the q descends below the baseline
    EXPECT_GT(face.ascender(), 0.f);
    EXPECT_LT(face.descender(), 0.f);
    EXPECT_TRUE(renderText(face, "\xFF\xC3", 0.f, text)); // malformed bytes: replacement glyphs, no crash
}

TEST(FontRasterizer, MetricsFollowTheLettersAndTheSize) {
    FontFace face;
    std::string error;
    ASSERT_TRUE(face.load(kFont, error)) << error;
    ASSERT_TRUE(face.setPixelSize(40));
    GlyphBitmap l, o, q, space;
    ASSERT_TRUE(face.renderGlyph('l', l));
    ASSERT_TRUE(face.renderGlyph('o', o));
    ASSERT_TRUE(face.renderGlyph('q', q));
    EXPECT_GT(l.top, o.top);
    EXPECT_LT(q.top - q.height, -3); // below the baseline
    ASSERT_TRUE(face.renderGlyph(' ', space));
    EXPECT_EQ(inked(space.coverage), 0u);
    EXPECT_GT(space.advance, 0.f);

    TextBitmap small, large, spaced;
    ASSERT_TRUE(renderText(face, "vorlix", 0.f, small));
    ASSERT_TRUE(renderText(face, "vorlix", 10.f, spaced));
    EXPECT_NEAR(spaced.advance - small.advance, 50.f, 1.f);
    ASSERT_TRUE(face.setPixelSize(80));
    ASSERT_TRUE(renderText(face, "vorlix", 0.f, large));
    EXPECT_NEAR(large.advance / small.advance, 2.f, 0.1f);

    TextBitmap blank;
    ASSERT_TRUE(renderText(face, "  ", 0.f, blank));
    EXPECT_EQ(blank.width, 0);
    EXPECT_GT(blank.advance, 0.f);
}

TEST(FontRasterizer, RefusesMissingCorruptAndTruncatedFonts) {
    qmtest::TempFolder dir;
    FontFace face;
    std::string error;
    EXPECT_FALSE(face.load(dir.file("none.ttf"), error));
    EXPECT_FALSE(error.empty());

    const std::string real = qmtest::readFile(kFont);
    ASSERT_GT(real.size(), 4096u);
    qmtest::writeFile(dir.file("cut.ttf"), real.substr(0, 2000));
    qmtest::writeFile(dir.file("junk.ttf"), std::string(5000, '\x5a'));
    std::string flipped = real;
    for (size_t i = 12; i < 400; i += 3)
        flipped[i] = static_cast<char>(~flipped[i]); // table directory scrambled
    qmtest::writeFile(dir.file("flipped.ttf"), flipped);
    for (const char* name : {"cut.ttf", "junk.ttf", "flipped.ttf"}) {
        FontFace broken;
        error.clear();
        bool ok = broken.load(dir.file(name), error);
        if (ok) { // a damaged file may still open; then it must render or refuse, not crash
            GlyphBitmap g;
            broken.renderGlyph('q', g);
        } else {
            EXPECT_FALSE(error.empty()) << name;
        }
    }

    FontFace empty;
    GlyphBitmap g;
    TextBitmap t;
    EXPECT_FALSE(empty.renderGlyph('a', g));
    EXPECT_FALSE(empty.setPixelSize(12));
    EXPECT_FALSE(renderText(empty, "a", 0.f, t));
    ASSERT_TRUE(face.load(kFont, error));
    EXPECT_FALSE(face.setPixelSize(0));
    EXPECT_FALSE(face.setPixelSize(kMaxFontPixels + 1));
    EXPECT_FALSE(renderText(face, std::string(5000, 'a'), 0.f, t));
}

TEST(FontRasterizer, DecodesUtf8AndReplacesMalformedBytes) {
    EXPECT_EQ(decodeUtf8("q\xC3\xBC\xE2\x82\xAC\xF0\x9D\x84\x9E"),
              (std::vector<std::uint32_t>{'q', 0xFC, 0x20AC, 0x1D11E}));
    EXPECT_EQ(decodeUtf8("a\xC3"), (std::vector<std::uint32_t>{'a', 0xFFFD}));          // cut short
    EXPECT_EQ(decodeUtf8("\xC0\xAF"), (std::vector<std::uint32_t>{0xFFFD, 0xFFFD}));    // overlong
    EXPECT_EQ(decodeUtf8("\xED\xA0\x80").front(), 0xFFFDu);                             // surrogate
    EXPECT_EQ(decodeUtf8("\xFF" "b"), (std::vector<std::uint32_t>{0xFFFD, 'b'}));
    EXPECT_TRUE(decodeUtf8("").empty());
}
