#include "tests/wine/control_presets.h"
#include "ui/controls/glass_button.h"
#include "ui/controls/vista_panel.h"

#include "controls_support.h"

#include <gtest/gtest.h>

using namespace skorvel;
using namespace skorvel::testing;

namespace {

// The portable drawing with everything but the caption, over a given
// background: what the real button must show away from its caption.
class ReferenceButton : public TGlassButtonPainter {
public:
    explicit ReferenceButton(TImage24 background) : Image(std::move(background)) {}
    TImage24 Image, Mask;

    void UseSettings(bool optimiseButton) {
        FColor = optimiseButton ? clSkyBlue : clTeal;
        FColorDown = clSkyBlue;
        FColorFocused = clAqua;
        FColorFrame = clWhite;
        FColorGlow = clSkyBlue;
        GlowColor = ColorToRGB24(clSkyBlue);
        FGlossy = optimiseButton;
        StoreGlossyLevel(100);
        FShadowStyle = optimiseButton ? ssDrop : ssNone;
        FTextAlign = taCenter;
        FFlat = false;
    }

protected:
    TColor ColorToRGB(TColor c) const override { return skorvel::ColorToRGB(c); }
    bool HasFocus() const override { return false; }
    bool IsEnabled() const override { return true; }
    std::optional<TGlyphSize> ImageSize() const override { return std::nullopt; }
    TImageView Pixels(TGlassSurface s) override {
        return s == gsImage ? Image.View() : Mask.View();
    }
    void NewShadowMask(int w, int h) override { Mask = TImage24(w, h, {255, 255, 255}); }
    void DrawGlyph(TGlassSurface, int, int, TGlyphLook) override {}
    void DrawCaption(TGlassSurface, const TPixelRect&, TColor, TTextAlign) override {}
};

GdiObject VerdanaBold() {
    return GdiObject(::CreateFontW(-13, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   DEFAULT_PITCH, L"Verdana"));
}

TImage24 RenderButton(TvxGlassButton& button) {
    RECT r;
    ::GetClientRect(button.Handle(), &r);
    return Render(r.right, r.bottom, [&](HDC dc) { button.PaintTo(dc); });
}

struct Place {
    int Left, Top, Width, Height;
};

// The main window's panel with a glass button on it, both with the program's settings.
struct MainPanelScene {
    TestHost host{true};
    std::unique_ptr<TvxVistaPanel> panel = MakeVistaPanel(TestForm(), host.get(), {0, 0, 318, 421});
    std::unique_ptr<TvxGlassButton> button;
    GdiObject font = VerdanaBold();
    Place place;

    MainPanelScene(const wchar_t* name, const wchar_t* caption, Place bounds) : place(bounds) {
        ApplyVistaPanelSettings(*panel, L"MainPanel");
        button = MakeGlassButton(TestForm(), panel->Handle(),
                                 {bounds.Left, bounds.Top, bounds.Width, bounds.Height});
        EXPECT_TRUE(ApplyGlassButtonSettings(*button, name));
        button->SetFont(HFONT(font.get()));
        button->SetCaption(caption);
    }
    // The panel's own gradient under the button.
    TImage24 Background() {
        const TImage24 whole = Render(318, 421, [&](HDC dc) { panel->PaintWindow(dc); });
        return Crop(whole, place.Left, place.Top, place.Width, place.Height);
    }
};

// Compares whole rows of the real rendering with the reference.
void ExpectRowsEqual(const TImage24& real, const TImage24& reference,
                     std::initializer_list<int> rows, const char* what) {
    for (int y : rows)
        for (int x = 0; x < real.Width(); ++x)
            ASSERT_EQ(real.Pixel(x, y), reference.Pixel(x, y))
                << what << " at " << x << "," << y << ": " << Hex(real.Pixel(x, y)) << " vs "
                << Hex(reference.Pixel(x, y));
}

bool TakeDropDownRequest(HWND window) {
    MSG msg;
    return ::PeekMessageW(&msg, window, TvxGlassButton::kDropDownRequest,
                          TvxGlassButton::kDropDownRequest, PM_REMOVE) != FALSE;
}

LPARAM At(int x, int y) {
    return MAKELPARAM(x, y);
}

} // namespace

