// The tray icon alone, with a small form of the test's own as its owner and
// the application's main form: the shell's callback sent to the handler
// window, the hooks, the record sent to the shell, the shared windows.
#include "tests/wine/fixture_processes.h"
#include "tests/wine/outliving_storage.h"
#include "tests/wine/test_application.h"
#include "ui/framework/application.h"
#include "ui/framework/form.h"
#include "ui/framework/menus.h"
#include "ui/tray_icon.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <sstream>

using namespace skorvel;
using skorvel::testing::Pump;

namespace {

constexpr char kLayout[] = "form TrayFrm\n"
                           "    caption: Tray\n"
                           "    client-size: 200 100\n"
                           "    border-icons: system-menu minimize\n"
                           "    popupmenu Menu\n"
                           "        item First\n"
                           "            caption: First\n"
                           "            on-click: First\n"
                           "        item Second\n"
                           "            caption: Second\n"
                           "            default: true\n"
                           "            on-click: Second\n";

std::vector<std::string> Log;

class TTrayFrm : public TForm {
public:
    TTrayFrm() : TForm(kLayout, L"test") {
        Publish(L"First", &TTrayFrm::First);
        Publish(L"Second", &TTrayFrm::Second);
        Publish(L"Spare", &TTrayFrm::Spare);
        Build();
    }
    void First(TObject&) { Log.push_back("item:First"); }
    void Second(TObject&) { Log.push_back("item:Second"); }
    void Spare(TObject&) { Log.push_back("item:Spare"); }
    TPopupMenu& Menu() { return FindComponent<TPopupMenu>(L"Menu"); }
};

// Counts the adds, to see the "TaskbarCreated" broadcast handled.
class TCountingTrayIcon : public TCoolTrayIcon {
public:
    using TCoolTrayIcon::TCoolTrayIcon;
    bool AddToTray() override {
        ++adds;
        return TCoolTrayIcon::AddToTray();
    }
    int adds = 0;
};

std::string Joined() {
    std::string out;
    for (const auto& entry : Log)
        out += (out.empty() ? "" : " ") + entry;
    return out;
}

char ButtonLetter(TMouseButton button) {
    return button == TMouseButton::mbLeft ? 'L' : button == TMouseButton::mbRight ? 'R' : 'M';
}

void Listen(TCoolTrayIcon& icon, bool withDblClick) {
    const auto note = [](const char* what) { return [what](TObject&) { Log.push_back(what); }; };
    icon.OnClick = note("click");
    icon.OnDblClick = withDblClick ? note("dblclick") : TNotifyEvent();
    icon.OnMouseEnter = note("enter");
    icon.OnMouseExit = note("exit");
    icon.OnBalloonHintShow = note("balloon-show");
    icon.OnBalloonHintHide = note("balloon-hide");
    icon.OnBalloonHintTimeout = note("balloon-timeout");
    icon.OnBalloonHintClick = note("balloon-click");
    icon.OnMouseMove = [](TObject&, TShiftState, int, int) { Log.push_back("move"); };
    icon.OnMouseDown = [](TObject&, TMouseButton b, TShiftState, int, int) {
        Log.push_back(std::string("down:") + ButtonLetter(b));
    };
    icon.OnMouseUp = [](TObject&, TMouseButton b, TShiftState, int, int) {
        Log.push_back(std::string("up:") + ButtonLetter(b));
    };
}

LRESULT Notify(TCoolTrayIcon& icon, UINT message) {
    return ::SendMessageW(icon.Handle(), WM_TRAYNOTIFY, icon.IconID(), message);
}

// Closes an open popup menu shortly after it opened, noting that it was open.
void CALLBACK CloseMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    const HWND menu = ::FindWindowW(L"#32768", nullptr);
    if (menu && ::IsWindowVisible(menu))
        Log.push_back("menu");
    ::EndMenu();
}

class TrayIcon : public ::testing::Test {
protected:
    void SetUp() override {
        TestApplication();
        Log.clear();
        form = std::make_unique<TTrayFrm>();
        TestApplication().SetMainForm(form.get());
        form->Show();
        TestApplication().ProcessMessages();
    }
    void TearDown() override {
        TestApplication().SetMainForm(nullptr);
        form.reset();
        TestApplication().ProcessMessages();
    }
    std::unique_ptr<TTrayFrm> form;
};

struct NotificationCase {
    const char* name;
    std::vector<UINT> messages;
    std::string expected;
    bool enabled = true;
    TBehavior behavior = TBehavior::bhWin95;
    bool dblClickHandler = false;
    bool menu = false;
    bool leftPopup = false;
};

} // namespace

