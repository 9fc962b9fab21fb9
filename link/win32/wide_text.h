#pragma once

#include <string>
#include <string_view>

namespace quillon {

// The program keeps text and file names in UTF-8; the system's wide calls take UTF-16.
std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);
// Text in the user's ANSI code page, as the system's "A" calls give it.
std::string Utf8FromAnsi(std::string_view text);

}  // namespace quillon
