// The window framework and the main window, in the test's own process: the
// real layouts from the program's resources (linked into this test).
#include "core/filter_lists_win.h"
#include "tests/wine/control_presets.h"
#include "ui/controls/custom_controls.h"
#include "ui/filter_editor.h"
#include "ui/framework/application.h"
#include "ui/main_window.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>

using namespace skorvel;

namespace {

class Program : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        app = new TApplication;
        app->Initialize();
        RegisterCustomControls(app->ControlKinds());
        app->SetTitle(L"Skorvel");
        app->ApplyStyle(L"AQUALIGHTSLATE");
        main = new TMainFrm;
        app->SetMainForm(main);
        editor = new TEdytorFrm(FilterFolder());
        main->Show();
        app->ProcessMessages();
    }
    static void TearDownTestSuite() {
        delete editor;
        // FormDestroy ends the process; this suite's window is left to the system.
    }

    // Delivers a key press with the given modifiers through the message loop.
    static void PressKey(HWND target, UINT key, bool ctrl, bool alt = false) {
        BYTE state[256] = {};
        ::GetKeyboardState(state);
        state[VK_CONTROL] = ctrl ? 0x80 : 0;
        state[VK_MENU] = alt ? 0x80 : 0;
        ::SetKeyboardState(state);
        ::PostMessageW(target, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, 1);
        app->ProcessMessages();
        state[VK_CONTROL] = state[VK_MENU] = 0;
        ::SetKeyboardState(state);
    }

    static std::vector<bool> Ticks() {
        std::vector<bool> ticks;
        for (int row = 0; row < main->KategorieList->Count(); ++row)
            ticks.push_back(main->KategorieList->Checked(row));
        return ticks;
    }

    static int ClientHeight() {
        RECT r;
        ::GetClientRect(main->Handle(), &r);
        return r.bottom;
    }

    static TApplication* app;
    static TMainFrm* main;
    static TEdytorFrm* editor;
};

TApplication* Program::app = nullptr;
TMainFrm* Program::main = nullptr;
TEdytorFrm* Program::editor = nullptr;

} // namespace

TEST_F(Program, LayoutBuildsWithEveryControlInPlace) {
    ASSERT_NE(main->KategorieList, nullptr);
    EXPECT_EQ(main->KategorieList->Count(), 11);
    EXPECT_EQ(main->KategorieList->Item(10), L"Wy\x0142\x0105"
                                             L"cz efekty Aero i kompozycje");
    EXPECT_TRUE(main->StartBtn->Visible());
    EXPECT_FALSE(main->PrzywrocBtn->Visible());
    EXPECT_TRUE(main->StartMenuBtn->Visible());
    EXPECT_FALSE(main->PrzywrocMenuBtn->Visible());
    const TRect start = main->StartBtn->Bounds(), restore = main->PrzywrocBtn->Bounds();
    EXPECT_EQ(start.Left + start.Width / 2, 156);
    EXPECT_EQ(restore.Left, start.Left);
    EXPECT_EQ(restore.Top, start.Top);
    const TRect list = main->KategorieList->Bounds();
    EXPECT_EQ(list.Top + list.Height, 421); // docked to the bottom
    RECT editorClient;
    ::GetClientRect(editor->Handle(), &editorClient);
    EXPECT_EQ(editorClient.right, 313);
    EXPECT_EQ(editorClient.bottom, 352);
    EXPECT_FALSE(editor->Visible());
}

TEST_F(Program, DetailToggleCollapsesAndExpands) {
    const int frame = main->FrameHeight();
    main->WiecejBtnClick(*main->WiecejBtn);
    EXPECT_FALSE(main->KategorieList->Visible());
    EXPECT_EQ(ClientHeight(), 309);
    EXPECT_EQ(main->WiecejBtn->Caption(), L"Wi\x0119"
                                          L"cej szczeg\x00F3\x0142\x00F3w");
    main->WiecejBtnClick(*main->WiecejBtn);
    EXPECT_TRUE(main->KategorieList->Visible());
    EXPECT_EQ(ClientHeight(), 421);
    EXPECT_EQ(main->FrameHeight(), frame);
    EXPECT_EQ(main->WiecejBtn->Caption(), L"Mniej szczeg\x00F3\x0142\x00F3w");
}

TEST_F(Program, SelectAllAndNoneLeaveDisabledRowsAlone) {
    auto& list = *main->KategorieList;
    list.SetItemEnabled(10, false);
    list.SetChecked(10, false);
    main->ZaznaczWszystkoMenuBtnClick(list);
    const std::vector<bool> ticked = Ticks();
    EXPECT_EQ(std::vector<bool>(ticked.begin(), ticked.begin() + 10), std::vector<bool>(10, true));
    EXPECT_FALSE(list.Checked(10));
    list.SetChecked(10, true);
    main->OdznaczWszystkoMenuBtnClick(list);
    for (int row = 0; row < 10; ++row)
        EXPECT_FALSE(list.Checked(row));
    EXPECT_TRUE(list.Checked(10));
    list.SetItemEnabled(10, true);
}

TEST_F(Program, ContextMenuShortcutsActOnlyInTheCheckList) {
    auto& list = *main->KategorieList;
    main->OdznaczWszystkoMenuBtnClick(list);
    ::SetFocus(main->Handle());
    PressKey(main->Handle(), 'A', true);
    EXPECT_FALSE(list.Checked(0)) << "Ctrl+A acted outside the check-list";

    list.SetFocus();
    PressKey(list.Handle(), 'A', true);
    for (int row = 0; row < list.Count(); ++row)
        EXPECT_TRUE(list.Checked(row)) << row;
    PressKey(list.Handle(), 'Z', true);
    for (int row = 0; row < list.Count(); ++row)
        EXPECT_FALSE(list.Checked(row)) << row;
}

