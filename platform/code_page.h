#pragma once
// Conversions between UTF-16 and the system's ANSI code page (CP_ACP).
#include <string>
#include <string_view>

namespace skorvel {

// Raises EOSError when the bytes cannot be converted.
std::wstring AnsiToWide(std::string_view bytes);

// Characters outside the code page become its default character. Raises
// EOSError when the text cannot be converted.
std::string WideToAnsi(std::wstring_view text);

} // namespace skorvel
