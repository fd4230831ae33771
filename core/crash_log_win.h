#pragma once
// The crash log on Windows. The main window's ApplicationEventsException
// forwards every exception that reaches the application-wide handler to
// TWinCrashLog::ApplicationEventsException, which writes
// program folder + "log\skorvel\data-<stamp>.log" in the ANSI code page and
// shows the error box; a log that cannot be written is reported once.
#include "core/ansi_code_page_win.h"
#include "core/crash_log.h"

#include <windows.h>

#include <functional>

namespace skorvel {

// The user's regional formats (GetLocaleInfoW, LOCALE_USER_DEFAULT).
TLocaleFormats UserLocaleFormats();

class TWinCrashLogSystem : public ICrashLogSystem {
public:
    TWinCrashLogSystem(std::function<HWND()> Owner, std::wstring ProgramFolder);

    std::wstring ProgramFolder() override { return FProgramFolder; }
    bool FixedDriveDirectoryExists(const std::wstring& Path) override;
    void CreateFolder(const std::wstring& Path) override;
    TLocalTime LocalTime() override;
    const IAnsiCodePage& AnsiCodePage() override { return FAnsi; }
    void WriteFile(const std::wstring& Path, const std::string& Bytes) override;
    // MessageBoxW owned by Owner(), caption "Skorvel", MB_OK | MB_ICONERROR.
    void ShowErrorBox(const std::wstring& Text) override;

private:
    std::function<HWND()> FOwner;
    std::wstring FProgramFolder;
    TSystemAnsiCodePage FAnsi;
};

class TWinCrashLog {
public:
    // Owner: the window the error box belongs to (may answer null).
    explicit TWinCrashLog(std::function<HWND()> Owner);

    void ApplicationEventsException(const std::exception& E) { FLog.ApplicationEventsException(E); }

private:
    TWinCrashLogSystem FSystem;
    TCrashLog FLog;
};

} // namespace skorvel
