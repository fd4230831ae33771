#pragma once
// The text side of the path helpers: no system calls, so it is tested natively.
#include <functional>
#include <string>

namespace skorvel {

// Source with the first exact (case-sensitive) occurrence of Find replaced by
// Replacement; Source unchanged when Find or Source is empty or Find is absent.
std::wstring ReplaceFirst(const std::wstring& Source, const std::wstring& Find,
                          const std::wstring& Replacement);

// Every occurrence of "system32", in any letter case, replaced by "Sysnative":
// how a 32-bit process on 64-bit Windows reaches the native system folder.
std::wstring RedirectSystem32(const std::wstring& path);

// The path the Native existence tests look at: RedirectSystem32(path) when the
// WOW64 probe answers true, else the path unchanged. The probe is a parameter
// so both branches can be tested on any machine; its exceptions pass through.
std::wstring NativePath(const std::wstring& path, const std::function<bool()>& isWow64);

// "X:" when the second character is a colon; "\\server\share" for a UNC path
// (everything before the backslash that follows the share name); else empty.
std::wstring DrivePart(const std::wstring& path);

} // namespace skorvel
