// The command line a Windows program is started with splits back into its arguments.
#include "platform/ProgramArguments.h"

#include <gtest/gtest.h>

namespace {
// The runtime's rules for the arguments after the program's name: blanks separate outside
// quotes; 2n backslashes before a quote are n and the quote opens or closes; 2n+1 are n and
// a literal quote; backslashes before anything else are literal.
std::vector<std::string> splitTheWindowsWay(const std::string& line) {
    std::vector<std::string> args;
    std::string current;
    bool quoted = false, inArgument = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        std::size_t backslashes = 0;
        while (i < line.size() && line[i] == '\\') {
            ++backslashes;
            ++i;
        }
        if (i < line.size() && line[i] == '"') {
            current.append(backslashes / 2, '\\');
            inArgument = true;
            if (backslashes % 2)
                current += '"';
            else
                quoted = !quoted;
            continue;
        }
        current.append(backslashes, '\\');
        if (backslashes)
            inArgument = true;
        if (i == line.size())
            break;
        if ((line[i] == ' ' || line[i] == '\t') && !quoted) {
            if (inArgument)
                args.push_back(current);
            current.clear();
            inArgument = false;
        } else {
            current += line[i];
            inArgument = true;
        }
    }
    if (inArgument)
        args.push_back(current);
    return args;
}
} // namespace

TEST(ProgramArguments, AWindowsCommandLineSplitsBackIntoItsArguments) {
    using qelFramework::platform::windowsCommandLine;
    const std::vector<std::string> args = {"C:/Program Files/ffmpeg.exe", "-i", "-", "", "Z:\\out dir\\",
                                           "say \"hi\"", "a\\\\\"b", "tab\there", "\xE6\x97\xA5\xE6\x9C\xAC.mp4"};
    const std::string line = windowsCommandLine(args);
    EXPECT_EQ(line.substr(0, 31), "\"C:/Program Files/ffmpeg.exe\" -");
    // The trailing backslash doubled before the closing quote, a quote escaped.
    EXPECT_NE(line.find(" \"Z:\\out dir\\\\\" \"say \\\"hi\\\"\" "), std::string::npos) << line;
    EXPECT_EQ(splitTheWindowsWay(line), args) << line;
}
