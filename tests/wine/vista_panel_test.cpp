#include "tests/wine/control_presets.h"
#include "ui/controls/panel_paint.h"
#include "ui/controls/vista_panel.h"

#include "controls_support.h"

#include <gtest/gtest.h>

using namespace skorvel;
using namespace skorvel::testing;

namespace {

constexpr TRGB24 kSentinel{1, 2, 3};

TImage24 RenderPanel(TvxVistaPanel& panel) {
    RECT r;
    ::GetClientRect(panel.Handle(), &r);
    return Render(r.right, r.bottom, [&](HDC dc) { panel.PaintWindow(dc); });
}

bool HasUpdate(HWND window) {
    return ::GetUpdateRect(window, nullptr, FALSE) != FALSE;
}

} // namespace

TEST(VistaPanel, MainPanelIsAGreyGradientFromWhiteToSilver) {
    TestHost host;
    const auto owned = MakeVistaPanel(TestForm(), host.get(), {0, 0, 318, 421});
    TvxVistaPanel& panel = *owned;
    ASSERT_TRUE(ApplyVistaPanelSettings(panel, L"MainPanel"));
    const TImage24 image = RenderPanel(panel);
    int previous = 256;
    for (int y = 0; y < 421; ++y) {
        const TRGB24 first = image.Pixel(0, y);
        ASSERT_TRUE(first.R == first.G && first.G == first.B) << y << " " << Hex(first);
        for (int x = 1; x < 318; ++x)
            ASSERT_EQ(image.Pixel(x, y), first) << x << "," << y;
        EXPECT_LE(first.R, previous) << y;
        previous = first.R;
    }
    EXPECT_EQ(image.Pixel(0, 0), (TRGB24{255, 255, 255}));
    EXPECT_GE(image.Pixel(0, 420).R, 0xC0);
    EXPECT_LE(image.Pixel(0, 420).R, 0xC1);
}

TEST(VistaPanel, BottomPanelRunsFromSilverToWhite) {
    TestHost host;
    const auto owned = MakeVistaPanel(TestForm(), host.get(), {0, 0, 313, 46});
    TvxVistaPanel& panel = *owned;
    ASSERT_TRUE(ApplyVistaPanelSettings(panel, L"BottomPanel"));
    EXPECT_FALSE(ApplyVistaPanelSettings(panel, L"KategorieList"));
    const TImage24 image = RenderPanel(panel);
    EXPECT_EQ(image.Pixel(100, 0), (TRGB24{0xC0, 0xC0, 0xC0}));
    EXPECT_GE(image.Pixel(100, 45).R, 0xFD);
}

TEST(VistaPanel, VistaAndGlassFillsComeFromThePortableFills) {
    TestHost host;
    const auto owned = MakeVistaPanel(TestForm(), host.get(), {0, 0, 41, 37});
    TvxVistaPanel& panel = *owned;
    panel.SetColor1(0x102030);
    panel.SetColor2(0xE0D0C0);
    panel.SetColor3(0xFF000000 | COLOR_HIGHLIGHT); // a system colour, resolved
    panel.SetColor4(0x808000);
    panel.SetCenter(true);
    TImage24 expected(41, 37);
    PaintVista(expected.View(), 0x102030, 0xE0D0C0, ::GetSysColor(COLOR_HIGHLIGHT), 0x808000, true);
    const TImage24 vista = RenderPanel(panel);
    for (int y = 0; y < 37; ++y)
        for (int x = 0; x < 41; ++x)
            ASSERT_EQ(vista.Pixel(x, y), expected.Pixel(x, y)) << x << "," << y;

    // vgGlass: the 36-row column stretched over 37 rows, every row one of the
    // column's rows, in order, from the first to the last.
    panel.SetStyle(vgGlass);
    const TImage24 glass = RenderPanel(panel);
    const TImage24 column = GlassColumn(0x102030, 0xE0D0C0, 37);
    ASSERT_EQ(column.Height(), 36);
    int source = 0;
    for (int y = 0; y < 37; ++y) {
        while (source < 36 && column.Pixel(0, source) != glass.Pixel(0, y))
            ++source;
        ASSERT_LT(source, 36) << "row " << y << " is no row of the column at or after the last";
        for (int x = 1; x < 41; ++x)
            ASSERT_EQ(glass.Pixel(x, y), glass.Pixel(0, y));
    }
    EXPECT_EQ(glass.Pixel(0, 0), column.Pixel(0, 0));
    EXPECT_EQ(glass.Pixel(0, 36), column.Pixel(0, 35));
}

