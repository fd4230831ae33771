#include "core/optimisation_core.h"

#include <utility>

namespace skorvel {

const wchar_t* const kConfirmationText =
    L"Program zamknie otwarte aplikacje oraz wyłączy efekty graficzne aby przyspieszyć "
    L"działanie systemu. Przed rozpoczęciem zapisz wszystkie otwarte dokumenty ponieważ mogą "
    L"one zostać utracone. Czy chcesz rozpocząć?";
const wchar_t* const kConfirmationCaption = L"Potwierdzenie";
const wchar_t* const kNoCategoryText = L"Zaznacz przynajmniej jedną kategorię.";
const wchar_t* const kApplicationTitle = L"Skorvel";

TOptimisationCore::TOptimisationCore(IMainView& View, TCoreServices Services)
    : FView(View), FServices(std::move(Services)) {}

void TOptimisationCore::StartBtnClick() {
    if (FView.ShowMessageBox(kConfirmationText, kConfirmationCaption, kMbYesNo | kMbIconQuestion) !=
        kIdYes)
        return;
    FClosedApps.clear();
    LoadFilterLists();
    if (!AnyCategoryChecked()) {
        FView.ShowMessageBox(kNoCategoryText, kApplicationTitle, kMbOk);
        return;
    }
    // From here on the window ends in restore mode whatever happens, so that
    // what was closed can always be restored.
    try {
        CloseTickedCategories();
    } catch (...) {
        EnterRestoreMode();
        throw;
    }
    EnterRestoreMode();
}

void TOptimisationCore::CloseTickedCategories() {
    CloseTickedApplications();
    if (FView.RowChecked(kEffectsRow)) {
        try {
            ThemeSwitch(true);
        } catch (...) {
            // Effects left on are no reason to withhold the restore.
        }
    }
    FServices.Processes.UpdateList();
}

void TOptimisationCore::CloseTickedApplications() {
    // The lookups of the whole run share one WMI connection, released here
    // however the loop ends.
    TExecutablePathLookup paths(FServices.Wmi, FServices.Processes);
    for (int row = 0; row < kFilterCategoryCount; ++row) {
        FServices.Processes.UpdateList();
        if (FView.RowChecked(row))
            CloseMatchingProcesses(FServices.Processes, FCategoryFilters[row], paths,
                                   FServices.OwnProcessID, FClosedApps);
    }
}

void TOptimisationCore::PrzywrocBtnClick() {
    if (FRestoring)
        return;
    FRestoring = true;
    try {
        Restore();
    } catch (...) {
        FRestoring = false;
        throw;
    }
    FRestoring = false;
}

void TOptimisationCore::Restore() {
    SortUnique(FClosedApps, FServices.Compare);
    LaunchClosedApps();
    ThemeSwitch(false);
    EnterOptimiseMode();
    SetCheckboxesToDefault();
}

void TOptimisationCore::LaunchClosedApps() {
    // The launches work from a copy: the messages processed between them run
    // other handlers, and none of them may move the loop's ground. The
    // desktop shell the launches share is released here however the loop
    // ends.
    const std::vector<std::wstring> apps = FClosedApps;
    TRestoreLaunches launches(FServices.Launcher);
    for (const auto& path : apps) {
        FView.ProcessMessages();
        launches.Launch(path);
    }
}

void TOptimisationCore::ThemeSwitch(bool Stop) {
    skorvel::ThemeSwitch(Stop, FServices.ServiceManagers);
}

void TOptimisationCore::SetCheckboxesToDefault() {
    skorvel::SetCheckboxesToDefault(FView, FServices.OSKind());
}

bool TOptimisationCore::AnyCategoryChecked() const {
    return skorvel::AnyCategoryChecked(FView);
}

void TOptimisationCore::LoadFilterLists() {
    skorvel::LoadFilterLists(FServices.FilterFolder, FServices.FilterFiles, FCategoryFilters);
}

void TOptimisationCore::EnterRestoreMode() {
    FView.SetControlVisible(TModeControl::mcStartBtn, false);
    FView.SetControlVisible(TModeControl::mcStartMenuBtn, false);
    FView.SetControlVisible(TModeControl::mcPrzywrocBtn, true);
    FView.SetControlVisible(TModeControl::mcPrzywrocMenuBtn, true);
}

void TOptimisationCore::EnterOptimiseMode() {
    FView.SetControlVisible(TModeControl::mcStartBtn, true);
    FView.SetControlVisible(TModeControl::mcStartMenuBtn, true);
    FView.SetControlVisible(TModeControl::mcPrzywrocBtn, false);
    FView.SetControlVisible(TModeControl::mcPrzywrocMenuBtn, false);
}

} // namespace skorvel
