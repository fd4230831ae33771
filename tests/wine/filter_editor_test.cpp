// The filter editor's handlers in the test's own process, over a real
// temporary filter folder, with the real layout from the program's resources.
// The test runs twice: with the default code page 1252 and under Polish
// regional settings with 1250 (the rows that depend on it say which). The
// setup script beside it gives the prefix an optical drive D:.
#include "core/filter_editor.h"
#include "core/filter_file_win.h"
#include "platform/os_error.h"
#include "platform/text.h"
#include "ui/controls/custom_controls.h"
#include "ui/filter_editor.h"
#include "ui/framework/application.h"

#include "core_temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace skorvel;
using namespace skorvel::testing;

namespace {

using Lines = std::vector<std::wstring>;

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

const std::string kHostLayout = "form Host\n"
                                "    caption: host\n"
                                "    client-size: 400 400\n"
                                "    position: screen-center\n";

class FilterEditor : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        app = new TApplication;
        app->Initialize();
        RegisterCustomControls(app->ControlKinds());
        app->ApplyStyle(L"AQUALIGHTSLATE");
        app->OnException = [](TObject&, const std::exception& e) { errors.Add(e); };
        host = new TForm(kHostLayout, L"host");
        host->Build();
        app->SetMainForm(host);
        folder = new TTempFolder;
        editor = new TEdytorFrm(folder->Path());
        host->Show();
    }
    static void TearDownTestSuite() {
        delete editor;
        delete host;
        delete folder;
        delete app;
    }

    void SetUp() override {
        errors.clear();
        editor->Show();
        app->ProcessMessages();
    }
    void TearDown() override { editor->Hide(); }

    // The error codes of the exceptions that reached the application-wide
    // handler (0 for anything but EOSError).
    struct Errors {
        std::vector<uint32_t> Codes;
        void Add(const std::exception& e) {
            auto* os = dynamic_cast<const EOSError*>(&e);
            Codes.push_back(os ? os->ErrorCode() : 0);
        }
        void clear() { Codes.clear(); }
    };
    static Errors errors;

    static std::wstring Write(const std::wstring& stem, const std::string& bytes) {
        return folder->Write(stem + L".txt", bytes);
    }
    static std::string Read(const std::wstring& stem) {
        return TTempFolder::Read(folder->Path() + stem + L".txt");
    }

    // Refills the drop-down as a showing does, then picks the caption.
    static void Choose(const std::wstring& caption) {
        editor->FormShow(*editor);
        auto& list = *editor->KategorieList;
        for (int i = 0; i < list.Count(); ++i)
            if (list.Item(i) == caption)
                return list.SetItemIndex(i);
        FAIL() << "no category " << WideToUtf8(caption);
    }

    // A press and a release of the left mouse button inside the button.
    static void Click(TSpeedButton& button) {
        ASSERT_TRUE(button.Enabled()) << WideToUtf8(button.Name()) << " is disabled";
        ::SendMessageW(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        ::SendMessageW(button.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }

    static void Tick() { editor->ButtonsTimerTimer(*editor); }

    static void Load(const std::wstring& caption) {
        Choose(caption);
        Click(*editor->WczytajBtn);
        Tick();
    }

    static void Add(const std::wstring& text) {
        editor->WpisEdt->SetText(text);
        Click(*editor->DodajBtn);
    }

    // The enabled flags of: WczytajBtn, KategorieList, ZapiszBtn, AnulujBtn,
    // DodajBtn, WpisEdt.
    static std::string Flags() {
        std::string flags;
        for (TControl* c : std::initializer_list<TControl*>{
                 editor->WczytajBtn, editor->KategorieList, editor->ZapiszBtn, editor->AnulujBtn,
                 editor->DodajBtn, editor->WpisEdt})
            flags += c->Enabled() ? '1' : '0';
        return flags;
    }
    static constexpr const char* kChoosing = "110000";
    static constexpr const char* kEditing = "001111";

    static Lines Entries() { return editor->FiltryList->Items(); }

    static void PressKey(HWND target, UINT key, bool ctrl) {
        BYTE state[256] = {};
        ::GetKeyboardState(state);
        state[VK_CONTROL] = ctrl ? 0x80 : 0;
        ::SetKeyboardState(state);
        ::PostMessageW(target, WM_KEYDOWN, key, 1);
        app->ProcessMessages();
        state[VK_CONTROL] = 0;
        ::SetKeyboardState(state);
    }

    static bool TemporaryFilesLeft() {
        WIN32_FIND_DATAW entry;
        const HANDLE search = ::FindFirstFileW((folder->Path() + L"*.tmp").c_str(), &entry);
        if (search == INVALID_HANDLE_VALUE)
            return false;
        ::FindClose(search);
        return true;
    }

    static TApplication* app;
    static TForm* host;
    static TTempFolder* folder;
    static TEdytorFrm* editor;
};

TApplication* FilterEditor::app = nullptr;
TForm* FilterEditor::host = nullptr;
TTempFolder* FilterEditor::folder = nullptr;
TEdytorFrm* FilterEditor::editor = nullptr;
FilterEditor::Errors FilterEditor::errors;

} // namespace

