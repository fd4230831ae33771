#pragma once
// The filter editor window, created hidden at start-up and shown modally
// from the main window's menu: the user picks a category, loads its keyword
// file, adds and deletes keywords and saves the list back, or cancels.
#include "core/filter_file.h"
#include "ui/framework/edit_controls.h"
#include "ui/framework/form.h"
#include "ui/framework/speed_button.h"

#include <string>

namespace skorvel {

class TEdytorFrm : public TForm {
public:
    // FilterFolder, with a trailing backslash, holds the category files; the
    // program passes the folder beside itself. Its layout uses the custom
    // controls: the application must know their kinds first.
    explicit TEdytorFrm(std::wstring FilterFolder);
    ~TEdytorFrm() override;

    // Published handlers.
    void FormShow(TObject& Sender);
    void WczytajBtnClick(TObject& Sender);
    void DodajBtnClick(TObject& Sender);
    void ZapiszBtnClick(TObject& Sender);
    void AnulujBtnClick(TObject& Sender);
    void ZamknijBtnClick(TObject& Sender);
    void UsunMenuBtnClick(TObject& Sender);
    void ZaznaczWszystkoMenuBtnClick(TObject& Sender);
    void OdznaczWszystkoMenuBtnClick(TObject& Sender);
    void ButtonsTimerTimer(TObject& Sender);
    void BottomPanelMouseDown(TObject& Sender, TMouseButton Button, TShiftState Shift, int X,
                              int Y);

    TComboBox* KategorieList = nullptr;
    TSpeedButton* WczytajBtn = nullptr;
    TListBox* FiltryList = nullptr;
    TEdit* WpisEdt = nullptr;
    TSpeedButton* DodajBtn = nullptr;
    TSpeedButton* ZamknijBtn = nullptr;
    TSpeedButton* AnulujBtn = nullptr;
    TSpeedButton* ZapiszBtn = nullptr;

    // The encoding of the file the list was last loaded from (the ANSI code
    // page before any load); Save writes in it.
    TFilterEncoding Encoding() const { return FEncoding; }

private:
    void SetChooserEnabled(bool enabled);
    void FollowMode();
    std::wstring SelectedCategoryFile() const;

    std::wstring FFilterFolder;
    TFilterEncoding FEncoding = TFilterEncoding::feAnsi;
};

extern TEdytorFrm* EdytorFrm;

} // namespace skorvel
