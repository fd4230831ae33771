#pragma once
// Small portable text helpers. Text in memory is UTF-16: a std::wstring holds
// UTF-16 code units on every platform (one unit per wchar_t, also where
// wchar_t is 32 bits wide), so behaviour is the same natively and on Windows.
#include <string>
#include <string_view>

namespace skorvel {

std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

// Upper-cases with the ASCII rule only: a to z become A to Z, every other
// character (Polish letters included) stays as it is.
std::wstring AsciiUpper(std::wstring_view text);

// Equality after AsciiUpper of both sides.
bool AsciiSameText(std::wstring_view a, std::wstring_view b);

} // namespace skorvel
