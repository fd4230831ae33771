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

namespace skorvel {

bool operator==(const TRect& a, const TRect& b) {
    return a.Left == b.Left && a.Top == b.Top && a.Width == b.Width && a.Height == b.Height;
}

std::ostream& operator<<(std::ostream& out, const TRect& r) {
    return out << r.Left << "," << r.Top << " " << r.Width << "x" << r.Height;
}

} // namespace skorvel

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
        : TDrawnControl(form, parent, node) {
        CreateHandle(kFrameworkWindowClass, L"", WS_CHILD, 0, parentWindow, node);
    }
    int paints = 0;

protected:
    void Paint(HDC) override {
        ++paints;
        throw Exception(L"no paint");
    }
};

// The kinds are the application's for the whole process.
void AddFailingKind() {
    TControlKinds& kinds = TestApplication().ControlKinds();
    if (!kinds.Find(L"failing"))
        kinds.Add(L"failing", MakeControl<TFailingControl>);
}

int VisibleItems(HMENU menu) {
    return ::GetMenuItemCount(::GetSubMenu(menu, 0));
}

// Where a window really is, in its parent's client coordinates.
TRect WindowBounds(HWND window) {
    RECT r;
    ::GetWindowRect(window, &r);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// The colour a window paints at a point of its client area, asked with
// WM_PRINTCLIENT (erasing first, as the form fills its background then).
COLORREF PaintedPixel(HWND window, int x, int y) {
    const MemoryDc dc(::CreateCompatibleDC(nullptr));
    const GdiObject bitmap(::CreateBitmap(64, 64, 1, 32, nullptr));
    const SelectedObject selected(dc.get(), bitmap.get());
    ::SendMessageW(window, WM_ERASEBKGND, WPARAM(dc.get()), 0);
    ::SendMessageW(window, WM_PRINTCLIENT, WPARAM(dc.get()), PRF_CLIENT);
    return ::GetPixel(dc.get(), x, y);
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

// Whichever builder reads a node (a control of any kind, also one whose
// constructor reads only some of its properties, a menu item, a timer, the
// form), a fault of the layout is an ELayoutError naming the line it is on.
TEST(Framework, LayoutFaultsAreErrorsAtTheirLine) {
    TestApplication();
    AddFailingKind();
    const auto replaced = [](const std::string& what, const std::string& with) {
        std::string layout = kLayout;
        return layout.replace(layout.find(what), what.size(), with);
    };
    const std::string tail = kLayout; // 18 lines; what is added starts at line 19
    const struct {
        const char* what;
        std::string layout;
        const wchar_t* line;
    } cases[] = {
        {"unknown handler", replaced("Aborts", "Missing"), L"test(14): "},
        {"unknown position", replaced("    on-create", "    position: middle\n    on-create"),
         L"test(4): "},
        {"unknown border icon",
         replaced("    on-create", "    border-icons: system-menu close\n    on-create"),
         L"test(4): "},
        {"unread key of a kind that reads only some",
         tail + "    failing Extra\n        bounds: 0 0 5 5\n        colour: white\n",
         L"test(21): "},
        {"unread key of a timer",
         tail + "    timer Tick\n        interval: 5\n        on-tick: Counted\n", L"test(21): "},
        {"unread key of a menu item",
         tail + "    popupmenu Pop\n        item PopItem\n            caption: x\n"
                "            shortcutt: F3\n",
         L"test(22): "},
        {"a timer inside a control",
         tail + "    panel Box\n        bounds: 0 0 9 9\n        timer Inner\n", L"test(21): "},
        {"font height no number",
         tail + "    button B2\n        caption: x\n        font: Tahoma big\n", L"test(21): "},
        {"unknown font style",
         tail + "    button B2\n        caption: x\n        font: Tahoma 11\n"
                "        font-style: heavy\n",
         L"test(22): "},
        {"unknown alignment", tail + "    panel P2\n        align: left\n", L"test(20): "},
        {"old spelling of a color", tail + "    panel P2\n        color: grey\n", L"test(20): "},
        {"missing picture", tail + "    picture Pic\n        picture: NOSUCH\n", L"test(20): "},
        {"popup menu that is none",
         tail + "    button B3\n        caption: x\n        popup-menu: Btn\n", L"test(21): "},
    };
    for (const auto& c : cases) {
        TTestFrm form(c.layout);
        try {
            form.Build();
            ADD_FAILURE() << c.what << ": no error";
        } catch (const ELayoutError& e) {
            EXPECT_EQ(e.Message().rfind(c.line, 0), 0u) << c.what << ": " << e.what();
        }
    }
}

// A control along an edge follows its parent's size; a control knows the
// control that contains it.
TEST(Framework, AlignedControlsFollowTheParentAndKnowIt) {
    TestApplication();
    TTestFrm form("form AlignFrm\n    caption: A\n    client-size: 200 100\n"
                  "    panel Top\n        bounds: 5 5 50 20\n        align: top\n"
                  "    panel Bottom\n        bounds: 5 5 50 30\n        align: bottom\n"
                  "        button Inside\n            bounds: 1 2 30 10\n"
                  "            caption: x\n"
                  "    panel Fill\n        bounds: 5 5 50 30\n        align: client\n"
                  "    panel Free\n        bounds: 5 6 7 8\n");
    form.Build();
    form.SetClientSize(300, 150);
    const struct {
        const wchar_t* name;
        TRect bounds;
        const TControl* parent;
    } cases[] = {
        {L"Top", {0, 0, 300, 20}, &form},
        {L"Bottom", {0, 120, 300, 30}, &form},
        {L"Fill", {0, 0, 300, 150}, &form},
        {L"Free", {5, 6, 7, 8}, &form},
        {L"Inside", {1, 2, 30, 10}, &form.FindComponent<TControl>(L"Bottom")},
    };
    for (const auto& c : cases) {
        const TControl& control = form.FindComponent<TControl>(c.name);
        EXPECT_EQ(control.Bounds(), c.bounds) << c.name;
        EXPECT_EQ(WindowBounds(control.Handle()), c.bounds) << c.name;
        EXPECT_EQ(control.Parent(), c.parent) << c.name;
    }
    EXPECT_EQ(form.Parent(), nullptr);
}

// The frame, the place on the first showing, the fonts and the colours that
// a layout gives a form and its controls.
TEST(Framework, FormFramePlaceFontsAndColorsFollowTheLayout) {
    TestApplication();
    TTestFrm main("form MainOne\n    caption: M\n    client-size: 200 100\n"
                  "    border-icons: system-menu minimize\n    position: screen-center\n"
                  "    color: white\n    font: Tahoma 12\n"
                  "    button Plain\n        bounds: 0 0 40 20\n        caption: p\n"
                  "    button Styled\n        bounds: 0 30 40 20\n        caption: s\n"
                  "        font: Tahoma 11\n        font-style: bold\n"
                  "        font-charset: east-europe\n"
                  "    panel Teal\n        bounds: 100 0 40 40\n        color: teal\n");
    main.Build();
    TestApplication().SetMainForm(&main);
    TTestFrm tool("form ToolOne\n    caption: T\n    client-size: 80 60\n    border: tool\n"
                  "    position: main-form-center\n");
    tool.Build();
    TTestFrm plain("form PlainOne\n    caption: P\n    client-size: 80 60\n");
    plain.Build();
    RECT before;
    ::GetWindowRect(plain.Handle(), &before);

    const auto style = [](const TForm& f) { return ::GetWindowLongW(f.Handle(), GWL_STYLE); };
    const auto exStyle = [](const TForm& f) { return ::GetWindowLongW(f.Handle(), GWL_EXSTYLE); };
    EXPECT_EQ(style(main) & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
              WS_SYSMENU | WS_MINIMIZEBOX);
    EXPECT_FALSE(exStyle(main) & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(exStyle(tool) & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(style(tool) & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));

    // The centre of a window, as the form computes it from its size.
    const auto centred = [](HWND window, const RECT& area) {
        RECT r;
        ::GetWindowRect(window, &r);
        const int width = r.right - r.left, height = r.bottom - r.top;
        return r.left == area.left + ((area.right - area.left) - width) / 2 &&
               r.top == area.top + ((area.bottom - area.top) - height) / 2;
    };
    main.Show();
    tool.Show();
    plain.Show();
    RECT workArea, mainRect, plainRect;
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    ::GetWindowRect(main.Handle(), &mainRect);
    ::GetWindowRect(plain.Handle(), &plainRect);
    EXPECT_TRUE(centred(main.Handle(), workArea));
    EXPECT_TRUE(centred(tool.Handle(), mainRect));
    EXPECT_EQ(plainRect.left, before.left);
    EXPECT_EQ(plainRect.top, before.top);

    const auto font = [&](const wchar_t* name) {
        LOGFONTW description = {};
        const auto font =
            HFONT(::SendMessageW(main.FindComponent<TControl>(name).Handle(), WM_GETFONT, 0, 0));
        ::GetObjectW(font, sizeof description, &description);
        return description;
    };
    const LOGFONTW plainFont = font(L"Plain"), styledFont = font(L"Styled");
    EXPECT_EQ(plainFont.lfHeight, -12);
    EXPECT_EQ(plainFont.lfWeight, FW_NORMAL);
    EXPECT_EQ(plainFont.lfCharSet, DEFAULT_CHARSET);
    EXPECT_EQ(std::wstring(styledFont.lfFaceName), L"Tahoma");
    EXPECT_EQ(styledFont.lfHeight, -11);
    EXPECT_EQ(styledFont.lfWeight, FW_BOLD);
    EXPECT_EQ(styledFont.lfCharSet, EASTEUROPE_CHARSET);

    EXPECT_EQ(PaintedPixel(main.Handle(), 5, 5), RGB(255, 255, 255));
    EXPECT_EQ(PaintedPixel(main.FindComponent<TControl>(L"Teal").Handle(), 5, 5), RGB(0, 128, 128));
    TestApplication().SetMainForm(nullptr);
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
    AddFailingKind();
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