TEST_F(FilterEditor, ShowingListsEveryTxtFileInFolderOrderWithNothingSelected) {
    Write(L"antywirusy", "a.exe\r\n");
    Write(L"nowe", "");
    folder->Write(L"INNE.TXT", "x.exe\r\n");
    folder->Write(L"notatki.md", "");
    Load(L"Antywirusy");
    editor->WpisEdt->SetText(L"typed");
    editor->FormShow(*editor);

    Lines expected;
    WIN32_FIND_DATAW entry;
    const HANDLE search = ::FindFirstFileW((folder->Path() + L"*.txt").c_str(), &entry);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
        std::wstring name = entry.cFileName;
        if (name == L"antywirusy.txt")
            name = L"Antywirusy";
        else if (name.size() > 4 && name.compare(name.size() - 4, 4, L".txt") == 0)
            name.resize(name.size() - 4);
        expected.push_back(name);
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);

    auto& list = *editor->KategorieList;
    Lines shown;
    for (int i = 0; i < list.Count(); ++i)
        shown.push_back(list.Item(i));
    EXPECT_EQ(shown, expected);
    EXPECT_NE(std::find(shown.begin(), shown.end(), L"INNE.TXT"), shown.end());
    EXPECT_NE(std::find(shown.begin(), shown.end(), L"nowe"), shown.end());
    EXPECT_EQ(list.ItemIndex(), -1);
    EXPECT_TRUE(Entries().empty());
    EXPECT_EQ(editor->WpisEdt->Text(), L"");
    Tick();
    EXPECT_EQ(Flags(), kChoosing);

    // "INNE.TXT" looks for INNE.TXT.txt; nothing selected looks for ".txt".
    for (const wchar_t* caption : {L"INNE.TXT", L""}) {
        if (*caption)
            Choose(caption);
        else
            editor->FormShow(*editor);
        Click(*editor->WczytajBtn);
        Tick();
        EXPECT_EQ(Flags(), kChoosing) << WideToUtf8(caption);
        EXPECT_TRUE(Entries().empty());
    }
    EXPECT_TRUE(errors.Codes.empty());
}

TEST_F(FilterEditor, LoadShowsSortedEntriesAndSaveWritesThemBackInTheEncodingRead) {
    const UINT acp = ::GetACP();
    const struct {
        const char* name;
        std::string bytes;
        UINT onlyUnder; // 0: any code page
        Lines sorted;
        TFilterEncoding encoding;
        std::string saved;
    } cases[] = {
        {"utf8",
         std::string(kUtf8Mark) + "b.exe\r\n\xC5\xBC\xC3\xB3\xC5\x82w.exe\nA.exe",
         0,
         {L"A.exe", L"b.exe", L"\u017C\u00F3\u0142w.exe"},
         TFilterEncoding::feUtf8,
         std::string(kUtf8Mark) + "A.exe\r\nb.exe\r\n\xC5\xBC\xC3\xB3\xC5\x82w.exe\r\n"},
        {"utf16le",
         std::string("\xFF\xFE"
                     "b\0\r\0a\0",
                     8),
         0,
         {L"a", L"b"},
         TFilterEncoding::feUtf16LE,
         std::string("\xFF\xFE"
                     "a\0\r\0\n\0b\0\r\0\n\0",
                     14)},
        {"utf16be",
         std::string("\xFE\xFF\0b\0\n\0a", 8),
         0,
         {L"a", L"b"},
         TFilterEncoding::feUtf16BE,
         std::string("\xFE\xFF\0a\0\r\0\n\0b\0\r\0\n", 14)},
        {"ansi1250",
         "\xBF\xF3\xB3w.exe\r\nGra.exe\r\n\r\n",
         1250,
         {L"", L"Gra.exe", L"\u017C\u00F3\u0142w.exe"},
         TFilterEncoding::feAnsi,
         "\r\nGra.exe\r\n\xBF\xF3\xB3w.exe\r\n"},
        {"ansi1252",
         "caf\xE9.exe\rBar.exe",
         1252,
         {L"Bar.exe", L"caf\u00E9.exe"},
         TFilterEncoding::feAnsi,
         "Bar.exe\r\ncaf\xE9.exe\r\n"},
    };
    for (const auto& c : cases) {
        if (c.onlyUnder && c.onlyUnder != acp)
            continue;
        SCOPED_TRACE(c.name);
        Write(L"programy_biurowe", c.bytes);
        Load(L"Programy biurowe");
        EXPECT_EQ(Entries(), c.sorted);
        EXPECT_EQ(editor->Encoding(), c.encoding);
        EXPECT_EQ(Flags(), kEditing);
        EXPECT_EQ(editor->KategorieList->Text(), L"Programy biurowe"); // kept while editing

        Click(*editor->ZapiszBtn);
        EXPECT_EQ(Read(L"programy_biurowe"), c.saved);
        EXPECT_EQ(Entries(), c.sorted); // still shown after the save
        EXPECT_TRUE(editor->WczytajBtn->Enabled());
        Tick();
        EXPECT_EQ(Flags(), kChoosing);
    }
    EXPECT_TRUE(errors.Codes.empty());
    EXPECT_FALSE(TemporaryFilesLeft());
}

