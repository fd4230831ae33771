#include "ui/framework/layout.h"
#include "ui/framework/shortcut.h"
#include "ui/framework/style.h"
#include "platform/text.h"

#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

using namespace skorvel;

namespace {

std::string ReadSource(const std::string& relative) {
    std::ifstream file(std::string(SKORVEL_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// Visits every node, reading every property, as the window builders do.
void ReadAll(const LayoutNode& node, std::vector<std::wstring>& names) {
    names.push_back(node.Name());
    for (const auto& child : node.Children())
        ReadAll(*child, names);
}

const LayoutNode* Find(const LayoutNode& node, const std::wstring& name) {
    if (node.Name() == name)
        return &node;
    for (const auto& child : node.Children())
        if (const LayoutNode* found = Find(*child, name))
            return found;
    return nullptr;
}

} // namespace

TEST(Layout, ParsesNestedNodesWithRepeatedProperties) {
    const auto root = ParseLayout("# comment\n"
                                  "form F\n"
                                  "    caption: Zażółć: gęślą\n"
                                  "    panel P\n"
                                  "        bounds: 1 2 3 4\n"
                                  "        item: a\n"
                                  "        item: b c\n"
                                  "    button B\n"
                                  "        visible: false\n",
                                  L"t");
    EXPECT_EQ(root->Kind(), L"form");
    EXPECT_EQ(root->Text(L"caption"), L"Za\x017C\x00F3\x0142\x0107: g\x0119\x015Bl\x0105");
    ASSERT_EQ(root->Children().size(), 2u);
    const LayoutNode& panel = *root->Children()[0];
    const TRect r = panel.Rect(L"bounds");
    EXPECT_EQ(std::vector<int>({r.Left, r.Top, r.Width, r.Height}), std::vector<int>({1, 2, 3, 4}));
    EXPECT_EQ(panel.Texts(L"item"), std::vector<std::wstring>({L"a", L"b c"}));
    EXPECT_FALSE(root->Children()[1]->Bool(L"visible", true));
    EXPECT_NO_THROW(panel.Finish());
}

TEST(Layout, RejectsMalformedLayouts) {
    const struct {
        const char* text;
        const wchar_t* where;
    } bad[] = {
        {"form F\nform G\n", L"bad(2): "},                   // two roots
        {"form F\n    panel P\n    panel P\n", L"bad(3): "}, // a name used twice
        {"form F\n    panel P\n\tbutton B\n", L"bad(3): "},  // tab indentation
        {"caption: x\n", L"bad(1): "},                       // property outside a node
        {"form F\n    this is not a line\n", L"bad(2): "},   // neither node nor property
        {"", L"bad: "},                                      // empty
    };
    for (const auto& c : bad) {
        EXPECT_THROW(ParseLayout(c.text, L"bad"), ELayoutError) << c.text;
        try {
            ParseLayout(c.text, L"bad");
        } catch (const ELayoutError& e) {
            EXPECT_EQ(e.Message().rfind(c.where, 0), 0u) << c.text << ": " << e.what();
        }
    }
}

TEST(Layout, UnreadPropertiesAndBadValuesAreErrors) {
    const auto root = ParseLayout("form F\n    caption: x\n    captoin: y\n    size: 1 x\n", L"t");
    root->Text(L"caption");
    EXPECT_THROW(root->Finish(), ELayoutError);
    EXPECT_THROW(root->Ints(L"size"), ELayoutError);
    EXPECT_THROW(root->Int(L"missing"), ELayoutError);
    EXPECT_EQ(root->Int(L"missing", 7), 7);
}

TEST(Layout, ColorsByNameSystemNameAndHex) {
    const struct {
        const wchar_t* text;
        uint32_t color;
    } cases[] = {{L"white", 0xFFFFFF},   {L"money-green", 0xC0DCC0}, {L"sky-blue", 0xF0CAA6},
                 {L"teal", 0x808000},    {L"aqua", 0xFFFF00},        {L"yellow", 0x00FFFF},
                 {L"gray", 0x808080},    {L"btn-face", 0xFF00000F},  {L"gray-text", 0xFF000011},
                 {L"#112233", 0x332211}, {L"#abcDEF", 0xEFCDAB}};
    for (const auto& c : cases) {
        uint32_t color = 0;
        EXPECT_TRUE(ParseColor(c.text, color)) << c.text;
        EXPECT_EQ(color, c.color) << c.text;
    }
    // One spelling of each name; hex digits are ASCII only (a full-width
    // digit is no hex digit, whatever the C library says of it).
    for (const wchar_t* bad : {L"#12345", L"purple", L"grey", L"#12345g", L"#1234\xFF15"}) {
        uint32_t color = 0;
        EXPECT_FALSE(ParseColor(bad, color)) << bad;
    }
}

TEST(Layout, NumbersAreDecimalOrHexWholeWords) {
    const struct {
        const wchar_t* text;
        bool valid;
        int value;
    } cases[] = {
        {L"0", true, 0},
        {L"421", true, 421},
        {L"-3", true, -3},
        {L"+7", true, 7},
        {L"010", true, 10},
        {L"0x1F", true, 31},
        {L"-0x10", true, -16},
        {L"2147483647", true, INT_MAX},
        {L"-2147483648", true, INT_MIN},
        {L"", false, 0},
        {L"2147483648", false, 0},
        {L"-2147483649", false, 0},
        {L"12px", false, 0},
        {L"0x", false, 0},
        {L"-", false, 0},
        {L"1 2", false, 0},
        {L"0x1G", false, 0},
        {L"\xFF11", false, 0},
    };
    for (const auto& c : cases) {
        int value = -99;
        EXPECT_EQ(ParseNumber(c.text, value), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

enum class TFruit { frApple, frPear, frPlum };

TEST(Layout, ChoicesAreTypedValuesOfTheirWords) {
    const std::map<std::wstring, TFruit> fruits = {
        {L"apple", TFruit::frApple}, {L"pear", TFruit::frPear}, {L"plum", TFruit::frPlum}};
    const std::map<std::wstring, unsigned> flags = {{L"a", 1}, {L"b", 2}, {L"c", 4}};
    const auto root = ParseLayout("form F\n    fruit: pear\n    flags: c a\n", L"t");
    EXPECT_EQ(root->Choice(L"fruit", fruits, TFruit::frApple), TFruit::frPear);
    EXPECT_EQ(root->Choice(L"other", fruits, TFruit::frPlum), TFruit::frPlum);
    EXPECT_EQ(root->ChoiceSet(L"flags", flags), 5u);
    EXPECT_EQ(root->ChoiceSet(L"none", flags), 0u);
    EXPECT_NO_THROW(root->Finish());
}

// Every error of a reader names the layout and the line of the property it
// is about (the node's line for a property that is missing).
TEST(Layout, EveryReaderErrorNamesItsLine) {
    const auto root = ParseLayout("form F\n"            // 1
                                  "    caption: x\n"    // 2
                                  "    count: seven\n"  // 3
                                  "    size: 1 x\n"     // 4
                                  "    bounds: 1 2 3\n" // 5
                                  "    flat: yes\n"     // 6
                                  "    tint: grey\n"    // 7
                                  "    fruit: kiwi\n"   // 8
                                  "    flags: a d\n"    // 9
                                  "    captoin: y\n",   // 10
                                  L"t");
    const std::map<std::wstring, int> fruits = {{L"apple", 1}, {L"pear", 2}};
    const std::map<std::wstring, unsigned> flags = {{L"a", 1}, {L"b", 2}};
    const struct {
        const char* what;
        std::function<void()> read;
        const wchar_t* line;
    } cases[] = {
        {"missing", [&] { root->Text(L"title"); }, L"t(1): "},
        {"number", [&] { root->Int(L"count"); }, L"t(3): "},
        {"numbers", [&] { root->Ints(L"size"); }, L"t(4): "},
        {"rectangle", [&] { root->Rect(L"bounds"); }, L"t(5): "},
        {"truth", [&] { root->Bool(L"flat", false); }, L"t(6): "},
        {"color", [&] { root->Color(L"tint", 0); }, L"t(7): "},
        {"choice", [&] { root->Choice(L"fruit", fruits, 0); }, L"t(8): "},
        {"flag", [&] { root->ChoiceSet(L"flags", flags); }, L"t(9): "},
        {"unread", [&] { root->Finish(); }, L"t(2): "},
    };
    for (const auto& c : cases) {
        try {
            c.read();
            ADD_FAILURE() << c.what << ": no error";
        } catch (const ELayoutError& e) {
            EXPECT_EQ(e.Message().rfind(c.line, 0), 0u) << c.what << ": " << e.what();
        }
    }
    // The unknown word and the words it could have been.
    try {
        root->Choice(L"fruit", fruits, 0);
        ADD_FAILURE() << "no error";
    } catch (const ELayoutError& e) {
        EXPECT_NE(e.Message().find(L"kiwi (one of: apple, pear)"), std::wstring::npos) << e.what();
    }
}

// "#RRGGBB" is red, green and blue as written; the value holds them as
// 0x00BBGGRR. Only exactly six hexadecimal digits after the "#" are a colour.
TEST(Layout, HexColoursPutEachChannelInItsByte) {
    const struct {
        const wchar_t* text;
        uint32_t colour;
    } good[] = {{L"#FF0000", 0x0000FF}, {L"#00FF00", 0x00FF00}, {L"#0000FF", 0xFF0000},
                {L"#A1B2C3", 0xC3B2A1}, {L"#abcdef", 0xEFCDAB}, {L"#000000", 0x000000},
                {L"#FFFFFF", 0xFFFFFF}, {L"#0F1E2D", 0x2D1E0F}};
    for (const auto& c : good) {
        uint32_t colour = 0x12345678;
        ASSERT_TRUE(ParseColor(c.text, colour)) << WideToUtf8(c.text);
        EXPECT_EQ(colour, c.colour) << WideToUtf8(c.text);
    }
    for (const wchar_t* text : {L"#12345G", L"#G12345", L"#1234567", L"#12345", L"112233",
                                L"#-12345", L"# 12345", L"#0x1234", L"#", L""}) {
        uint32_t colour = 0;
        EXPECT_FALSE(ParseColor(text, colour)) << WideToUtf8(text);
    }
}

TEST(Layout, WordsAndNumbersSplitAtRunsOfBlanks) {
    const auto root = ParseLayout("form F\n"
                                  "    words: a  bb   c\n"
                                  "    one: single\n"
                                  "    numbers: 1   -2  0x10 7\n"
                                  "    tabbed: a\tb\n"
                                  "    panel   P\n",
                                  L"t");
    EXPECT_EQ(root->Words(L"words"), (std::vector<std::wstring>{L"a", L"bb", L"c"}));
    EXPECT_EQ(root->Words(L"one"), std::vector<std::wstring>{L"single"});
    EXPECT_EQ(root->Words(L"tabbed"), std::vector<std::wstring>{L"a\tb"}); // blanks only
    EXPECT_TRUE(root->Words(L"missing").empty());
    EXPECT_EQ(root->Ints(L"numbers"), (std::vector<int>{1, -2, 16, 7}));
    ASSERT_EQ(root->Children().size(), 1u);
    EXPECT_EQ(root->Children()[0]->Name(), L"P");
    EXPECT_THROW(ParseLayout("form F\n    panel P extra\n", L"t"), ELayoutError);
}

TEST(Layout, BooleansAreTrueFalseOrTheFallback) {
    const auto root = ParseLayout("form F\n"
                                  "    yes: true\n"
                                  "    no: false\n"
                                  "    odd: True\n"
                                  "    other: 1\n",
                                  L"t");
    for (const bool fallback : {false, true}) {
        EXPECT_TRUE(root->Bool(L"yes", fallback));
        EXPECT_FALSE(root->Bool(L"no", fallback));
        EXPECT_EQ(root->Bool(L"missing", fallback), fallback);
        EXPECT_THROW(root->Bool(L"odd", fallback), ELayoutError);
        EXPECT_THROW(root->Bool(L"other", fallback), ELayoutError);
    }
}

TEST(ShortCut, TextAndValueBothWays) {
    const struct {
        const wchar_t* text;
        TShortCut value;
    } cases[] = {{L"F1", 112},           {L"F2", 113}, {L"Ctrl+A", 16449},    {L"Ctrl+Z", 16474},
                 {L"Ctrl+Alt+Z", 49242}, {L"Del", 46}, {L"Shift+F10", 0x2079}};
    for (const auto& c : cases) {
        TShortCut value = 0;
        ASSERT_TRUE(TextToShortCut(c.text, value)) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
        EXPECT_EQ(ShortCutToText(c.value), c.text);
    }
    TShortCut value = 0;
    EXPECT_FALSE(TextToShortCut(L"Ctrl+", value));
    EXPECT_FALSE(TextToShortCut(L"F25", value));
    EXPECT_FALSE(TextToShortCut(L"Hyper+A", value));
}

// Every key name against the platform's virtual-key code (the VK_ constants
// of the Windows headers), both ways, with the bounds of the letter, digit
// and function-key ranges.
TEST(ShortCut, EveryKeyNameIsItsVirtualKeyCode) {
    const struct {
        const wchar_t* name;
        uint8_t key;
    } keys[] = {
        {L"Backspace", 0x08},                                                          // VK_BACK
        {L"Tab", 0x09},                                                                // VK_TAB
        {L"Enter", 0x0D},                                                              // VK_RETURN
        {L"Esc", 0x1B},                                                                // VK_ESCAPE
        {L"Space", 0x20},                                                              // VK_SPACE
        {L"PgUp", 0x21},                                                               // VK_PRIOR
        {L"PgDn", 0x22},                                                               // VK_NEXT
        {L"End", 0x23},                                                                // VK_END
        {L"Home", 0x24},                                                               // VK_HOME
        {L"Left", 0x25},                                                               // VK_LEFT
        {L"Up", 0x26},                                                                 // VK_UP
        {L"Right", 0x27},                                                              // VK_RIGHT
        {L"Down", 0x28},                                                               // VK_DOWN
        {L"Ins", 0x2D},                                                                // VK_INSERT
        {L"Del", 0x2E},                                                                // VK_DELETE
        {L"0", 0x30},         {L"9", 0x39}, {L"A", 0x41}, {L"Z", 0x5A}, {L"F1", 0x70}, // VK_F1
        {L"F12", 0x7B},                                                                // VK_F12
        {L"F24", 0x87},                                                                // VK_F24
    };
    for (const auto& k : keys) {
        TShortCut value = 0;
        ASSERT_TRUE(TextToShortCut(k.name, value)) << WideToUtf8(k.name);
        EXPECT_EQ(value, k.key) << WideToUtf8(k.name);
        EXPECT_EQ(ShortCutToText(k.key), k.name);
        const std::wstring chord = std::wstring(L"Ctrl+Shift+") + k.name;
        ASSERT_TRUE(TextToShortCut(chord, value)) << WideToUtf8(chord);
        EXPECT_EQ(value, TShortCut(k.key | kCtrlFlag | kShiftFlag)) << WideToUtf8(chord);
        EXPECT_EQ(ShortCutToText(value), L"Shift+Ctrl+" + std::wstring(k.name));
    }
    for (const wchar_t* text : {L"F0", L"F00", L"a", L"Escape", L"", L"+A", L"Del+"}) {
        TShortCut value = 0;
        EXPECT_FALSE(TextToShortCut(text, value)) << WideToUtf8(text);
    }
    // Codes without a name have no text.
    for (const uint8_t key : {0x00, 0x2F, 0x40, 0x5B, 0x6F, 0x88})
        EXPECT_EQ(ShortCutToText(key), L"") << int(key);
}

TEST(Style, TheProgramsStyleIsComplete) {
    const TStyle style = ParseStyle(ReadSource("resources/styles/aqua_light_slate.style"));
    EXPECT_EQ(style.Title, L"Aqua Light Slate");
    EXPECT_NE(style.SelectionBackground, style.ControlBackground);
    EXPECT_THROW(ParseStyle("style S\n    title: x\n"), ELayoutError);
}

TEST(ShippedLayouts, ParseWithUniqueNames) {
    for (const char* file :
         {"resources/layouts/main_frm.layout", "resources/layouts/edytor_frm.layout"}) {
        const auto root = ParseLayout(ReadSource(file), L"shipped");
        EXPECT_EQ(root->Kind(), L"form") << file;
        std::vector<std::wstring> names;
        ReadAll(*root, names);
        EXPECT_FALSE(names.empty());
    }
}

TEST(ShippedLayouts, MainWindowShortcutsAndStartVisibility) {
    const auto root = ParseLayout(ReadSource("resources/layouts/main_frm.layout"), L"main");
    const struct {
        const wchar_t* item;
        TShortCut shortCut;
    } shortcuts[] = {{L"StronaMenuBtn", 112},
                     {L"AboutMenuBtn", 113},
                     {L"ZaznaczWszystkoMenuBtn", 16449},
                     {L"OdznaczWszystkoMenuBtn", 16474},
                     {L"PrzywrocDomyslneMenuBtn", 49242}};
    for (const auto& s : shortcuts) {
        const LayoutNode* item = Find(*root, s.item);
        ASSERT_NE(item, nullptr) << s.item;
        TShortCut value = 0;
        ASSERT_TRUE(TextToShortCut(item->Text(L"shortcut"), value));
        EXPECT_EQ(value, s.shortCut) << s.item;
    }
    EXPECT_FALSE(Find(*root, L"PrzywrocMenuBtn")->Bool(L"visible", true));
    EXPECT_FALSE(Find(*root, L"PrzywrocBtn")->Bool(L"visible", true));
    EXPECT_TRUE(Find(*root, L"StartBtn")->Bool(L"visible", true));
}
