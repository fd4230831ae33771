// The window framework with small layouts of the tests' own: handler binding
// by name, the application-wide exception hook (for handlers and for a
// window's own handling of a message), menus with hidden items.
#include "tests/wine/test_application.h"
#include "ui/framework/application.h"
#include "ui/framework/form.h"
#include "ui/framework/menus.h"
#include "ui/framework/speed_button.h"
#include "ui/framework/standard_controls.h"
#include "ui/framework/timer.h"

#include <gtest/gtest.h>

using namespace skorvel;
using skorvel::testing::Pump;

namespace {

constexpr char kLayout[] = "form TestFrm\n"
                           "    caption: Test\n"
                           "    client-size: 200 100\n"
                           "    on-create: Created\n"
                           "    menubar Bar\n"
                           "        item Top\n"
                           "            caption: Top\n"
                           "            item First\n"
                           "                caption: First\n"
                           "                on-click: Throws\n"
                           "            item Second\n"
                           "                caption: Second\n"
                           "                visible: false\n"
                           "                on-click: Aborts\n"
                           "    button Btn\n"
                           "        bounds: 10 10 80 24\n"
                           "        caption: Go\n"
                           "        on-click: Throws\n";

class TTestFrm : public TForm {
public:
    explicit TTestFrm(const std::string& layout) : TForm(layout, L"test") {
        Publish(L"Created", &TTestFrm::Created);
        Publish(L"Throws", &TTestFrm::Throws);
        Publish(L"Aborts", &TTestFrm::Aborts);
        Publish(L"Counted", &TTestFrm::Counted);
    }
    void Created(TObject&) { ++created; }
    void Counted(TObject&) { ++clicks; }
    void Throws(TObject&) {
        try {
            throw Exception(L"inner");
        } catch (...) {
            std::throw_with_nested(Exception(L"outer"));
        }
    }
    void Aborts(TObject&) { throw EAbort(); }
    int created = 0;
    int clicks = 0;
};

// A drawn control whose painting fails.
class TFailingControl : public TDrawnControl {
public:
    TFailingControl(TForm& form, TControl* parent, HWND parentWindow, const LayoutNode& node)
        : TDrawnControl(form, node) {
        FParent = parent;
        CreateHandle(kFrameworkWindowClass, L"", WS_CHILD, 0, parentWindow, node);
        node.Finish();
    }
    int paints = 0;

protected:
    void Paint(HDC) override {
        ++paints;
        throw Exception(L"no paint");
    }
};

int VisibleItems(HMENU menu) {
    return ::GetMenuItemCount(::GetSubMenu(menu, 0));
}

} // namespace

TEST(Framework, UnknownHandlerOrPropertyIsALayoutError) {
    TestApplication();
    std::string unknownHandler = kLayout;
    unknownHandler.replace(unknownHandler.find("Aborts"), 6, "Missing");
    TTestFrm first(unknownHandler);
    EXPECT_THROW(first.Build(), ELayoutError);

    std::string misspelt = kLayout;
    misspelt.replace(misspelt.find("caption: Go"), 7, "captoin");
    TTestFrm second(misspelt);
    EXPECT_THROW(second.Build(), ELayoutError);
}

TEST(Framework, EscapingExceptionsReachTheHookButAbortsDoNot) {
    TestApplication();
    TTestFrm form(kLayout);
    form.Build();
    EXPECT_EQ(form.created, 1);
    std::vector<std::wstring> seen;
    TestApplication().OnException = [&](TObject& sender, const std::exception& e) {
        seen.push_back(sender.Name() + L":" + ExceptionMessage(e));
        try {
            std::rethrow_if_nested(e);
        } catch (const std::exception& inner) {
            seen.push_back(ExceptionMessage(inner));
        }
    };
    auto& button = form.FindComponent<TButton>(L"Btn");
    ::SendMessageW(button.Handle(), BM_CLICK, 0, 0);
    form.FindComponent<TMenuItem>(L"Second").Click();
    form.FindComponent<TMenuItem>(L"First").Click();
    TestApplication().OnException = nullptr;
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"Btn:outer", L"inner", L"First:outer", L"inner"}));
}

