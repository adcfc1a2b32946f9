#include "app/CommandLine.h"

#include <gtest/gtest.h>

using namespace qelFramework;

namespace {
bool parse(std::vector<std::string> args, CommandLine& out, std::string& error) { return parseCommandLine(args, out, error); }
} // namespace

// What each accepted command line asks for: the launcher without a size, windowed unless
// told, the editor with or without the others.
TEST(CommandLine, SizeSkipsTheLauncherAndTheEditorGoesWithOrWithoutTheOthers) {
    const std::pair<std::vector<std::string>, std::tuple<bool, int, int, bool, bool, std::string>> cases[] = {
        {{}, {false, 0, 0, false, false, ""}},
        {{"--size", "1280x720"}, {true, 1280, 720, false, false, ""}},
        {{"--fullscreen", "--size", "800x600"}, {true, 800, 600, true, false, ""}},
        {{"--editor"}, {false, 0, 0, false, true, ""}},
        {{"--size", "1280x720", "--editor", "--fullscreen"}, {true, 1280, 720, true, true, ""}},
        {{"--capture", "out", "--sync-text", "c.txt", "--editor"}, {false, 0, 0, false, true, "c.txt"}},
    };
    for (const auto& [args, expected] : cases) {
        CommandLine c;
        std::string e;
        ASSERT_TRUE(parse(args, c, e)) << e;
        EXPECT_EQ(std::make_tuple(c.sizeGiven, c.width, c.height, c.fullscreen, c.editor, c.syncText), expected)
            << ::testing::PrintToString(args);
        EXPECT_FALSE(c.help);
    }
    EXPECT_NE(std::string(usageText()).find("--editor"), std::string::npos);
}

TEST(CommandLine, RejectsUnknownAndMalformedInput) {
    CommandLine c;
    std::string e;
    for (auto args : std::vector<std::vector<std::string>>{
             {"--bogus"}, {"--size"}, {"--size", "1280"}, {"--size", "x720"}, {"--size", "1280x"},
             {"--size", "12a0x720"}, {"--size", "-1x720"}, {"--fullscreen"}, {"--sync-text"}, {"--sync-text", ""},
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
