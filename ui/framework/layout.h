#pragma once
// Window layouts are data: a small indented text format, one node per line
// ("kind Name") with its properties below it ("key: value"), children
// indented one level deeper. Lines starting with '#' are comments.
//
//     form MainFrm
//         caption: Skorvel
//         panel MainPanel
//             bounds: 0 0 318 421
//
// A property may repeat (the rows of a list, for example). Every property
// that a node carries must be read by the code that builds it: whatever
// builds an object from a node calls Finish() afterwards, which rejects any
// key left unread, so a misspelt key in a layout is an error instead of a
// silent default. Every error names the line it is about.
#include "platform/exception.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace skorvel {

class ELayoutError : public Exception {
public:
    using Exception::Exception;
};

struct TRect {
    int Left = 0, Top = 0, Width = 0, Height = 0;
};

class LayoutNode {
public:
    // source names the layout in error messages.
    LayoutNode(std::wstring kind, std::wstring name, std::wstring source, int line)
        : FKind(std::move(kind)), FName(std::move(name)), FSource(std::move(source)), FLine(line) {}

    const std::wstring& Kind() const { return FKind; }
    const std::wstring& Name() const { return FName; }
    int Line() const { return FLine; }
    const std::vector<std::unique_ptr<LayoutNode>>& Children() const { return FChildren; }

    bool Has(const std::wstring& key) const;
    // Readers mark the key as used. The defaulted forms answer the default when
    // the key is absent; the others raise ELayoutError.
    std::wstring Text(const std::wstring& key) const;
    std::wstring Text(const std::wstring& key, const std::wstring& fallback) const;
    std::vector<std::wstring> Texts(const std::wstring& key) const; // every occurrence
    int Int(const std::wstring& key) const;
    int Int(const std::wstring& key, int fallback) const;
    bool Bool(const std::wstring& key, bool fallback) const;
    std::vector<int> Ints(const std::wstring& key) const; // blank-separated numbers
    TRect Rect(const std::wstring& key) const;
    std::vector<std::wstring> Words(const std::wstring& key) const; // blank-separated
    uint32_t Color(const std::wstring& key, uint32_t fallback) const;
    // A word that names one value of an enumeration; fallback when the key is absent.
    template <typename T>
    T Choice(const std::wstring& key, const std::map<std::wstring, T>& values, T fallback) const {
        return Has(key) ? Pick(key, Text(key), values) : fallback;
    }
    // Blank-separated words, each naming one flag: the flags together, none
    // when the key is absent.
    template <typename T>
    T ChoiceSet(const std::wstring& key, const std::map<std::wstring, T>& values) const {
        T flags{};
        for (const auto& word : Words(key))
            flags = T(flags | Pick(key, word, values));
        return flags;
    }

    // Raises ELayoutError naming the first property nobody read.
    void Finish() const;

    // Raise ELayoutError about the node (at its line), or about one of its
    // properties (at the property's line; the node's when it is absent). The
    // message starts "source(line): kind Name: ", as the parser's do.
    [[noreturn]] void Fail(const std::wstring& what) const;
    [[noreturn]] void FailAt(const std::wstring& key, const std::wstring& what) const;

    // Parser access.
    void Add(std::wstring key, std::wstring value, int line);
    LayoutNode& AddChild(std::unique_ptr<LayoutNode> child);

private:
    template <typename T>
    T Pick(const std::wstring& key, const std::wstring& word,
           const std::map<std::wstring, T>& values) const {
        auto it = values.find(word);
        if (it == values.end()) {
            std::vector<std::wstring> words;
            for (const auto& value : values)
                words.push_back(value.first);
            FailChoice(key, word, words);
        }
        return it->second;
    }
    [[noreturn]] void FailChoice(const std::wstring& key, const std::wstring& word,
                                 const std::vector<std::wstring>& words) const;
    [[noreturn]] void FailAtLine(int line, const std::wstring& what) const;

    struct Property {
        std::wstring Key, Value;
        int Line;
    };
    const Property* Find(const std::wstring& key) const;

    std::wstring FKind, FName, FSource;
    int FLine;
    std::vector<Property> FProperties;
    mutable std::set<std::wstring> FUsed;
    std::vector<std::unique_ptr<LayoutNode>> FChildren;
};

// Parses one layout (UTF-8 text) into its single top-level node. Raises
// ELayoutError on bad indentation, a malformed line, more than one root or a
// control name used twice in the layout.
std::unique_ptr<LayoutNode> ParseLayout(const std::string& utf8, const std::wstring& source);

// A whole word as a number: decimal, or hexadecimal after "0x".
bool ParseNumber(const std::wstring& text, int& value);

// Color values are 0x00BBGGRR; 0xFF0000nn names system color nn. Accepts
// the named colors (white, black, silver, money-green, teal, green, gray,
// sky-blue, aqua, yellow), system color names (btn-face, window-text,
// window, highlight, highlight-text, gray-text, btn-shadow, btn-highlight)
// and #RRGGBB.
bool ParseColor(const std::wstring& text, uint32_t& color);

} // namespace skorvel
