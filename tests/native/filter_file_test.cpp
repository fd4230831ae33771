#include "core/filter_file.h"

#include "iconv_reference.h"
#include "platform/text.h"

#include <gtest/gtest.h>

using namespace skorvel;
using namespace skorvel::testing;

namespace {

const TWindows1250CodePage kAnsi;

using Lines = std::vector<std::wstring>;

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int v : values)
        bytes.push_back(static_cast<char>(v));
    return bytes;
}

} // namespace

TEST(FilterFile, LineBreaksNulAndFinalBreak) {
    const struct {
        std::string bytes;
        Lines lines;
    } cases[] = {
        {"player.exe\r\n\r\nNotes.exe\r\n", {L"player.exe", L"", L"Notes.exe"}},
        {"a.exe\nb.exe\rc.exe", {L"a.exe", L"b.exe", L"c.exe"}},
        {"a.exe\r\r\nb.exe", {L"a.exe", L"", L"b.exe"}}, // lone CR, then CR LF
        {"a.exe\n\r", {L"a.exe", L""}},                  // LF, then a lone CR
        {"a.exe\r", {L"a.exe"}},
        {"\r\n", {L""}},
        {"", {}},
        {" player.exe \t", {L" player.exe \t"}}, // kept exactly as written
        {std::string("a.exe\r\nb.exe\0c.exe\r\n", 20), {L"a.exe", L"b.exe"}},
        {std::string("\0a.exe", 6), {}},
        {"# a.exe\r\n", {L"# a.exe"}}, // no comment syntax
    };
    for (const auto& c : cases) {
        const TFilterText text = DecodeFilterFile(c.bytes, kAnsi);
        EXPECT_EQ(text.Lines, c.lines) << c.bytes;
        EXPECT_EQ(text.Encoding, TFilterEncoding::feAnsi);
    }
}

TEST(FilterFile, ByteOrderMarksSelectTheEncoding) {
    const Lines polish = {L"\u017C\u00F3\u0142w.exe", L"Gra.exe"};
    const struct {
        std::string bytes;
        TFilterEncoding encoding;
    } cases[] = {
        {Bytes({0xEF, 0xBB, 0xBF}) + "\xC5\xBC\xC3\xB3\xC5\x82w.exe\r\nGra.exe\r\n",
         TFilterEncoding::feUtf8},
        {Bytes({0xFF, 0xFE, 0x7C, 0x01, 0xF3, 0x00, 0x42, 0x01, 'w', 0, '.', 0,
                'e',  0,    'x',  0,    'e',  0,    '\n', 0,    'G', 0, 'r', 0,
                'a',  0,    '.',  0,    'e',  0,    'x',  0,    'e', 0}),
         TFilterEncoding::feUtf16LE},
        {Bytes({0xFE, 0xFF, 0x01, 0x7C, 0x00, 0xF3, 0x01, 0x42, 0, 'w', 0, '.',
                0,    'e',  0,    'x',  0,    'e',  0,    '\r', 0, 'G', 0, 'r',
                0,    'a',  0,    '.',  0,    'e',  0,    'x',  0, 'e', 0, '\r'}),
         TFilterEncoding::feUtf16BE},
        {Bytes({0xBF, 0xF3, 0xB3}) + "w.exe\r\nGra.exe", TFilterEncoding::feAnsi}, // Windows-1250
    };
    for (const auto& c : cases) {
        const TFilterText text = DecodeFilterFile(c.bytes, kAnsi);
        EXPECT_EQ(text.Lines, polish) << int(c.encoding);
        EXPECT_EQ(text.Encoding, c.encoding);
    }
}