// The exception stops at the window procedure (it must not unwind through
// the system's frames), reaches the hook with the control as sender, and the
// control goes on answering.
TEST(Framework, ExceptionsOfAWindowsOwnHandlingReachTheHook) {
    TestApplication();
    RegisterControlKind(L"failing", MakeControl<TFailingControl>);
    TTestFrm form(std::string(kLayout) + "    failing Broken\n        bounds: 0 0 20 10\n");
    form.Build();
    auto& broken = form.FindComponent<TFailingControl>(L"Broken");
    std::vector<std::wstring> seen;
    TestApplication().OnException = [&](TObject& sender, const std::exception& e) {
        seen.push_back(sender.Name() + L":" + ExceptionMessage(e));
    };
    const MemoryDc dc(::CreateCompatibleDC(nullptr));
    const GdiObject bitmap(::CreateCompatibleBitmap(dc.get(), 20, 10));
    const SelectedObject selected(dc.get(), bitmap.get());
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(::SendMessageW(broken.Handle(), WM_PRINTCLIENT, WPARAM(dc.get()), PRF_CLIENT), 0);
    TestApplication().OnException = nullptr;
    EXPECT_EQ(broken.paints, 2);
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"Broken:no paint", L"Broken:no paint"}));
}

// The application window's hooks and its own handling stand behind the same
// kind of boundary: the application is the sender, and the window goes on.
TEST(Framework, ExceptionsOfTheApplicationWindowsHooksReachTheHook) {
    TApplication& application = TestApplication();
    const UINT failing = WM_APP + 17;
    int calls = 0;
    const int hook = application.HookMainWindow([&](UINT message, WPARAM, LPARAM, LRESULT&) {
        if (message != failing)
            return false;
        ++calls;
        throw Exception(L"hook failed");
    });
    std::vector<std::wstring> seen;
    application.OnException = [&](TObject& sender, const std::exception& e) {
        seen.push_back(sender.Name() + L":" + ExceptionMessage(e));
    };
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(::SendMessageW(application.Handle(), failing, 0, 0), 0);
    application.OnException = nullptr;
    application.UnhookMainWindow(hook);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(seen,
              (std::vector<std::wstring>{L"Application:hook failed", L"Application:hook failed"}));
}

// A layout's timer ticks through the message loop while it is enabled and
// its interval is not 0; what its handler raises reaches the hook with the
// timer as sender, and the timer goes on ticking.
TEST(Framework, LayoutTimersTickWhileEnabledAndTheirErrorsReachTheHook) {
    TestApplication();
    TTestFrm form(std::string(kLayout) + "    timer Ticking\n"
                                         "        interval: 20\n"
                                         "        on-timer: Counted\n"
                                         "    timer Failing\n"
                                         "        interval: 20\n"
                                         "        enabled: false\n"
                                         "        on-timer: Throws\n");
    form.Build();
    Pump(200);
    EXPECT_GT(form.clicks, 2);
    auto& ticking = form.FindComponent<TTimer>(L"Ticking");
    ticking.SetEnabled(false);
    form.clicks = 0;
    Pump(150);
    EXPECT_EQ(form.clicks, 0) << "disabled";
    ticking.SetInterval(0);
    ticking.SetEnabled(true);
    Pump(150);
    EXPECT_EQ(form.clicks, 0) << "an interval of 0";
    ticking.SetInterval(20);
    Pump(150);
    EXPECT_GT(form.clicks, 0) << "a new interval restarts it";
    ticking.SetEnabled(false);

    std::vector<std::wstring> seen;
    TestApplication().OnException = [&](TObject& sender, const std::exception& e) {
        seen.push_back(sender.Name() + L":" + ExceptionMessage(e));
    };
    auto& failing = form.FindComponent<TTimer>(L"Failing");
    failing.SetEnabled(true);
    Pump(200);
    failing.SetEnabled(false);
    TestApplication().OnException = nullptr;
    ASSERT_GE(seen.size(), 2u) << "it went on ticking";
    EXPECT_EQ(seen.front(), L"Failing:outer");
    EXPECT_EQ(seen.back(), L"Failing:outer");
}

