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
#include <atomic>
#include <thread>

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

    // Real input, queued through the system as the mouse and the keyboard
    // queue it: it waits behind whatever the test is doing until the test
    // handles its messages, and the system decides then which window gets it.
    static void QueueClick(const TControl& control) {
        RECT r;
        ::GetWindowRect(control.Handle(), &r);
        ::SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        INPUT input[2] = {};
        input[0].type = input[1].type = INPUT_MOUSE;
        input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        ::SendInput(2, input, sizeof(INPUT));
    }
    // Each key pressed and released in turn; a modifier, when given, is held
    // around them.
    static void QueueKeys(std::initializer_list<WORD> keys, WORD modifier = 0) {
        std::vector<INPUT> input;
        const auto key = [&](WORD code, bool up) {
            INPUT one = {};
            one.type = INPUT_KEYBOARD;
            one.ki.wVk = code;
            one.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
            input.push_back(one);
        };
        if (modifier)
            key(modifier, false);
        for (WORD code : keys) {
            key(code, false);
            key(code, true);
        }
        if (modifier)
            key(modifier, true);
        ::SendInput(UINT(input.size()), input.data(), sizeof(INPUT));
    }
    // Handles messages until the queued input has arrived and been handled.
    static void Settle() {
        for (int round = 0; round < 20; ++round) {
            app->ProcessMessages();
            ::Sleep(10);
        }
    }

    static bool TemporaryFilesLeft() { return TemporaryFilesIn(folder->Path()); }
    static bool TemporaryFilesIn(const std::wstring& path) {
        WIN32_FIND_DATAW entry;
        const HANDLE search = ::FindFirstFileW((path + L"*.tmp").c_str(), &entry);
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

// The four controls that follow the mode are set by the handler that changes
// the mode, not only by the next tick: a click waiting in the queue behind
// "Anuluj", or behind the showing of an editor closed while editing, must
// meet a disabled "Zapisz", or it would write an empty list over the file (or
// a file named ".txt").
TEST_F(FilterEditor, AClickQueuedBehindAModeChangeMeetsTheNewMode) {
    const std::string bytes = "b.exe\r\na.exe\r\n";
    Write(L"komunikatory", bytes);
    Load(L"Komunikatory");
    QueueClick(*editor->AnulujBtn);
    QueueClick(*editor->ZapiszBtn);
    Settle();
    EXPECT_TRUE(Entries().empty());
    EXPECT_EQ(Flags(), kChoosing);
    EXPECT_EQ(Read(L"komunikatory"), bytes);

    Load(L"Komunikatory");
    editor->Hide();
    editor->Show();
    QueueClick(*editor->ZapiszBtn);
    Settle();
    EXPECT_EQ(Flags(), kChoosing);
    EXPECT_EQ(Read(L""), "<missing>") << "an empty list was saved as .txt";
    EXPECT_EQ(Read(L"komunikatory"), bytes);
    EXPECT_TRUE(errors.Codes.empty());
}

// Disabling the control that has the focus hands the focus to the next
// enabled control of the tab order, showing the editor starts at the first,
// and activating it again gives the focus back: keys typed after each mode
// change reach a control.
TEST_F(FilterEditor, TheKeyboardKeepsWorkingAcrossEveryModeChange) {
    Write(L"komunikatory", "b.exe\r\na.exe\r\n");
    auto& list = *editor->FiltryList;
    const auto focus = [] {
        const HWND focused = ::GetFocus();
        for (TControl* c : std::initializer_list<TControl*>{editor->FiltryList,
                                                            editor->KategorieList, editor->WpisEdt})
            if (c->Handle() == focused)
                return WideToUtf8(c->Name());
        return std::string(focused == editor->Handle() ? "the form" : "nothing");
    };
    EXPECT_EQ(focus(), "FiltryList") << "no focus when shown";
    QueueKeys({VK_TAB});
    Settle();
    ASSERT_EQ(focus(), "KategorieList");

    // Load disables the drop-down that has the focus.
    Choose(L"Komunikatory");
    editor->KategorieList->SetFocus();
    Click(*editor->WczytajBtn);
    EXPECT_EQ(focus(), "FiltryList") << "after Wczytaj";
    QueueKeys({'A'}, VK_CONTROL);
    QueueKeys({VK_DELETE});
    Settle();
    EXPECT_TRUE(Entries().empty()) << "Ctrl+A and Del after Wczytaj";
    QueueKeys({VK_TAB, 'A', 'B', 'C'});
    Settle();
    EXPECT_EQ(focus(), "WpisEdt");
    EXPECT_EQ(editor->WpisEdt->Text(), L"abc");
    Click(*editor->DodajBtn);

    // Activated again after another window: the focus comes back.
    QueueKeys({'D'});
    Settle();
    ::SetForegroundWindow(host->Handle());
    Settle();
    ::SetForegroundWindow(editor->Handle());
    Settle();
    EXPECT_EQ(focus(), "WpisEdt") << "after activation";
    QueueKeys({'E'});
    Settle();
    EXPECT_EQ(editor->WpisEdt->Text(), L"de");

    // Save disables the text field that has the focus.
    Click(*editor->ZapiszBtn);
    EXPECT_EQ(focus(), "FiltryList") << "after Zapisz";
    EXPECT_EQ(Read(L"komunikatory"), "abc\r\n");
    QueueKeys({'A'}, VK_CONTROL);
    QueueKeys({VK_DELETE});
    Settle();
    EXPECT_TRUE(Entries().empty()) << "Ctrl+A and Del after Zapisz";
    QueueKeys({VK_TAB});
    Settle();
    EXPECT_EQ(focus(), "KategorieList");

    // Cancel disables the text field that has the focus.
    Load(L"Komunikatory");
    editor->WpisEdt->SetFocus();
    Click(*editor->AnulujBtn);
    EXPECT_EQ(focus(), "FiltryList") << "after Anuluj";
    const int chosen = editor->KategorieList->ItemIndex();
    QueueKeys({VK_TAB, chosen > 0 ? WORD(VK_UP) : WORD(VK_DOWN)});
    Settle();
    EXPECT_EQ(focus(), "KategorieList");
    EXPECT_NE(editor->KategorieList->ItemIndex(), chosen) << "the drop-down took no key";
    EXPECT_EQ(list.Count(), 0);
}

namespace {

// Watches for the test's own message boxes from another thread while the test
// is inside one: notes the first box's owner and whether the editor could
// still be used, clicks "Zapisz" where a user would, and closes every box.
class TErrorBoxWatch {
public:
    explicit TErrorBoxWatch(std::function<void()> whileShown)
        : FWhileShown(std::move(whileShown)), FThread([this] { Run(); }) {}
    ~TErrorBoxWatch() {
        if (FThread.joinable())
            FThread.join();
    }
    void Join() { FThread.join(); }

    HWND Owner = nullptr;
    bool OwnerEnabledWhileShown = true;
    int MostBoxes = 0; // boxes up at the same time

private:
    static std::vector<HWND> Boxes() {
        std::vector<HWND> boxes;
        ::EnumWindows(
            [](HWND window, LPARAM param) {
                DWORD process = 0;
                ::GetWindowThreadProcessId(window, &process);
                wchar_t name[16] = {};
                ::GetClassNameW(window, name, 16);
                if (process == ::GetCurrentProcessId() && std::wstring(name) == L"#32770" &&
                    ::IsWindowVisible(window))
                    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&boxes));
        return boxes;
    }
    void Run() {
        std::vector<HWND> boxes;
        for (int attempt = 0; attempt < 200 && boxes.empty(); ++attempt) {
            ::Sleep(50);
            boxes = Boxes();
        }
        if (boxes.empty())
            return;
        ::Sleep(100);
        Owner = ::GetWindow(boxes[0], GW_OWNER);
        OwnerEnabledWhileShown = ::IsWindowEnabled(Owner);
        // Out of the way of the editor's buttons.
        ::SetWindowPos(boxes[0], nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ::Sleep(100);
        FWhileShown();
        for (int quiet = 0; quiet < 10;) {
            ::Sleep(100);
            boxes = Boxes();
            MostBoxes = std::max(MostBoxes, int(boxes.size()));
            if (boxes.empty()) {
                ++quiet;
                continue;
            }
            quiet = quiet > 0 && quiet < 5 ? quiet : 5; // a little longer: another may come
            for (HWND box : boxes)
                ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
    }

    std::function<void()> FWhileShown;
    std::thread FThread;
};

} // namespace

// The error box of a failed save is modal to the editor: while it is up the
// editor takes no input, so "Zapisz" cannot be clicked again and no second
// box stacks on the first. Afterwards the focus is where it was. The box is
// the application's own (no OnException handler).
TEST_F(FilterEditor, TheErrorBoxOfAFailedSaveHoldsTheEditorItBelongsTo) {
    const std::string bytes = "a.exe\r\n";
    const std::wstring path = Write(L"antywirusy", bytes);
    Load(L"Antywirusy");
    editor->FiltryList->SetFocus();
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    const auto handler = app->OnException;
    app->OnException = nullptr;
    TErrorBoxWatch watch([] { QueueClick(*editor->ZapiszBtn); });
    Click(*editor->ZapiszBtn);
    watch.Join();
    app->OnException = handler;
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);

    EXPECT_EQ(watch.Owner, editor->Handle());
    EXPECT_FALSE(watch.OwnerEnabledWhileShown);
    EXPECT_EQ(watch.MostBoxes, 1) << "a second save ran while the box was up";
    Settle();
    EXPECT_TRUE(editor->Enabled());
    EXPECT_EQ(::GetFocus(), editor->FiltryList->Handle());
    EXPECT_EQ(Read(L"antywirusy"), bytes);
    EXPECT_FALSE(editor->WczytajBtn->Enabled()) << "a failed save stays in Editing";
}

// A list that refuses an entry raises instead of going on without it.
TEST_F(FilterEditor, AnEntryTheListRefusesIsAnErrorNotALoss) {
    auto& list = *editor->FiltryList;
    list.SetItems({L"a.exe", L"b.exe"});
    EXPECT_THROW(list.Insert(3, L"c.exe"), Exception);
    EXPECT_EQ(Entries(), (Lines{L"a.exe", L"b.exe"}));
}

namespace {

std::wstring Environment(const wchar_t* name) {
    wchar_t value[512] = {};
    const DWORD length = ::GetEnvironmentVariableW(name, value, 512);
    return length && length < 512 ? std::wstring(value, length) : std::wstring();
}

// Writes to the file until the disk refuses; the error that ended it.
DWORD FillDisk(const std::wstring& path) {
    const HANDLE file =
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return ::GetLastError();
    const std::string block(4096, 'f');
    DWORD written = 0, error = 0;
    while (::WriteFile(file, block.data(), DWORD(block.size()), &written, nullptr) &&
           written == block.size()) {
    }
    error = ::GetLastError();
    ::CloseHandle(file);
    return error;
}

// Gives back the last Bytes of the file.
void Shorten(const std::wstring& path, LONG bytes) {
    const HANDLE file =
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ::SetFilePointer(file, -bytes, nullptr, FILE_END);
    ::SetEndOfFile(file);
    ::CloseHandle(file);
}

} // namespace

// A save that runs out of disk space half way leaves the original file byte
// for byte and no temporary file, and reports the error; with space again the
// same save goes through. The disk is a real one of 64 KiB (the setup script
// mounts it as E:).
TEST_F(FilterEditor, ASaveThatRunsOutOfDiskSpaceLeavesTheOriginal) {
    const std::wstring refused = Environment(L"SKORVEL_SMALL_DISK_REFUSED");
    if (!refused.empty())
        GTEST_SKIP() << WideToUtf8(refused);
    const std::wstring drive = Environment(L"SKORVEL_SMALL_DISK");
    ASSERT_FALSE(drive.empty()) << "the setup script did not run";
    ASSERT_EQ(::GetDriveTypeW(drive.c_str()), UINT(DRIVE_FIXED));
    const std::wstring filters = drive + L"filters\\";
    ASSERT_TRUE(::CreateDirectoryW(filters.c_str(), nullptr));
    const std::string bytes = "keep.exe\r\nother.exe\r\n";
    {
        const HANDLE file = ::CreateFileW((filters + L"inne.txt").c_str(), GENERIC_WRITE, 0,
                                          nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        ::WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
        ::CloseHandle(file);
    }
    TEdytorFrm small(filters);
    small.FormShow(small);
    small.KategorieList->SetItemIndex(0);
    Click(*small.WczytajBtn);
    ASSERT_FALSE(small.WczytajBtn->Enabled());
    for (wchar_t letter = L'a'; letter < L'k'; ++letter) {
        small.WpisEdt->SetText(std::wstring(1500, letter) + L".exe");
        Click(*small.DodajBtn);
    }
    const Lines shown = small.FiltryList->Items();

    // About 15 KiB to write, 8 KiB free.
    const std::wstring filler = drive + L"filler";
    const DWORD full = FillDisk(filler);
    ASSERT_EQ(full, DWORD(ERROR_DISK_FULL));
    Shorten(filler, 8192);
    Click(*small.ZapiszBtn);
    EXPECT_EQ(errors.Codes, std::vector<uint32_t>{ERROR_DISK_FULL});
    EXPECT_TRUE(TTempFolder::Read(filters + L"inne.txt") == bytes)
        << "the original must stay byte for byte";
    EXPECT_FALSE(TemporaryFilesIn(filters));
    EXPECT_FALSE(small.WczytajBtn->Enabled()) << "a failed save stays in Editing";
    EXPECT_EQ(small.FiltryList->Items(), shown);

    ASSERT_TRUE(::DeleteFileW(filler.c_str()));
    Click(*small.ZapiszBtn);
    EXPECT_EQ(errors.Codes.size(), 1u);
    EXPECT_EQ(ReadFilterFile(filters + L"inne.txt").Lines, shown);
    EXPECT_FALSE(TemporaryFilesIn(filters));
    EdytorFrm = editor;
}

// Del removes the selected rows in one pass; what it leaves is what the list
// box leaves when each selected row is deleted on its own, from the last to
// the first (a plain list box of the same kind beside it): the rows, their
// order, no selection, the caret and the anchor. Ctrl+Z afterwards finds
// nothing selected either.
TEST_F(FilterEditor, DelLeavesTheListAsDeletingEachSelectedRowLeavesIt) {
    const DWORD style = WS_CHILD | WS_VSCROLL | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
                        LBS_EXTENDEDSEL;
    const HWND reference = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"", style, 0, 0, 289,
                                             161, host->Handle(), nullptr, nullptr, nullptr);
    ASSERT_NE(reference, nullptr);
    ::SendMessageW(reference, LB_SETITEMHEIGHT, 0, 13);
    auto& list = *editor->FiltryList;
    const HWND shown = list.Handle();
    Lines rows;
    for (int i = 0; i < 100; ++i)
        rows.push_back(L"row" + std::to_wstring(1000 + i));
    const struct {
        const char* name;
        std::vector<std::pair<int, int>> ranges;
        int caret, anchor;
    } cases[] = {
        {"all", {{0, 99}}, 70, 10},
        {"a range in the middle", {{30, 60}}, 45, 30},
        {"before the caret", {{10, 20}}, 80, 20},
        {"scattered", {{5, 5}, {33, 36}, {90, 95}}, 33, 33},
        {"the caret's own rows", {{95, 99}}, 99, 99},
        {"one", {{0, 0}}, 0, 0},
        {"none", {}, 50, 50},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        list.SetItems(rows);
        ::SendMessageW(reference, LB_RESETCONTENT, 0, 0);
        for (const auto& row : rows)
            ::SendMessageW(reference, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
        for (const HWND box : {shown, reference}) {
            for (const auto& range : c.ranges)
                ::SendMessageW(box, LB_SELITEMRANGEEX, range.first, range.second);
            ::SendMessageW(box, LB_SETANCHORINDEX, c.anchor, 0);
            ::SendMessageW(box, LB_SETCARETINDEX, c.caret, 0);
        }
        for (int i = int(rows.size()) - 1; i >= 0; --i)
            if (::SendMessageW(reference, LB_GETSEL, i, 0) > 0)
                ::SendMessageW(reference, LB_DELETESTRING, i, 0);
        editor->UsunMenuBtnClick(list);

        Lines left;
        const int count = int(::SendMessageW(reference, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t text[32] = {};
            ::SendMessageW(reference, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            left.push_back(text);
        }
        EXPECT_EQ(Entries(), left);
        for (const UINT query : {LB_GETSELCOUNT, LB_GETCARETINDEX, LB_GETANCHORINDEX, LB_GETCURSEL})
            EXPECT_EQ(::SendMessageW(shown, query, 0, 0), ::SendMessageW(reference, query, 0, 0))
                << "query 0x" << std::hex << query;
        editor->OdznaczWszystkoMenuBtnClick(list);
        EXPECT_EQ(::SendMessageW(shown, LB_GETSELCOUNT, 0, 0), 0);
        EXPECT_EQ(Entries(), left);
    }
    ::DestroyWindow(reference);
}
