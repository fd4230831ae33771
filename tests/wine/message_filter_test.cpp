// Letting a message through to a window from processes of lower integrity.
// Wine has no integrity levels: its user32 exports both calls, each answers
// TRUE and changes nothing, so only the answer can be checked here; whether
// the message then arrives only Windows can show.
#include "platform/message_filter.h"

#include <windows.h>

#include <gtest/gtest.h>

using namespace skorvel;

TEST(MessageFilter, AsksForTheWindowWhereTheSystemCanAndReportsTheAnswer) {
    ASSERT_NE(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "ChangeWindowMessageFilterEx"),
              nullptr);
    const HWND window = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                          nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
    const TMessageFilterAnswer answer = AllowMessageFromLowerIntegrity(window, message);
    EXPECT_EQ(answer.Call, TMessageFilterCall::mfcWindow);
    EXPECT_TRUE(answer.Allowed);
    EXPECT_EQ(answer.Error, 0u);
    ::DestroyWindow(window);
}
