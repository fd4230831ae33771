// The filter-file codec under arbitrary input. Every input is read twice:
//
// 1. As the bytes of a filter file, as the optimisation run and the filter
//    editor read it. Decoded lines hold no CR, LF or NUL; saving them in the
//    encoding the file was read in and reading the result gives the same lines
//    and, unless there are none (an empty file), the same encoding; a file
//    without a byte-order mark is saved without one.
// 2. As keywords the filter editor saves: byte 0 picks the encoding (bits 0-1)
//    and how the rest is read (bit 2: ANSI code page bytes, else UTF-16 LE code
//    units), one keyword per LF. Saving and reading them back gives the same
//    keywords whenever the encoding can hold every one of them.
#include "core/filter_file.h"
#include "fuzz_check.h"
#include "platform/text.h"

#include <cstddef>
#include <cstdint>

using namespace skorvel;
using skorvel::fuzz::Check;

namespace {

using Lines = std::vector<std::wstring>;

const TWindows1250CodePage kAnsi;

bool HoldsBreakOrNul(const Lines& lines) {
    for (const auto& line : lines)
        if (line.find_first_of(std::wstring_view(L"\r\n\0", 3)) != std::wstring::npos)
            return true;
    return false;
}

bool HasMark(std::string_view bytes) {
    size_t markLength = 0;
    DetectFilterEncoding(bytes, markLength);
    return markLength != 0;
}

void CheckFile(std::string_view bytes) {
    const TFilterText text = DecodeFilterFile(bytes, kAnsi);
    Check(!HoldsBreakOrNul(text.Lines), "a decoded line holds CR, LF or NUL");

    const std::string saved = EncodeFilterFile(text.Lines, text.Encoding, kAnsi);
    Check(HasMark(bytes) || !HasMark(saved), "a file without a byte-order mark is saved with one");
    const TFilterText again = DecodeFilterFile(saved, kAnsi);
    Check(again.Lines == text.Lines, "saving and reading again changes the lines");
    // An empty list is saved as an empty file, which has no mark to name an
    // encoding.
    if (text.Lines.empty())
        Check(saved.empty(), "an empty list is saved as more than an empty file");
    else
        Check(again.Encoding == text.Encoding, "saving and reading again changes the encoding");
}

// Whether Encoding writes Line so that it reads back unchanged on its own.
bool CanHold(TFilterEncoding encoding, const std::wstring& line) {
    switch (encoding) {
    case TFilterEncoding::feAnsi:
        return kAnsi.Decode(kAnsi.Encode(line)) == line;
    case TFilterEncoding::feUtf8:
        return Utf8ToWide(WideToUtf8(line)) == line; // no unpaired surrogate
    case TFilterEncoding::feUtf16LE:
    case TFilterEncoding::feUtf16BE:
        break;
    }
    return true;
}

Lines EditedLines(std::wstring_view text) {
    Lines lines(1);
    for (const wchar_t c : text) {
        if (c == L'\n')
            lines.emplace_back();
        else if (c != L'\r' && c != L'\0') // an edit control holds neither inside a line
            lines.back() += c;
    }
    return lines;
}

void CheckEditedLines(const uint8_t* data, size_t size) {
    if (size == 0)
        return;
    const auto encoding = static_cast<TFilterEncoding>(data[0] & 3);
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::wstring text;
    if (data[0] & 4) {
        text = kAnsi.Decode(rest);
    } else {
        for (size_t i = 0; i + 1 < rest.size(); i += 2)
            text += static_cast<wchar_t>(uint8_t(rest[i]) | uint8_t(rest[i + 1]) << 8);
    }
    const Lines lines = EditedLines(text);

    const TFilterText back = DecodeFilterFile(EncodeFilterFile(lines, encoding, kAnsi), kAnsi);
    Check(!HoldsBreakOrNul(back.Lines), "a decoded line holds CR, LF or NUL");
    for (const auto& line : lines)
        if (!CanHold(encoding, line))
            return;
    Check(back.Lines == lines, "saved keywords read back changed");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CheckFile(std::string_view(reinterpret_cast<const char*>(data), size));
    CheckEditedLines(data, size);
    return 0;
}
