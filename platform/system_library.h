#pragma once
// Libraries of Windows loaded from the system folder only. Windows looks for
// a library named without a path in the program's own folder first, unless
// it is one of its KnownDLLs; the portable program is unpacked wherever the
// user likes (a downloads folder other programs write to) and runs with
// administrator rights, so a library someone left beside it must never be
// the one that runs.
#include <windows.h>

namespace skorvel {

// Makes the system folder the only place the process's later loads by name
// look in (SetDefaultDllDirectories, where Windows has it: Windows 8, and
// Windows Vista and 7 with their update KB2533623). False where it does not
// exist or refused; the program then relies on LoadSystemLibrary alone.
bool RestrictLibrarySearchToSystemFolder() noexcept;

// The system folder's copy of a library, loaded by its full path; its own
// dependencies are looked for beside it. Null when it cannot be loaded (the
// last error says why); the caller never falls back to a load by name.
HMODULE LoadSystemLibrary(const wchar_t* name) noexcept;

// A function of a loaded library, looked up at run time, so that the program
// still starts on a Windows that lacks it. Null when the library is null or
// does not export the name.
template <typename Function> Function LibraryFunction(HMODULE library, const char* name) noexcept {
    return library ? reinterpret_cast<Function>(
                         reinterpret_cast<void*>(::GetProcAddress(library, name)))
                   : nullptr;
}

} // namespace skorvel
