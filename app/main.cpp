// Program entry: timer resolution, single instance, administrator check,
// then the application with its two windows and the message loop.
#include "app/delay_load.h"
#include "core/filter_lists_win.h"
#include "platform/exception.h"
#include "platform/system_library.h"
#include "platform/tokens.h"
#include "ui/controls/custom_controls.h"
#include "ui/filter_editor.h"
#include "ui/framework/application.h"
#include "ui/main_window.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstdlib>
#include <memory>

using namespace skorvel;

namespace {

constexpr wchar_t kMutexName[] = L"Kavendo";
constexpr wchar_t kAlreadyRunning[] =
    L"Aplikacja Skorvel jest już uruchomiona. Czy mimo tego chcesz uruchomić kolejne okno "
    L"programu?";
constexpr wchar_t kNoAdministrator[] =
    L"Nie posiadasz uprawnień administratora! Zaloguj się na koncie posiadającym przywileje i "
    L"uruchom program ponownie.";
constexpr UINT kQuestionFlags =
    MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL | MB_SETFOREGROUND | MB_TOPMOST; // 0x51024

void EndTimerResolution() {
    ::timeEndPeriod(1);
}

// True when the user wants this copy to run (or no other copy exists). The
// mutex handle is deliberately never closed: it marks this copy as running
// until the process ends.
bool MayRunThisCopy() {
    ::CreateMutexW(nullptr, TRUE, kMutexName);
    if (::GetLastError() != ERROR_ALREADY_EXISTS)
        return true;
    return ::MessageBoxW(nullptr, kAlreadyRunning, L"Skorvel", kQuestionFlags) != IDNO;
}

void ApplyStyle(TApplication& application) {
    try {
        application.ApplyStyle(L"AQUALIGHTSLATE");
    } catch (const std::exception& e) {
        application.ShowException(e); // the default look stays
    }
}

// Initialises the application, creates the two windows and runs the message
// loop; closing the main window ends the process inside. An exception on the
// way unwinds the windows made so far, and each takes itself out of the
// application as it goes (main form, exception hook, tray icon).
void RunProgram(TApplication& application) {
    application.Initialize();
    RegisterCustomControls(application.ControlKinds());
    application.MainFormOnTaskBar = true;
    application.SetTitle(L"Skorvel");
    ApplyStyle(application);
    auto mainForm = std::make_unique<TMainFrm>();
    application.SetMainForm(mainForm.get());
    auto editor = std::make_unique<TEdytorFrm>(FilterFolder());
    application.Run();
    mainForm->Destroy(); // FormDestroy ends the process
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Before any library is loaded by name: the libraries of Windows that are
    // not KnownDLLs come from the system folder only (the program runs with
    // administrator rights from wherever its zip was unpacked).
    RestrictLibrarySearchToSystemFolder();
    LoadDelayedImports();
    // Requested first and released on every way out: exit() runs the handler.
    ::timeBeginPeriod(1);
    std::atexit(EndTimerResolution);

    if (!MayRunThisCopy())
        return 0;
    TApplication application;
    if (!IsUserAdmin()) {
        // Shown before the title is set: the caption is the default title.
        ::MessageBoxW(nullptr, kNoAdministrator, application.Title().c_str(), MB_OK);
        return 0;
    }
    // A start-up that fails shows why and ends like any other way out.
    try {
        RunProgram(application);
    } catch (const std::exception& e) {
        application.ShowException(e);
    } catch (...) {
        application.ShowException(Exception(L"Unknown exception"));
    }
    return 0;
}
