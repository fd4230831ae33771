#include "ui/framework/menus.h"

#include "platform/os_error.h"
#include "ui/framework/application.h"
#include "ui/framework/form.h"

namespace skorvel {

namespace {

// The style's menu background, for the menu and all its submenus.
void ApplyStyleTo(HMENU menu) {
    if (HBRUSH brush = Application->MenuBrush()) {
        MENUINFO info = {};
        info.cbSize = sizeof info;
        info.fMask = MIM_BACKGROUND | MIM_APPLYTOSUBMENUS;
        info.hbrBack = brush;
        ::SetMenuInfo(menu, &info);
    }
}

} // namespace

TMenuItem::TMenuItem(TForm& form, TMenu& menu, const LayoutNode& node, bool root)
    : TObject(node.Name()), FMenu(menu) {
    if (!root) {
        FSeparator = node.Kind() == L"separator";
        if (!FSeparator && node.Kind() != L"item")
            node.Fail(L"a menu holds items and separators only");
        FCaption = FSeparator ? L"-" : node.Text(L"caption");
        FVisible = node.Bool(L"visible", true);
        FEnabled = node.Bool(L"enabled", true);
        FDefault = node.Bool(L"default", false);
        if (node.Has(L"shortcut") && !TextToShortCut(node.Text(L"shortcut"), FShortCut))
            node.FailAt(L"shortcut", L"unknown shortcut " + node.Text(L"shortcut"));
        OnClick = form.BindNotify(node, L"on-click");
        FCommand = Application->RegisterCommand(*this);
        form.AddComponent(*this);
    }
    for (const auto& child : node.Children()) {
        FItems.push_back(std::make_unique<TMenuItem>(form, menu, *child));
        child->Finish();
    }
}

TMenuItem::~TMenuItem() {
    if (FCommand)
        Application->UnregisterCommand(FCommand);
}

void TMenuItem::SetCaption(const std::wstring& caption) {
    if (caption != FCaption) {
        FCaption = caption;
        FMenu.Changed();
    }
}

void TMenuItem::SetVisible(bool visible) {
    if (visible != FVisible) {
        FVisible = visible;
        FMenu.Changed();
    }
}

void TMenuItem::SetEnabled(bool enabled) {
    if (enabled != FEnabled) {
        FEnabled = enabled;
        FMenu.Changed();
    }
}

void TMenuItem::Click() {
    if (OnClick)
        Application->Guard(*this, [&] { OnClick(*this); });
}

void TMenuItem::AppendTo(HMENU menu) const {
    for (const auto& item : FItems) {
        if (!item->FVisible)
            continue;
        if (item->FSeparator) {
            ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        std::wstring text = item->FCaption;
        if (item->FShortCut)
            text += L"\t" + ShortCutToText(item->FShortCut);
        const UINT state = item->FEnabled ? MF_ENABLED : MF_GRAYED;
        if (item->FItems.empty()) {
            ::AppendMenuW(menu, MF_STRING | state, item->FCommand, text.c_str());
            if (item->FDefault)
                ::SetMenuDefaultItem(menu, item->FCommand, FALSE);
        } else {
            HMENU sub = ::CreatePopupMenu();
            item->AppendTo(sub);
            ::AppendMenuW(menu, MF_POPUP | state, reinterpret_cast<UINT_PTR>(sub), text.c_str());
        }
    }
}

TMenuItem* TMenuItem::FindShortCut(TShortCut shortCut) {
    for (const auto& item : FItems) {
        if (!item->FVisible || !item->FEnabled)
            continue;
        if (item->FShortCut == shortCut && !item->FSeparator)
            return item.get();
        if (auto* found = item->FindShortCut(shortCut))
            return found;
    }
    return nullptr;
}

TMenu::TMenu(TForm& form, const LayoutNode& node) : TObject(node.Name()) {
    FRoot = std::make_unique<TMenuItem>(form, *this, node, true);
}

TMenuItem* TMenu::FindShortCut(TShortCut shortCut) {
    return shortCut ? FRoot->FindShortCut(shortCut) : nullptr;
}

TMainMenu::TMainMenu(TForm& form, const LayoutNode& node) : TMenu(form, node) {}

TMainMenu::~TMainMenu() {
    if (FWindow && ::IsWindow(FWindow))
        ::SetMenu(FWindow, nullptr);
}

void TMainMenu::Attach(HWND window) {
    FWindow = window;
    Changed();
}

void TMainMenu::Changed() {
    if (!FWindow)
        return;
    MenuHandle bar(::CreateMenu());
    FRoot->AppendTo(bar.get());
    ApplyStyleTo(bar.get());
    ::SetMenu(FWindow, bar.get());
    FMenuBar = std::move(bar); // the old bar is destroyed only once it is detached
    ::DrawMenuBar(FWindow);
}

TPopupMenu::TPopupMenu(TForm& form, const LayoutNode& node) : TMenu(form, node) {}

void TPopupMenu::Popup(TControl& owner, int x, int y) {
    Popup(owner.Form().Handle(), x, y);
}

void TPopupMenu::Popup(HWND owner, int x, int y) {
    MenuHandle menu(::CreatePopupMenu());
    FRoot->AppendTo(menu.get());
    ApplyStyleTo(menu.get());
    // The owner must be the foreground window, or the menu does not close
    // when the user clicks elsewhere (notably for the tray icon's menu).
    ::SetForegroundWindow(owner);
    const UINT command =
        ::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr);
    ::PostMessageW(owner, WM_NULL, 0, 0);
    if (auto* item = Application->FindCommand(WORD(command)))
        item->Click();
}

} // namespace skorvel