TEST_F(TrayIcon, CallbackMessagesRaiseTheirEvents) {
    using B = TBehavior;
    const NotificationCase cases[] = {
        {"move", {WM_MOUSEMOVE}, "move"},
        {"click at the release without a double-click handler",
         {WM_LBUTTONDOWN, WM_LBUTTONUP},
         "down:L click up:L"},
        {"click held back with a double-click handler",
         {WM_LBUTTONDOWN, WM_LBUTTONUP},
         "down:L up:L",
         true,
         B::bhWin95,
         true},
        {"double-click",
         {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP},
         "down:L up:L dblclick up:L",
         true,
         B::bhWin95,
         true},
        {"double-click chooses the menu's default item",
         {WM_LBUTTONDBLCLK},
         "dblclick item:Second",
         true,
         B::bhWin95,
         true,
         true},
        {"double-click with the left popup chooses nothing",
         {WM_LBUTTONDBLCLK},
         "dblclick",
         true,
         B::bhWin95,
         true,
         true,
         true},
        {"left popup", {WM_LBUTTONDOWN}, "down:L menu", true, B::bhWin95, false, true, true},
        {"left press without left popup",
         {WM_LBUTTONDOWN},
         "down:L",
         true,
         B::bhWin95,
         false,
         true},
        {"right press opens the menu",
         {WM_RBUTTONDOWN},
         "down:R menu",
         true,
         B::bhWin95,
         false,
         true},
        {"right press opens the menu (version 3)",
         {WM_RBUTTONDOWN},
         "down:R menu",
         true,
         B::bhWin2000,
         false,
         true},
        {"right press without a menu", {WM_RBUTTONDOWN}, "down:R"},
        {"right release", {WM_RBUTTONUP}, "up:R"},
        {"right release (version 3)", {WM_RBUTTONUP}, "", true, B::bhWin2000},
        {"context menu, select, key select", {WM_CONTEXTMENU, NIN_SELECT, NIN_KEYSELECT}, ""},
        {"context menu, select, key select (version 3)",
         {WM_CONTEXTMENU, NIN_SELECT, NIN_KEYSELECT},
         "up:R up:R up:R",
         true,
         B::bhWin2000},
        {"middle button", {WM_MBUTTONDOWN, WM_MBUTTONUP}, "down:M up:M"},
        {"right and middle double-clicks", {WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK}, ""},
        {"balloons while disabled",
         {NIN_BALLOONSHOW, NIN_BALLOONHIDE, NIN_BALLOONTIMEOUT, NIN_BALLOONUSERCLICK},
         "balloon-show balloon-hide balloon-timeout balloon-click",
         false},
        {"mouse while disabled",
         {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN,
          WM_RBUTTONUP, WM_MBUTTONDOWN},
         "",
         false,
         B::bhWin95,
         true,
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TCoolTrayIcon icon(form.get());
        Listen(icon, c.dblClickHandler);
        icon.SetEnabled(c.enabled);
        icon.SetBehavior(c.behavior);
        icon.SetPopupMenu(c.menu ? &form->Menu() : nullptr);
        icon.SetLeftPopup(c.leftPopup);
        Log.clear();
        for (UINT message : c.messages) {
            ::SetTimer(nullptr, 0, 150, CloseMenu);
            Notify(icon, message);
        }
        EXPECT_EQ(Joined(), c.expected);
        if (c.menu && c.expected.find("menu") != std::string::npos) {
            EXPECT_EQ(form->Menu().PopupComponent, &icon);
        }
        TestApplication().ProcessMessages();
    }
}

TEST_F(TrayIcon, MouseEventsCarryTheCursorAndTheButton) {
    TCoolTrayIcon icon(form.get());
    ::SetCursorPos(100, 50);
    POINT cursor;
    ::GetCursorPos(&cursor);
    std::vector<std::tuple<TMouseButton, TShiftState, int, int>> seen;
    icon.OnMouseUp = [&](TObject& sender, TMouseButton b, TShiftState s, int x, int y) {
        EXPECT_EQ(&sender, &icon);
        seen.emplace_back(b, s, x, y);
    };
    Notify(icon, WM_MBUTTONUP);
    Notify(icon, WM_RBUTTONUP);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], std::make_tuple(TMouseButton::mbMiddle, TShiftState(ssMiddle), int(cursor.x),
                                       int(cursor.y)));
    EXPECT_EQ(seen[1], std::make_tuple(TMouseButton::mbRight, TShiftState(ssRight), int(cursor.x),
                                       int(cursor.y)));
}

TEST_F(TrayIcon, CallbacksForOtherIdentifiersAreIgnored) {
    TCoolTrayIcon one(form.get()), two(nullptr);
    EXPECT_NE(one.IconID(), two.IconID());
    EXPECT_EQ(one.Handle(), two.Handle());
    int clicks = 0;
    one.OnClick = [&](TObject&) { ++clicks; };
    for (WPARAM id : {WPARAM(one.IconID() + 7777), WPARAM(two.IconID()),
                      WPARAM(one.IconID()) | (WPARAM(1) << (sizeof(WPARAM) * 8 - 1))}) {
        ::SendMessageW(one.Handle(), WM_TRAYNOTIFY, id, WM_LBUTTONDOWN);
        ::SendMessageW(one.Handle(), WM_TRAYNOTIFY, id, WM_LBUTTONUP);
    }
    EXPECT_EQ(clicks, 0);
    Notify(one, WM_LBUTTONDOWN);
    Notify(one, WM_LBUTTONUP);
    EXPECT_EQ(clicks, 1);
}

