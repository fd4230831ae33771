// The load hook of the delay-loaded imports (cmake/delay_imports.cmake):
// each library comes from the system folder, never from beside the program.
// Defining the hook here replaces the runtime's empty default, and it is in
// force from the first instruction on, before any of those libraries loads.
#include "app/delay_load.h"

#include "platform/system_library.h"

#include <windows.h>
#include <delayimp.h>

#include <initializer_list>

namespace {

FARPROC WINAPI LoadDelayedImport(unsigned notification, PDelayLoadInfo info) noexcept {
    if (notification != dliNotePreLoadLibrary)
        return nullptr;
    // The names come from the program's own import descriptors: plain ASCII.
    wchar_t name[MAX_PATH] = {};
    for (size_t i = 0; info->szDll[i] && i + 1 < MAX_PATH; ++i)
        name[i] = wchar_t(static_cast<unsigned char>(info->szDll[i]));
    if (HMODULE library = skorvel::LoadSystemLibrary(name))
        return reinterpret_cast<FARPROC>(library);
    // Answering null would let the runtime load the library by name, from the
    // program's folder first: fail the call the way a missing library does.
    info->dwLastError = ::GetLastError();
    ULONG_PTR argument = reinterpret_cast<ULONG_PTR>(info);
    ::RaiseException(VcppException(ERROR_SEVERITY_ERROR, ERROR_MOD_NOT_FOUND), 0, 1, &argument);
    return nullptr;
}

} // namespace

void skorvel::LoadDelayedImports() noexcept {
    // Their names, from the build's list of delay-loaded libraries.
    for (const wchar_t* name : {SKORVEL_DELAYED_IMPORTS})
        LoadSystemLibrary(name); // held for the process's life
}

// Declared with C linkage by <delayimp.h>.
PfnDliHook __pfnDliNotifyHook2 = LoadDelayedImport;
