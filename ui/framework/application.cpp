#include "ui/framework/application.h"

#include "platform/hidden_window.h"
#include "platform/os_error.h"
#include "platform/window_timer.h"
#include "ui/framework/form.h"
#include "ui/framework/menus.h"
#include "ui/framework/system_command.h"

#include <algorithm>
#include <cstdlib>

namespace skorvel {

TApplication* Application = nullptr;

// A real top-level window, not a message-only one: broadcasts such as the
// shell's "TaskbarCreated" reach only top-level windows. As a tool window of
// no size it shows nothing and gets no taskbar button even when shown. Its
// hooks and the application's own handling stand behind the window's one
// exception boundary, with the application as the sender.
class TApplication::TWindow final : public THiddenWindow {
public:
    explicit TWindow(TApplication& application)
        : THiddenWindow(TKind::hkTopLevel), FApplication(application) {}

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        return FApplication.WindowProc(message, wParam, lParam);
    }
    void HandleException(UINT, WPARAM, std::exception_ptr error) noexcept override {
        FApplication.HandleException(FApplication, error);
    }

private:
    TApplication& FApplication;
};

TApplication::TApplication() : TObject(L"Application"), FTitle(DefaultApplicationTitle()) {
    Application = this;
}

TApplication::~TApplication() {
    FWindow.reset();
    FTimerWindow.reset();
    if (Application == this)
        Application = nullptr;
}

void TApplication::Initialize() {
    FCom.emplace(COINIT_APARTMENTTHREADED);
    FWindow = std::make_unique<TWindow>(*this);
    FTimerWindow = std::make_unique<TTimerWindow>(
        [this](std::exception_ptr error) { HandleException(*this, error); });
}

HWND TApplication::Handle() const {
    return FWindow ? FWindow->Handle() : nullptr;
}

LRESULT TApplication::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // A hook may remove itself (or others) while it runs: walk a copy.
    const auto hooks = FHooks;
    for (const auto& hook : hooks) {
        LRESULT result = 0;
        if (hook.second(message, wParam, lParam, result))
            return result;
    }
    if (SystemCommand(message, wParam) == SC_RESTORE) {
        Restore();
        return 0;
    }
    // The window is never seen: the keyboard focus belongs to the main form.
    if (message == WM_SETFOCUS && FMainForm && ::IsWindowVisible(FMainForm->Handle()) &&
        ::IsWindowEnabled(FMainForm->Handle())) {
        ::SetFocus(FMainForm->Handle());
        return 0;
    }
    return ::DefWindowProcW(Handle(), message, wParam, lParam);
}

int TApplication::HookMainWindow(TWindowHook hook) {
    const int id = FNextHook++;
    FHooks.emplace_back(id, std::move(hook));
    return id;
}

void TApplication::UnhookMainWindow(int id) {
    FHooks.erase(std::remove_if(FHooks.begin(), FHooks.end(),
                                [id](const auto& hook) { return hook.first == id; }),
                 FHooks.end());
}

void TApplication::Restore() {
    if (::IsIconic(Handle()))
        ::ShowWindow(Handle(), SW_RESTORE);
}

void TApplication::Run() {
    if (FMainForm && ShowMainForm)
        FMainForm->Show();
    while (!FTerminated)
        HandleMessage(true);
}

void TApplication::Terminate() {
    if (!FTerminated) {
        FTerminated = true;
        ::PostQuitMessage(0);
    }
}

void TApplication::ProcessMessages() {
    while (HandleMessage(false)) {
    }
}

bool TApplication::HandleMessage(bool wait) {
    MSG msg;
    if (wait) {
        if (::GetMessageW(&msg, nullptr, 0, 0) <= 0) {
            FTerminated = true;
            return false;
        }
    } else if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        return false;
    } else if (msg.message == WM_QUIT) {
        FTerminated = true;
        return false;
    }
    if (!IsShortCutMessage(msg) && !IsTabMessage(msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return true;
}

// A key press that is a shortcut of a menu: the focused control's popup menu
// (or that of a control containing it) first, then the form's menu bar.
bool TApplication::IsShortCutMessage(const MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN)
        return false;
    TForm* form = TForm::FromWindow(msg.hwnd);
    if (!form || !::IsWindowEnabled(form->Handle()))
        return false;
    const TShiftState shift = KeyShiftState();
    const TShortCut shortCut =
        ShortCut(uint8_t(msg.wParam), shift & ssShift, shift & ssCtrl, shift & ssAlt);
    for (HWND w = msg.hwnd; w && w != form->Handle(); w = ::GetParent(w)) {
        TControl* control = TControl::FromHandle(w);
        if (control && control->PopupMenu())
            if (TMenuItem* item = control->PopupMenu()->FindShortCut(shortCut)) {
                item->Click();
                return true;
            }
    }
    if (form->Menu())
        if (TMenuItem* item = form->Menu()->FindShortCut(shortCut)) {
            item->Click();
            return true;
        }
    return false;
}

