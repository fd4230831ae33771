#include "platform/path_text.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace skorvel;

TEST(ReplaceFirst, ReplacesOnlyTheFirstExactOccurrence) {
    const struct {
        const wchar_t *source, *find, *replacement, *result;
    } cases[] = {
        {L"abcabc", L"bc", L"X", L"aXabc"},
        {L"INNE.TXT", L".txt", L"", L"INNE.TXT"},
        {L"inne.txt", L".txt", L"", L"inne"},
        {L"abc", L"", L"X", L"abc"},
        {L"", L"a", L"X", L""},
        {L"a.txt.txt", L".txt", L"", L"a.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReplaceFirst(c.source, c.find, c.replacement), c.result) << c.source;
}

TEST(NativePath, RedirectsEverySystem32UnderWow64Only) {
    const std::wstring hosts = L"C:\\Windows\\System32\\drivers\\etc\\hosts";
    EXPECT_EQ(NativePath(hosts, [] { return true; }),
              L"C:\\Windows\\Sysnative\\drivers\\etc\\hosts");
    EXPECT_EQ(NativePath(hosts, [] { return false; }), hosts);
    EXPECT_EQ(NativePath(L"C:\\SYSTEM32\\x\\system32y", [] { return true; }),
              L"C:\\Sysnative\\x\\Sysnativey");
    EXPECT_THROW(NativePath(hosts, []() -> bool { throw std::runtime_error("probe"); }),
                 std::runtime_error);
}

TEST(DrivePart, LetterDrivesAndShares) {
    const struct {
        const wchar_t *path, *drive;
    } cases[] = {
        {L"C:\\Program Files\\a.txt", L"C:"},
        {L"d:", L"d:"},
        {L"\\\\server\\share\\folder\\a.txt", L"\\\\server\\share"},
        {L"\\\\server\\share", L"\\\\server\\share"},
        {L"relative\\a.txt", L""},
        {L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DrivePart(c.path), c.drive) << c.path;
}