TEST(FilterFile, Utf16NulEndsTheTextAndAnOddLastByteIsDropped) {
    const std::string le = Bytes({0xFF, 0xFE, 'a', 0, 0, 0, 'b', 0});
    EXPECT_EQ(DecodeFilterFile(le, kAnsi).Lines, Lines{L"a"});
    const std::string odd = Bytes({0xFE, 0xFF, 0, 'a', 0, 'b', 0});
    EXPECT_EQ(DecodeFilterFile(odd, kAnsi).Lines, Lines{L"ab"});
    // A mark alone is an empty file of that encoding.
    const TFilterText empty = DecodeFilterFile(Bytes({0xEF, 0xBB, 0xBF}), kAnsi);
    EXPECT_TRUE(empty.Lines.empty());
    EXPECT_EQ(empty.Encoding, TFilterEncoding::feUtf8);
}

TEST(FilterFile, EncodingWritesEveryLineWithCrLfAndTheMark) {
    const Lines lines = {L"\u0141\u00F3d\u017A.exe", L""};
    const struct {
        TFilterEncoding encoding;
        std::string bytes;
    } cases[] = {
        {TFilterEncoding::feUtf8, "\xEF\xBB\xBF\xC5\x81\xC3\xB3"
                                  "d\xC5\xBA.exe\r\n\r\n"},
        {TFilterEncoding::feUtf16LE,
         Bytes({0xFF, 0xFE, 0x41, 0x01, 0xF3, 0x00, 'd', 0,    0x7A, 0x01, '.', 0,    'e',
                0,    'x',  0,    'e',  0,    '\r', 0,   '\n', 0,    '\r', 0,   '\n', 0})},
        {TFilterEncoding::feUtf16BE,
         Bytes({0xFE, 0xFF, 0x01, 0x41, 0x00, 0xF3, 0,    'd', 0x01, 0x7A, 0,    '.', 0,
                'e',  0,    'x',  0,    'e',  0,    '\r', 0,   '\n', 0,    '\r', 0,   '\n'})},
        {TFilterEncoding::feAnsi, Bytes({0xA3, 0xF3, 'd', 0x9F}) + ".exe\r\n\r\n"},
    };
    for (const auto& c : cases) {
        const std::string bytes = EncodeFilterFile(lines, c.encoding, kAnsi);
        EXPECT_EQ(bytes, c.bytes) << int(c.encoding);
        const TFilterText back = DecodeFilterFile(bytes, kAnsi);
        EXPECT_EQ(back.Lines, lines) << int(c.encoding);
        EXPECT_EQ(back.Encoding, c.encoding);
    }
    // An empty list is an empty file in every encoding: no mark alone.
    for (const auto& c : cases)
        EXPECT_EQ(EncodeFilterFile({}, c.encoding, kAnsi), "") << int(c.encoding);
}

TEST(FilterFile, AnsiKeywordsThatWouldReadAsAMarkAreSavedAsUtf8) {
    // In Windows-1250 these first keywords give the bytes EF BB BF, FF FE and
    // FE FF: saved as they are, the file would be read in another encoding.
    const Lines markLike[] = {
        {L"\u010F\u00BB\u017Cw.exe"},
        {L"\u02D9\u0163", L"gra.exe"},
        {L"\u0163\u02D9x.exe"},
    };
    for (const auto& lines : markLike) {
        const std::string bytes = EncodeFilterFile(lines, TFilterEncoding::feAnsi, kAnsi);
        const TFilterText back = DecodeFilterFile(bytes, kAnsi);
        EXPECT_EQ(back.Lines, lines);
        EXPECT_EQ(back.Encoding, TFilterEncoding::feUtf8);
    }
    // The same letters after the start are plain ANSI.
    EXPECT_EQ(EncodeFilterFile({L"a.exe", L"\u0163\u02D9"}, TFilterEncoding::feAnsi, kAnsi),
              "a.exe\r\n" + Bytes({0xFE, 0xFF}) + "\r\n");
}

TEST(Windows1250, EveryByteRoundTripsAndPolishLettersSitWhereWindowsPutsThem) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(kAnsi.Encode(kAnsi.Decode(all)), all);

    const std::wstring polish = L"\u0105\u0107\u0119\u0142\u0144\u00F3\u015B\u017A\u017C"
                                L"\u0104\u0106\u0118\u0141\u0143\u00D3\u015A\u0179\u017B\u20AC";
    EXPECT_EQ(kAnsi.Encode(polish),
              Bytes({0xB9, 0xE6, 0xEA, 0xB3, 0xF1, 0xF3, 0x9C, 0x9F, 0xBF, 0xA5, 0xC6, 0xCA, 0xA3,
                     0xD1, 0xD3, 0x8C, 0x8F, 0xAF, 0x80}));
    // Outside the code page: the default character.
    EXPECT_EQ(kAnsi.Encode(L"\u0416\u00E0x"), "??x");
}