TEST_F(TrayIcon, ClickWaitsForTheDoubleClickTime) {
    const UINT saved = ::GetDoubleClickTime();
    ::SetDoubleClickTime(150);
    TCoolTrayIcon icon(form.get());
    Listen(icon, true);

    Notify(icon, WM_LBUTTONDOWN);
    Notify(icon, WM_LBUTTONUP);
    EXPECT_EQ(Joined(), "down:L up:L");
    Pump(400);
    EXPECT_EQ(Joined(), "down:L up:L click");

    Log.clear();
    for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        Notify(icon, m);
    Pump(400);
    EXPECT_EQ(Joined(), "down:L up:L dblclick up:L");

    // The next single click is a click again.
    Log.clear();
    Notify(icon, WM_LBUTTONDOWN);
    Notify(icon, WM_LBUTTONUP);
    Pump(400);
    EXPECT_EQ(Joined(), "down:L up:L click");
    ::SetDoubleClickTime(saved);
}

TEST_F(TrayIcon, EnterOnTheFirstMoveAndExitWhenTheCursorLeaves) {
    TCoolTrayIcon icon(form.get());
    Listen(icon, false);
    icon.SetWantEnterExitEvents(true);
    ::SetCursorPos(40, 40);
    Notify(icon, WM_MOUSEMOVE);
    Notify(icon, WM_MOUSEMOVE);
    Pump(100);
    EXPECT_EQ(Joined(), "enter move move");
    ::SetCursorPos(300, 300);
    Pump(200);
    EXPECT_EQ(Joined(), "enter move move exit");
    Notify(icon, WM_MOUSEMOVE);
    EXPECT_EQ(Joined(), "enter move move exit enter move");
}

TEST_F(TrayIcon, MinimisedApplicationGoesToTheTrayAndRestoreBringsTheFormBack) {
    for (bool minimizeToTray : {false, true}) {
        SCOPED_TRACE(minimizeToTray);
        TCoolTrayIcon icon(form.get());
        icon.SetMinimizeToTray(minimizeToTray);
        ::SendMessageW(TestApplication().Handle(), WM_SIZE, SIZE_MINIMIZED, 0);
        EXPECT_EQ(form->Visible(), !minimizeToTray);
        EXPECT_EQ(icon.IconVisible(), minimizeToTray);
        EXPECT_EQ(icon.UpdateTray(), minimizeToTray) << "the shell has the icon";

        ::SendMessageW(TestApplication().Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
        EXPECT_TRUE(form->Visible());
        EXPECT_FALSE(::IsIconic(form->Handle()));
        EXPECT_FALSE(::IsWindowVisible(TestApplication().Handle()))
            << "the application window stays unseen";
    }
}

TEST_F(TrayIcon, TaskbarCreatedReaddsOnlyAVisibleIcon) {
    TCountingTrayIcon icon(form.get());
    icon.SetIconVisible(true);
    for (bool visible : {true, false}) {
        SCOPED_TRACE(visible);
        icon.SetIconVisible(visible);
        icon.adds = 0;
        // Lose the icon behind the component's back, as a restarted shell does.
        TNotifyIconDataEx data = icon.Data();
        ::Shell_NotifyIconW(NIM_DELETE, reinterpret_cast<PNOTIFYICONDATAW>(&data));

        STARTUPINFOW si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        std::wstring command = L"\"" + skorvel::testing::FixtureProgram(L"taskbar_created") + L"\"";
        ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                     nullptr, &si, &pi));
        ::CloseHandle(pi.hThread);
        const DWORD end = ::GetTickCount() + 10000;
        while (::MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 100, QS_ALLINPUT) !=
                   WAIT_OBJECT_0 &&
               ::GetTickCount() < end)
            TestApplication().ProcessMessages();
        DWORD code = 1;
        ::GetExitCodeProcess(pi.hProcess, &code);
        ::CloseHandle(pi.hProcess);
        EXPECT_EQ(code, 0u) << "the broadcast was delivered";
        EXPECT_EQ(icon.adds, visible ? 1 : 0);
        EXPECT_EQ(icon.UpdateTray(), visible) << "the shell has the icon again";
    }
}

TEST_F(TrayIcon, AsksForTheShellsRestartBroadcastToReachTheApplicationWindow) {
    TCoolTrayIcon icon(form.get());
    const auto& request = icon.TaskbarCreatedRequest();
    EXPECT_EQ(request.Window, TestApplication().Handle()) << "the window the icon's hook is on";
    EXPECT_EQ(request.Message, ::RegisterWindowMessageW(L"TaskbarCreated"));
    EXPECT_EQ(request.Answer.Call, TMessageFilterCall::mfcWindow);
    EXPECT_TRUE(request.Answer.Allowed);
}

struct OwnerHookCase {
    const char* name;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool handler, minimizeToTray;
    bool intercepted; // minimise event raised, moved to the tray, result 1
};