TEST(GlassButton, StartBtnOverMainPanelIdleHotAndPressed) {
    MainPanelScene scene(L"StartBtn", L"Optymalizuj", {95, 137, 122, 33});
    TvxGlassButton& button = *scene.button;
    const TImage24 background = scene.Background();
    // Rows 0..5 and 29..32 lie clear of the caption and its blurred shadow.
    const auto clearRows = {0, 1, 2, 3, 4, 5, 29, 30, 31, 32};
    const struct {
        const char* name;
        int btnIdx;
        bool down;
    } looks[] = {{"idle", -1, false}, {"hot", 0, false}, {"pressed", 0, true}};
    for (const auto& look : looks) {
        if (look.btnIdx == 0 && !look.down)
            ::SendMessageW(button.Handle(), WM_MOUSEMOVE, 0, At(20, 5));
        if (look.down) {
            ::SendMessageW(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(20, 5));
            ASSERT_TRUE(button.IsPressed());
        }
        ASSERT_EQ(button.BtnIdx(), look.btnIdx) << look.name;
        const TImage24 real = RenderButton(button);
        ReferenceButton reference(background);
        reference.UseSettings(true);
        reference.FBtnIdx = look.btnIdx;
        reference.FButtonDown = look.down;
        reference.DrawButton();
        ExpectRowsEqual(real, reference.Image, clearRows, look.name);
        // The caption and its shadow are there: the middle rows differ.
        bool caption = false;
        for (int x = 0; x < 122 && !caption; ++x)
            caption = real.Pixel(x, 16) != reference.Image.Pixel(x, 16);
        EXPECT_TRUE(caption) << look.name;
    }
    ::SendMessageW(button.Handle(), WM_LBUTTONUP, 0, At(20, 5));
    EXPECT_FALSE(button.IsPressed());
    EXPECT_EQ(button.BtnIdx(), -1);
}

TEST(GlassButton, WiecejBtnOverMainPanel) {
    MainPanelScene scene(L"WiecejBtn", L"Mniej szczeg\u00F3\u0142\u00F3w", {55, 272, 201, 26});
    const TImage24 background = scene.Background();
    for (int idx : {-1, 0}) {
        if (idx == 0)
            ::SendMessageW(scene.button->Handle(), WM_MOUSEMOVE, 0, At(3, 3));
        const TImage24 real = RenderButton(*scene.button);
        ReferenceButton reference(background);
        reference.UseSettings(false);
        reference.FBtnIdx = idx;
        reference.DrawButton();
        // Without a shadow only the caption's own pixels differ.
        ExpectRowsEqual(real, reference.Image, {0, 1, 2, 3, 4, 21, 22, 23, 24, 25},
                        idx < 0 ? "idle" : "hot");
    }
}

TEST(GlassButton, PressShowsThePressedLookOnScreenAtOnce) {
    MainPanelScene scene(L"StartBtn", L"Optymalizuj", {95, 137, 122, 33});
    TvxGlassButton& button = *scene.button;
    PumpMessages(100); // everything painted; nothing pending
    const TImage24 before = ScreenOf(button.Handle());
    ::SendMessageW(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(20, 5));
    // No message has been dispatched since the press.
    const TImage24 now = ScreenOf(button.Handle());
    const TImage24 pressed = RenderButton(button);
    EXPECT_NE(before.Pixel(2, 1), pressed.Pixel(2, 1));
    for (int y = 0; y < 33; ++y)
        for (int x = 0; x < 122; ++x)
            ASSERT_EQ(now.Pixel(x, y), pressed.Pixel(x, y)) << x << "," << y;
    ::SendMessageW(button.Handle(), WM_LBUTTONUP, 0, At(20, 5));
}

