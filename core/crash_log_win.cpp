#include "core/crash_log_win.h"

#include "platform/files.h"
#include "core/optimisation_core.h"
#include "platform/paths.h"

namespace skorvel {

namespace {

std::wstring LocaleText(LCTYPE type) {
    wchar_t buffer[128];
    const int length = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 128);
    return length > 0 ? std::wstring(buffer, size_t(length - 1)) : std::wstring();
}

} // namespace

TLocaleFormats UserLocaleFormats() {
    TLocaleFormats formats;
    formats.ShortDate = LocaleText(LOCALE_SSHORTDATE);
    formats.DateSeparator = LocaleText(LOCALE_SDATE);
    formats.TimeSeparator = LocaleText(LOCALE_STIME);
    formats.TwelveHourClock = LocaleText(LOCALE_ITIME) == L"0";
    formats.HourLeadingZero = LocaleText(LOCALE_ITLZERO) == L"1";
    formats.TimeMarkerFirst = LocaleText(LOCALE_ITIMEMARKPOSN) == L"1";
    formats.AMDesignator = LocaleText(LOCALE_S1159);
    formats.PMDesignator = LocaleText(LOCALE_S2359);
    return formats;
}

TWinCrashLogSystem::TWinCrashLogSystem(std::function<HWND()> Owner, std::wstring ProgramFolder)
    : FOwner(std::move(Owner)), FProgramFolder(std::move(ProgramFolder)) {}

bool TWinCrashLogSystem::FixedDriveDirectoryExists(const std::wstring& Path) {
    return skorvel::FixedDriveDirectoryExists(Path);
}

void TWinCrashLogSystem::CreateFolder(const std::wstring& Path) {
    ::CreateDirectoryW(Path.c_str(), nullptr);
}

TLocalTime TWinCrashLogSystem::LocalTime() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return TLocalTime{now.wYear,   now.wMonth,  now.wDay,         now.wHour,
                      now.wMinute, now.wSecond, now.wMilliseconds};
}

void TWinCrashLogSystem::WriteFile(const std::wstring& Path, const std::string& Bytes) {
    WriteWholeFile(Path, Bytes);
}

void TWinCrashLogSystem::ShowErrorBox(const std::wstring& Text) {
    ::MessageBoxW(FOwner ? FOwner() : nullptr, Text.c_str(), kApplicationTitle,
                  MB_OK | MB_ICONERROR);
}

TWinCrashLog::TWinCrashLog(std::function<HWND()> Owner)
    : FSystem(std::move(Owner), skorvel::ProgramFolder()),
      FLog(FSystem, MakeFormatSettings(UserLocaleFormats())) {}

} // namespace skorvel
