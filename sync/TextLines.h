#pragma once
// The lines of the makers' small text files (the sync text, the tempo and bookmark
// files), for the parsers that read them line by line.
#include <string>
#include <vector>

namespace qelFramework {

// The lines of text without their breaks ("\n" or "\r\n"); line i is line number i + 1.
// A break at the very end starts no further line; a UTF-8 byte order mark before the
// first line is no part of it.
std::vector<std::string> splitLines(const std::string& text);

// The line up to its first '#': a comment runs to the end of its line.
std::string withoutComment(const std::string& line);

} // namespace qelFramework
