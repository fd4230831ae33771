#include "platform/os_error.h"

#include <windows.h>

namespace skorvel {

std::wstring SystemErrorMessage(uint32_t code) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer ? buffer : L"", length);
    ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    if (text.empty())
        text = L"System Error. Code: " + std::to_wstring(code) + L".";
    return text;
}

void RaiseOSError(uint32_t code) {
    throw EOSError(code, SystemErrorMessage(code));
}

void RaiseLastOSError() {
    RaiseOSError(::GetLastError());
}

} // namespace skorvel
