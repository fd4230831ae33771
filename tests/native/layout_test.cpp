#include "ui/framework/layout.h"
#include "ui/framework/shortcut.h"
#include "ui/framework/style.h"

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

// Every error of a reader names the line of the property it is about (the
// node's line for a property that is missing).
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
        {"missing", [&] { root->Text(L"title"); }, L"line 1,"},
        {"number", [&] { root->Int(L"count"); }, L"line 3,"},
        {"numbers", [&] { root->Ints(L"size"); }, L"line 4,"},
        {"rectangle", [&] { root->Rect(L"bounds"); }, L"line 5,"},
        {"truth", [&] { root->Bool(L"flat", false); }, L"line 6,"},
        {"color", [&] { root->Color(L"tint", 0); }, L"line 7,"},
        {"choice", [&] { root->Choice(L"fruit", fruits, 0); }, L"line 8,"},
        {"flag", [&] { root->ChoiceSet(L"flags", flags); }, L"line 9,"},
        {"unread", [&] { root->Finish(); }, L"line 2,"},
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
