#include "ui/filter_editor.h"

#include "core/filter_editor.h"
#include "core/filter_file_win.h"
#include "core/filter_lists_win.h"
#include "platform/paths.h"

namespace skorvel {

TEdytorFrm* EdytorFrm = nullptr;

TEdytorFrm::TEdytorFrm(std::wstring FilterFolder)
    : TForm(L"EDYTORFRM"), FFilterFolder(std::move(FilterFolder)) {
    EdytorFrm = this;
    Publish(L"FormShow", &TEdytorFrm::FormShow);
    Publish(L"WczytajBtnClick", &TEdytorFrm::WczytajBtnClick);
    Publish(L"DodajBtnClick", &TEdytorFrm::DodajBtnClick);
    Publish(L"ZapiszBtnClick", &TEdytorFrm::ZapiszBtnClick);
    Publish(L"AnulujBtnClick", &TEdytorFrm::AnulujBtnClick);
    Publish(L"ZamknijBtnClick", &TEdytorFrm::ZamknijBtnClick);
    Publish(L"UsunMenuBtnClick", &TEdytorFrm::UsunMenuBtnClick);
    Publish(L"ZaznaczWszystkoMenuBtnClick", &TEdytorFrm::ZaznaczWszystkoMenuBtnClick);
    Publish(L"OdznaczWszystkoMenuBtnClick", &TEdytorFrm::OdznaczWszystkoMenuBtnClick);
    Publish(L"ButtonsTimerTimer", &TEdytorFrm::ButtonsTimerTimer);
    Publish(L"BottomPanelMouseDown", &TEdytorFrm::BottomPanelMouseDown);
    Build();
    KategorieList = &FindComponent<TComboBox>(L"KategorieList");
    WczytajBtn = &FindComponent<TSpeedButton>(L"WczytajBtn");
    FiltryList = &FindComponent<TListBox>(L"FiltryList");
    WpisEdt = &FindComponent<TEdit>(L"WpisEdt");
    DodajBtn = &FindComponent<TSpeedButton>(L"DodajBtn");
    ZamknijBtn = &FindComponent<TSpeedButton>(L"ZamknijBtn");
    AnulujBtn = &FindComponent<TSpeedButton>(L"AnulujBtn");
    ZapiszBtn = &FindComponent<TSpeedButton>(L"ZapiszBtn");
}

void TEdytorFrm::SetChooserEnabled(bool enabled) {
    WczytajBtn->SetEnabled(enabled);
    KategorieList->SetEnabled(enabled);
}

std::wstring TEdytorFrm::SelectedCategoryFile() const {
    return CategoryFilePath(FFilterFolder, KategorieList->Text());
}

void TEdytorFrm::FormShow(TObject&) {
    FiltryList->Clear();
    WpisEdt->SetText(L"");
    SetChooserEnabled(true);
    std::vector<std::wstring> captions;
    ListFilterCategories(FFilterFolder, captions, L"*.txt");
    KategorieList->SetItems(captions);
}

void TEdytorFrm::WczytajBtnClick(TObject&) {
    const std::wstring path = SelectedCategoryFile();
    if (!FixedDriveFileExists(path))
        return;
    // Read first: a file that cannot be read leaves the list and the mode as they were.
    TFilterText text = ReadFilterFile(path);
    FiltryList->SetItems(SortFilterEntries(std::move(text.Lines)));
    FEncoding = text.Encoding;
    SetChooserEnabled(false);
}

void TEdytorFrm::DodajBtnClick(TObject&) {
    const std::wstring entry = WpisEdt->Text();
    FiltryList->Insert(int(FilterEntryInsertPosition(FiltryList->Items(), entry)), entry);
    WpisEdt->SetText(L"");
}

void TEdytorFrm::ZapiszBtnClick(TObject&) {
    // Written first: a save that fails leaves the editor as it was.
    WriteFilterFile(SelectedCategoryFile(), FiltryList->Items(), FEncoding);
    SetChooserEnabled(true);
    WpisEdt->SetText(L"");
}

void TEdytorFrm::AnulujBtnClick(TObject&) {
    FiltryList->Clear();
    SetChooserEnabled(true);
}

void TEdytorFrm::ZamknijBtnClick(TObject&) {
    Close();
}

void TEdytorFrm::UsunMenuBtnClick(TObject&) {
    for (int index = FiltryList->Count() - 1; index >= 0; --index)
        if (FiltryList->Selected(index))
            FiltryList->Delete(index);
}

void TEdytorFrm::ZaznaczWszystkoMenuBtnClick(TObject&) {
    FiltryList->SelectAll();
}

void TEdytorFrm::OdznaczWszystkoMenuBtnClick(TObject&) {
    for (int index = FiltryList->Count() - 1; index >= 0; --index)
        FiltryList->SetSelected(index, false);
}

// The only place that sets the four controls that follow the mode.
void TEdytorFrm::ButtonsTimerTimer(TObject&) {
    const bool editing = EditControlsEnabled(EditorModeOf(WczytajBtn->Enabled()));
    for (TControl* control :
         std::initializer_list<TControl*>{ZapiszBtn, AnulujBtn, DodajBtn, WpisEdt})
        if (control->Enabled() != editing)
            control->SetEnabled(editing);
}

void TEdytorFrm::BottomPanelMouseDown(TObject&, TMouseButton, TShiftState, int, int) {
    StartDrag();
}

} // namespace skorvel
