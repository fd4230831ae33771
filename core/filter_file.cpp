#include "core/filter_file.h"

#include "platform/text.h"

#include <cstdint>

namespace skorvel {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LEMark = "\xFF\xFE";
constexpr std::string_view kUtf16BEMark = "\xFE\xFF";

bool StartsWith(std::string_view bytes, std::string_view prefix) {
    return bytes.substr(0, prefix.size()) == prefix;
}

// A trailing odd byte cannot form a code unit and is dropped.
std::wstring DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::wstring text(bytes.size() / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i) {
        const auto first = static_cast<unsigned char>(bytes[2 * i]);
        const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
        text[i] = bigEndian ? wchar_t(first << 8 | second) : wchar_t(second << 8 | first);
    }
    return text;
}

void AppendUtf16(std::string& bytes, std::wstring_view text, bool bigEndian) {
    for (const wchar_t c : text) {
        const auto unit = static_cast<uint16_t>(c);
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes.push_back(bigEndian ? high : low);
        bytes.push_back(bigEndian ? low : high);
    }
}

std::wstring JoinLines(const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (const auto& line : lines) {
        text += line;
        text += L"\r\n";
    }
    return text;
}

} // namespace

TFilterEncoding DetectFilterEncoding(std::string_view Bytes, size_t& MarkLength) {
    if (StartsWith(Bytes, kUtf8Mark)) {
        MarkLength = kUtf8Mark.size();
        return TFilterEncoding::feUtf8;
    }
    if (StartsWith(Bytes, kUtf16LEMark)) {
        MarkLength = kUtf16LEMark.size();
        return TFilterEncoding::feUtf16LE;
    }
    if (StartsWith(Bytes, kUtf16BEMark)) {
        MarkLength = kUtf16BEMark.size();
        return TFilterEncoding::feUtf16BE;
    }
    MarkLength = 0;
    return TFilterEncoding::feAnsi;
}

std::vector<std::wstring> SplitFilterLines(std::wstring_view Text) {
    Text = Text.substr(0, Text.find(L'\0'));
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start < Text.size()) {
        const size_t end = Text.find_first_of(L"\r\n", start);
        if (end == std::wstring_view::npos) {
            lines.emplace_back(Text.substr(start));
            break;
        }
        lines.emplace_back(Text.substr(start, end - start));
        const bool crLf = Text[end] == L'\r' && end + 1 < Text.size() && Text[end + 1] == L'\n';
        start = end + (crLf ? 2 : 1);
    }
    return lines;
}

TFilterText DecodeFilterFile(std::string_view Bytes, const IAnsiCodePage& Ansi) {
    TFilterText result;
    size_t markLength = 0;
    result.Encoding = DetectFilterEncoding(Bytes, markLength);
    const std::string_view body = Bytes.substr(markLength);
    switch (result.Encoding) {
    case TFilterEncoding::feUtf8:
        result.Lines = SplitFilterLines(Utf8ToWide(body));
        break;
    case TFilterEncoding::feUtf16LE:
        result.Lines = SplitFilterLines(DecodeUtf16(body, false));
        break;
    case TFilterEncoding::feUtf16BE:
        result.Lines = SplitFilterLines(DecodeUtf16(body, true));
        break;
    case TFilterEncoding::feAnsi:
        result.Lines = SplitFilterLines(Ansi.Decode(body));
        break;
    }
    return result;
}

TFilterEncoding FilterSaveEncoding(const std::vector<std::wstring>& Lines,
                                   TFilterEncoding Remembered, const IAnsiCodePage& Ansi) {
    if (Remembered != TFilterEncoding::feAnsi)
        return Remembered;
    // The code page holds the text when it comes back unchanged: a character
    // it lacks turns into its default character or a look-alike.
    const std::wstring text = JoinLines(Lines);
    return Ansi.Decode(Ansi.Encode(text)) == text ? TFilterEncoding::feAnsi
                                                  : TFilterEncoding::feUtf8;
}

std::string EncodeFilterFile(const std::vector<std::wstring>& Lines, TFilterEncoding Encoding,
                             const IAnsiCodePage& Ansi) {
    if (Lines.empty())
        return std::string();
    const std::wstring text = JoinLines(Lines);
    switch (Encoding) {
    case TFilterEncoding::feUtf8:
        return std::string(kUtf8Mark) + WideToUtf8(text);
    case TFilterEncoding::feUtf16LE: {
        std::string bytes(kUtf16LEMark);
        AppendUtf16(bytes, text, false);
        return bytes;
    }
    case TFilterEncoding::feUtf16BE: {
        std::string bytes(kUtf16BEMark);
        AppendUtf16(bytes, text, true);
        return bytes;
    }
    case TFilterEncoding::feAnsi:
        break;
    }
    std::string bytes = Ansi.Encode(text);
    size_t markLength = 0;
    if (DetectFilterEncoding(bytes, markLength) == TFilterEncoding::feAnsi)
        return bytes;
    // The first keyword's bytes would be read back as a byte-order mark and the
    // whole file in another encoding; UTF-8 with its mark keeps every keyword.
    return EncodeFilterFile(Lines, TFilterEncoding::feUtf8, Ansi);
}

} // namespace skorvel
