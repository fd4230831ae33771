#pragma once
// The main window: the category check-list, the optimise/restore button, the
// detail toggle, the menus, and the core's lists, which live exactly as long
// as the window.
#include "core/crash_log_win.h"
#include "core/main_view.h"
#include "core/optimisation_core_win.h"
#include "platform/process_info.h"
#include "ui/framework/application_events.h"
#include "ui/framework/form.h"
#include "ui/framework/menus.h"
#include "ui/framework/standard_controls.h"
#include "ui/framework/timer.h"
#include "ui/tray_icon.h"

#include <memory>

namespace skorvel {

// The window is the core's view of the user interface: the ticks of the
// check-list, the four optimise/restore controls, message boxes it owns.
class TMainFrm : public TForm, private IMainView {
public:
    // Its layout uses the custom controls: the application must know their
    // kinds (RegisterCustomControls) first.
    TMainFrm();
    ~TMainFrm() override;

    // The process list of the optimisation run, and the core with its lists
    // (ClosedApps and the ten CategoryFilters): created by FormCreate, freed
    // by FormDestroy.
    std::unique_ptr<TProcessInfo> ProcessInfo;
    std::unique_ptr<TWinOptimisationCore> Core;
    // In the tray from the window's creation to its destruction.
    std::unique_ptr<TCoolTrayIcon> TrayIcon;

    void ThemeSwitch(bool stop) { Core->ThemeSwitch(stop); }

    // Published handlers.
    void FormCreate(TObject& Sender);
    void FormDestroy(TObject& Sender);
    void FormShow(TObject& Sender);
    void MainPanelMouseDown(TObject& Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void WiecejBtnClick(TObject& Sender);
    void StartBtnClick(TObject& Sender);
    void PrzywrocBtnClick(TObject& Sender);
    void EdytorFiltrowMenuBtnClick(TObject& Sender);
    void ZamknijMenuBtnClick(TObject& Sender);
    void StronaMenuBtnClick(TObject& Sender);
    void AboutMenuBtnClick(TObject& Sender);
    void ZaznaczWszystkoMenuBtnClick(TObject& Sender);
    void OdznaczWszystkoMenuBtnClick(TObject& Sender);
    void PrzywrocDomyslneMenuBtnClick(TObject& Sender);
    void TrayMenuTimerTimer(TObject& Sender);
    void TrayIconDblClick(TObject& Sender);
    void PokazTrayMenuBtnClick(TObject& Sender);
    void UkryjTrayMenuBtnClick(TObject& Sender);
    void ApplicationEventsException(TObject& Sender, const std::exception& E);

    TCheckListBox* KategorieList = nullptr;
    TControl* StartBtn = nullptr;
    TControl* PrzywrocBtn = nullptr;
    TControl* WiecejBtn = nullptr;
    TMenuItem* StartMenuBtn = nullptr;
    TMenuItem* PrzywrocMenuBtn = nullptr;
    TMenuItem* PokazTrayMenuBtn = nullptr;
    TMenuItem* UkryjTrayMenuBtn = nullptr;

protected:
    // The system-command handler: minimising hides the window to the tray.
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void CreateTrayIcon();

    // IMainView
    int RowCount() const override { return KategorieList->Count(); }
    bool RowChecked(int row) const override { return KategorieList->Checked(row); }
    void SetRowChecked(int row, bool checked) override { KategorieList->SetChecked(row, checked); }
    void SetRowEnabled(int row, bool enabled) override {
        KategorieList->SetItemEnabled(row, enabled);
    }
    void SetControlVisible(TModeControl control, bool visible) override;
    int ShowMessageBox(const std::wstring& text, const std::wstring& caption,
                       unsigned flags) override;
    void ProcessMessages() override;

    void SetAllTicks(bool checked);

    TWinCrashLog FCrashLog; // the application-wide exception hook's log
    // From the window's creation on, every exception escaping a handler of
    // any window of the program reaches the crash log; declared after the
    // log, so that the hook goes first.
    TApplicationEvents ApplicationEvents;
};

extern TMainFrm* MainFrm;

} // namespace skorvel