TEST_F(TrayIcon, OwnerWindowMinimiseGoesThroughTheIconOnlyWithAHandler) {
    const OwnerHookCase cases[] = {
        {"minimise command with a handler", WM_SYSCOMMAND, SC_MINIMIZE, 0, true, true, true},
        {"minimise command without a handler", WM_SYSCOMMAND, SC_MINIMIZE, 0, false, true, false},
        {"minimise command, not to the tray", WM_SYSCOMMAND, SC_MINIMIZE, 0, true, false, false},
        {"minimise command with the system's low bits", WM_SYSCOMMAND, SC_MINIMIZE | 2, 0, true,
         true, true},
        {"hidden with its owner minimised", WM_SHOWWINDOW, 0, SW_PARENTCLOSING, true, true, true},
        {"hidden with its owner minimised, no handler", WM_SHOWWINDOW, 0, SW_PARENTCLOSING, false,
         true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        form->Show();
        ::ShowWindow(form->Handle(), SW_RESTORE);
        TCoolTrayIcon icon(form.get());
        icon.SetMinimizeToTray(c.minimizeToTray);
        int raised = 0;
        if (c.handler)
            icon.OnMinimizeToTray = [&](TObject&) { ++raised; };
        const LRESULT result = ::SendMessageW(form->Handle(), c.message, c.wParam, c.lParam);
        EXPECT_EQ(raised, c.intercepted ? 1 : 0);
        EXPECT_EQ(icon.IconVisible(), c.intercepted);
        if (c.intercepted) {
            EXPECT_EQ(result, 1);
            EXPECT_FALSE(form->Visible());
            EXPECT_FALSE(::IsIconic(form->Handle()));
        } else if (c.message == WM_SYSCOMMAND) {
            EXPECT_TRUE(::IsIconic(form->Handle())) << "the form minimised itself";
        }
    }
    // Unhooked again: the form minimises as any window.
    form->Show();
    ::ShowWindow(form->Handle(), SW_RESTORE);
    ::SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(::IsIconic(form->Handle()));
}

namespace {

LRESULT CALLBACK CountingSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR count) {
    if (message == WM_SYSCOMMAND)
        ++*reinterpret_cast<int*>(count);
    return ::DefSubclassProc(window, message, wParam, lParam);
}

} // namespace

// Each icon hooks its owner on its own, between other hooks of the form's,
// and any of them may go first: the rest go on working.
TEST_F(TrayIcon, OwnerHooksOfSeveralIconsAndOthersComeAndGoInAnyOrder) {
    constexpr UINT_PTR kOtherHook = 77;
    int raised = 0, othersSeen = 0;
    const auto minimizeToTray = [&](TCoolTrayIcon& icon) {
        icon.SetMinimizeToTray(true);
        icon.OnMinimizeToTray = [&](TObject&) { ++raised; };
    };
    auto first = std::make_unique<TCoolTrayIcon>(form.get());
    ASSERT_TRUE(::SetWindowSubclass(form->Handle(), CountingSubclass, kOtherHook,
                                    reinterpret_cast<DWORD_PTR>(&othersSeen)));
    auto second = std::make_unique<TCoolTrayIcon>(form.get());
    minimizeToTray(*first);
    minimizeToTray(*second);

    first.reset(); // hooked before the others, gone first
    EXPECT_EQ(::SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0), 1);
    EXPECT_EQ(raised, 1);
    EXPECT_EQ(othersSeen, 0) << "the last hook took the command";
    EXPECT_FALSE(form->Visible());

    form->Show();
    second.reset();
    ::SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_EQ(othersSeen, 1) << "the other hook still sees the form's messages";
    EXPECT_TRUE(::IsIconic(form->Handle()));
    ASSERT_TRUE(::RemoveWindowSubclass(form->Handle(), CountingSubclass, kOtherHook));
    ::ShowWindow(form->Handle(), SW_RESTORE);
    ::SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(::IsIconic(form->Handle())) << "the form alone";
    EXPECT_EQ(othersSeen, 1);
    ::ShowWindow(form->Handle(), SW_RESTORE);
}

// The system may set its own low bits in a command: a restore is a restore.
TEST_F(TrayIcon, RestoreCommandsToTheApplicationBringTheFormBackWhateverTheirLowBits) {
    for (WPARAM command : {WPARAM(SC_RESTORE), WPARAM(SC_RESTORE | 2)}) {
        SCOPED_TRACE(command);
        TCoolTrayIcon icon(form.get());
        icon.SetMinimizeToTray(true);
        ::SendMessageW(TestApplication().Handle(), WM_SIZE, SIZE_MINIMIZED, 0);
        ASSERT_FALSE(form->Visible());
        ::SendMessageW(TestApplication().Handle(), WM_SYSCOMMAND, command, 0);
        EXPECT_TRUE(form->Visible());
    }
}

TEST_F(TrayIcon, RecordCutsHintsAndBalloonsToTheirLimits) {
    TCoolTrayIcon icon(form.get());
    icon.SetIcon(::LoadIconW(nullptr, IDI_APPLICATION));
    const TNotifyIconDataEx& data = icon.Data();
    EXPECT_EQ(data.cbSize, sizeof(void*) == 8 ? 952u : 936u);
    EXPECT_EQ(data.uFlags, 7u);
    EXPECT_EQ(data.uCallbackMessage, 0x0800u);
    ASSERT_TRUE(icon.AddToTray());

    icon.SetHint(std::wstring(200, L'h'));
    EXPECT_EQ(std::wstring(data.szTip), std::wstring(127, L'h'));
    icon.SetShowHint(false);
    EXPECT_EQ(std::wstring(data.szTip), L"");

    EXPECT_TRUE(icon.ShowBalloonHint(std::wstring(100, L't'), std::wstring(300, L'x'),
                                     TBalloonHintIcon::bitWarning, 30));
    EXPECT_EQ(std::wstring(data.szInfo), std::wstring(255, L'x'));
    EXPECT_EQ(std::wstring(data.szInfoTitle), std::wstring(63, L't'));
    EXPECT_EQ(data.TimeoutOrVersion.uTimeout, 30000u);
    EXPECT_EQ(data.dwInfoFlags, 2u);
    EXPECT_EQ(data.uFlags, 7u);
    EXPECT_TRUE(icon.HideBalloonHint());
    EXPECT_EQ(std::wstring(data.szInfo), L"");

    EXPECT_TRUE(icon.SetBehavior(TBehavior::bhWin2000));
    EXPECT_EQ(data.TimeoutOrVersion.uVersion, 3u);
}

