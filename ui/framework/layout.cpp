#include "ui/framework/layout.h"

#include "platform/text.h"

#include <climits>
#include <cwctype>

namespace skorvel {

namespace {

std::wstring Trim(const std::wstring& s) {
    const size_t first = s.find_first_not_of(L" \t\r");
    if (first == std::wstring::npos)
        return std::wstring();
    const size_t last = s.find_last_not_of(L" \t\r");
    return s.substr(first, last - first + 1);
}

bool IsIdentifier(const std::wstring& s) {
    if (s.empty())
        return false;
    for (wchar_t c : s)
        if (!(std::iswalnum(c) || c == L'_' || c == L'-'))
            return false;
    return true;
}

std::vector<std::wstring> SplitBlanks(const std::wstring& s) {
    std::vector<std::wstring> words;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && s[i] == L' ')
            ++i;
        const size_t start = i;
        while (i < s.size() && s[i] != L' ')
            ++i;
        if (i > start)
            words.push_back(s.substr(start, i - start));
    }
    return words;
}

int DigitValue(wchar_t c) {
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

} // namespace

const LayoutNode::Property* LayoutNode::Find(const std::wstring& key) const {
    for (const auto& p : FProperties)
        if (p.Key == key) {
            FUsed.insert(key);
            return &p;
        }
    return nullptr;
}

bool LayoutNode::Has(const std::wstring& key) const {
    for (const auto& p : FProperties)
        if (p.Key == key)
            return true;
    return false;
}

void LayoutNode::Fail(const std::wstring& what) const {
    FailAtLine(FLine, what);
}

void LayoutNode::FailAt(const std::wstring& key, const std::wstring& what) const {
    for (const auto& p : FProperties)
        if (p.Key == key)
            FailAtLine(p.Line, what);
    FailAtLine(FLine, what);
}

void LayoutNode::FailAtLine(int line, const std::wstring& what) const {
    throw ELayoutError(FSource + L"(" + std::to_wstring(line) + L"): " + FKind + L" " + FName +
                       L": " + what);
}

void LayoutNode::FailChoice(const std::wstring& key, const std::wstring& word,
                            const std::vector<std::wstring>& words) const {
    std::wstring allowed;
    for (const auto& w : words)
        allowed += (allowed.empty() ? L"" : L", ") + w;
    FailAt(key, L"'" + key + L"' cannot be " + word + L" (one of: " + allowed + L")");
}

std::wstring LayoutNode::Text(const std::wstring& key) const {
    if (auto* p = Find(key))
        return p->Value;
    Fail(L"missing property '" + key + L"'");
}

std::wstring LayoutNode::Text(const std::wstring& key, const std::wstring& fallback) const {
    auto* p = Find(key);
    return p ? p->Value : fallback;
}

std::vector<std::wstring> LayoutNode::Texts(const std::wstring& key) const {
    std::vector<std::wstring> values;
    for (const auto& p : FProperties)
        if (p.Key == key)
            values.push_back(p.Value);
    FUsed.insert(key);
    return values;
}

int LayoutNode::Int(const std::wstring& key) const {
    int value = 0;
    if (!ParseNumber(Text(key), value))
        FailAt(key, L"'" + key + L"' is not a number");
    return value;
}

int LayoutNode::Int(const std::wstring& key, int fallback) const {
    return Has(key) ? Int(key) : fallback;
}

bool LayoutNode::Bool(const std::wstring& key, bool fallback) const {
    if (!Has(key))
        return fallback;
    const std::wstring value = Text(key);
    if (value == L"true")
        return true;
    if (value == L"false")
        return false;
    FailAt(key, L"'" + key + L"' must be true or false");
}

std::vector<int> LayoutNode::Ints(const std::wstring& key) const {
    std::vector<int> values;
    for (const auto& word : SplitBlanks(Text(key))) {
        int value = 0;
        if (!ParseNumber(word, value))
            FailAt(key, L"'" + key + L"' holds a word that is not a number: " + word);
        values.push_back(value);
    }
    return values;
}

TRect LayoutNode::Rect(const std::wstring& key) const {
    const auto v = Ints(key);
    if (v.size() != 4)
        FailAt(key, L"'" + key + L"' needs left, top, width and height");
    return {v[0], v[1], v[2], v[3]};
}

std::vector<std::wstring> LayoutNode::Words(const std::wstring& key) const {
    return Has(key) ? SplitBlanks(Text(key)) : std::vector<std::wstring>();
}

uint32_t LayoutNode::Color(const std::wstring& key, uint32_t fallback) const {
    if (!Has(key))
        return fallback;
    uint32_t color = 0;
    if (!ParseColor(Text(key), color))
        FailAt(key, L"'" + key + L"' is not a color: " + Text(key));
    return color;
}

void LayoutNode::Finish() const {
    for (const auto& p : FProperties)
        if (!FUsed.count(p.Key))
            FailAtLine(p.Line, L"unknown property '" + p.Key + L"'");
}

void LayoutNode::Add(std::wstring key, std::wstring value, int line) {
    FProperties.push_back({std::move(key), std::move(value), line});
}

