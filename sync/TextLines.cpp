#include "sync/TextLines.h"

#include "platform/Utf16.h"

namespace qelFramework {

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = platform::utf8MarkLength(text);
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

std::string withoutComment(const std::string& line) { return line.substr(0, line.find('#')); }

} // namespace qelFramework
