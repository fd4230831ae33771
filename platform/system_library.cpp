#include "platform/system_library.h"

#include <string>

namespace skorvel {

bool RestrictLibrarySearchToSystemFolder() noexcept {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    // Looked up at run time: Windows without the update does not export it,
    // and the program must still start there.
    const auto setDefaultDllDirectories = LibraryFunction<SetDefaultDllDirectoriesFn>(
        ::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    return setDefaultDllDirectories &&
           setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
}

HMODULE LoadSystemLibrary(const wchar_t* name) noexcept {
    try {
        std::wstring path(MAX_PATH, L'\0');
        const UINT length = ::GetSystemDirectoryW(path.data(), UINT(path.size()));
        if (length == 0 || length >= path.size())
            return nullptr;
        path.resize(length);
        path += L'\\';
        path += name;
        // A full path alone would still let the library's own dependencies
        // be looked for in the program's folder first.
        return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    } catch (...) { // no memory for the path
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

} // namespace skorvel
