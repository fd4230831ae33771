#include "ui/main_window.h"

#include "ui/filter_editor.h"
#include "core/categories.h"
#include "platform/shell.h"
#include "resources/version.h"
#include "ui/framework/application.h"
#include "ui/framework/system_command.h"

namespace skorvel {

TMainFrm* MainFrm = nullptr;

namespace {

constexpr wchar_t kProductPage[] = L"https://skorvel.pl/";
// The check-list takes the bottom 111 pixels when shown; collapsed, the
// client area ends above it.
constexpr int kExpandedClientHeight = 421;
constexpr int kCollapsedClientHeight = 309;

} // namespace

TMainFrm::TMainFrm()
    : TForm(L"MAINFRM"), FCrashLog([] { return Application->MessageBoxOwner(); }),
      ApplicationEvents([this](TObject& sender, const std::exception& e) {
          ApplicationEventsException(sender, e);
      }) {
    Publish(L"FormCreate", &TMainFrm::FormCreate);
    Publish(L"FormDestroy", &TMainFrm::FormDestroy);
    Publish(L"FormShow", &TMainFrm::FormShow);
    Publish(L"MainPanelMouseDown", &TMainFrm::MainPanelMouseDown);
    Publish(L"WiecejBtnClick", &TMainFrm::WiecejBtnClick);
    Publish(L"StartBtnClick", &TMainFrm::StartBtnClick);
    Publish(L"PrzywrocBtnClick", &TMainFrm::PrzywrocBtnClick);
    Publish(L"EdytorFiltrowMenuBtnClick", &TMainFrm::EdytorFiltrowMenuBtnClick);
    Publish(L"ZamknijMenuBtnClick", &TMainFrm::ZamknijMenuBtnClick);
    Publish(L"StronaMenuBtnClick", &TMainFrm::StronaMenuBtnClick);
    Publish(L"AboutMenuBtnClick", &TMainFrm::AboutMenuBtnClick);
    Publish(L"ZaznaczWszystkoMenuBtnClick", &TMainFrm::ZaznaczWszystkoMenuBtnClick);
    Publish(L"OdznaczWszystkoMenuBtnClick", &TMainFrm::OdznaczWszystkoMenuBtnClick);
    Publish(L"PrzywrocDomyslneMenuBtnClick", &TMainFrm::PrzywrocDomyslneMenuBtnClick);
    Publish(L"TrayMenuTimerTimer", &TMainFrm::TrayMenuTimerTimer);
    Publish(L"TrayIconDblClick", &TMainFrm::TrayIconDblClick);
    Publish(L"PokazTrayMenuBtnClick", &TMainFrm::PokazTrayMenuBtnClick);
    Publish(L"UkryjTrayMenuBtnClick", &TMainFrm::UkryjTrayMenuBtnClick);
    Build();
    CreateTrayIcon();
    // Reachable only once it is whole: a construction that fails leaves no
    // global behind.
    MainFrm = this;
}

TMainFrm::~TMainFrm() {
    if (MainFrm == this)
        MainFrm = nullptr;
}

// The icon enters the tray here, while the window is being created and
// before it is first shown.
void TMainFrm::CreateTrayIcon() {
    TrayIcon = std::make_unique<TCoolTrayIcon>(this);
    const int size = ::GetSystemMetrics(SM_CXSMICON);
    TrayIcon->SetIcon(HICON(
        ::LoadImageW(::GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON, size, size, LR_SHARED)));
    TrayIcon->SetIconVisible(true);
    TrayIcon->SetIconIndex(0);
    TrayIcon->SetCycleInterval(0);
    TrayIcon->SetShowHint(false);
    TrayIcon->SetMinimizeToTray(true);
    TrayIcon->SetPopupMenu(&FindComponent<TPopupMenu>(L"TrayMenu"));
    TrayIcon->OnDblClick = NotifyHandler(L"TrayIconDblClick");
    TrayIcon->Loaded();
}

void TMainFrm::FormCreate(TObject&) {
    KategorieList = &FindComponent<TCheckListBox>(L"KategorieList");
    StartBtn = &FindComponent<TControl>(L"StartBtn");
    PrzywrocBtn = &FindComponent<TControl>(L"PrzywrocBtn");
    WiecejBtn = &FindComponent<TControl>(L"WiecejBtn");
    StartMenuBtn = &FindComponent<TMenuItem>(L"StartMenuBtn");
    PrzywrocMenuBtn = &FindComponent<TMenuItem>(L"PrzywrocMenuBtn");
    PokazTrayMenuBtn = &FindComponent<TMenuItem>(L"PokazTrayMenuBtn");
    UkryjTrayMenuBtn = &FindComponent<TMenuItem>(L"UkryjTrayMenuBtn");
    for (const auto& caption : CategoryRowCaptions())
        KategorieList->AddItem(caption);

    ProcessInfo = std::make_unique<TProcessInfo>();
    Core = std::make_unique<TWinOptimisationCore>(static_cast<IMainView&>(*this), *ProcessInfo,
                                                  [this] { return Handle(); });
}

void TMainFrm::FormDestroy(TObject&) {
    Core.reset();
    ProcessInfo.reset();
    // The process ends at once: the icon must leave the tray first.
    if (TrayIcon)
        TrayIcon->SetIconVisible(false);
    Application->Halt();
}

void TMainFrm::FormShow(TObject&) {
    Core->SetCheckboxesToDefault();
}

void TMainFrm::StartBtnClick(TObject&) {
    Core->StartBtnClick();
}

void TMainFrm::PrzywrocBtnClick(TObject&) {
    Core->PrzywrocBtnClick();
}

void TMainFrm::ApplicationEventsException(TObject&, const std::exception& E) {
    FCrashLog.ApplicationEventsException(E);
}

void TMainFrm::SetControlVisible(TModeControl control, bool visible) {
    switch (control) {
    case TModeControl::mcStartBtn:
        StartBtn->SetVisible(visible);
        break;
    case TModeControl::mcStartMenuBtn:
        StartMenuBtn->SetVisible(visible);
        break;
    case TModeControl::mcPrzywrocBtn:
        PrzywrocBtn->SetVisible(visible);
        break;
    case TModeControl::mcPrzywrocMenuBtn:
        PrzywrocMenuBtn->SetVisible(visible);
        break;
    }
}

int TMainFrm::ShowMessageBox(const std::wstring& text, const std::wstring& caption,
                             unsigned flags) {
    return ::MessageBoxW(Handle(), text.c_str(), caption.c_str(), flags);
}

void TMainFrm::ProcessMessages() {
    Application->ProcessMessages();
}

void TMainFrm::MainPanelMouseDown(TObject&, TMouseButton, TShiftState, int, int) {
    StartDrag();
}

void TMainFrm::WiecejBtnClick(TObject&) {
    const bool show = !KategorieList->Visible();
    KategorieList->SetVisible(show);
    SetClientHeight(show ? kExpandedClientHeight : kCollapsedClientHeight);
    WiecejBtn->SetCaption(show ? L"Mniej szczegółów" : L"Więcej szczegółów");
}

void TMainFrm::EdytorFiltrowMenuBtnClick(TObject&) {
    EdytorFrm->ShowModal();
}

void TMainFrm::ZamknijMenuBtnClick(TObject&) {
    Close();
}

void TMainFrm::StronaMenuBtnClick(TObject&) {
    ShellOpen(Handle(), kProductPage);
}

void TMainFrm::AboutMenuBtnClick(TObject&) {
    ::MessageBoxW(Handle(), SKORVEL_ABOUT_TEXT, Application->Title().c_str(), MB_OK);
}

void TMainFrm::SetAllTicks(bool checked) {
    for (int row = 0; row < KategorieList->Count(); ++row)
        if (KategorieList->ItemEnabled(row))
            KategorieList->SetChecked(row, checked);
}

void TMainFrm::ZaznaczWszystkoMenuBtnClick(TObject&) {
    SetAllTicks(true);
}

void TMainFrm::OdznaczWszystkoMenuBtnClick(TObject&) {
    SetAllTicks(false);
}

void TMainFrm::PrzywrocDomyslneMenuBtnClick(TObject&) {
    Core->SetCheckboxesToDefault();
}

void TMainFrm::TrayMenuTimerTimer(TObject&) {
    const bool visible = Visible();
    UkryjTrayMenuBtn->SetVisible(visible);
    PokazTrayMenuBtn->SetVisible(!visible);
}

bool TMainFrm::HandleMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    // However it is asked for, minimising hides the window and its taskbar
    // button instead: the window lives on as the tray icon, never minimised.
    if (SystemCommand(message, wParam) == SC_MINIMIZE && TrayIcon) {
        TrayIcon->HideTaskbarIcon();
        Hide();
        result = 0;
        return true;
    }
    return false;
}

void TMainFrm::TrayIconDblClick(TObject&) {
    if (Visible()) {
        TrayIcon->HideTaskbarIcon();
        Hide();
    } else {
        TrayIcon->ShowTaskbarIcon();
        Show();
    }
}

void TMainFrm::PokazTrayMenuBtnClick(TObject&) {
    TrayIcon->ShowMainForm();
}

void TMainFrm::UkryjTrayMenuBtnClick(TObject&) {
    TrayIcon->HideMainForm();
}

} // namespace skorvel
