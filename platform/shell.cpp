#include "platform/shell.h"

#include <exdisp.h>
#include <servprov.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shobjidl.h>

namespace skorvel {

namespace {

class TVariant {
public:
    TVariant() noexcept { ::VariantInit(&FValue); }
    explicit TVariant(const std::wstring& text) : TVariant() {
        FValue.vt = VT_BSTR;
        FValue.bstrVal = ::SysAllocStringLen(text.data(), UINT(text.size()));
    }
    explicit TVariant(long number) : TVariant() {
        FValue.vt = VT_I4;
        FValue.lVal = number;
    }
    TVariant(const TVariant&) = delete;
    TVariant& operator=(const TVariant&) = delete;
    ~TVariant() { ::VariantClear(&FValue); }
    VARIANT& get() noexcept { return FValue; }

private:
    VARIANT FValue;
};

ComPtr<IShellDispatch2> DesktopDispatch() {
    ComPtr<IShellWindows> shellWindows;
    if (FAILED(::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, __uuidof(IShellWindows),
                                  shellWindows.put_void())))
        return {};
    TVariant location, root;
    long window = 0;
    ComPtr<IDispatch> desktop;
    // S_FALSE with no object when there is no desktop window.
    if (shellWindows->FindWindowSW(&location.get(), &root.get(), SWC_DESKTOP, &window,
                                   SWFO_NEEDDISPATCH, desktop.put()) != S_OK ||
        !desktop)
        return {};
    ComPtr<IServiceProvider> provider;
    ComPtr<IShellBrowser> browser;
    ComPtr<IShellView> view;
    ComPtr<IDispatch> background;
    ComPtr<IShellFolderViewDual> folderView;
    ComPtr<IDispatch> application;
    ComPtr<IShellDispatch2> shell;
    if (FAILED(desktop.As(provider)) ||
        FAILED(provider->QueryService(SID_STopLevelBrowser, __uuidof(IShellBrowser),
                                      browser.put_void())) ||
        FAILED(browser->QueryActiveShellView(view.put())) || !view ||
        FAILED(view->GetItemObject(SVGIO_BACKGROUND, __uuidof(IDispatch), background.put_void())) ||
        FAILED(background.As(folderView)) ||
        FAILED(folderView->get_Application(application.put())) || !application ||
        FAILED(application.As(shell)))
        return {};
    return shell;
}

} // namespace

TDesktopShellDispatch::TDesktopShellDispatch() noexcept = default;
TDesktopShellDispatch::TDesktopShellDispatch(TDesktopShellDispatch&&) noexcept = default;
TDesktopShellDispatch& TDesktopShellDispatch::operator=(TDesktopShellDispatch&&) noexcept = default;
TDesktopShellDispatch::~TDesktopShellDispatch() = default;

TDesktopShellDispatch TDesktopShellDispatch::Fetch() {
    TDesktopShellDispatch dispatch;
    dispatch.FShell = DesktopDispatch();
    return dispatch;
}

bool TDesktopShellDispatch::Open(const std::wstring& Path) const {
    if (!FShell)
        return false;
    TVariant file(Path), parameters, directory, operation(std::wstring(L"open")),
        show(long(SW_SHOWNORMAL));
    return SUCCEEDED(FShell->ShellExecute(file.get().bstrVal, parameters.get(), directory.get(),
                                          operation.get(), show.get()));
}

void ShellOpen(HWND Owner, const std::wstring& Path) {
    ::ShellExecuteW(Owner, L"open", Path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace skorvel