TEST_F(TrayIcon, ShellFailuresAreAnsweredNotRaised) {
    TCoolTrayIcon icon(form.get());
    EXPECT_FALSE(icon.UpdateTray()) << "not in the tray yet";
    EXPECT_FALSE(icon.RemoveFromTray());
    EXPECT_FALSE(icon.ShowBalloonHint(L"t", L"x", TBalloonHintIcon::bitInfo, 10));
    EXPECT_TRUE(icon.AddToTray());
    EXPECT_FALSE(icon.AddToTray()) << "a second add fails quietly";
    EXPECT_TRUE(icon.IconVisible());
    EXPECT_TRUE(icon.RemoveFromTray());
    EXPECT_FALSE(icon.IconVisible());
}

TEST_F(TrayIcon, SharedWindowsLiveWhileTheyHaveUsers) {
    ASSERT_EQ(TTrayIconHandler::Instance(), nullptr);
    ASSERT_EQ(TSimpleTimerHandler::Instance(), nullptr);
    auto one = std::make_unique<TCoolTrayIcon>(form.get());
    auto two = std::make_unique<TCoolTrayIcon>(nullptr);
    const HWND window = one->Handle();
    EXPECT_EQ(TTrayIconHandler::Instance()->RefCount(), 2u);
    EXPECT_EQ(TSimpleTimerHandler::Instance()->RefCount(), 6u) << "three timers per icon";
    one.reset();
    EXPECT_EQ(TTrayIconHandler::Instance()->RefCount(), 1u);
    EXPECT_TRUE(::IsWindow(window));
    two.reset();
    EXPECT_EQ(TTrayIconHandler::Instance(), nullptr);
    EXPECT_EQ(TSimpleTimerHandler::Instance(), nullptr);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(::SendMessageW(window, WM_CLOSE, 0, 0), 0) << "gone";

    TCoolTrayIcon three(nullptr);
    ASSERT_NE(TTrayIconHandler::Instance(), nullptr);
    EXPECT_EQ(TTrayIconHandler::Instance()->RefCount(), 1u);
    EXPECT_TRUE(::IsWindow(three.Handle()));
    for (UINT m : {WM_DESTROY, WM_CLOSE, WM_QUERYENDSESSION, WM_QUIT, WM_ENDSESSION, WM_NCDESTROY})
        EXPECT_EQ(::SendMessageW(three.Handle(), m, 0, 0), 1) << m;
    EXPECT_TRUE(::IsWindow(three.Handle()));
}

TEST_F(TrayIcon, SimpleTimersStartStopPauseAndCount) {
    int ticks = 0;
    TSimpleTimer timer(30, [&](TObject&) { ++ticks; });
    auto& handler = *TSimpleTimerHandler::Instance();
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(handler.ActiveCount(), 0u);
    timer.SetEnabled(true);
    EXPECT_EQ(handler.ActiveCount(), 1u);
    Pump(200);
    EXPECT_GT(ticks, 0);

    timer.SetInterval(0); // paused: still enabled, not counted as running
    EXPECT_TRUE(timer.Enabled());
    EXPECT_EQ(handler.ActiveCount(), 0u);
    ticks = 0;
    Pump(100);
    EXPECT_EQ(ticks, 0);
    timer.SetInterval(20); // restarts
    EXPECT_EQ(handler.ActiveCount(), 1u);
    timer.SetOnTimer(nullptr); // no handler pauses
    EXPECT_EQ(handler.ActiveCount(), 0u);

    timer.SetOnTimer([&](TObject&) { ++ticks; });
    timer.AutoDisable = true;
    timer.SetEnabled(true);
    ticks = 0;
    Pump(200);
    EXPECT_EQ(ticks, 1);
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(handler.ActiveCount(), 0u);

    {
        TSimpleTimer running(1000, [](TObject&) {});
        running.SetEnabled(true);
        EXPECT_EQ(handler.ActiveCount(), 1u);
        TSimpleTimer zero(0, [](TObject&) {});
        zero.SetEnabled(true);
        EXPECT_FALSE(zero.Enabled()) << "an interval of 0 never starts";
    }
    EXPECT_EQ(handler.ActiveCount(), 0u) << "destroying a running timer stops it";
}

