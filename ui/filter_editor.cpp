#include "ui/filter_editor.h"

#include "core/filter_editor.h"
#include "core/filter_file_win.h"
#include "core/filter_lists_win.h"
#include "platform/paths.h"

namespace skorvel {

TEdytorFrm* EdytorFrm = nullptr;

TEdytorFrm::TEdytorFrm(std::wstring FilterFolder)
    : TForm(L"EDYTORFRM"), FFilterFolder(std::move(FilterFolder)) {
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
    // Reachable only once it is whole: a construction that fails leaves no
    // global behind.
    EdytorFrm = this;
}

TEdytorFrm::~TEdytorFrm() {
    if (EdytorFrm == this)
        EdytorFrm = nullptr;
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
    FollowMode();
    FocusFirstControl();
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
    FollowMode();
}

void TEdytorFrm::DodajBtnClick(TObject&) {
    const std::wstring entry = WpisEdt->Text();
    // The list is kept sorted: a binary search reads a few of its entries
    // instead of all of them.
    const size_t place = FilterEntryInsertPosition(
        size_t(FiltryList->Count()), [this](size_t index) { return FiltryList->Item(int(index)); },
        entry);
    FiltryList->Insert(int(place), entry);
    WpisEdt->SetText(L"");
}

void TEdytorFrm::ZapiszBtnClick(TObject&) {
    // Written first: a save that fails leaves the editor as it was.
    WriteFilterFile(SelectedCategoryFile(), FiltryList->Items(), FEncoding);
    SetChooserEnabled(true);
    WpisEdt->SetText(L"");
    FollowMode();
}

void TEdytorFrm::AnulujBtnClick(TObject&) {
    FiltryList->Clear();
    SetChooserEnabled(true);
    FollowMode();
}

void TEdytorFrm::ZamknijBtnClick(TObject&) {
    Close();
}

void TEdytorFrm::UsunMenuBtnClick(TObject&) {
    FiltryList->DeleteSelected();
}

void TEdytorFrm::ZaznaczWszystkoMenuBtnClick(TObject&) {
    FiltryList->SelectAll();
}

void TEdytorFrm::OdznaczWszystkoMenuBtnClick(TObject&) {
    for (int index = FiltryList->Count() - 1; index >= 0; --index)
        FiltryList->SetSelected(index, false);
}

void TEdytorFrm::ButtonsTimerTimer(TObject&) {
    FollowMode();
}

// The only place that sets the four controls that follow the mode. The timer
// keeps them in step, but its ticks come after queued input: every handler
// that changes the mode runs this too before it returns, so no click or key
// waiting in the queue meets the controls of the mode before.
void TEdytorFrm::FollowMode() {
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
