#include "platform/path_text.h"

namespace skorvel {

std::wstring ReplaceFirst(const std::wstring& Source, const std::wstring& Find,
                          const std::wstring& Replacement) {
    if (Source.empty() || Find.empty())
        return Source;
    const size_t at = Source.find(Find);
    if (at == std::wstring::npos)
        return Source;
    std::wstring result = Source;
    result.replace(at, Find.size(), Replacement);
    return result;
}

namespace {

wchar_t FoldAscii(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? wchar_t(c + 32) : c;
}

bool MatchesFolded(const std::wstring& text, size_t at, const std::wstring& lowerNeedle) {
    if (at + lowerNeedle.size() > text.size())
        return false;
    for (size_t k = 0; k < lowerNeedle.size(); ++k)
        if (FoldAscii(text[at + k]) != lowerNeedle[k])
            return false;
    return true;
}

} // namespace

std::wstring RedirectSystem32(const std::wstring& path) {
    static const std::wstring kFind = L"system32";
    static const std::wstring kReplacement = L"Sysnative";
    std::wstring result;
    result.reserve(path.size() + 4);
    size_t i = 0;
    while (i < path.size()) {
        if (MatchesFolded(path, i, kFind)) {
            result += kReplacement;
            i += kFind.size();
        } else {
            result += path[i++];
        }
    }
    return result;
}

std::wstring NativePath(const std::wstring& path, const std::function<bool()>& isWow64) {
    return isWow64() ? RedirectSystem32(path) : path;
}

std::wstring DrivePart(const std::wstring& path) {
    if (path.size() >= 2 && path[1] == L':')
        return path.substr(0, 2);
    if (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\') {
        // \\server\share\rest: stop at the backslash after the share name.
        const size_t serverEnd = path.find(L'\\', 2);
        if (serverEnd == std::wstring::npos)
            return path;
        const size_t shareEnd = path.find(L'\\', serverEnd + 1);
        return shareEnd == std::wstring::npos ? path : path.substr(0, shareEnd);
    }
    return std::wstring();
}

} // namespace skorvel
