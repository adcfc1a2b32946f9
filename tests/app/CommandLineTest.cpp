#include "app/CommandLine.h"

#include <gtest/gtest.h>

using namespace qelFramework;

namespace {
bool parse(std::vector<std::string> args, CommandLine& out, std::string& error) { return parseCommandLine(args, out, error); }
} // namespace

TEST(CommandLine, SizeSkipsTheLauncherWindowedByDefault) {
    CommandLine c;
    std::string e;
    ASSERT_TRUE(parse({"--size", "1280x720"}, c, e));
    EXPECT_TRUE(c.sizeGiven);
    EXPECT_EQ(c.width, 1280);
    EXPECT_EQ(c.height, 720);
    EXPECT_FALSE(c.fullscreen);
    ASSERT_TRUE(parse({"--fullscreen", "--size", "800x600"}, c, e));
    EXPECT_TRUE(c.fullscreen);
}

TEST(CommandLine, NoOptionsMeansTheLauncherAndTheEditorGoesWithOrWithoutTheOthers) {
    CommandLine c;
    std::string e;
    ASSERT_TRUE(parse({}, c, e));
    EXPECT_EQ(std::make_tuple(c.sizeGiven, c.help, c.editor), std::make_tuple(false, false, false));
    ASSERT_TRUE(parse({"--editor"}, c, e));
    EXPECT_TRUE(c.editor);
    EXPECT_FALSE(c.sizeGiven);
    ASSERT_TRUE(parse({"--size", "1280x720", "--editor", "--fullscreen"}, c, e));
    EXPECT_TRUE(c.editor);
    EXPECT_TRUE(c.fullscreen);
    EXPECT_NE(std::string(usageText()).find("--editor"), std::string::npos);
}

TEST(CommandLine, RejectsUnknownAndMalformedInput) {
    CommandLine c;
    std::string e;
    for (auto args : std::vector<std::vector<std::string>>{{"--bogus"},
                                                             {"--size"},
                                                             {"--size", "1280"},
                                                             {"--size", "x720"},
                                                             {"--size", "1280x"},
                                                             {"--size", "12a0x720"},
                                                             {"--size", "-1x720"},
                                                             {"--fullscreen"},
                                                             {"--size", "800x600", "--fullscreen", "--windowed"}}) {
        EXPECT_FALSE(parse(args, c, e)) << args[0];
        EXPECT_FALSE(e.empty());
    }
}

TEST(CommandLine, ASizeOutsideItsBoundsIsCalledOutOfRangeNotMalformed) {
    CommandLine c;
    std::string e;
    for (const char* text : {"2x2", "16384x2", "63x720", "1280x16385", "99999999x720", "0000000001280x1"}) {
        EXPECT_FALSE(parse({"--size", text}, c, e)) << text;
        EXPECT_EQ(e, std::string("size '") + text + "' out of range: width and height go from 64 to 16384");
    }
    ASSERT_TRUE(parse({"--size", "64x16384"}, c, e)) << e;
    EXPECT_EQ(c.height, 16384);
    ASSERT_TRUE(parse({"--size", "0000001280x0720"}, c, e)) << e;
    EXPECT_EQ(c.width, 1280);
}

// A second value would silently win over the first: every option is refused the second
// time, named as given.
TEST(CommandLine, AnOptionGivenTwiceIsRefusedByName) {
    CommandLine c;
    std::string e;
    const std::pair<std::vector<std::string>, std::string> twice[] = {
        {{"--capture", "a", "--capture", "b"}, "--capture"},
        {{"--capture", "a.mp4", "--from", "1", "--from", "2"}, "--from"},
        {{"--capture", "a.mp4", "--segment", "1/2", "--segment", "2/2"}, "--segment"},
        {{"--capture", "a", "--to", "3", "--fps", "10", "--to", "4"}, "--to"},
        {{"--editor", "--size", "800x600", "--editor"}, "--editor"},
        {{"--size", "800x600", "--windowed", "--windowed"}, "--windowed"},
        {{"-h", "--help"}, "--help"},
    };
    for (const auto& [args, name] : twice) {
        EXPECT_FALSE(parse(args, c, e)) << name;
        EXPECT_EQ(e, "option " + name + " is given more than once");
    }
    // An option's value may look like an option.
    ASSERT_TRUE(parse({"--capture", "--capture"}, c, e)) << e;
    EXPECT_EQ(c.capture, "--capture");
}

TEST(CommandLine, SyncTextTakesAFileInEveryMode) {
    CommandLine c;
    std::string e;
    ASSERT_TRUE(parse({"--capture", "out", "--sync-text", "c.txt", "--editor"}, c, e)) << e;
    EXPECT_EQ(c.syncText, "c.txt");
    EXPECT_FALSE(parse({"--sync-text"}, c, e));
    EXPECT_FALSE(parse({"--sync-text", ""}, c, e));
}

TEST(CommandLine, CaptureSegmentsAreKOfNAndOnlyForCaptures) {
    CommandLine c;
    std::string e;
    ASSERT_TRUE(parse({"--capture", "out.mp4", "--segment", "2/4"}, c, e)) << e;
    EXPECT_EQ(c.segment, 2);
    EXPECT_EQ(c.segments, 4);
    ASSERT_TRUE(parse({"--capture", "out.mp4", "--segment", "1000/1000"}, c, e)) << e;
    ASSERT_TRUE(parse({"--capture", "out.mp4"}, c, e));
    EXPECT_EQ(c.segment, 1);
    EXPECT_EQ(c.segments, 1);
    for (const char* text : {"0/3", "4/3", "2", "/3", "2/", "a/3", "2/3x", "1/1001", "99999/100000", "-1/3", "1//3"}) {
        EXPECT_FALSE(parse({"--capture", "out.mp4", "--segment", text}, c, e)) << text;
        EXPECT_EQ(e, std::string("malformed segment '") + text +
                         "': expected K/N with 1 <= K <= N <= 1000, for example 2/4");
    }
    EXPECT_FALSE(parse({"--segment", "1/2"}, c, e));
    EXPECT_EQ(e, "--fps, --from, --to and --segment only apply to --capture");
}