// A speed button clicks for a left press and a release both on it; leaving
// in between does not matter, losing the mouse capture ends the press.
TEST(Framework, SpeedButtonClicksForPressAndReleaseOnIt) {
    TestApplication();
    TTestFrm form(std::string(kLayout) + "    speedbutton Speed\n"
                                         "        bounds: 100 10 40 20\n"
                                         "        caption: Go\n"
                                         "        on-click: Counted\n");
    form.Build();
    const HWND button = form.FindComponent<TSpeedButton>(L"Speed").Handle();
    struct Case {
        const char* name;
        std::vector<std::pair<UINT, LPARAM>> messages;
        int clicks;
    };
    const LPARAM in = MAKELPARAM(5, 5), out = MAKELPARAM(300, 5);
    const Case cases[] = {
        {"press and release on it", {{WM_LBUTTONDOWN, in}, {WM_LBUTTONUP, in}}, 1},
        {"released outside", {{WM_LBUTTONDOWN, in}, {WM_MOUSEMOVE, out}, {WM_LBUTTONUP, out}}, 0},
        {"back in before the release",
         {{WM_LBUTTONDOWN, in}, {WM_MOUSEMOVE, out}, {WM_MOUSEMOVE, in}, {WM_LBUTTONUP, in}},
         1},
        {"capture lost", {{WM_LBUTTONDOWN, in}, {WM_CAPTURECHANGED, 0}, {WM_LBUTTONUP, in}}, 0},
        {"release without a press", {{WM_LBUTTONUP, in}}, 0},
        {"right button", {{WM_RBUTTONDOWN, in}, {WM_RBUTTONUP, in}}, 0},
    };
    for (const Case& c : cases) {
        form.clicks = 0;
        for (const auto& [message, at] : c.messages)
            ::SendMessageW(button, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, at);
        EXPECT_EQ(form.clicks, c.clicks) << c.name;
        EXPECT_EQ(::GetCapture(), nullptr) << c.name;
    }
    // Disabling the button cancels a press under way.
    form.clicks = 0;
    ::SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, in);
    ::EnableWindow(button, FALSE);
    ::EnableWindow(button, TRUE);
    ::SendMessageW(button, WM_LBUTTONUP, 0, in);
    EXPECT_EQ(form.clicks, 0);
}

TEST(Framework, HiddenMenuItemsAreLeftOutOfTheSystemMenu) {
    TestApplication();
    TTestFrm form(kLayout);
    form.Build();
    auto& second = form.FindComponent<TMenuItem>(L"Second");
    EXPECT_EQ(VisibleItems(::GetMenu(form.Handle())), 1);
    second.SetVisible(true);
    EXPECT_EQ(VisibleItems(::GetMenu(form.Handle())), 2);
    second.SetVisible(false);
    EXPECT_EQ(VisibleItems(::GetMenu(form.Handle())), 1);
    // A menu command arriving as WM_COMMAND reaches the item's handler.
    bool clicked = false;
    form.FindComponent<TMenuItem>(L"First").OnClick = [&](TObject&) { clicked = true; };
    ::SendMessageW(form.Handle(), WM_COMMAND, form.FindComponent<TMenuItem>(L"First").Command(), 0);
    EXPECT_TRUE(clicked);
}

TEST(Framework, DefaultTitleIsTheExecutablesNameUpToTheFirstDot) {
    // The executable is framework_test.exe; the first letter keeps its case.
    EXPECT_EQ(DefaultApplicationTitle(), L"framework_test");
}
