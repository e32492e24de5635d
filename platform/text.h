// Text in the form each system's interfaces take: UTF-8 inside the programs, wide characters
// (UTF-16) at the Windows interfaces.
#pragma once

#include <string>

namespace platform {

#ifdef _WIN32
// The UTF-16 form of UTF-8 text (invalid bytes become U+FFFD).
std::wstring widen(const std::string& text);
// The UTF-8 form of UTF-16 text.
std::string narrow(const std::wstring& text);
#endif

} // namespace platform