TEST_F(FilterEditor, AddPutsEveryTextAtItsSortedPlaceEmptyAndDuplicatesIncluded) {
    Write(L"komunikatory", "b.exe\r\nd.exe\r\n");
    Load(L"Komunikatory");
    const struct {
        std::wstring text;
        Lines after;
    } steps[] = {
        {L"c.exe", {L"b.exe", L"c.exe", L"d.exe"}},
        {L"", {L"", L"b.exe", L"c.exe", L"d.exe"}},
        {L"C.EXE", {L"", L"b.exe", L"C.EXE", L"c.exe", L"d.exe"}},
        {L"b.exe", {L"", L"b.exe", L"b.exe", L"C.EXE", L"c.exe", L"d.exe"}},
        {L" a.exe ", {L"", L" a.exe ", L"b.exe", L"b.exe", L"C.EXE", L"c.exe", L"d.exe"}},
    };
    for (const auto& step : steps) {
        Add(step.text);
        EXPECT_EQ(Entries(), step.after) << WideToUtf8(step.text);
        EXPECT_EQ(editor->WpisEdt->Text(), L"");
    }
    Click(*editor->ZapiszBtn);
    EXPECT_EQ(Read(L"komunikatory"),
              "\r\n a.exe \r\nb.exe\r\nb.exe\r\nC.EXE\r\nc.exe\r\nd.exe\r\n");
}

TEST_F(FilterEditor, CancelEmptiesTheListLeavesTheFileAndTheTypedText) {
    const std::string bytes = "z.exe\r\ny.exe";
    Write(L"uzytkowe", bytes);
    Load(L"U\u017Cytkowe");
    Add(L"x.exe");
    editor->WpisEdt->SetText(L"typed");
    Click(*editor->AnulujBtn);
    EXPECT_TRUE(Entries().empty());
    EXPECT_EQ(Flags().substr(0, 2), "11");
    EXPECT_EQ(editor->WpisEdt->Text(), L"typed");
    Tick();
    EXPECT_EQ(Flags(), kChoosing);
    EXPECT_EQ(Read(L"uzytkowe"), bytes);
}

TEST_F(FilterEditor, ListCommandsActOnTheDisplayAndTheirKeysOnlyInTheList) {
    Write(L"pobieranie_danych", "a\r\nb\r\nc\r\nd\r\n");
    Load(L"Pobieranie danych");
    auto& list = *editor->FiltryList;
    list.SetSelected(1, true);
    list.SetSelected(3, true);
    PressKey(editor->WpisEdt->Handle(), VK_DELETE, false);
    EXPECT_EQ(Entries(), (Lines{L"a", L"b", L"c", L"d"})) << "Del acted outside the list";
    PressKey(list.Handle(), VK_DELETE, false);
    EXPECT_EQ(Entries(), (Lines{L"a", L"c"}));

    PressKey(list.Handle(), 'A', true);
    EXPECT_TRUE(list.Selected(0) && list.Selected(1));
    PressKey(list.Handle(), 'Z', true);
    EXPECT_FALSE(list.Selected(0) || list.Selected(1));

    // After a save the list still shows the entries and Del still removes them
    // from the display only.
    Click(*editor->ZapiszBtn);
    Tick();
    EXPECT_EQ(Flags(), kChoosing);
    editor->ZaznaczWszystkoMenuBtnClick(list);
    editor->UsunMenuBtnClick(list);
    EXPECT_TRUE(Entries().empty());
    EXPECT_EQ(Read(L"pobieranie_danych"), "a\r\nc\r\n");
}

