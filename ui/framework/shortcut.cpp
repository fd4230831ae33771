#include "ui/framework/shortcut.h"

#include <utility>

namespace skorvel {

namespace {

struct NamedKey {
    const wchar_t* Name;
    uint8_t Key;
};
constexpr NamedKey kNamedKeys[] = {
    {L"Backspace", 0x08}, {L"Tab", 0x09},   {L"Enter", 0x0D}, {L"Esc", 0x1B},  {L"Space", 0x20},
    {L"PgUp", 0x21},      {L"PgDn", 0x22},  {L"End", 0x23},   {L"Home", 0x24}, {L"Left", 0x25},
    {L"Up", 0x26},        {L"Right", 0x27}, {L"Down", 0x28},  {L"Ins", 0x2D},  {L"Del", 0x2E},
};
constexpr std::pair<const wchar_t*, TShortCut> kModifiers[] = {
    {L"Shift+", kShiftFlag}, {L"Ctrl+", kCtrlFlag}, {L"Alt+", kAltFlag}};

bool KeyFromName(const std::wstring& name, uint8_t& key) {
    if (name.size() == 1 &&
        ((name[0] >= L'A' && name[0] <= L'Z') || (name[0] >= L'0' && name[0] <= L'9'))) {
        key = uint8_t(name[0]);
        return true;
    }
    if (name.size() >= 2 && name[0] == L'F') {
        const std::wstring digits = name.substr(1);
        if (digits.find_first_not_of(L"0123456789") == std::wstring::npos && digits.size() <= 2) {
            const int n = std::stoi(digits);
            if (n >= 1 && n <= 24) {
                key = uint8_t(0x70 + n - 1);
                return true;
            }
        }
    }
    for (const auto& named : kNamedKeys)
        if (name == named.Name) {
            key = named.Key;
            return true;
        }
    return false;
}

std::wstring NameOfKey(uint8_t key) {
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
        return std::wstring(1, wchar_t(key));
    if (key >= 0x70 && key <= 0x87)
        return L"F" + std::to_wstring(key - 0x70 + 1);
    for (const auto& named : kNamedKeys)
        if (named.Key == key)
            return named.Name;
    return std::wstring();
}

} // namespace

bool TextToShortCut(const std::wstring& text, TShortCut& shortCut) {
    std::wstring rest = text;
    TShortCut flags = 0;
    for (bool more = true; more;) {
        more = false;
        for (const auto& [prefix, flag] : kModifiers) {
            const std::wstring p = prefix;
            if (rest.compare(0, p.size(), p) == 0 && !(flags & flag)) {
                flags |= flag;
                rest.erase(0, p.size());
                more = true;
            }
        }
    }
    uint8_t key = 0;
    if (!KeyFromName(rest, key))
        return false;
    shortCut = TShortCut(key | flags);
    return true;
}

std::wstring ShortCutToText(TShortCut shortCut) {
    const std::wstring key = NameOfKey(uint8_t(shortCut & 0xFF));
    if (key.empty())
        return std::wstring();
    std::wstring text;
    for (const auto& [prefix, flag] : kModifiers)
        if (shortCut & flag)
            text += prefix;
    return text + key;
}

} // namespace skorvel
