#include "platform/files.h"

#include "platform/handles.h"
#include "platform/os_error.h"

#include <algorithm>

namespace skorvel {

namespace {

[[noreturn]] void RaiseFileError(const wchar_t* what, const std::wstring& path) {
    const DWORD code = ::GetLastError();
    throw EOSError(code, std::wstring(what) + L" \"" + path + L"\". " + SystemErrorMessage(code));
}

} // namespace

std::string ReadWholeFile(const std::wstring& Path) {
    const FileHandle file(::CreateFileW(Path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        RaiseFileError(L"Cannot open file", Path);
    std::string bytes;
    char buffer[64 * 1024];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr))
            RaiseFileError(L"Cannot read file", Path);
        if (read == 0)
            return bytes;
        bytes.append(buffer, read);
    }
}

void WriteWholeFile(const std::wstring& Path, const std::string& Bytes) {
    const FileHandle file(::CreateFileW(Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        RaiseFileError(L"Cannot create file", Path);
    size_t done = 0;
    while (done < Bytes.size()) {
        const DWORD chunk = DWORD(std::min<size_t>(Bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(file.get(), Bytes.data() + done, chunk, &written, nullptr))
            RaiseFileError(L"Cannot write file", Path);
        done += written;
    }
}

} // namespace skorvel
