// The crash log over the real system under the prefix's default regional
// settings; crash_log_pl_test runs the same under Polish ones.
#include "crash_log_checks.h"

#include <atomic>
#include <thread>

using namespace skorvel;
using namespace skorvel::testing;

TEST(CrashLogOnDisk, FirstExceptionCreatesTheFoldersAndWritesTheLog) {
    RecordProperty("acp", int(::GetACP()));
    RecordProperty("short_date", WideToUtf8(LocaleValue(LOCALE_SSHORTDATE)));
    const std::string bytes =
        LogOneException(L"Operacja nie powiod\u0142a si\u0119 \u00E9", L"Plik zaj\u0119ty");
    EXPECT_EQ(bytes.compare(0, 11, "[skorvel]\r\n"), 0);
}

TEST(CrashLogOnDisk, AnUnwritableLogFolderIsReportedOnceAndTheErrorStillShown) {
    TTempFolder program;
    program.Write(L"log", "a file where the folder should be");
    TRecordingCrashLogSystem system(program.Path());
    TCrashLog log(system, MakeFormatSettings(UserLocaleFormats()));
    EXPECT_NO_THROW(log.ApplicationEventsException(Exception(L"pierwszy")));
    ASSERT_EQ(system.Boxes.size(), 2u);
    EXPECT_EQ(system.Boxes[0], L"pierwszy.");
    EXPECT_NE(system.Boxes[1].find(program.Path() + L"log\\skorvel\\"), std::wstring::npos)
        << WideToUtf8(system.Boxes[1]);
    EXPECT_NO_THROW(log.ApplicationEventsException(Exception(L"drugi")));
    EXPECT_EQ(system.Boxes, (Lines{system.Boxes[0], system.Boxes[1], L"drugi."}));
}

namespace {

struct TSeenBox {
    std::wstring Caption;
    Lines Texts;       // the visible static texts
    Lines Buttons;     // the visible buttons' captions
    bool Icon = false; // a visible icon control
};

BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
    auto& seen = *reinterpret_cast<TSeenBox*>(param);
    if (!::IsWindowVisible(child))
        return TRUE;
    wchar_t className[64] = {}, text[512] = {};
    ::GetClassNameW(child, className, 64);
    ::GetWindowTextW(child, text, 512);
    if (_wcsicmp(className, L"Button") == 0)
        seen.Buttons.push_back(text);
    else if (_wcsicmp(className, L"Static") == 0) {
        if ((::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            seen.Icon = true;
        else if (text[0])
            seen.Texts.push_back(text);
    }
    return TRUE;
}

struct TBoxSearch {
    DWORD ProcessId;
    HWND Found = nullptr;
};

BOOL CALLBACK FindBox(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<TBoxSearch*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    if (owner == search.ProcessId && std::wstring(className) == L"#32770" &&
        ::IsWindowVisible(window)) {
        search.Found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

TEST(CrashLogErrorBox, ModalBoxCaptionedSkorvelWithOkAndTheErrorIcon) {
    TSeenBox seen;
    std::atomic<bool> found{false};
    std::thread watcher([&] {
        for (int attempt = 0; attempt < 200 && !found; ++attempt) {
            ::Sleep(50);
            TBoxSearch search{::GetCurrentProcessId()};
            ::EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
            if (!search.Found)
                continue;
            ::Sleep(100); // let it finish laying out its controls
            wchar_t caption[64] = {};
            ::GetWindowTextW(search.Found, caption, 64);
            seen.Caption = caption;
            ::EnumChildWindows(search.Found, CollectChild, reinterpret_cast<LPARAM>(&seen));
            found = true;
            ::PostMessageW(search.Found, WM_COMMAND, IDOK, 0);
        }
    });
    TWinCrashLogSystem system(nullptr, L"C:\\unused\\");
    system.ShowErrorBox(L"Plik zaj\u0119ty.");
    watcher.join();
    ASSERT_TRUE(found) << "no message box appeared";
    EXPECT_EQ(seen.Caption, L"Skorvel");
    EXPECT_EQ(seen.Texts, Lines{L"Plik zaj\u0119ty."});
    EXPECT_EQ(seen.Buttons.size(), 1u);
    EXPECT_TRUE(seen.Icon);
}
