#include "platform/text.h"

#include <gtest/gtest.h>

using namespace skorvel;

TEST(Text, Utf8RoundTripKeepsPolishLettersAndSurrogatePairs) {
    const std::string utf8 = "Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87 \xF0\x9F\x98\x80";
    const std::wstring wide = Utf8ToWide(utf8);
    ASSERT_EQ(wide.size(), 9u); // six letters, a blank and one surrogate pair
    EXPECT_EQ(wide[2], L'\x017C');
    EXPECT_EQ(wide[7], static_cast<wchar_t>(0xD83D));
    EXPECT_EQ(wide[8], static_cast<wchar_t>(0xDE00));
    EXPECT_EQ(WideToUtf8(wide), utf8);
}

TEST(Text, InvalidUtf8BecomesReplacementCharacters) {
    const struct {
        std::string input;
        size_t length;
    } cases[] = {{"\xC0\xAF", 2}, {"\xE2\x82", 2}, {"\xED\xA0\x80", 3}, {"a\xFF", 2}};
    for (const auto& c : cases) {
        const std::wstring wide = Utf8ToWide(c.input);
        EXPECT_EQ(wide.size(), c.length) << c.input;
        EXPECT_EQ(wide.back(), L'\xFFFD') << c.input;
    }
}

TEST(Text, AsciiUpperChangesOnlyAsciiLetters) {
    EXPECT_EQ(AsciiUpper(L"player.exe"), L"PLAYER.EXE");
    EXPECT_EQ(AsciiUpper(L"\x017C\x00F3\x0142w.exe"), L"\x017C\x00F3\x0142W.EXE");
    EXPECT_TRUE(AsciiSameText(L"Player.EXE", L"player.exe"));
    EXPECT_FALSE(AsciiSameText(L"\x017B.exe", L"\x017C.exe"));
    EXPECT_FALSE(AsciiSameText(L"player.exe ", L"player.exe"));
}