// Tab runs FiltryList, KategorieList, WpisEdt, skipping what the mode
// disables; the speed buttons are never reached.
TEST_F(FilterEditor, TabFollowsTheTabOrderOverTheEnabledControls) {
    const auto tab = [](TControl& from, bool shift) {
        BYTE state[256] = {};
        ::GetKeyboardState(state);
        state[VK_SHIFT] = shift ? 0x80 : 0;
        ::SetKeyboardState(state);
        from.SetFocus();
        ::PostMessageW(from.Handle(), WM_KEYDOWN, VK_TAB, 1);
        app->ProcessMessages();
        state[VK_SHIFT] = 0;
        ::SetKeyboardState(state);
        return ::GetFocus();
    };
    editor->FormShow(*editor);
    Tick();
    EXPECT_EQ(tab(*editor->FiltryList, false), editor->KategorieList->Handle());
    EXPECT_EQ(tab(*editor->KategorieList, false), editor->FiltryList->Handle());
    EXPECT_EQ(tab(*editor->FiltryList, true), editor->KategorieList->Handle());

    Write(L"komunikatory", "a.exe\r\n");
    Load(L"Komunikatory");
    EXPECT_EQ(tab(*editor->FiltryList, false), editor->WpisEdt->Handle());
    EXPECT_EQ(tab(*editor->WpisEdt, false), editor->FiltryList->Handle());
}

TEST_F(FilterEditor, MissingFileOrOneOffAFixedDiskLoadsNothingSilently) {
    // Listed, then removed before the load.
    const std::wstring gone = Write(L"usuniety", "a.exe\r\n");
    Choose(L"usuniety");
    ASSERT_TRUE(::DeleteFileW(gone.c_str()));
    Click(*editor->WczytajBtn);
    Tick();
    EXPECT_EQ(Flags(), kChoosing);
    EXPECT_TRUE(Entries().empty());

    ASSERT_EQ(::GetDriveTypeW(L"D:\\"), UINT(DRIVE_CDROM)) << "the setup script did not run";
    ASSERT_NE(::GetFileAttributesW(L"D:\\filters\\inne.txt"), INVALID_FILE_ATTRIBUTES);
    TEdytorFrm optical(L"D:\\filters\\");
    optical.FormShow(optical);
    ASSERT_EQ(optical.KategorieList->Count(), 1);
    optical.KategorieList->SetItemIndex(0);
    EXPECT_EQ(optical.KategorieList->Text(), L"Inne");
    Click(*optical.WczytajBtn);
    EXPECT_TRUE(optical.WczytajBtn->Enabled());
    EXPECT_EQ(optical.FiltryList->Count(), 0);
    EXPECT_TRUE(errors.Codes.empty());
    EdytorFrm = editor;
}

TEST_F(FilterEditor, UnreadableFileRaisesAndLeavesChoosingWithTheListUnchanged) {
    Write(L"menedzery_plikow", "keep.exe\r\n");
    Load(L"Manad\u017Cery plik\u00F3w i kompresja");
    Click(*editor->ZapiszBtn); // Choosing, the saved entries still shown
    Write(L"odtwarzacze_multimedialne", "vlc.exe\r\n");
    Choose(L"Odtwarzacze multimedialne");
    editor->FiltryList->SetItems({L"keep.exe"});
    {
        TFileHold locked(folder->Path() + L"odtwarzacze_multimedialne.txt", GENERIC_READ, 0);
        Click(*editor->WczytajBtn);
    }
    EXPECT_EQ(errors.Codes, std::vector<uint32_t>{ERROR_SHARING_VIOLATION});
    EXPECT_EQ(Entries(), Lines{L"keep.exe"});
    Tick();
    EXPECT_EQ(Flags(), kChoosing);
}

