#pragma once
// Text inside the program is UTF-8; the Windows calls take and give UTF-16. These convert
// between the two on every system; a sequence that is not valid becomes U+FFFD.
#include <string>

namespace qelFramework::platform {

std::u16string utf16FromUtf8(const std::string& text);
std::string utf8FromUtf16(const std::u16string& text);

} // namespace qelFramework::platform