// Tab and Shift+Tab move the focus along the form's tab order (the window
// order of its controls, which the layout's tab orders set).
bool TApplication::IsTabMessage(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB)
        return false;
    const TShiftState shift = KeyShiftState();
    TForm* form = TForm::FromWindow(msg.hwnd);
    if (!form || (shift & (ssCtrl | ssAlt)))
        return false;
    const HWND from = msg.hwnd == form->Handle() ? nullptr : msg.hwnd;
    if (HWND next = ::GetNextDlgTabItem(form->Handle(), from, (shift & ssShift) != 0))
        ::SetFocus(next);
    return true;
}

void TApplication::Halt() {
    std::exit(0);
}

void TApplication::HandleException(TObject& sender, const std::exception& e) noexcept {
    if (dynamic_cast<const EAbort*>(&e))
        return;
    try {
        if (OnException) {
            OnException(sender, e);
            return;
        }
    } catch (...) {
        // The hook itself failed: fall back to the framework's own box below.
    }
    ShowException(e);
}

void TApplication::HandleException(TObject& sender, std::exception_ptr error) noexcept {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        HandleException(sender, e);
    } catch (...) {
        HandleUnknownException(sender);
    }
}

void TApplication::HandleUnknownException(TObject& sender) noexcept {
    HandleException(sender, Exception(L"Unknown exception"));
}

void TApplication::ShowException(const std::exception& e) noexcept {
    std::wstring text = ExceptionMessage(e);
    if (!text.empty() && text.back() > L'.')
        text += L'.';
    ::MessageBoxW(MessageBoxOwner(), text.c_str(), FTitle.c_str(), MB_OK | MB_ICONERROR);
}

HWND TApplication::MessageBoxOwner() const {
    if (const HWND active = ::GetActiveWindow())
        return active;
    const HWND main = FMainForm ? FMainForm->Handle() : nullptr;
    if (!main)
        return nullptr;
    const HWND popup = ::GetLastActivePopup(main);
    return ::IsWindowVisible(popup) && ::IsWindowEnabled(popup) ? popup : main;
}

void TApplication::ApplyStyle(const wchar_t* resourceName) {
    const std::string text = LoadResourceBytes(L"VCLSTYLE", resourceName);
    if (text.empty())
        throw Exception(std::wstring(L"Style resource ") + resourceName + L" not found");
    TStyle style = ParseStyle(text);
    FControlBrush.reset(::CreateSolidBrush(style.ControlBackground));
    FFormBrush.reset(::CreateSolidBrush(style.FormBackground));
    FMenuBrush.reset(::CreateSolidBrush(style.MenuBackground));
    FStyle = std::move(style);
}

WORD TApplication::RegisterCommand(TMenuItem& item) {
    while (FCommands.count(FNextCommand) || FNextCommand < 100)
        ++FNextCommand;
    const WORD id = FNextCommand++;
    FCommands[id] = &item;
    return id;
}

void TApplication::UnregisterCommand(WORD id) {
    FCommands.erase(id);
}

TMenuItem* TApplication::FindCommand(WORD id) const {
    auto it = FCommands.find(id);
    return it == FCommands.end() ? nullptr : it->second;
}

std::string LoadResourceBytes(const wchar_t* type, const wchar_t* name) {
    const HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC resource = ::FindResourceW(module, name, type);
    if (!resource)
        return std::string();
    HGLOBAL data = ::LoadResource(module, resource);
    const void* bytes = data ? ::LockResource(data) : nullptr;
    if (!bytes)
        return std::string();
    return std::string(static_cast<const char*>(bytes), ::SizeofResource(module, resource));
}

std::wstring DefaultApplicationTitle() {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, path.data(), DWORD(path.size())));
    std::wstring title = path.substr(path.find_last_of(L"\\/") + 1);
    title = title.substr(0, title.find(L'.'));
    if (title.size() > 1)
        ::CharLowerBuffW(title.data() + 1, DWORD(title.size() - 1));
    return title;
}

} // namespace skorvel
