#include "platform/paths.h"

#include "platform/exception.h"
#include "platform/system_library.h"

#include <windows.h>

namespace skorvel {

bool IsWow64() {
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    // Looked up at run time so that the program also starts where it is missing.
    const auto isWow64Process =
        LibraryFunction<IsWow64ProcessFn>(::GetModuleHandleW(L"kernel32"), "IsWow64Process");
    if (!isWow64Process)
        return false;
    BOOL wow64 = FALSE;
    if (!isWow64Process(::GetCurrentProcess(), &wow64))
        throw Exception(L"IsWow64: bad process handle");
    return wow64 != FALSE;
}

namespace {

DWORD Attributes(const std::wstring& path) {
    return ::GetFileAttributesW(NativePath(path, IsWow64).c_str());
}

bool OnFixedDrive(const std::wstring& path) {
    const std::wstring drive = DrivePart(path);
    // GetDriveTypeW wants a root with a trailing backslash; an empty drive part
    // (a relative path) asks about the current directory's drive.
    const std::wstring root = drive.empty() ? std::wstring() : drive + L'\\';
    return ::GetDriveTypeW(root.empty() ? nullptr : root.c_str()) == DRIVE_FIXED;
}

} // namespace

bool NativeFileExists(const std::wstring& Path) {
    const DWORD attributes = Attributes(Path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool NativeDirectoryExists(const std::wstring& Path) {
    const DWORD attributes = Attributes(Path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FixedDriveFileExists(const std::wstring& Path) noexcept {
    try {
        return OnFixedDrive(Path) && NativeFileExists(Path);
    } catch (...) {
        return false;
    }
}

bool FixedDriveDirectoryExists(const std::wstring& Path) noexcept {
    try {
        return OnFixedDrive(Path) && NativeDirectoryExists(Path);
    } catch (...) {
        return false;
    }
}

std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

} // namespace skorvel
