#pragma once
// The main window: the category check-list, the optimise/restore button, the
// detail toggle, the menus, and the core's lists, which live exactly as long
// as the window.
#include "ui/framework/form.h"
#include "ui/framework/menus.h"
#include "ui/framework/standard_controls.h"
#include "ui/framework/timer.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace skorvel {

using TStringList = std::vector<std::wstring>;

class TMainFrm : public TForm {
public:
    TMainFrm();

    // The core's lists: created by FormCreate, freed by FormDestroy.
    std::optional<TStringList> ClosedApps;
    std::array<std::optional<TStringList>, 10> CategoryFilters;

    // Published handlers.
    void FormCreate(TObject& Sender);
    void FormDestroy(TObject& Sender);
    void FormShow(TObject& Sender);
    void MainPanelMouseDown(TObject& Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void WiecejBtnClick(TObject& Sender);
    void EdytorFiltrowMenuBtnClick(TObject& Sender);
    void ZamknijMenuBtnClick(TObject& Sender);
    void StronaMenuBtnClick(TObject& Sender);
    void AboutMenuBtnClick(TObject& Sender);
    void ZaznaczWszystkoMenuBtnClick(TObject& Sender);
    void OdznaczWszystkoMenuBtnClick(TObject& Sender);
    void PrzywrocDomyslneMenuBtnClick(TObject& Sender);
    void TrayMenuTimerTimer(TObject& Sender);

    TCheckListBox* KategorieList = nullptr;
    TControl* StartBtn = nullptr;
    TControl* PrzywrocBtn = nullptr;
    TControl* WiecejBtn = nullptr;
    TMenuItem* StartMenuBtn = nullptr;
    TMenuItem* PrzywrocMenuBtn = nullptr;
    TMenuItem* PokazTrayMenuBtn = nullptr;
    TMenuItem* UkryjTrayMenuBtn = nullptr;

private:
    void SetAllTicks(bool checked);
    // Starts the window's interactive move, as if its title bar were dragged.
    void StartDrag();
};

extern TMainFrm* MainFrm;

} // namespace skorvel