TEST_F(FilterEditor, UnwritableFileRaisesAndLeavesEditingWithFileAndListUnchanged) {
    const std::string bytes = "b.exe\r\na.exe\r\n";
    const std::wstring path = Write(L"przegladarki_internetowe", bytes);
    Load(L"Przegl\u0105darki internetowe");
    Add(L"c.exe");
    const Lines shown = Entries();

    // Read-only: refused, not replaced.
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    Click(*editor->ZapiszBtn);
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL));
    // Held open by another program that does not let it be replaced: the new
    // content is written and flushed to the temporary file, then the rename
    // over the original fails.
    {
        TFileHold reader(path, GENERIC_READ, FILE_SHARE_READ);
        Click(*editor->ZapiszBtn);
    }
    ASSERT_EQ(errors.Codes.size(), 2u);
    EXPECT_EQ(errors.Codes[0], uint32_t(ERROR_ACCESS_DENIED));
    EXPECT_EQ(errors.Codes[1], uint32_t(ERROR_ACCESS_DENIED));
    EXPECT_EQ(Read(L"przegladarki_internetowe"), bytes) << "the original must stay byte for byte";
    EXPECT_FALSE(TemporaryFilesLeft());
    EXPECT_EQ(Entries(), shown);
    Tick();
    EXPECT_EQ(Flags(), kEditing);

    // Once the file can be written, the same save goes through.
    Click(*editor->ZapiszBtn);
    EXPECT_EQ(Read(L"przegladarki_internetowe"), "a.exe\r\nb.exe\r\nc.exe\r\n");
    EXPECT_EQ(errors.Codes.size(), 2u);
    EXPECT_FALSE(TemporaryFilesLeft());
}

TEST_F(FilterEditor, SaveIntoAMissingFolderRaisesAndCreatesNothing) {
    const std::wstring other = folder->Path() + L"gone\\";
    ASSERT_TRUE(::CreateDirectoryW(other.c_str(), nullptr));
    const std::wstring path = other + L"inne.txt";
    {
        const HANDLE file =
            ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        ::CloseHandle(file);
    }
    TEdytorFrm elsewhere(other);
    elsewhere.FormShow(elsewhere);
    elsewhere.KategorieList->SetItemIndex(0);
    Click(*elsewhere.WczytajBtn);
    ASSERT_FALSE(elsewhere.WczytajBtn->Enabled());
    ASSERT_TRUE(::DeleteFileW(path.c_str()));
    ASSERT_TRUE(::RemoveDirectoryW(other.c_str()));
    elsewhere.ButtonsTimerTimer(elsewhere);
    Click(*elsewhere.ZapiszBtn);
    ASSERT_EQ(errors.Codes.size(), 1u);
    EXPECT_NE(errors.Codes[0], 0u);
    EXPECT_FALSE(elsewhere.WczytajBtn->Enabled()) << "a failed save stays in Editing";
    EXPECT_EQ(::GetFileAttributesW(other.c_str()), INVALID_FILE_ATTRIBUTES);
    EdytorFrm = editor;
}

// A keyword the ANSI code page cannot hold would be written as "?": the list
// is saved as UTF-8 with its mark instead, and reads back exactly. A list
// that fits stays in the code page without a mark.
TEST_F(FilterEditor, KeywordOutsideTheCodePageMakesAnAnsiListUtf8) {
    const UINT acp = ::GetACP();
    ASSERT_TRUE(acp == 1250 || acp == 1252) << acp;
    const std::wstring foreign = acp == 1250 ? L"se\u00F1or.exe" : L"\u017C\u00F3\u0142w.exe";
    const std::wstring native = acp == 1250 ? L"\u017C\u00F3\u0142w.exe" : L"se\u00F1or.exe";

    Write(L"wirtualne_dyski", "daemon.exe\r\n");
    Load(L"Wirtualne dyski i montowanie nap\u0119d\u00F3w");
    ASSERT_EQ(editor->Encoding(), TFilterEncoding::feAnsi);
    Add(native);
    Click(*editor->ZapiszBtn);
    const TFilterText fits = ReadFilterFile(folder->Path() + L"wirtualne_dyski.txt");
    EXPECT_EQ(fits.Encoding, TFilterEncoding::feAnsi);
    EXPECT_EQ(fits.Lines, (Lines{L"daemon.exe", native}));

    Load(L"Wirtualne dyski i montowanie nap\u0119d\u00F3w");
    Add(foreign);
    Click(*editor->ZapiszBtn);
    const std::string bytes = Read(L"wirtualne_dyski");
    EXPECT_EQ(bytes.substr(0, 3), kUtf8Mark);
    EXPECT_EQ(bytes.find('?'), std::string::npos);
    Load(L"Wirtualne dyski i montowanie nap\u0119d\u00F3w");
    EXPECT_EQ(editor->Encoding(), TFilterEncoding::feUtf8);
    Lines expected = {L"daemon.exe", native, foreign};
    std::sort(expected.begin(), expected.end(), FilterEntryLess);
    EXPECT_EQ(Entries(), expected);
    EXPECT_TRUE(errors.Codes.empty());
}
