// The crash log and the ANSI filter files under Polish regional settings (the
// setup script beside this test sets them): code page 1250, the date as
// day, month, year.
#include "core/filter_file_win.h"

#include "crash_log_checks.h"

using namespace skorvel;
using namespace skorvel::testing;

TEST(PolishSettings, ThePrefixRunsWithCodePage1250) {
    ASSERT_EQ(::GetACP(), 1250u);
    EXPECT_EQ(::GetUserDefaultLCID(), 0x415u);
}

TEST(PolishSettings, TheLogIsInCodePage1250AndStampedDayMonthYear) {
    ASSERT_EQ(::GetACP(), 1250u);
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    const std::string bytes = LogOneException(L"B\u0142\u0105d zapisu", L"\u017B\u00F3\u0142w");
    EXPECT_EQ(bytes, "[skorvel]\r\nto string: B\xB3\xB9"
                     "d zapisu\r\n\xAF\xF3\xB3w\r\n"
                     "message: B\xB3\xB9"
                     "d zapisu\r\nstack trace: \r\n");

    const TFormatSettings settings = MakeFormatSettings(UserLocaleFormats());
    TFormatSettings hyphens = settings;
    hyphens.DateSeparator = hyphens.TimeSeparator = L"-";
    TLocalTime noon{now.wYear, now.wMonth, now.wDay, 12, 0, 0, 0};
    const std::wstring stamp = DateTimeToText(noon, hyphens);
    wchar_t month[3] = {wchar_t(L'0' + now.wMonth / 10), wchar_t(L'0' + now.wMonth % 10), 0};
    const std::wstring date =
        std::to_wstring(now.wDay) + L"-" + month + L"-" + std::to_wstring(now.wYear);
    // Wine's Polish short date is d.MM.yyyy, Windows' dd.MM.yyyy.
    EXPECT_TRUE(stamp == date + L" 12-00-00" || stamp == L"0" + date + L" 12-00-00")
        << WideToUtf8(stamp);
}

TEST(PolishSettings, AnsiFilterFilesReadAndWriteInCodePage1250) {
    ASSERT_EQ(::GetACP(), 1250u);
    TTempFolder folder;
    const std::string bytes = "\xBF\xF3\xB3w.exe\r\nGra\xAF.exe\r\n";
    const std::wstring path = folder.Write(L"f.txt", bytes);
    const TFilterText text = ReadFilterFile(path);
    EXPECT_EQ(text.Encoding, TFilterEncoding::feAnsi);
    EXPECT_EQ(text.Lines, (Lines{L"\u017C\u00F3\u0142w.exe", L"Gra\u017B.exe"}));
    WriteFilterFile(path, text.Lines, text.Encoding);
    EXPECT_EQ(TTempFolder::Read(path), bytes);
}