// Every byte of the upper half against the host's own Windows-1250 table
// (iconv), which knows nothing of this one. The five bytes the code page
// leaves undefined, which iconv refuses, decode to the C1 control of the same
// value. Encoding is the exact inverse: a character comes back as the byte
// that decodes to it, and every other character of the Basic Multilingual
// Plane that iconv cannot write in Windows-1250 becomes "?".
TEST(Windows1250, EveryEntryMatchesTheHostsOwnTable) {
    std::u32string undefined; // the bytes iconv refuses, as their own controls
    for (int byte = 0x80; byte < 0x100; ++byte) {
        const std::string one(1, char(byte));
        const auto reference = IconvConvert("CP1250", "UTF-32LE", one);
        if (!reference)
            undefined.push_back(char32_t(byte));
        const char32_t expected = reference ? Utf32Text(*reference).at(0) : char32_t(byte);
        const std::wstring decoded = kAnsi.Decode(one);
        ASSERT_EQ(decoded.size(), 1u);
        EXPECT_EQ(char32_t(decoded[0]), expected) << std::hex << "byte 0x" << byte;
        EXPECT_EQ(kAnsi.Encode(decoded), one) << std::hex << "byte 0x" << byte;
    }
    EXPECT_EQ(undefined, (std::u32string{0x81, 0x83, 0x88, 0x90, 0x98}));
    for (char32_t c = 0x80; c < 0x10000; ++c) {
        if ((c >= 0xD800 && c <= 0xDFFF) || undefined.find(c) != std::u32string::npos ||
            IconvConvert("UTF-32LE", "CP1250", Utf32Bytes({c})))
            continue; // a surrogate, or a character of the table checked above
        EXPECT_EQ(kAnsi.Encode(std::wstring(1, wchar_t(c))), "?")
            << std::hex << "U+" << unsigned(c);
    }
}

// An ANSI list saved with a character the code page lacks would come back
// with "?" in its place: such a list is saved as UTF-8 with its mark.
TEST(FilterFile, SaveEncodingFallsBackToUtf8OnlyForWhatTheCodePageCannotHold) {
    const struct {
        Lines lines;
        TFilterEncoding remembered, saved;
    } cases[] = {
        {{L"\u017C\u00F3\u0142w.exe", L"gra.exe", L""},
         TFilterEncoding::feAnsi,
         TFilterEncoding::feAnsi},
        {{L"a?.exe"}, TFilterEncoding::feAnsi, TFilterEncoding::feAnsi}, // a real "?" fits
        {{}, TFilterEncoding::feAnsi, TFilterEncoding::feAnsi},
        {{L"gra.exe", L"se\u00F1or.exe"}, TFilterEncoding::feAnsi, TFilterEncoding::feUtf8},
        {{L"\u0416.exe"}, TFilterEncoding::feAnsi, TFilterEncoding::feUtf8},
        {{L"se\u00F1or.exe"}, TFilterEncoding::feUtf16BE, TFilterEncoding::feUtf16BE},
        {{L"gra.exe"}, TFilterEncoding::feUtf8, TFilterEncoding::feUtf8},
    };
    for (const auto& c : cases) {
        const TFilterEncoding saved = FilterSaveEncoding(c.lines, c.remembered, kAnsi);
        EXPECT_EQ(saved, c.saved) << (c.lines.empty() ? "" : WideToUtf8(c.lines.back()));
        // Whatever was chosen reads back exactly.
        EXPECT_EQ(DecodeFilterFile(EncodeFilterFile(c.lines, saved, kAnsi), kAnsi).Lines, c.lines);
    }
}
