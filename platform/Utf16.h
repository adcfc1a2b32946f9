#pragma once
// Text inside the program is UTF-8; the Windows calls take and give UTF-16. These convert
// between the two on every system; a sequence that is not valid becomes U+FFFD.
#include <cstddef>
#include <string>

namespace qelFramework::platform {

std::u16string utf16FromUtf8(const std::string& text);
std::string utf8FromUtf16(const std::u16string& text);

// The bytes of the UTF-8 byte order mark at the start of text (3, which Windows editors
// write before the first line), or 0.
std::size_t utf8MarkLength(const std::string& text);
// Whether text starts with a UTF-16 byte order mark (either byte order).
bool startsAsUtf16(const std::string& text);

} // namespace qelFramework::platform
