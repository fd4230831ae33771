#include "core/ansi_code_page_win.h"

#include "platform/code_page.h"

namespace skorvel {

std::wstring TSystemAnsiCodePage::Decode(std::string_view bytes) const {
    return AnsiToWide(bytes);
}

std::string TSystemAnsiCodePage::Encode(std::wstring_view text) const {
    return WideToAnsi(text);
}

} // namespace skorvel
