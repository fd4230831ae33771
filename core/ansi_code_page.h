#pragma once
// The system's ANSI code page: filter files without a byte-order mark and the
// crash log are in it. On Windows it is CP_ACP (TSystemAnsiCodePage in
// ansi_code_page_win.h, over platform/code_page.h); elsewhere Windows-1250, the code page of Polish
// Windows, stands in for it.
#include <array>
#include <string>
#include <string_view>

namespace skorvel {

class IAnsiCodePage {
public:
    virtual ~IAnsiCodePage() = default;
    virtual std::wstring Decode(std::string_view bytes) const = 0;
    // Characters the code page lacks become its default character.
    virtual std::string Encode(std::wstring_view text) const = 0;
};

// Windows-1250 (Central European). The five bytes the code page leaves
// undefined map to the C1 controls of the same value, as Windows maps them;
// a character outside the code page is written as "?".
class TWindows1250CodePage : public IAnsiCodePage {
public:
    std::wstring Decode(std::string_view bytes) const override;
    std::string Encode(std::wstring_view text) const override;

private:
    static const std::array<char16_t, 128> kUpperHalf;
};

} // namespace skorvel