TEST(VistaPanel, FrameLinesLeaveTheirEndPointsUndrawn) {
    TestHost host;
    const auto owned = MakeVistaPanel(TestForm(), host.get(), {0, 0, 6, 5});
    TvxVistaPanel& panel = *owned;
    panel.SetStyle(vgAlpha); // paints nothing but the frame lines
    panel.SetColorFrame(0x0000FF);
    const TRGB24 red{0, 0, 255};
    const struct {
        TFrameOptions frames;
        std::vector<std::string> picture;
    } cases[] = {
        {frTop, {"#####.", "......", "......", "......", "......"}},
        {frBottom, {"......", "......", "......", "......", "######"}},
        {frLeft, {"#.....", "#.....", "#.....", "#.....", "......"}},
        {frRight, {".....#", ".....#", ".....#", ".....#", "......"}},
        {TFrameOptions(frLeft | frTop | frRight | frBottom),
         {"######", "#....#", "#....#", "#....#", "######"}},
    };
    for (const auto& c : cases) {
        panel.SetFrames(c.frames);
        const TImage24 image = RenderPanel(panel);
        std::vector<std::string> picture;
        for (int y = 0; y < 5; ++y) {
            std::string row;
            for (int x = 0; x < 6; ++x)
                row += image.Pixel(x, y) == red ? '#' : image.Pixel(x, y) == kSentinel ? '.' : '?';
            picture.push_back(row);
        }
        EXPECT_EQ(picture, c.picture) << int(c.frames);
    }
}

TEST(VistaPanel, OpacityMixesWithTheParentsRendering) {
    TestHost host;
    // vgVista with its default colours.
    const auto ownedParent = MakeVistaPanel(TestForm(), host.get(), {0, 0, 60, 50});
    TvxVistaPanel& parent = *ownedParent;
    const auto ownedChild = MakeVistaPanel(TestForm(), parent.Handle(), {10, 5, 30, 20});
    TvxVistaPanel& child = *ownedChild;
    child.SetStyle(vgVista);
    child.SetColor1(0x0000FF);
    child.SetColor2(0x00FF00);
    const TImage24 under = Crop(RenderPanel(parent), 10, 5, 30, 20);
    TImage24 fill(30, 20);
    PaintVista(fill.View(), 0x0000FF, 0x00FF00, child.Color3(), child.Color4(), false);

    for (const int opacity : {0, 100, 254}) {
        child.SetOpacity(std::uint8_t(opacity));
        const TImage24 image = RenderPanel(child);
        TImage24 expected = under;
        BlendWithFill(expected.View(), fill.View(), std::uint8_t(opacity));
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 30; ++x)
                ASSERT_EQ(image.Pixel(x, y), expected.Pixel(x, y))
                    << opacity << " " << x << "," << y;
    }
    // vgAlpha tints the parent's rendering toward Color1 (its stored bytes).
    child.SetStyle(vgAlpha);
    child.SetOpacity(77);
    TImage24 tinted = under;
    BlendWithColor(tinted.View(), 0x0000FF, 77);
    const TImage24 alpha = RenderPanel(child);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x)
            ASSERT_EQ(alpha.Pixel(x, y), tinted.Pixel(x, y)) << x << "," << y;
    // Opaque vgAlpha paints nothing: the surface keeps what it held.
    child.SetOpacity(255);
    const TImage24 nothing = RenderPanel(child);
    EXPECT_EQ(nothing.Pixel(0, 0), kSentinel);
    EXPECT_EQ(nothing.Pixel(29, 19), kSentinel);
}

TEST(VistaPanel, EraseBackgroundIsAnsweredWithoutDrawing) {
    TestHost host;
    const auto owned = MakeVistaPanel(TestForm(), host.get(), {0, 0, 20, 10});
    TvxVistaPanel& panel = *owned;
    const TImage24 image = Render(20, 10, [&](HDC dc) {
        EXPECT_EQ(::SendMessageW(panel.Handle(), WM_ERASEBKGND, WPARAM(dc), 0), 1);
    });
    EXPECT_EQ(image.Pixel(5, 5), kSentinel);
    // A paint request carrying a DC paints into that DC.
    const TImage24 painted =
        Render(20, 10, [&](HDC dc) { ::SendMessageW(panel.Handle(), WM_PAINT, WPARAM(dc), 0); });
    EXPECT_NE(painted.Pixel(5, 5), kSentinel);
}

