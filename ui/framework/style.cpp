#include "ui/framework/style.h"

#include "ui/framework/layout.h"

namespace skorvel {

TStyle ParseStyle(const std::string& utf8) {
    const auto root = ParseLayout(utf8, L"style");
    if (root->Kind() != L"style")
        root->Fail(L"not a style");
    const auto color = [&](const wchar_t* key) {
        if (!root->Has(key))
            root->Fail(std::wstring(L"missing color '") + key + L"'");
        const uint32_t value = root->Color(key, 0);
        if (value >> 24)
            root->FailAt(key, std::wstring(L"'") + key + L"' must be a plain color");
        return value;
    };
    TStyle style;
    style.Title = root->Text(L"title");
    style.FormBackground = color(L"form-background");
    style.ControlBackground = color(L"control-background");
    style.Text = color(L"text");
    style.DisabledText = color(L"disabled-text");
    style.SelectionBackground = color(L"selection-background");
    style.SelectionText = color(L"selection-text");
    style.MenuBackground = color(L"menu-background");
    root->Finish();
    return style;
}

} // namespace skorvel
