#pragma once
// A visual style: the colour scheme the framework applies to every window
// (form and control backgrounds, text, selection, menus). Stored as a
// resource in the layout text format:
//
//     style AquaLightSlate
//         title: Aqua Light Slate
//         form-background: #E9EEF3
//         ...
#include <cstdint>
#include <string>

namespace skorvel {

struct TStyle {
    std::wstring Title;
    uint32_t FormBackground = 0;
    uint32_t ControlBackground = 0;
    uint32_t Text = 0;
    uint32_t DisabledText = 0;
    uint32_t SelectionBackground = 0;
    uint32_t SelectionText = 0;
    uint32_t MenuBackground = 0;
};

// Raises ELayoutError when the text is no complete style (every colour must
// be given, and only plain #RRGGBB or named colours are allowed).
TStyle ParseStyle(const std::string& utf8);

} // namespace skorvel