TEST_F(TrayIcon, CyclesThroughItsImageListAndDropsFreedReferences) {
    auto list = std::make_unique<TImageList>();
    for (LPCWSTR id : {IDI_APPLICATION, IDI_WARNING, IDI_ERROR})
        list->AddIcon(::LoadIconW(nullptr, id));
    TCoolTrayIcon icon(form.get());
    icon.SetIconList(list.get());
    icon.SetIconIndex(10);
    EXPECT_EQ(icon.IconIndex(), 2) << "clamped to the last image";
    std::vector<int> next;
    icon.OnCycle = [&](TObject&, int index) { next.push_back(index); };
    icon.SetCycleInterval(30);
    icon.SetCycleIcons(true);
    EXPECT_EQ(icon.IconIndex(), 0);
    Pump(250);
    ASSERT_GE(next.size(), 4u);
    EXPECT_EQ(std::vector<int>(next.begin(), next.begin() + 4), (std::vector<int>{1, 2, 0, 1}));
    icon.SetCycleIcons(false);
    EXPECT_NE(icon.Icon().Handle(), nullptr);

    list.reset();
    EXPECT_EQ(icon.IconList(), nullptr);
    EXPECT_EQ(icon.IconIndex(), 0);
    auto menu = ParseLayout("popupmenu Spare\n    item SpareItem\n        caption: Spare\n", L"t");
    auto popup = std::make_unique<TPopupMenu>(*form, *menu);
    icon.SetPopupMenu(popup.get());
    popup.reset();
    EXPECT_EQ(icon.PopupMenu(), nullptr);
    Notify(icon, WM_RBUTTONDOWN); // no menu, nothing opens
}

TEST_F(TrayIcon, StartupHandlerMayKeepTheMainFormHidden) {
    form->Hide();
    TestApplication().ShowMainForm = true;
    TCoolTrayIcon icon(form.get());
    icon.OnStartup = [](TObject&, bool& show) { show = false; };
    icon.SetIconVisible(true);
    icon.Loaded();
    EXPECT_FALSE(TestApplication().ShowMainForm);
    EXPECT_FALSE(form->Visible());
    EXPECT_TRUE(icon.IconVisible());
    TestApplication().ShowMainForm = true;
}

TEST_F(TrayIcon, BitmapBecomesASmallIcon) {
    HDC screen = ::GetDC(nullptr);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 16, 16);
    ::ReleaseDC(nullptr, screen);
    TIcon icon;
    EXPECT_TRUE(TCoolTrayIcon::BitmapToIcon(bitmap, icon, RGB(255, 0, 255)));
    ICONINFO info = {};
    ASSERT_TRUE(::GetIconInfo(icon.Handle(), &info));
    BITMAP colour = {};
    ::GetObjectW(info.hbmColor, sizeof colour, &colour);
    EXPECT_EQ(colour.bmWidth, 16);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    ::DeleteObject(bitmap);
}

namespace {

// Raises from operations a derived icon may override, outside the events'
// own guards.
class TRaisingTrayIcon : public TCoolTrayIcon {
public:
    using TCoolTrayIcon::TCoolTrayIcon;
    void MoveToTray() override { throw Exception(L"move failed"); }

protected:
    void Click() override { throw Exception(L"click failed"); }
};

} // namespace

// Every window of the component stops what its handling raises at its window
// procedure: the handler window, the owner form's hook, the application
// window's hook and the simple-timer window. Each reaches the application's
// handler, and each window goes on answering.
TEST_F(TrayIcon, ExceptionsOfEveryWindowOfTheIconReachTheApplicationsHandler) {
    std::vector<std::wstring> seen;
    TestApplication().OnException = [&](TObject& sender, const std::exception& e) {
        seen.push_back(sender.Name() + L":" + ExceptionMessage(e));
    };
    TRaisingTrayIcon icon(form.get(), L"Raising");
    icon.SetMinimizeToTray(true);
    icon.OnMinimizeToTray = [](TObject&) {};
    for (int round = 0; round < 2; ++round) {
        Notify(icon, WM_LBUTTONDOWN);
        EXPECT_EQ(Notify(icon, WM_LBUTTONUP), 0);
        EXPECT_EQ(::SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0), 0);
        ::SendMessageW(TestApplication().Handle(), WM_SIZE, SIZE_MINIMIZED, 0);
    }
    TSimpleTimer timer(10, [](TObject&) { throw Exception(L"tick failed"); });
    timer.SetEnabled(true);
    Pump(100);
    timer.SetEnabled(false);
    TestApplication().OnException = nullptr;
    ASSERT_GE(seen.size(), 8u);
    EXPECT_EQ(std::vector<std::wstring>(seen.begin(), seen.begin() + 7),
              (std::vector<std::wstring>{L"Raising:click failed", L"Raising:move failed",
                                         L"Application:move failed", L"Raising:click failed",
                                         L"Raising:move failed", L"Application:move failed",
                                         L":tick failed"}));
    EXPECT_EQ(seen.back(), L":tick failed") << "the timer went on ticking";
}

