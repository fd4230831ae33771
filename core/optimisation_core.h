#pragma once
// The optimisation core: the state the main window keeps for it (ClosedApps
// and the ten CategoryFilters) and the runs behind its handlers.
//
// The main window (TMainFrm) implements IMainView and owns one
// TOptimisationCore, created in FormCreate with the real services
// (TWinOptimisationCore in optimisation_core_win.h builds them). Its handlers
// only forward:
//   StartBtnClick            -> StartBtnClick()
//   PrzywrocBtnClick         -> PrzywrocBtnClick()
//   FormShow, "Przywróć domyślne" -> SetCheckboxesToDefault()
// Exceptions that leave these calls are meant for the application-wide
// handler (TWinCrashLog in crash_log_win.h).
#include "core/filter_lists.h"
#include "core/main_view.h"
#include "core/optimisation.h"
#include "core/restore.h"
#include "core/theme_switch.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace skorvel {

extern const wchar_t* const kConfirmationText;
extern const wchar_t* const kConfirmationCaption;
extern const wchar_t* const kNoCategoryText;
extern const wchar_t* const kApplicationTitle;

// The system behind the runs. Everything referenced must outlive the core.
struct TCoreServices {
    IProcessList& Processes;
    IWmiConnector& Wmi; // the executable paths, with the process list
    IFilterFiles& FilterFiles;
    std::wstring FilterFolder; // program folder + "filters\skorvel\"
    IServiceManagerFactory& ServiceManagers;
    IShellLauncher& Launcher;
    TTextComparison Compare;              // the restore's ordering
    std::function<TWindowsType()> OSKind; // GetWindowsTypeEx's OSKind
    uint32_t OwnProcessID;                // never terminated
};

class TOptimisationCore {
public:
    TOptimisationCore(IMainView& View, TCoreServices Services);

    // The optimise run: confirmation, filters reloaded, the processes of the
    // ticked categories closed with their paths recorded, the effects
    // switched off when row 10 is ticked, restore mode.
    void StartBtnClick();
    // The restore run: the recorded paths sorted, de-duplicated and launched,
    // the effects switched on, optimise mode, default ticks. A request while
    // a restore is in progress (messages are processed between launches) is
    // ignored.
    void PrzywrocBtnClick();
    void ThemeSwitch(bool Stop);
    void SetCheckboxesToDefault();
    bool AnyCategoryChecked() const;
    void LoadFilterLists();

    const std::vector<std::wstring>& ClosedApps() const { return FClosedApps; }
    const TCategoryFilters& CategoryFilters() const { return FCategoryFilters; }

private:
    void CloseTickedCategories();
    void CloseTickedApplications();
    void EnterRestoreMode();
    void EnterOptimiseMode();
    void Restore();
    void LaunchClosedApps();

    IMainView& FView;
    TCoreServices FServices;
    std::vector<std::wstring> FClosedApps;
    TCategoryFilters FCategoryFilters;
    bool FRestoring = false;
};

} // namespace skorvel
