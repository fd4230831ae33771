#pragma once
// Menu shortcuts as one 16-bit value: the virtual-key code in the low byte
// plus modifier flags (Shift 0x2000, Ctrl 0x4000, Alt 0x8000). F1 is 112,
// Ctrl+A is 0x4041, Ctrl+Alt+Z is 0xC05A.
#include <cstdint>
#include <string>

namespace skorvel {

using TShortCut = uint16_t;

constexpr TShortCut kShiftFlag = 0x2000;
constexpr TShortCut kCtrlFlag = 0x4000;
constexpr TShortCut kAltFlag = 0x8000;

constexpr TShortCut ShortCut(uint8_t key, bool shift, bool ctrl, bool alt) {
    return TShortCut(key | (shift ? kShiftFlag : 0) | (ctrl ? kCtrlFlag : 0) |
                     (alt ? kAltFlag : 0));
}

// "F1", "Del", "Ctrl+A", "Ctrl+Alt+Z", "Shift+F10"; false for anything else.
bool TextToShortCut(const std::wstring& text, TShortCut& shortCut);
// The same text form, as shown beside a menu item's caption.
std::wstring ShortCutToText(TShortCut shortCut);

} // namespace skorvel