// What a handler changes about the menu counts at once: the menu opens, or
// its default item is chosen, only if it is still there and still opens by
// itself when the handler returns.
TEST_F(TrayIcon, WhatAnEventHandlerChangesAboutTheMenuCountsAtOnce) {
    using Change = void (*)(TCoolTrayIcon&, std::unique_ptr<TPopupMenu>&);
    const struct {
        const char* name;
        UINT message;
        Change change;
        std::string expected;
    } cases[] = {
        {"double-click drops the menu", WM_LBUTTONDBLCLK,
         [](TCoolTrayIcon& icon, std::unique_ptr<TPopupMenu>&) { icon.SetPopupMenu(nullptr); },
         "dblclick"},
        {"double-click frees the menu", WM_LBUTTONDBLCLK,
         [](TCoolTrayIcon&, std::unique_ptr<TPopupMenu>& menu) { menu.reset(); }, "dblclick"},
        {"double-click stops the automatic popup", WM_LBUTTONDBLCLK,
         [](TCoolTrayIcon&, std::unique_ptr<TPopupMenu>& menu) { menu->AutoPopup = false; },
         "dblclick"},
        {"right press frees the menu", WM_RBUTTONDOWN,
         [](TCoolTrayIcon&, std::unique_ptr<TPopupMenu>& menu) { menu.reset(); }, "down:R"},
        {"right press stops the automatic popup", WM_RBUTTONDOWN,
         [](TCoolTrayIcon&, std::unique_ptr<TPopupMenu>& menu) { menu->AutoPopup = false; },
         "down:R"},
        {"nothing changes", WM_LBUTTONDBLCLK, [](TCoolTrayIcon&, std::unique_ptr<TPopupMenu>&) {},
         "dblclick item:Spare"},
    };
    int number = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Names are the form's: each case's menu has its own.
        const std::string tag = std::to_string(number++);
        const auto layout = ParseLayout("popupmenu Spare" + tag + "\n    item SpareItem" + tag +
                                            "\n        caption: Spare\n        default: true\n"
                                            "        on-click: Spare\n",
                                        L"t");
        auto menu = std::make_unique<TPopupMenu>(*form, *layout);
        TCoolTrayIcon icon(form.get());
        icon.SetPopupMenu(menu.get());
        const Change change = c.change;
        icon.OnDblClick = [&](TObject&) {
            Log.push_back("dblclick");
            change(icon, menu);
        };
        icon.OnMouseDown = [&](TObject&, TMouseButton, TShiftState, int, int) {
            Log.push_back("down:R");
            change(icon, menu);
        };
        Log.clear();
        ::SetTimer(nullptr, 0, 150, CloseMenu);
        Notify(icon, c.message);
        EXPECT_EQ(Joined(), c.expected);
        TestApplication().ProcessMessages();
    }
}

namespace {

using TIconStorage = skorvel::testing::TOutlivingStorage<TCoolTrayIcon>;

TIconStorage* FreedInMenu = nullptr;

// Frees the icon while its menu is open, then closes the menu.
void CALLBACK FreeIconInMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    FreedInMenu->Free();
    ::EndMenu();
}

struct FreedIconCase {
    const char* name;
    // Sets up the icon with a handler that frees it; the trigger then makes
    // the icon run that handler.
    std::function<void(TCoolTrayIcon&, TNotifyEvent freeIcon, TTrayFrm&)> arm;
    std::function<void(TCoolTrayIcon&, TTrayFrm&)> trigger;
};

void Send(TCoolTrayIcon& icon, std::initializer_list<UINT> messages) {
    const HWND window = icon.Handle();
    const UINT id = icon.IconID();
    for (UINT message : messages)
        ::SendMessageW(window, WM_TRAYNOTIFY, id, message);
}

} // namespace

