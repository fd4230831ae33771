#pragma once
// The system's ANSI code page (CP_ACP) of the running Windows.
#include "core/ansi_code_page.h"

namespace skorvel {

class TSystemAnsiCodePage : public IAnsiCodePage {
public:
    std::wstring Decode(std::string_view bytes) const override;
    // Characters outside the code page become its default character.
    std::string Encode(std::wstring_view text) const override;
};

} // namespace skorvel