LayoutNode& LayoutNode::AddChild(std::unique_ptr<LayoutNode> child) {
    FChildren.push_back(std::move(child));
    return *FChildren.back();
}

namespace {

// Builds the tree one line at a time: the nodes still open, each with its
// indentation, and the names used so far.
class TLayoutParser {
public:
    explicit TLayoutParser(const std::wstring& source) : FSource(source) {}

    void Line(const std::wstring& raw, int number) {
        const std::wstring line = Trim(raw);
        if (line.empty() || line[0] == L'#')
            return;
        const int indent = int(raw.find_first_not_of(L' '));
        if (raw[indent] == L'\t')
            Fail(number, L"tabs are not allowed for indentation");
        while (!FOpen.empty() && FOpen.back().first >= indent)
            FOpen.pop_back();
        const size_t colon = line.find(L':');
        if (colon != std::wstring::npos && IsIdentifier(Trim(line.substr(0, colon))))
            AddProperty(Trim(line.substr(0, colon)), Trim(line.substr(colon + 1)), number);
        else
            AddNode(line, indent, number);
    }

    std::unique_ptr<LayoutNode> Root() {
        if (!FRoot)
            throw ELayoutError(FSource + L": empty layout");
        return std::move(FRoot);
    }

private:
    [[noreturn]] void Fail(int line, const std::wstring& what) const {
        throw ELayoutError(FSource + L"(" + std::to_wstring(line) + L"): " + what);
    }

    void AddProperty(std::wstring key, std::wstring value, int number) {
        if (FOpen.empty())
            Fail(number, L"property outside of any node");
        FOpen.back().second->Add(std::move(key), std::move(value), number);
    }

    void AddNode(const std::wstring& line, int indent, int number) {
        const auto words = SplitBlanks(line);
        if (words.size() != 2 || !IsIdentifier(words[0]) || !IsIdentifier(words[1]))
            Fail(number, L"expected 'kind Name' or 'key: value'");
        if (!FNames.insert(words[1]).second)
            Fail(number, L"the name " + words[1] + L" is used twice");
        auto node = std::make_unique<LayoutNode>(words[0], words[1], FSource, number);
        LayoutNode* added = node.get();
        if (!FOpen.empty())
            FOpen.back().second->AddChild(std::move(node));
        else if (!FRoot)
            FRoot = std::move(node);
        else
            Fail(number, L"a layout has one root node");
        FOpen.emplace_back(indent, added);
    }

    const std::wstring& FSource;
    std::unique_ptr<LayoutNode> FRoot;
    std::vector<std::pair<int, LayoutNode*>> FOpen;
    std::set<std::wstring> FNames;
};

} // namespace

std::unique_ptr<LayoutNode> ParseLayout(const std::string& utf8, const std::wstring& source) {
    std::wstring text = Utf8ToWide(utf8);
    if (!text.empty() && text[0] == L'\xFEFF')
        text.erase(0, 1);
    TLayoutParser parser(source);
    int number = 0;
    for (size_t pos = 0; pos <= text.size();) {
        const size_t end = std::min(text.find(L'\n', pos), text.size());
        parser.Line(text.substr(pos, end - pos), ++number);
        pos = end + 1;
    }
    return parser.Root();
}

// Decimal unless written with "0x": a leading zero does not make a number octal.
bool ParseNumber(const std::wstring& text, int& value) {
    size_t i = 0;
    const bool negative = !text.empty() && text[0] == L'-';
    if (negative || (!text.empty() && text[0] == L'+'))
        i = 1;
    int base = 10;
    if (text.compare(i, 2, L"0x") == 0 || text.compare(i, 2, L"0X") == 0) {
        base = 16;
        i += 2;
    }
    if (i == text.size())
        return false;
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    long long magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i]);
        if (digit < 0 || digit >= base)
            return false;
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            return false;
    }
    value = int(negative ? -magnitude : magnitude);
    return true;
}

bool ParseColor(const std::wstring& text, uint32_t& color) {
    static const std::map<std::wstring, uint32_t> kNamed = {
        {L"black", 0x000000},       {L"green", 0x008000},        {L"teal", 0x808000},
        {L"gray", 0x808080},        {L"silver", 0xC0C0C0},       {L"yellow", 0x00FFFF},
        {L"aqua", 0xFFFF00},        {L"white", 0xFFFFFF},        {L"money-green", 0xC0DCC0},
        {L"sky-blue", 0xF0CAA6},    {L"btn-face", 0xFF00000F},   {L"window-text", 0xFF000008},
        {L"window", 0xFF000005},    {L"highlight", 0xFF00000D},  {L"highlight-text", 0xFF00000E},
        {L"gray-text", 0xFF000011}, {L"btn-shadow", 0xFF000010}, {L"btn-highlight", 0xFF000014},
    };
    if (auto it = kNamed.find(text); it != kNamed.end()) {
        color = it->second;
        return true;
    }
    if (text.size() != 7 || text[0] != L'#')
        return false;
    uint32_t rgb = 0;
    for (size_t i = 1; i < 7; ++i) {
        const int digit = DigitValue(text[i]);
        if (digit < 0)
            return false;
        rgb = rgb << 4 | uint32_t(digit);
    }
    color = ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
    return true;
}

} // namespace skorvel
