#include "ui/framework/style.h"

#include "ui/framework/layout.h"

namespace skorvel {

TStyle ParseStyle(const std::string& utf8) {
    const auto root = ParseLayout(utf8, L"style");
    if (root->Kind() != L"style")
        root->Fail(L"not a style");
    const auto colour = [&](const wchar_t* key) {
        if (!root->Has(key))
            root->Fail(std::wstring(L"missing colour '") + key + L"'");
        const uint32_t value = root->Colour(key, 0);
        if (value >> 24)
            root->Fail(std::wstring(L"'") + key + L"' must be a plain colour");
        return value;
    };
    TStyle style;
    style.Title = root->Text(L"title");
    style.FormBackground = colour(L"form-background");
    style.ControlBackground = colour(L"control-background");
    style.Text = colour(L"text");
    style.DisabledText = colour(L"disabled-text");
    style.SelectionBackground = colour(L"selection-background");
    style.SelectionText = colour(L"selection-text");
    style.MenuBackground = colour(L"menu-background");
    root->Finish();
    return style;
}

} // namespace skorvel