TEST(GlassButton, ClicksFromTheMouseAndTheReturnKey) {
    TestHost host;
    const auto owned = MakeGlassButton(TestForm(), host.get(), {10, 10, 100, 30});
    TvxGlassButton& button = *owned;
    int clicks = 0;
    button.OnClick = [&](TObject&) { ++clicks; };

    ::SendMessageW(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(30, 10));
    EXPECT_TRUE(button.IsPressed());
    EXPECT_EQ(clicks, 0);
    ::SendMessageW(button.Handle(), WM_LBUTTONUP, 0, At(30, 10));
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(button.IsPressed());

    // Released outside: no click. A right button never clicks.
    ::SendMessageW(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(30, 10));
    ::SendMessageW(button.Handle(), WM_LBUTTONUP, 0, At(300, 10));
    ::SendMessageW(button.Handle(), WM_RBUTTONDOWN, MK_RBUTTON, At(30, 10));
    ::SendMessageW(button.Handle(), WM_RBUTTONUP, 0, At(30, 10));
    EXPECT_EQ(clicks, 1);

    // Return presses on key down and clicks on key release.
    ::SendMessageW(button.Handle(), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(button.IsPressed());
    EXPECT_EQ(clicks, 1);
    ::SendMessageW(button.Handle(), WM_KEYUP, VK_RETURN, 0);
    EXPECT_EQ(clicks, 2);
    EXPECT_FALSE(button.IsPressed());
    EXPECT_EQ(::SendMessageW(button.Handle(), WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
}

TEST(GlassButton, DoubleClickIsTwoClicks) {
    TestHost host(true);
    const auto owned = MakeGlassButton(TestForm(), host.get(), {10, 10, 100, 30});
    TvxGlassButton& button = *owned;
    EXPECT_EQ(::GetClassLongPtrW(button.Handle(), GCL_STYLE) & CS_DBLCLKS, 0u);
    int clicks = 0;
    button.OnClick = [&](TObject&) { ++clicks; };
    PumpMessages(50);
    POINT centre = {50, 15};
    ::ClientToScreen(button.Handle(), &centre);
    ::SetCursorPos(centre.x, centre.y);
    PumpMessages(50);
    INPUT inputs[4] = {};
    for (int i = 0; i < 4; ++i) {
        inputs[i].type = INPUT_MOUSE;
        inputs[i].mi.dwFlags = i % 2 == 0 ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    }
    ASSERT_EQ(::SendInput(4, inputs, sizeof(INPUT)), 4u);
    PumpMessages(300);
    EXPECT_EQ(clicks, 2);
}

TEST(GlassButton, DuoButtonArrowZoneOpensTheMenuInsteadOfClicking) {
    TestHost host;
    const auto owned = MakeGlassButton(TestForm(), host.get(), {10, 10, 100, 30});
    TvxGlassButton& button = *owned;
    button.SetDuoStyle(true);
    int clicks = 0;
    button.OnClick = [&](TObject&) { ++clicks; };
    // The arrow zone is every x > CW − 20 = 80.
    const struct {
        int press, release, clicks;
        bool dropDown;
    } cases[] = {{10, 10, 1, false},
                 {81, 90, 0, true},
                 {80, 80, 1, false},
                 {10, 90, 1, false},
                 {90, 10, 0, false}};
    for (const auto& c : cases) {
        clicks = 0;
        ::SendMessageW(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(c.press, 10));
        EXPECT_EQ(button.BtnIdx(), c.press > 80 ? 1 : 0) << c.press;
        ::SendMessageW(button.Handle(), WM_LBUTTONUP, 0, At(c.release, 10));
        EXPECT_EQ(clicks, c.clicks) << c.press << " → " << c.release;
        EXPECT_EQ(TakeDropDownRequest(button.Handle()), c.dropDown)
            << c.press << " → " << c.release;
    }
}

TEST(GlassButton, PlainButtonWithAMenuClicksThenAsksForTheMenu) {
    TestHost host;
    const auto owned = MakeGlassButton(TestForm(), host.get(), {10, 10, 100, 30});
    TvxGlassButton& button = *owned;
    const MenuHandle menu(::CreatePopupMenu());
    ::AppendMenuW(menu.get(), MF_STRING, 100, L"Item");
    int clicks = 0;
    button.OnClick = [&](TObject&) { ++clicks; };
    ::SendMessageW(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
    ::SendMessageW(button.Handle(), WM_LBUTTONUP, 0, At(10, 10));
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(TakeDropDownRequest(button.Handle())); // no menu yet

    button.SetDropDownMenu(menu.get());
    ::SendMessageW(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
    ::SendMessageW(button.Handle(), WM_LBUTTONUP, 0, At(10, 10));
    EXPECT_EQ(clicks, 2);
    EXPECT_TRUE(TakeDropDownRequest(button.Handle()));
    // Return on a button with a menu opens the menu and does not click.
    ::SendMessageW(button.Handle(), WM_KEYDOWN, VK_RETURN, 0);
    ::SendMessageW(button.Handle(), WM_KEYUP, VK_RETURN, 0);
    EXPECT_EQ(clicks, 2);
    EXPECT_TRUE(TakeDropDownRequest(button.Handle()));
    // ShowPopup asks for the menu too.
    button.ShowPopup();
    EXPECT_TRUE(TakeDropDownRequest(button.Handle()));
    EXPECT_FALSE(button.IsPressed());
}

namespace {
void CALLBACK CloseMenu(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    ::EndMenu();
}
} // namespace

TEST(GlassButton, DropDownRequestOpensTheMenuBelowTheButton) {
    TestHost host;
    const auto owned = MakeGlassButton(TestForm(), host.get(), {10, 10, 100, 30});
    TvxGlassButton& button = *owned;
    const MenuHandle menu(::CreatePopupMenu());
    ::AppendMenuW(menu.get(), MF_STRING, 100, L"Item");
    button.SetDropDownMenu(menu.get());
    std::vector<std::string> events;
    button.OnBeforePopup = [&](TObject&) { events.push_back("before"); };
    button.OnPopup = [&](TObject&) {
        events.push_back(button.IsPressed() ? "popup pressed" : "popup");
        ::SetTimer(nullptr, 0, 200, CloseMenu);
    };
    ::SendMessageW(button.Handle(), WM_MOUSEMOVE, 0, At(10, 10));
    ::SendMessageW(button.Handle(), TvxGlassButton::kDropDownRequest, 0, 0);
    EXPECT_EQ(events, (std::vector<std::string>{"before", "popup"}));
    EXPECT_EQ(button.BtnIdx(), -1); // after the menu has closed
    // Without a menu the request does nothing.
    button.SetDropDownMenu(nullptr);
    events.clear();
    ::SendMessageW(button.Handle(), TvxGlassButton::kDropDownRequest, 0, 0);
    EXPECT_TRUE(events.empty());
}

TEST(GlassButton, HotStateFollowsTheMouse) {
    TestHost host;
    const auto owned = MakeGlassButton(TestForm(), host.get(), {10, 10, 100, 30});
    TvxGlassButton& button = *owned;
    int enters = 0, leaves = 0;
    button.OnMouseEnter = [&](TObject&) { ++enters; };
    button.OnMouseLeave = [&](TObject&) { ++leaves; };
    ::SendMessageW(button.Handle(), WM_MOUSEMOVE, 0, At(10, 10));
    EXPECT_TRUE(button.IsHot());
    ::SendMessageW(button.Handle(), WM_MOUSEMOVE, 0, At(12, 10));
    EXPECT_EQ(enters, 1);
    // Held down while moving in: pressed.
    ::SendMessageW(button.Handle(), WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(button.IsHot());
    EXPECT_EQ(leaves, 1);
    ::SendMessageW(button.Handle(), WM_MOUSEMOVE, MK_LBUTTON, At(10, 10));
    EXPECT_TRUE(button.IsPressed());
    EXPECT_EQ(enters, 2);
}

TEST(GlassButton, EraseBackgroundIsAnsweredWithoutDrawing) {
    TestHost host;
    const auto owned = MakeGlassButton(TestForm(), host.get(), {10, 10, 100, 30});
    TvxGlassButton& button = *owned;
    const TImage24 image = Render(100, 30, [&](HDC dc) {
        EXPECT_EQ(::SendMessageW(button.Handle(), WM_ERASEBKGND, WPARAM(dc), 0), 1);
    });
    EXPECT_EQ(image.Pixel(50, 15), (TRGB24{1, 2, 3}));
}

TEST(GlassButton, PropertySetters) {
    TestHost host;
    const auto owned = MakeGlassButton(TestForm(), host.get(), {10, 10, 0, 0});
    TvxGlassButton& button = *owned;
    RECT r;
    ::GetClientRect(button.Handle(), &r);
    EXPECT_EQ(r.right, 57);
    EXPECT_EQ(r.bottom, 27);
    EXPECT_EQ(button.GlossyLevel(), 37);
    EXPECT_EQ(button.Gloss(), 72);
    button.SetGlossyLevel(150);
    EXPECT_EQ(button.GlossyLevel(), 100);
    EXPECT_EQ(button.Gloss(), 196);
    button.SetLightHeight(-4);
    EXPECT_EQ(button.LightHeight(), 0);
    // Color and ColorFrame are stored resolved, ColorDown as given.
    const TColor face = 0xFF000000 | COLOR_BTNFACE;
    button.SetColor(face);
    button.SetColorDown(face);
    EXPECT_EQ(button.Color(), TColor(::GetSysColor(COLOR_BTNFACE)));
    EXPECT_EQ(button.ColorDown(), face);
    EXPECT_FALSE(button.TabStop());
    button.SetTabStop(true);
    EXPECT_TRUE(button.TabStop());
}

namespace {
// A sibling that paints itself solid green when asked for its client area.
LRESULT CALLBACK GreenProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PRINTCLIENT) {
        RECT r;
        ::GetClientRect(window, &r);
        const GdiObject brush(::CreateSolidBrush(RGB(0, 255, 0)));
        ::FillRect(HDC(wParam), &r, HBRUSH(brush.get()));
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}
} // namespace

TEST(GlassButton, SiblingsBeneathShowThroughTheButton) {
    TestHost host(true);
    const auto ownedPanel = MakeVistaPanel(TestForm(), host.get(), {0, 0, 200, 100});
    TvxVistaPanel& panel = *ownedPanel;
    panel.SetStyle(vgSimple);
    panel.SetColor1(0xFFFFFF);
    panel.SetColor2(0xFFFFFF);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = GreenProc;
    wc.lpszClassName = L"SkorvelGreenSibling";
    ::RegisterClassExW(&wc);
    const HWND green = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 20, 20,
                                         30, 30, panel.Handle(), nullptr, nullptr, nullptr);
    // Flat, no caption: only what lies beneath.
    const auto owned = MakeGlassButton(TestForm(), panel.Handle(), {10, 10, 60, 30});
    TvxGlassButton& button = *owned;
    button.SetShadowStyle(ssNone);
    ::SetWindowPos(green, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    const TImage24 image = RenderButton(button);
    EXPECT_EQ(image.Pixel(5, 5), (TRGB24{255, 255, 255}));  // the panel
    EXPECT_EQ(image.Pixel(15, 15), (TRGB24{0, 255, 0}));    // the sibling at (20, 20)
    EXPECT_EQ(image.Pixel(39, 29), (TRGB24{0, 255, 0}));    // its bottom-right corner
    EXPECT_EQ(image.Pixel(40, 5), (TRGB24{255, 255, 255})); // right of it
}
