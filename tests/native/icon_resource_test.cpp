// The committed icon and pictures are read by the resource compiler and by the picture
// controls at run time; a malformed file only shows up as a missing icon or an empty
// picture. These checks parse the files the way the loaders do. The shipped filter files
// are checked too: a stray blank line or folder in one silently matches nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadResource(const std::string& relative) {
    std::ifstream file(std::string(SKORVEL_SOURCE_DIR) + "/resources/" + relative,
                       std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::uint32_t Le16(const Bytes& b, size_t at) {
    return b[at] | b[at + 1] << 8;
}

std::uint32_t Le32(const Bytes& b, size_t at) {
    return Le16(b, at) | Le16(b, at + 2) << 16;
}

std::uint32_t Be32(const Bytes& b, size_t at) {
    return std::uint32_t(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}

std::uint32_t Crc32(const Bytes& b, size_t at, size_t length) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (size_t i = at; i < at + length; ++i) {
        crc ^= b[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

const Bytes kPngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

struct PngHeader {
    std::uint32_t width = 0, height = 0;
    int bitDepth = 0, colourType = 0;
};

// Walks every chunk of a PNG held in b[at, at + length): each must fit, carry a correct
// CRC, IHDR must come first and IEND last. Reports failures and returns the header.
PngHeader CheckPng(const Bytes& b, size_t at, size_t length) {
    PngHeader header;
    const size_t end = at + length;
    EXPECT_TRUE(length >= 8 &&
                std::equal(kPngSignature.begin(), kPngSignature.end(), b.begin() + at));
    std::vector<std::string> kinds;
    for (size_t pos = at + 8; pos < end;) {
        if (end - pos < 12) {
            ADD_FAILURE() << "truncated chunk at " << pos;
            return header;
        }
        const std::uint32_t size = Be32(b, pos);
        if (size > end - pos - 12) {
            ADD_FAILURE() << "chunk at " << pos << " runs past the end";
            return header;
        }
        const std::string kind(b.begin() + pos + 4, b.begin() + pos + 8);
        EXPECT_EQ(Crc32(b, pos + 4, size + 4), Be32(b, pos + 8 + size)) << kind;
        if (kind == "IHDR" && size == 13) {
            header.width = Be32(b, pos + 8);
            header.height = Be32(b, pos + 12);
            header.bitDepth = b[pos + 16];
            header.colourType = b[pos + 17];
        }
        kinds.push_back(kind);
        pos += size + 12;
    }
    EXPECT_TRUE(!kinds.empty() && kinds.front() == "IHDR" && kinds.back() == "IEND");
    EXPECT_NE(std::find(kinds.begin(), kinds.end(), "IDAT"), kinds.end());
    return header;
}

constexpr int kRgba = 6;

TEST(IconResource, ProgramIconHoldsTheSeventeenImages) {
    const Bytes ico = ReadResource("icon/skorvel.ico");
    ASSERT_GE(ico.size(), 6u);
    EXPECT_EQ(Le16(ico, 0), 0u);
    EXPECT_EQ(Le16(ico, 2), 1u); // an icon, not a cursor
    const size_t count = Le16(ico, 4);
    ASSERT_GE(ico.size(), 6 + 16 * count);

    std::vector<std::pair<std::uint32_t, std::uint32_t>> found; // size, bits per pixel
    for (size_t i = 0; i < count; ++i) {
        const size_t entry = 6 + 16 * i;
        const std::uint32_t size = ico[entry] ? ico[entry] : 256;
        const std::uint32_t bits = Le16(ico, entry + 6);
        const std::uint32_t length = Le32(ico, entry + 8), offset = Le32(ico, entry + 12);
        SCOPED_TRACE(std::to_string(size) + " px, " + std::to_string(bits) + " bpp");
        found.emplace_back(size, bits);
        EXPECT_EQ(ico[entry + 1] ? ico[entry + 1] : 256u, size);
        EXPECT_EQ(int(ico[entry + 2]), bits == 4 ? 16 : 0); // palette size, 0 for 256 or more
        EXPECT_EQ(Le16(ico, entry + 4), 1u);
        ASSERT_TRUE(offset >= 6 + 16 * count && offset <= ico.size() &&
                    length <= ico.size() - offset);

        if (size == 256) {
            // The largest image is stored compressed, as a PNG inside the icon.
            const PngHeader png = CheckPng(ico, offset, length);
            EXPECT_EQ(png.width, 256u);
            EXPECT_EQ(png.height, 256u);
            EXPECT_EQ(png.bitDepth, 8);
            EXPECT_EQ(png.colourType, kRgba);
            continue;
        }
        // A DIB: header, palette, colour rows, then the 1-bit AND mask, rows padded to
        // 32 bits, the height counting both bitmaps.
        ASSERT_GE(length, 40u);
        EXPECT_EQ(Le32(ico, offset), 40u);
        EXPECT_EQ(Le32(ico, offset + 4), size);
        EXPECT_EQ(Le32(ico, offset + 8), 2 * size);
        EXPECT_EQ(Le16(ico, offset + 12), 1u);
        EXPECT_EQ(Le16(ico, offset + 14), bits);
        EXPECT_EQ(Le32(ico, offset + 16), 0u); // BI_RGB
        const std::uint32_t palette = bits <= 8 ? 4u << bits : 0;
        const std::uint32_t colourRow = (size * bits + 31) / 32 * 4;
        const std::uint32_t maskRow = (size + 31) / 32 * 4;
        EXPECT_EQ(length, 40 + palette + (colourRow + maskRow) * size);
    }

    std::vector<std::pair<std::uint32_t, std::uint32_t>> expected;
    for (std::uint32_t size : {64, 48, 32, 24, 16}) {
        expected.emplace_back(size, 4);
        expected.emplace_back(size, 8);
    }
    for (std::uint32_t size : {256, 128, 64, 48, 32, 24, 16})
        expected.emplace_back(size, 32);
    std::sort(found.begin(), found.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found, expected);
}

TEST(IconResource, WindowPicturesAreRgbaPngsOfTheirPlaces) {
    const struct {
        const char* name;
        std::uint32_t width, height;
    } pictures[] = {
        {"dziekujemy.png", 301, 53}, {"tlo.png", 250, 180},   {"edytor.png", 16, 16},
        {"dodaj.png", 16, 16},       {"zamknij.png", 16, 16}, {"anuluj.png", 16, 16},
        {"zapisz.png", 16, 16},
    };
    for (const auto& picture : pictures) {
        SCOPED_TRACE(picture.name);
        const Bytes png = ReadResource(std::string("pictures/") + picture.name);
        ASSERT_FALSE(png.empty());
        const PngHeader header = CheckPng(png, 0, png.size());
        EXPECT_EQ(header.width, picture.width);
        EXPECT_EQ(header.height, picture.height);
        EXPECT_EQ(header.bitDepth, 8);
        EXPECT_EQ(header.colourType, kRgba);
    }
}

TEST(IconResource, ShippedFilterFilesAreCleanKeywordLists) {
    const char* const stems[] = {"antywirusy",
                                 "inne",
                                 "komunikatory",
                                 "menedzery_plikow",
                                 "odtwarzacze_multimedialne",
                                 "pobieranie_danych",
                                 "programy_biurowe",
                                 "przegladarki_internetowe",
                                 "uzytkowe",
                                 "wirtualne_dyski"};
    // Closing any of these would take Windows down with it.
    const std::set<std::string> system = {
        "CSRSS.EXE",    "LSASS.EXE",     "SMSS.EXE",        "WININIT.EXE",  "WINLOGON.EXE",
        "SERVICES.EXE", "SVCHOST.EXE",   "DWM.EXE",         "EXPLORER.EXE", "CONHOST.EXE",
        "TASKHOST.EXE", "TASKHOSTW.EXE", "TASKHOSTEX.EXE",  "SPOOLSV.EXE",  "AUDIODG.EXE",
        "LSM.EXE",      "SIHOST.EXE",    "FONTDRVHOST.EXE", "CTFMON.EXE",   "RUNTIMEBROKER.EXE"};
    std::set<std::string> everywhere;
    for (const char* stem : stems) {
        SCOPED_TRACE(stem);
        const Bytes file = ReadResource(std::string("filters/") + stem + ".txt");
        ASSERT_GE(file.size(), 3u);
        EXPECT_TRUE(file[0] == 0xEF && file[1] == 0xBB && file[2] == 0xBF); // UTF-8 mark
        const std::string text(file.begin() + 3, file.end());
        ASSERT_TRUE(text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0);
        std::set<std::string> names;
        for (size_t start = 0; start < text.size();) {
            const size_t end = text.find("\r\n", start);
            const std::string name = text.substr(start, end - start);
            start = end + 2;
            SCOPED_TRACE(name);
            EXPECT_EQ(name.find_first_of("\r\n\\/:"), std::string::npos);
            std::string upper = name;
            for (char& c : upper)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            const std::string extension = upper.size() > 4 ? upper.substr(upper.size() - 4) : "";
            EXPECT_TRUE(extension == ".EXE" || extension == ".BIN");
            EXPECT_EQ(system.count(upper), 0u);
            EXPECT_TRUE(names.insert(upper).second) << "listed twice";
            EXPECT_TRUE(everywhere.insert(upper).second) << "listed in two categories";
        }
    }
}

} // namespace