// A handler may free the icon that raised it, or the messages pumped while
// its menu opens may: the icon then touches nothing of itself.
TEST_F(TrayIcon, AnIconFreedByItsOwnHandlerIsNotTouchedAgain) {
    const auto freeOnMouse = [](TNotifyEvent free) {
        return [free](TObject& s, TMouseButton, TShiftState, int, int) { free(s); };
    };
    const UINT savedDoubleClickTime = ::GetDoubleClickTime();
    ::SetDoubleClickTime(150);
    TImageList images;
    images.AddIcon(::LoadIconW(nullptr, IDI_APPLICATION));
    images.AddIcon(::LoadIconW(nullptr, IDI_WARNING));
    const FreedIconCase cases[] = {
        {"left press", [&](auto& icon, auto free, auto&) { icon.OnMouseDown = freeOnMouse(free); },
         [](auto& icon, auto&) { Send(icon, {WM_LBUTTONDOWN}); }},
        {"right press with a menu",
         [&](auto& icon, auto free, auto& f) {
             icon.SetPopupMenu(&f.Menu());
             icon.OnMouseDown = freeOnMouse(free);
         },
         [](auto& icon, auto&) { Send(icon, {WM_RBUTTONDOWN}); }},
        {"entering",
         [](auto& icon, auto free, auto&) {
             icon.SetWantEnterExitEvents(true);
             icon.OnMouseEnter = free;
         },
         [](auto& icon, auto&) { Send(icon, {WM_MOUSEMOVE}); }},
        {"moving",
         [](auto& icon, auto free, auto&) {
             icon.OnMouseMove = [free](TObject& s, TShiftState, int, int) { free(s); };
         },
         [](auto& icon, auto&) { Send(icon, {WM_MOUSEMOVE}); }},
        {"click at the release", [](auto& icon, auto free, auto&) { icon.OnClick = free; },
         [](auto& icon, auto&) {
             Send(icon, {WM_LBUTTONDOWN, WM_LBUTTONUP});
         }},
        {"click after the double-click time",
         [](auto& icon, auto free, auto&) {
             icon.OnDblClick = [](TObject&) {};
             icon.OnClick = free;
         },
         [](auto& icon, auto&) {
             Send(icon, {WM_LBUTTONDOWN, WM_LBUTTONUP});
             Pump(400);
         }},
        {"double-click with a menu",
         [](auto& icon, auto free, auto& f) {
             icon.SetPopupMenu(&f.Menu());
             icon.OnDblClick = free;
         },
         [](auto& icon, auto&) { Send(icon, {WM_LBUTTONDBLCLK}); }},
        {"a message handled before the menu opens",
         [](auto& icon, auto free, auto& f) {
             icon.SetPopupMenu(&f.Menu());
             icon.OnMouseMove = [free](TObject& s, TShiftState, int, int) { free(s); };
         },
         [](auto& icon, auto&) {
             ::PostMessageW(icon.Handle(), WM_TRAYNOTIFY, icon.IconID(), WM_MOUSEMOVE);
             Send(icon, {WM_RBUTTONDOWN});
         }},
        {"the open menu's own loop",
         [](auto& icon, auto, auto& f) { icon.SetPopupMenu(&f.Menu()); },
         [](auto& icon, auto&) {
             ::SetTimer(nullptr, 0, 150, FreeIconInMenu);
             Send(icon, {WM_RBUTTONDOWN});
         }},
        {"cycling",
         [&](auto& icon, auto free, auto&) {
             icon.SetIconList(&images);
             icon.OnCycle = [free](TObject& s, int) { free(s); };
             icon.SetCycleInterval(20);
             icon.SetCycleIcons(true);
         },
         [](auto&, auto&) { Pump(200); }},
        {"minimising the owner to the tray",
         [](auto& icon, auto free, auto&) {
             icon.SetMinimizeToTray(true);
             icon.OnMinimizeToTray = free;
         },
         [](auto&, auto& f) { ::SendMessageW(f.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0); }},
        {"start-up",
         [](auto& icon, auto free, auto&) {
             icon.OnStartup = [free](TObject& s, bool& show) {
                 show = false;
                 free(s);
             };
         },
         [](auto& icon, auto&) { icon.Loaded(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        form->Show();
        TIconStorage storage;
        FreedInMenu = &storage;
        TCoolTrayIcon& icon = storage.Create(form.get());
        c.arm(
            icon, [&](TObject&) { storage.Free(); }, *form);
        c.trigger(icon, *form);
        ASSERT_TRUE(storage.Freed()) << "the handler ran";
        EXPECT_TRUE(storage.Untouched());
        EXPECT_EQ(form->Menu().PopupComponent, nullptr) << "the menu forgot the icon";
        TestApplication().ProcessMessages();
    }
    TestApplication().ShowMainForm = true;
    ::SetDoubleClickTime(savedDoubleClickTime);
}

// A second notification handled while the menu opens opens no second menu.
TEST_F(TrayIcon, OneMenuOpensForNotificationsThatArriveWhileItOpens) {
    TCoolTrayIcon icon(form.get());
    Listen(icon, false);
    icon.SetPopupMenu(&form->Menu());
    ::PostMessageW(icon.Handle(), WM_TRAYNOTIFY, icon.IconID(), WM_RBUTTONDOWN);
    const UINT_PTR closer = ::SetTimer(nullptr, 0, 150, [](HWND, UINT, UINT_PTR, DWORD) {
        const HWND menu = ::FindWindowW(L"#32768", nullptr);
        if (menu && ::IsWindowVisible(menu)) {
            Log.push_back("menu");
            ::EndMenu();
        }
    });
    Notify(icon, WM_RBUTTONDOWN);
    Pump(400);
    ::KillTimer(nullptr, closer);
    EXPECT_EQ(Joined(), "down:R down:R menu");
}

// In a process of its own: the application stays ended.
TEST_F(TrayIcon, NoMenuOpensOnceTheApplicationHasEnded) {
    EXPECT_EXIT(
        {
            TCoolTrayIcon icon(form.get());
            icon.SetPopupMenu(&form->Menu());
            ::SetTimer(nullptr, 0, 150, CloseMenu);
            ::PostQuitMessage(0); // taken by the pump before the menu opens
            Notify(icon, WM_RBUTTONDOWN);
            std::fprintf(stderr, "ended %d, log '%s'\n", TestApplication().Terminated(),
                         Joined().c_str());
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "ended 1, log ''");
}

TEST_F(TrayIcon, AnOwnerFreedFirstIsForgotten) {
    TCoolTrayIcon icon(form.get());
    icon.SetMinimizeToTray(true);
    form.reset();
    EXPECT_EQ(icon.Owner(), nullptr);
    EXPECT_EQ(TestApplication().MainForm(), nullptr) << "nor does the application keep it";
    icon.ShowMainForm();
    icon.HideMainForm();
    ::SendMessageW(TestApplication().Handle(), WM_SIZE, SIZE_MINIMIZED, 0);
    EXPECT_TRUE(icon.IconVisible()) << "the icon still goes to the tray";
}

TEST_F(TrayIcon, TheMenuForgetsTheIconThatOpenedItWhenTheIconLetsGo) {
    for (bool iconFreed : {false, true}) {
        SCOPED_TRACE(iconFreed ? "icon freed" : "menu replaced");
        auto icon = std::make_unique<TCoolTrayIcon>(form.get());
        icon->SetPopupMenu(&form->Menu());
        ::SetTimer(nullptr, 0, 150, CloseMenu);
        Notify(*icon, WM_RBUTTONDOWN);
        ASSERT_EQ(form->Menu().PopupComponent, icon.get());
        if (iconFreed)
            icon.reset();
        else
            icon->SetPopupMenu(nullptr);
        EXPECT_EQ(form->Menu().PopupComponent, nullptr);
    }
}
