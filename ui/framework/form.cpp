#include "ui/framework/form.h"

#include "platform/os_error.h"
#include "ui/framework/application.h"
#include "ui/framework/drawn_control.h"
#include "ui/framework/layout_builder.h"
#include "ui/framework/menus.h"
#include "ui/framework/standard_controls.h"
#include "ui/framework/timer.h"

#include <windowsx.h>

namespace skorvel {

namespace {

std::unique_ptr<LayoutNode> LoadLayoutResource(const wchar_t* name) {
    const std::string text = LoadResourceBytes(L"LAYOUT", name);
    if (text.empty())
        throw ELayoutError(std::wstring(L"Layout ") + name + L" not found in the resources");
    return ParseLayout(text, name);
}

struct FrameStyle {
    DWORD Style, ExStyle;
};

FrameStyle FrameStyleOf(const LayoutNode& node) {
    const DWORD icons = node.ChoiceSet<DWORD>(L"border-icons", {{L"system-menu", WS_SYSMENU},
                                                                {L"minimize", WS_MINIMIZEBOX},
                                                                {L"maximize", WS_MAXIMIZEBOX}});
    const DWORD border =
        node.Choice<DWORD>(L"border", {{L"single", 0}, {L"tool", WS_EX_TOOLWINDOW}}, 0);
    return {WS_CAPTION | WS_CLIPCHILDREN | icons, border};
}

BOOL CALLBACK AddEnabledWindow(HWND window, LPARAM list) noexcept {
    try {
        if (::IsWindowVisible(window) && ::IsWindowEnabled(window))
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
    } catch (...) { // no memory: the windows found so far are disabled
        return FALSE;
    }
}

} // namespace

TForm::TForm(const wchar_t* layoutName) : TForm(LoadLayoutResource(layoutName), layoutName) {}

TForm::TForm(const std::string& layoutText, const std::wstring& source)
    : TForm(ParseLayout(layoutText, source), source) {}

TForm::TForm(std::unique_ptr<LayoutNode> layout, std::wstring source)
    : TControl(*this, nullptr, *layout), FLayout(std::move(layout)), FSource(std::move(source)) {
    if (FLayout->Kind() != L"form")
        FLayout->Fail(L"a window layout starts with a form");
}

TForm::~TForm() {
    // The derived form is gone by now: its handlers must not run any more.
    OnDestroy = nullptr;
    // Nor may the application reach it: a start-up that fails after making
    // the main form unwinds it while it is still the main form.
    if (Application && Application->MainForm() == this)
        Application->SetMainForm(nullptr);
    Destroy();
}

void TForm::Destroy() {
    FMenu.reset();
    if (FHandle)
        ::DestroyWindow(FHandle);
}

void TForm::Build() {
    const LayoutNode& node = *FLayout;
    OnCreate = BindNotify(node, L"on-create");
    OnShow = BindNotify(node, L"on-show");
    OnDestroy = BindNotify(node, L"on-destroy");
    OnMouseDown = BindMouse(node, L"on-mouse-down");
    CreateComponents();
    CreateWindowFromLayout();
    CreateChildControls(*this, this, FHandle, node);
    node.Finish();
    if (OnCreate)
        Application->Guard(*this, [&] { OnCreate(*this); });
}

void TForm::CreateComponents() {
    for (const auto& child : FLayout->Children()) {
        const std::wstring& kind = child->Kind();
        if (kind == L"menubar") {
            if (FMenu)
                child->Fail(L"a form has one menu bar");
            FMenu = std::make_unique<TMainMenu>(*this, *child);
            AddComponent(*FMenu);
        } else if (kind == L"popupmenu") {
            FOwned.push_back(std::make_unique<TPopupMenu>(*this, *child));
            AddComponent(*FOwned.back());
        } else if (kind == L"timer") {
            FOwned.push_back(std::make_unique<TTimer>(*this, *child)); // adds itself
        } else {
            continue; // a control, built with the window's controls
        }
        child->Finish();
    }
}

void TForm::CreateWindowFromLayout() {
    const LayoutNode& node = *FLayout;
    const FrameStyle frame = FrameStyleOf(node);
    const auto size = node.Ints(L"client-size");
    if (size.size() != 2)
        node.FailAt(L"client-size", L"client-size needs a width and a height");
    FClientWidth = size[0];
    FClientHeight = size[1];
    FPosition = node.Choice<TPosition>(L"position",
                                       {{L"default", TPosition::poDefault},
                                        {L"screen-center", TPosition::poScreenCenter},
                                        {L"main-form-center", TPosition::poMainFormCenter}},
                                       TPosition::poDefault);
    FColor = node.Color(L"color", kSystemColor | COLOR_BTNFACE);
    FDefaultFont =
        node.Has(L"font") ? LayoutFont(*this, node) : HFONT(::GetStockObject(DEFAULT_GUI_FONT));
    const bool isMain = Application->MainForm() == nullptr || Application->MainForm() == this;
    const HWND owner = isMain ? nullptr : Application->MainForm()->Handle();
    DWORD exStyle = frame.ExStyle | WS_EX_CONTROLPARENT;
    if (isMain && Application->MainFormOnTaskBar)
        exStyle |= WS_EX_APPWINDOW;
    CreateHandle(kFrameworkWindowClass, node.Text(L"caption"), frame.Style, exStyle, owner, node);
    if (FMenu)
        FMenu->Attach(FHandle);
    SetClientSize(FClientWidth, FClientHeight);
}

void TForm::SetClientSize(int width, int height) {
    // The menu bar's height depends on the window's width (items wrap), so
    // size the window once and correct by the frame it really got.
    for (int pass = 0; pass < 2; ++pass) {
        RECT window, client;
        ::GetWindowRect(FHandle, &window);
        ::GetClientRect(FHandle, &client);
        if (client.right == width && client.bottom == height)
            return;
        const int frameWidth = (window.right - window.left) - client.right;
        const int frameHeight = (window.bottom - window.top) - client.bottom;
        ::SetWindowPos(FHandle, nullptr, 0, 0, width + frameWidth, height + frameHeight,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void TForm::SetClientHeight(int height) {
    RECT client;
    ::GetClientRect(FHandle, &client);
    SetClientSize(client.right, height);
}

int TForm::FrameHeight() const {
    RECT window, client;
    ::GetWindowRect(FHandle, &window);
    ::GetClientRect(FHandle, &client);
    return (window.bottom - window.top) - client.bottom;
}

HFONT TForm::Font(const TFontSpec& description) {
    auto& font = FFonts[description];
    if (!font)
        font.reset(::CreateFontW(-description.Height, 0, 0, 0,
                                 description.Bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                 description.CharSet, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                 DEFAULT_QUALITY, DEFAULT_PITCH, description.Face.c_str()));
    return HFONT(font.get());
}

void TForm::AddComponent(TObject& component) {
    if (!FComponents.emplace(component.Name(), &component).second)
        throw ELayoutError(L"layout " + FSource + L" names " + component.Name() + L" twice");
}

void TForm::AddControl(std::unique_ptr<TControl> control) {
    AddComponent(*control);
    FControls.push_back(std::move(control));
}

template <typename Event>
const Event* TForm::FindHandler(const std::wstring& name, const wchar_t* kind,
                                std::wstring& why) const {
    auto it = FHandlers.find(name);
    if (it == FHandlers.end()) {
        why = L"no handler named " + name;
        return nullptr;
    }
    const Event* handler = std::get_if<Event>(&it->second);
    if (!handler)
        why = name + L" is no " + kind + L" handler";
    return handler;
}

template <typename Event>
Event TForm::Handler(const std::wstring& name, const wchar_t* kind) const {
    std::wstring why;
    if (const Event* handler = FindHandler<Event>(name, kind, why))
        return *handler;
    throw ELayoutError(L"layout " + FSource + L": " + why);
}

template <typename Event>
Event TForm::Bind(const LayoutNode& node, const std::wstring& key, const wchar_t* kind) const {
    if (!node.Has(key))
        return Event();
    std::wstring why;
    if (const Event* handler = FindHandler<Event>(node.Text(key), kind, why))
        return *handler;
    node.FailAt(key, why);
}

TNotifyEvent TForm::NotifyHandler(const std::wstring& name) const {
    return Handler<TNotifyEvent>(name, L"notification");
}

TMouseEvent TForm::MouseHandler(const std::wstring& name) const {
    return Handler<TMouseEvent>(name, L"mouse");
}

TNotifyEvent TForm::BindNotify(const LayoutNode& node, const std::wstring& key) const {
    return Bind<TNotifyEvent>(node, key, L"notification");
}

TMouseEvent TForm::BindMouse(const LayoutNode& node, const std::wstring& key) const {
    return Bind<TMouseEvent>(node, key, L"mouse");
}

TForm* TForm::FromWindow(HWND window) {
    const HWND root = ::GetAncestor(window, GA_ROOT);
    return root ? dynamic_cast<TForm*>(TControl::FromHandle(root)) : nullptr;
}

void TForm::ShowFirstTime() {
    RECT window;
    ::GetWindowRect(FHandle, &window);
    const int width = window.right - window.left, height = window.bottom - window.top;
    RECT area = {};
    if (FPosition == TPosition::poScreenCenter) {
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    } else if (FPosition == TPosition::poMainFormCenter && Application->MainForm() &&
               Application->MainForm() != this) {
        ::GetWindowRect(Application->MainForm()->Handle(), &area);
    } else {
        return;
    }
    const int left = area.left + ((area.right - area.left) - width) / 2;
    const int top = area.top + ((area.bottom - area.top) - height) / 2;
    ::SetWindowPos(FHandle, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::Show() {
    if (!std::exchange(FShownBefore, true))
        ShowFirstTime();
    ::ShowWindow(FHandle, SW_SHOW);
    ::SetForegroundWindow(FHandle);
}

void TForm::Hide() {
    ::ShowWindow(FHandle, SW_HIDE);
}

void TForm::Close() {
    ::SendMessageW(FHandle, WM_CLOSE, 0, 0);
}

void TForm::StartDrag() {
    ::ReleaseCapture();
    // SC_MOVE | HTCAPTION, straight to the window's own handling.
    ::SendMessageW(FHandle, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
}

void TForm::FocusFirstControl() {
    FFocus = FHandle;
}

void TForm::FocusNextControl(HWND from) {
    const HWND next = ::GetNextDlgTabItem(FHandle, from == FHandle ? nullptr : from, FALSE);
    ::SetFocus(next && next != from ? next : FHandle);
}

void TForm::RestoreFocus() {
    const HWND saved = FFocus;
    if (saved != FHandle && ::IsWindow(saved) && ::IsWindowVisible(saved) &&
        ::IsWindowEnabled(saved))
        ::SetFocus(saved);
    else
        FocusNextControl(::IsWindow(saved) ? saved : FHandle);
}

void TForm::ShowModal() {
    // Every other window of the program takes no input while this one is shown.
    std::vector<HWND> disabled;
    ::EnumThreadWindows(::GetCurrentThreadId(), AddEnabledWindow,
                        reinterpret_cast<LPARAM>(&disabled));
    for (HWND w : disabled)
        ::EnableWindow(w, FALSE);
    FModal = true;
    FModalDone = false;
    Show();
    while (!FModalDone && !Application->Terminated())
        Application->HandleMessage(true);
    FModal = false;
    // Re-enable before hiding, so that activation returns to the owner.
    for (HWND w : disabled)
        if (::IsWindow(w))
            ::EnableWindow(w, TRUE);
    Hide();
}

void TForm::PaintBackground(HDC dc) {
    RECT r;
    ::GetClientRect(FHandle, &r);
    HBRUSH brush = Application->FormBrush();
    GdiObject own;
    if (!brush) {
        own.reset(::CreateSolidBrush(ColorToRGB(FColor)));
        brush = HBRUSH(own.get());
    }
    ::FillRect(dc, &r, brush);
}

// Keeps the focused child when the form loses the activation and gives it
// back when the form is activated again; true when the focus was given back.
bool TForm::HandleActivate(WPARAM wParam) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        const HWND focus = ::GetFocus();
        if (focus && ::IsChild(FHandle, focus))
            FFocus = focus;
        return false;
    }
    if (!FFocus || HIWORD(wParam)) // not while minimised
        return false;
    RestoreFocus();
    return true;
}

// Closing ends a modal showing, ends the program from the main form and only
// hides any other form.
void TForm::HandleClose() {
    if (FModal)
        FModalDone = true;
    else if (Application->MainForm() == this)
        Application->Terminate();
    else
        Hide();
}

void TForm::RaiseMouseDown(UINT message, WPARAM wParam, LPARAM lParam) {
    TMouseButton button;
    MessageMouseButton(message, button);
    Raise(OnMouseDown, button, MouseShiftState(message, wParam), GET_X_LPARAM(lParam),
          GET_Y_LPARAM(lParam));
}

LRESULT TForm::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (HandleMessage(message, wParam, lParam, result))
        return result;
    switch (message) {
    case WM_ACTIVATE:
        if (HandleActivate(wParam))
            return 0;
        break;
    case WM_SHOWWINDOW:
        // Raised before the window is drawn, each time it becomes visible.
        if (wParam && lParam == 0 && OnShow)
            Application->Guard(*this, [&] { OnShow(*this); });
        break;
    case WM_CLOSE:
        HandleClose();
        return 0;
    case WM_DESTROY:
        if (OnDestroy)
            Application->Guard(*this, [&] { OnDestroy(*this); });
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
        RaiseMouseDown(message, wParam, lParam);
        return 0;
    case WM_ERASEBKGND:
        PaintBackground(reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_PAINT:
        // A child copying the form's rendering under itself hands a DC over.
        if (wParam) {
            PaintBackground(reinterpret_cast<HDC>(wParam));
            return 0;
        }
        break;
    case WM_COMMAND:
        if (lParam == 0 && HIWORD(wParam) == 0) // a menu command
            if (TMenuItem* item = Application->FindCommand(LOWORD(wParam))) {
                item->Click();
                return 0;
            }
        break;
    }
    return TControl::WindowProc(message, wParam, lParam);
}

} // namespace skorvel
