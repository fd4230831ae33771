#include "iconv_reference.h"
#include "platform/text.h"

#include <gtest/gtest.h>

using namespace skorvel;
using namespace skorvel::testing;

namespace {

// UTF-16 code units in a std::wstring, from UTF-16 little-endian bytes.
std::wstring Units(const std::string& utf16le) {
    std::wstring units;
    for (size_t i = 0; i + 1 < utf16le.size(); i += 2)
        units.push_back(wchar_t(uint8_t(utf16le[i]) | uint8_t(utf16le[i + 1]) << 8));
    return units;
}

} // namespace

// Every code point, each sequence length and each bound among them (the last
// three-byte lead 0xEF, the pairs up to DBFF DFFF), both ways against the
// host's iconv.
TEST(Text, EveryCodePointConvertsAsTheHostConvertsIt) {
    std::u32string all;
    for (char32_t c = 0; c <= 0x10FFFF; ++c)
        if (c < 0xD800 || c > 0xDFFF)
            all.push_back(c);
    const std::string utf32 = Utf32Bytes(all);
    const auto utf8 = IconvConvert("UTF-32LE", "UTF-8", utf32);
    const auto utf16 = IconvConvert("UTF-32LE", "UTF-16LE", utf32);
    ASSERT_TRUE(utf8 && utf16);
    const std::wstring units = Units(*utf16);
    EXPECT_TRUE(WideToUtf8(units) == *utf8);
    EXPECT_TRUE(Utf8ToWide(*utf8) == units);
}

// Sequences just outside what UTF-8 allows become one replacement character
// for each byte that cannot start a valid sequence; unpaired surrogates
// become the replacement character when written.
TEST(Text, BoundsOfTheEncodingsAreKept) {
    const struct {
        std::string utf8;
        std::wstring wide;
    } reads[] = {
        {"\xED\x9F\xBF", L"\xD7FF"},                       // the last before the surrogates
        {"\xEE\x80\x80", L"\xE000"},                       // the first after them
        {"\xED\xA0\x80", L"\xFFFD\xFFFD\xFFFD"},           // D800
        {"\xED\xBF\xBF", L"\xFFFD\xFFFD\xFFFD"},           // DFFF
        {"\xEF\xBF\xBF", L"\xFFFF"},                       // the last three-byte sequence
        {"\xEF\xBF", L"\xFFFD\xFFFD"},                     // cut short
        {"\xE0\x9F\xBF", L"\xFFFD\xFFFD\xFFFD"},           // overlong 07FF
        {"\xF0\x8F\xBF\xBF", L"\xFFFD\xFFFD\xFFFD\xFFFD"}, // overlong FFFF
        {"\xF4\x8F\xBF\xBF", L"\xDBFF\xDFFF"},             // 10FFFF
        {"\xF4\x90\x80\x80", L"\xFFFD\xFFFD\xFFFD\xFFFD"}, // past 10FFFF
        {"\xC1\xBF", L"\xFFFD\xFFFD"},                     // overlong 7F
        {"\xC2\x80", L"\x0080"},
        {"\xDF\xBF", L"\x07FF"},
        {"\xF5\x80", L"\xFFFD\xFFFD"}, // no such lead
    };
    for (const auto& r : reads)
        EXPECT_TRUE(Utf8ToWide(r.utf8) == r.wide) << WideToUtf8(r.wide);
    const struct {
        std::wstring wide;
        std::string utf8;
    } writes[] = {
        {L"\xD800", "\xEF\xBF\xBD"},
        {L"\xDFFF", "\xEF\xBF\xBD"},
        {L"\xDBFF\xDFFF", "\xF4\x8F\xBF\xBF"},
        {L"\xD800\xDC00", "\xF0\x90\x80\x80"},
        {L"\xDBFF\xE000", "\xEF\xBF\xBD\xEE\x80\x80"},
        {L"\xD800\xD800\xDC00", "\xEF\xBF\xBD\xF0\x90\x80\x80"},
        {L"a\xDC00", "a\xEF\xBF\xBD"},
    };
    for (const auto& w : writes)
        EXPECT_EQ(WideToUtf8(w.wide), w.utf8) << w.utf8;
}

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
