#pragma once
// UTF-8, the text of this program, and UTF-16, the text of the Windows API:
// the one conversion between them, for the files that speak to Windows.
// Implemented only there (Win32WideText.cpp).

#include <string>
#include <string_view>

namespace vellum::io {

// A sequence that is not well formed becomes U+FFFD.
std::wstring utf8ToWide(std::string_view utf8);
std::string wideToUtf8(std::wstring_view wide);

} // namespace vellum::io
