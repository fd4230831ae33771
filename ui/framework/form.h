#pragma once
// A top-level window built from a layout resource. The derived class
// publishes its event handlers by name, then calls Build(): the layout's
// controls, menus and timers are created and their events bound to the
// published handlers; an unknown handler name is an error.
#include "ui/framework/controls.h"
#include "ui/framework/image24.h"

#include <functional>
#include <map>
#include <memory>
#include <tuple>
#include <string>
#include <variant>
#include <vector>

namespace skorvel {

class TMainMenu;

// Where a form first appears: where the system puts it, or centred on the
// screen's work area or over the main form.
enum class TPosition { poDefault, poScreenCenter, poMainFormCenter };

struct TFontSpec {
    std::wstring Face;
    int Height = 0; // character height in pixels
    bool Bold = false;
    BYTE CharSet = DEFAULT_CHARSET;
    bool operator<(const TFontSpec& o) const {
        return std::tie(Face, Height, Bold, CharSet) <
               std::tie(o.Face, o.Height, o.Bold, o.CharSet);
    }
};

class TForm : public TControl {
public:
    // Loads the layout resource (type LAYOUT) of the given name.
    explicit TForm(const wchar_t* layoutName);
    // Takes a layout given as text, for tests.
    TForm(const std::string& layoutText, const std::wstring& source);
    ~TForm() override;

    // Creates the window, the components and the controls, binds every event
    // and raises OnCreate.
    void Build();
    // Destroys the window while the whole form still exists (OnDestroy runs).
    void Destroy();

    void Show();
    void Hide();
    void Close();
    // Starts the system's interactive move of the window, as if its title
    // bar were dragged: the mouse capture is released first.
    void StartDrag();
    // Shows the form modally over the other windows of the program and returns
    // when it is closed.
    void ShowModal();
    // Sets the height of the whole window, frame and menu bar included, by
    // setting its client height from the real frame size.
    void SetClientHeight(int height);
    void SetClientSize(int width, int height);
    int FrameHeight() const;

    // Keyboard focus, kept as a dialog keeps it: the form remembers the
    // control that had the focus when the form was deactivated and gives it
    // back when the form is activated again; a control that cannot take it
    // any more passes it to the next enabled control in the tab order.
    // FocusFirstControl makes the next activation start at the beginning of
    // the tab order, as a dialog does when it opens.
    void FocusFirstControl();
    // Gives the focus to the next enabled control in the tab order after
    // the given one, or to the form itself when there is no other.
    void FocusNextControl(HWND from);

    HFONT DefaultFont() const { return FDefaultFont; }
    HFONT Font(const TFontSpec& description);

    // A control or component of the layout by name, of the expected class.
    template <typename T> T& FindComponent(const std::wstring& name) const {
        if (T* found = Lookup<T>(name))
            return *found;
        throw ELayoutError(L"layout " + FSource + L" has no " + name + L" of the expected kind");
    }
    // The one that a node's property names; a layout error at its line when
    // there is none of the expected class.
    template <typename T> T& FindComponent(const LayoutNode& node, const std::wstring& key) const {
        const std::wstring name = node.Text(key);
        if (T* found = Lookup<T>(name))
            return *found;
        node.FailAt(key, L"no " + name + L" of the expected kind in the layout");
    }
    void AddComponent(TObject& component);
    void AddControl(std::unique_ptr<TControl> control);
    TMainMenu* Menu() const { return FMenu.get(); }

    // Handlers are looked up by their published names.
    TNotifyEvent NotifyHandler(const std::wstring& name) const;
    TMouseEvent MouseHandler(const std::wstring& name) const;
    // The handler named by a node's property, or an empty handler when the
    // property is absent.
    TNotifyEvent BindNotify(const LayoutNode& node, const std::wstring& key) const;
    TMouseEvent BindMouse(const LayoutNode& node, const std::wstring& key) const;

    // Finds the form whose window is, or contains, the given window.
    static TForm* FromWindow(HWND window);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    template <typename F> void Publish(const std::wstring& name, void (F::*method)(TObject&)) {
        F* self = static_cast<F*>(this);
        FHandlers[name] = TNotifyEvent([self, method](TObject& s) { (self->*method)(s); });
    }
    template <typename F>
    void Publish(const std::wstring& name,
                 void (F::*method)(TObject&, TMouseButton, TShiftState, int, int)) {
        F* self = static_cast<F*>(this);
        FHandlers[name] =
            TMouseEvent([self, method](TObject& s, TMouseButton b, TShiftState sh, int x, int y) {
                (self->*method)(s, b, sh, x, y);
            });
    }
    // Messages the derived form wants to see before the framework handles
    // them; true (with result set) when the message is handled.
    virtual bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        (void)message, (void)wParam, (void)lParam, (void)result;
        return false;
    }

    TNotifyEvent OnCreate, OnShow, OnDestroy;
    TMouseEvent OnMouseDown; // on the window's own background

private:
    TForm(std::unique_ptr<LayoutNode> layout, std::wstring source);
    template <typename T> T* Lookup(const std::wstring& name) const {
        auto it = FComponents.find(name);
        return it == FComponents.end() ? nullptr : dynamic_cast<T*>(it->second);
    }
    // The handler published under name, or nullptr with the reason in why.
    template <typename Event>
    const Event* FindHandler(const std::wstring& name, const wchar_t* kind,
                             std::wstring& why) const;
    template <typename Event> Event Handler(const std::wstring& name, const wchar_t* kind) const;
    template <typename Event>
    Event Bind(const LayoutNode& node, const std::wstring& key, const wchar_t* kind) const;
    void CreateWindowFromLayout();
    void CreateComponents();
    void ShowFirstTime();
    void PaintBackground(HDC dc);
    void RestoreFocus();
    bool HandleActivate(WPARAM wParam);
    void HandleClose();
    void RaiseMouseDown(UINT message, WPARAM wParam, LPARAM lParam);

    std::unique_ptr<LayoutNode> FLayout;
    std::wstring FSource;
    std::map<std::wstring, std::variant<TNotifyEvent, TMouseEvent>> FHandlers;
    std::map<std::wstring, TObject*> FComponents;
    std::vector<std::unique_ptr<TControl>> FControls;
    std::vector<std::unique_ptr<TObject>> FOwned; // menus, timers
    std::unique_ptr<TMainMenu> FMenu;
    std::map<TFontSpec, GdiObject> FFonts;
    HFONT FDefaultFont = nullptr;
    int FClientWidth = 0, FClientHeight = 0;
    TPosition FPosition = TPosition::poDefault;
    TColor FColor = kSystemColor | COLOR_BTNFACE;
    bool FShownBefore = false;
    bool FModal = false;
    bool FModalDone = false;
    // The window to give the focus back to on activation: a control, the
    // form itself for the start of the tab order, or none (the system's own
    // handling then focuses the form).
    HWND FFocus = nullptr;
};

} // namespace skorvel