TEST_F(Program, TrayMenuFollowsTheWindowsVisibility) {
    main->TrayMenuTimerTimer(*main);
    EXPECT_TRUE(main->UkryjTrayMenuBtn->Visible());
    EXPECT_FALSE(main->PokazTrayMenuBtn->Visible());
    main->Hide();
    main->TrayMenuTimerTimer(*main);
    EXPECT_FALSE(main->UkryjTrayMenuBtn->Visible());
    EXPECT_TRUE(main->PokazTrayMenuBtn->Visible());
    main->Show();
}

TEST_F(Program, MinimiseCommandsHideTheWindowToTheTrayAndDoubleClickToggles) {
    ASSERT_NE(main->TrayIcon, nullptr);
    EXPECT_TRUE(main->TrayIcon->IconVisible());
    // The command value is masked: any minimise command hides the window.
    for (WPARAM command : {WPARAM(SC_MINIMIZE), WPARAM(SC_MINIMIZE | 2)}) {
        main->Show();
        EXPECT_EQ(::SendMessageW(main->Handle(), WM_SYSCOMMAND, command, 0), 0);
        EXPECT_FALSE(main->Visible()) << command;
        EXPECT_FALSE(::IsIconic(main->Handle())) << command;
    }
    main->TrayIconDblClick(*main->TrayIcon);
    EXPECT_TRUE(main->Visible());
    main->TrayIconDblClick(*main->TrayIcon);
    EXPECT_FALSE(main->Visible());
    EXPECT_FALSE(::IsWindowVisible(app->Handle()));
    main->PokazTrayMenuBtnClick(*main->PokazTrayMenuBtn);
    EXPECT_TRUE(main->Visible());
    main->UkryjTrayMenuBtnClick(*main->UkryjTrayMenuBtn);
    EXPECT_FALSE(main->Visible());
    main->Show();
}

// The layout carries the custom controls' settings; the control tests build
// the controls with the same settings from the presets. The two must agree.
TEST_F(Program, LayoutSettingsOfTheCustomControlsMatchThePresets) {
    for (const wchar_t* name : {L"StartBtn", L"PrzywrocBtn", L"WiecejBtn"}) {
        const TvxGlassButton& real = main->FindComponent<TvxGlassButton>(name);
        const auto expected = MakeGlassButton(*main, main->Handle(), {0, 0, 10, 10});
        ApplyGlassButtonSettings(*expected, name);
        const auto settings = [](const TvxGlassButton& b) {
            return std::vector<long long>{
                b.Color(),       b.ColorDown(),   b.ColorFocused(), b.ColorFrame(),
                b.ColorShadow(), b.FontColor(),   b.Glossy(),       b.GlossyLevel(),
                b.Gloss(),       b.LightHeight(), b.ShadowStyle(),  b.TextAlign(),
                b.AltFocus(),    b.AltRender(),   b.Flat(),         b.DropDownAlignment()};
        };
        EXPECT_EQ(settings(real), settings(*expected)) << name;
    }
    const auto settings = [](const TvxVistaPanel& p) {
        return std::vector<long long>{p.Color1(),     p.Color2(), p.Color3(), p.Color4(),
                                      p.ColorFrame(), p.Frames(), p.Style(),  p.BorderStyle()};
    };
    const std::pair<TForm*, const wchar_t*> panels[] = {
        {main, L"MainPanel"}, {editor, L"TopPanel"}, {editor, L"BottomPanel"}};
    for (const auto& [form, name] : panels) {
        const auto expected = MakeVistaPanel(*main, main->Handle(), {0, 0, 10, 10});
        ApplyVistaPanelSettings(*expected, name);
        EXPECT_EQ(settings(form->FindComponent<TvxVistaPanel>(name)), settings(*expected)) << name;
    }
}

// In a process of its own: FormDestroy ends the process. A handler run at
// exit, while the process still lives, asks the shell about the icon.
TEST_F(Program, FormDestroyTakesTheIconOutOfTheTrayBeforeTheProcessEnds) {
    EXPECT_EXIT(
        {
            static TNotifyIconDataEx record = main->TrayIcon->Data();
            const bool before =
                ::Shell_NotifyIconW(NIM_MODIFY, reinterpret_cast<PNOTIFYICONDATAW>(&record));
            std::fprintf(stderr, "in the tray: before %d", before);
            std::atexit([] {
                const bool atExit =
                    ::Shell_NotifyIconW(NIM_MODIFY, reinterpret_cast<PNOTIFYICONDATAW>(&record));
                std::fprintf(stderr, ", at exit %d\n", atExit);
            });
            main->Destroy(); // FormDestroy, which ends the process
            std::fprintf(stderr, ", still running\n");
        },
        ::testing::ExitedWithCode(0), "in the tray: before 1, at exit 0");
}

// In a process of its own: nothing that could reach the main window outlives
// it, as when a start-up that fails unwinds it.
TEST_F(Program, AFreedMainWindowLeavesNothingThatReachesIt) {
    EXPECT_EXIT(
        {
            delete main; // not through FormDestroy: the process goes on
            std::fprintf(stderr, "main form %d, exception hook %d, global %d\n",
                         app->MainForm() != nullptr, bool(app->OnException), MainFrm != nullptr);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "main form 0, exception hook 0, global 0");
}
