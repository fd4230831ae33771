#include "platform/code_page.h"

#include "platform/os_error.h"

#include <windows.h>

#include <climits>

namespace skorvel {

namespace {

int CheckedLength(size_t size) {
    if (size > size_t(INT_MAX))
        RaiseOSError(ERROR_ARITHMETIC_OVERFLOW);
    return int(size);
}

} // namespace

std::wstring AnsiToWide(std::string_view bytes) {
    if (bytes.empty())
        return std::wstring();
    const int length = CheckedLength(bytes.size());
    const int units = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    if (units == 0)
        RaiseLastOSError();
    std::wstring text(size_t(units), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, text.data(), units);
    return text;
}

std::string WideToAnsi(std::wstring_view text) {
    if (text.empty())
        return std::string();
    const int length = CheckedLength(text.size());
    const int size =
        ::WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (size == 0)
        RaiseLastOSError();
    std::string bytes(size_t(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

} // namespace skorvel