TEST(VistaPanel, ChangesInvalidateThePanelAndTheChildrenThatShowIt) {
    TestHost host(true); // hidden windows have no update region
    const auto owned = MakeVistaPanel(TestForm(), host.get(), {0, 0, 100, 80});
    TvxVistaPanel& panel = *owned;
    const HWND child = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 10, 20, 20,
                                         panel.Handle(), nullptr, nullptr, nullptr);
    auto validate = [&] {
        PumpMessages();
        ::ValidateRect(panel.Handle(), nullptr);
        ::ValidateRect(child, nullptr);
    };
    validate();
    panel.SetColor2(0x123456);
    EXPECT_TRUE(HasUpdate(panel.Handle()));
    EXPECT_TRUE(HasUpdate(child));

    // The picture repaints only while it is the fill.
    validate();
    const GdiObject tile(::CreateBitmap(2, 2, 1, 32, nullptr));
    panel.SetPicture(HBITMAP(tile.get()));
    EXPECT_FALSE(HasUpdate(panel.Handle()));
    panel.SetStyle(vgImage);
    EXPECT_TRUE(HasUpdate(panel.Handle()));

    // Moving invalidates too.
    validate();
    ::SetWindowPos(panel.Handle(), nullptr, 3, 4, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_TRUE(HasUpdate(panel.Handle()));
}

TEST(VistaPanel, ImageStyleTilesThePicture) {
    TestHost host;
    const auto owned = MakeVistaPanel(TestForm(), host.get(), {0, 0, 7, 5});
    TvxVistaPanel& panel = *owned;
    panel.SetStyle(vgImage);
    EXPECT_EQ(RenderPanel(panel).Pixel(3, 3), kSentinel); // no picture: nothing drawn
    // A 3 × 2 tile, its top-left pixel red, the rest blue.
    TDibImage tile;
    ASSERT_TRUE(tile.SetSize(3, 2));
    tile.Pixels().Fill({255, 0, 0});
    tile.Pixels().SetPixel(0, 0, {0, 0, 255});
    panel.SetPicture(HBITMAP(::GetCurrentObject(tile.Dc(), OBJ_BITMAP)));
    const TImage24 image = RenderPanel(panel);
    const TRGB24 red{0, 0, 255}, blue{255, 0, 0};
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            const TRGB24 expected = x % 3 == 0 && y % 2 == 0 ? red : blue;
            EXPECT_EQ(image.Pixel(x, y), expected) << x << "," << y;
        }
}

TEST(VistaPanel, BorderStyleSingleIsASunkenEdgeAndKeepsTheChildren) {
    TestHost host;
    const auto owned = MakeVistaPanel(TestForm(), host.get(), {0, 0, 100, 80});
    TvxVistaPanel& panel = *owned;
    const HWND child = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 10, 20, 20,
                                         panel.Handle(), nullptr, nullptr, nullptr);
    auto styles = [&] {
        return std::pair{::GetWindowLongPtrW(panel.Handle(), GWL_STYLE) & WS_BORDER,
                         ::GetWindowLongPtrW(panel.Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE};
    };
    EXPECT_EQ(styles(), (std::pair<LONG_PTR, LONG_PTR>{0, 0}));
    panel.SetBorderStyle(bsSingle);
    EXPECT_EQ(styles(), (std::pair<LONG_PTR, LONG_PTR>{0, WS_EX_CLIENTEDGE}));
    RECT client;
    ::GetClientRect(panel.Handle(), &client);
    EXPECT_EQ(client.right, 96);
    panel.SetCtl3D(false);
    EXPECT_EQ(styles(), (std::pair<LONG_PTR, LONG_PTR>{WS_BORDER, 0}));
    EXPECT_TRUE(::IsWindow(child));
    EXPECT_EQ(::GetParent(child), panel.Handle());
}

TEST(VistaPanel, MouseDownReportsButtonAndPosition) {
    TestHost host;
    const auto owned = MakeVistaPanel(TestForm(), host.get(), {0, 0, 100, 80});
    TvxVistaPanel& panel = *owned;
    std::vector<std::tuple<TMouseButton, TShiftState, int, int>> downs;
    int clicks = 0;
    panel.OnMouseDown = [&](TObject&, TMouseButton b, TShiftState s, int x, int y) {
        downs.emplace_back(b, s, x, y);
    };
    panel.OnClick = [&](TObject&) { ++clicks; };
    ::SendMessageW(panel.Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(7, 9));
    ::SendMessageW(panel.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 40));
    ::SendMessageW(panel.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(30, 40));
    ASSERT_EQ(downs.size(), 2u);
    EXPECT_EQ(std::get<0>(downs[0]), TMouseButton::mbRight);
    EXPECT_EQ(std::get<2>(downs[0]), 7);
    EXPECT_EQ(std::get<3>(downs[0]), 9);
    EXPECT_EQ(std::get<0>(downs[1]), TMouseButton::mbLeft);
    EXPECT_TRUE(std::get<1>(downs[1]) & ssLeft);
    EXPECT_EQ(clicks, 1);
}
