#pragma once
// Checks of the crash log over the real system, shared by the runs under the
// default and under Polish regional settings.
#include "core/crash_log_win.h"
#include "platform/exception.h"
#include "platform/text.h"

#include "core_temp_folder.h"

#include <gtest/gtest.h>

#include <vector>

namespace skorvel::testing {

using Lines = std::vector<std::wstring>;

// The real system with the error box recorded instead of shown.
class TRecordingCrashLogSystem : public TWinCrashLogSystem {
public:
    explicit TRecordingCrashLogSystem(std::wstring programFolder)
        : TWinCrashLogSystem(nullptr, std::move(programFolder)) {}
    Lines Boxes;
    void ShowErrorBox(const std::wstring& text) override { Boxes.push_back(text); }
};

inline std::wstring LocaleValue(LCTYPE type) {
    wchar_t buffer[80] = {};
    ::GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 80);
    return buffer;
}

inline std::wstring Replaced(std::wstring text, const std::wstring& find) {
    for (size_t at = 0; !find.empty() && (at = text.find(find, at)) != std::wstring::npos;)
        text.replace(at, find.size(), L"-");
    return text;
}

// The log's name as the system's own date and time formatting writes the
// moment, with the locale's separators turned into hyphens.
inline std::wstring SystemStampName(const SYSTEMTIME& time) {
    wchar_t date[80] = {}, clock[80] = {};
    ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, 80);
    ::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &time, nullptr, clock, 80);
    return L"data-" + Replaced(date, LocaleValue(LOCALE_SDATE)) + L" " +
           Replaced(clock, LocaleValue(LOCALE_STIME)) + L".log";
}

inline Lines FolderEntries(const std::wstring& folder) {
    Lines names;
    WIN32_FIND_DATAW entry;
    const HANDLE search = ::FindFirstFileW((folder + L"*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(name);
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
    return names;
}

[[noreturn]] inline void ThrowNested(const std::wstring& outer, const std::wstring& inner) {
    try {
        throw Exception(inner);
    } catch (...) {
        std::throw_with_nested(Exception(outer));
    }
}

// One exception into a fresh program folder: both folder levels appear, one
// file named after the moment, the four items in the ANSI code page, and the
// innermost message in the box. Returns the file's bytes.
inline std::string LogOneException(const std::wstring& outer, const std::wstring& inner) {
    TTempFolder program;
    TRecordingCrashLogSystem system(program.Path());
    TCrashLog log(system, MakeFormatSettings(UserLocaleFormats()));
    SYSTEMTIME before, after;
    ::GetLocalTime(&before);
    try {
        ThrowNested(outer, inner);
    } catch (const std::exception& e) {
        log.ApplicationEventsException(e);
    }
    ::GetLocalTime(&after);

    const std::wstring folder = program.Path() + L"log\\skorvel\\";
    const Lines files = FolderEntries(folder);
    EXPECT_EQ(files.size(), 1u);
    if (files.size() != 1)
        return std::string();
    EXPECT_TRUE(files[0] == SystemStampName(before) || files[0] == SystemStampName(after))
        << "log " << WideToUtf8(files[0]) << ", system " << WideToUtf8(SystemStampName(before));
    EXPECT_EQ(system.Boxes, Lines{ErrorBoxText(Exception(inner))});
    const std::string bytes = TTempFolder::Read(folder + files[0]);
    EXPECT_EQ(bytes,
              TSystemAnsiCodePage().Encode(L"[skorvel]\r\nto string: " + outer + L"\r\n" + inner +
                                           L"\r\nmessage: " + outer + L"\r\nstack trace: \r\n"));
    return bytes;
}

} // namespace skorvel::testing
