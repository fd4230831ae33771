#pragma once
// Menus built from a layout: a menu bar and popup menus, their items with
// captions, shortcuts, visibility and click handlers. Windows menus have no
// hidden items, so each menu keeps its own item tree and builds the system
// menu from the visible items whenever something changes.
#include "platform/handles.h"
#include "ui/framework/events.h"
#include "ui/framework/layout.h"
#include "ui/framework/shortcut.h"

#include <memory>
#include <vector>

namespace skorvel {

class TForm;
class TMenu;
class TControl;

class TMenuItem : public TObject {
public:
    // The root item of a menu holds its top-level items and has no command.
    TMenuItem(TForm& form, TMenu& menu, const LayoutNode& node, bool root = false);
    ~TMenuItem() override;

    const std::wstring& Caption() const { return FCaption; }
    void SetCaption(const std::wstring& caption);
    bool Visible() const { return FVisible; }
    void SetVisible(bool visible);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled);
    bool IsSeparator() const { return FSeparator; }
    // The item chosen when the menu's opener is double-clicked; shown in bold.
    bool Default() const { return FDefault; }
    TShortCut ShortCut() const { return FShortCut; }
    WORD Command() const { return FCommand; }
    const std::vector<std::unique_ptr<TMenuItem>>& Items() const { return FItems; }

    // Raises OnClick through the application's exception guard.
    void Click();
    TNotifyEvent OnClick;

    // Builds this item's visible children into a system menu.
    void AppendTo(HMENU menu) const;
    // The item (this or a descendant) whose shortcut this is.
    TMenuItem* FindShortCut(TShortCut shortCut);

private:
    TMenu& FMenu;
    std::wstring FCaption;
    TShortCut FShortCut = 0;
    bool FVisible = true, FEnabled = true, FSeparator = false, FDefault = false;
    WORD FCommand = 0;
    std::vector<std::unique_ptr<TMenuItem>> FItems;
};

class TMenu : public TObject {
public:
    TMenu(TForm& form, const LayoutNode& node);
    const std::vector<std::unique_ptr<TMenuItem>>& Items() const { return FRoot->Items(); }
    // The enabled, visible item with this shortcut, or nullptr.
    TMenuItem* FindShortCut(TShortCut shortCut);
    // An item has changed: rebuild what is shown.
    virtual void Changed() {}

protected:
    std::unique_ptr<TMenuItem> FRoot; // holds the top-level items
};

// The menu bar of a form.
class TMainMenu : public TMenu {
public:
    TMainMenu(TForm& form, const LayoutNode& node);
    ~TMainMenu() override;
    void Changed() override;
    // Attaches the bar to the form's window (after the window exists).
    void Attach(HWND window);

private:
    HWND FWindow = nullptr;
    MenuHandle FMenuBar;
};

// A context menu; its shortcuts act while the control that carries it, or
// a control inside that one, has the keyboard focus.
class TPopupMenu : public TMenu {
public:
    TPopupMenu(TForm& form, const LayoutNode& node);
    // Opens the menu at a screen position; the chosen item's OnClick runs.
    void Popup(TControl& owner, int x, int y);
    void Popup(HWND owner, int x, int y);
    // Whether the menu's opener opens it by itself (on a right click).
    bool AutoPopup = true;
    // The component that opened the menu last, for the items' handlers.
    TObject* PopupComponent = nullptr;
};

} // namespace skorvel
