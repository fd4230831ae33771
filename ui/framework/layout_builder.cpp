#include "ui/framework/layout_builder.h"

#include "ui/framework/application.h"
#include "ui/framework/form.h"
#include "ui/framework/png.h"

#include <algorithm>
#include <vector>

namespace skorvel {

namespace {

// Built by the form before its controls (TForm::CreateComponents).
bool IsComponentKind(const std::wstring& kind) {
    return kind == L"menubar" || kind == L"popupmenu" || kind == L"timer";
}

// Keyboard navigation follows the window order: put the controls that have
// a tab order first, in that order.
void ApplyTabOrder(std::vector<TControl*> controls) {
    std::stable_sort(controls.begin(), controls.end(), [](TControl* a, TControl* b) {
        return unsigned(a->TabOrder()) < unsigned(b->TabOrder());
    });
    HWND after = HWND_TOP;
    for (TControl* control : controls)
        if (control->TabOrder() >= 0) {
            ::SetWindowPos(control->Handle(), after, 0, 0, 0, 0,
                           SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            after = control->Handle();
        }
}

} // namespace

void CreateChildControls(TForm& form, TControl* parent, HWND parentWindow, const LayoutNode& node) {
    const TControlKinds& kinds = Application->ControlKinds();
    std::vector<TControl*> created;
    for (const auto& child : node.Children()) {
        if (IsComponentKind(child->Kind())) {
            if (parent != &form)
                child->Fail(L"menus and timers belong to the form, not to a control inside it");
            continue;
        }
        const TControlFactory factory = kinds.Find(child->Kind());
        if (!factory)
            child->Fail(L"unknown kind of control");
        auto control = factory(form, parent, parentWindow, *child);
        created.push_back(control.get());
        form.AddControl(std::move(control));
        child->Finish();
    }
    ApplyTabOrder(std::move(created));
}

HFONT LayoutFont(TForm& form, const LayoutNode& node) {
    if (!node.Has(L"font"))
        return form.DefaultFont();
    const auto words = node.Words(L"font");
    TFontSpec description;
    if (words.size() < 2 || !ParseNumber(words.back(), description.Height))
        node.FailAt(L"font", L"'font' needs a face name and a character height in pixels");
    for (size_t i = 0; i + 1 < words.size(); ++i)
        description.Face += (i ? L" " : L"") + words[i];
    description.Bold =
        node.Choice<bool>(L"font-style", {{L"regular", false}, {L"bold", true}}, false);
    description.CharSet = node.Choice<BYTE>(
        L"font-charset",
        {{L"default", BYTE(DEFAULT_CHARSET)}, {L"east-europe", BYTE(EASTEUROPE_CHARSET)}},
        DEFAULT_CHARSET);
    return form.Font(description);
}

GdiObject LayoutPicture(const LayoutNode& node, const std::wstring& key, int& width, int& height) {
    try {
        return LoadPngResource(node.Text(key).c_str(), width, height);
    } catch (const Exception& e) {
        node.FailAt(key, e.Message());
    }
}

} // namespace skorvel
