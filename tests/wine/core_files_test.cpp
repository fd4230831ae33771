// The core's file work under Wine: filter files read with read sharing, the
// filter lists loaded from a real folder, the editor's folder listing, and
// the system ANSI code page.
#include "core/ansi_code_page_win.h"
#include "core/filter_file_win.h"
#include "core/filter_lists_win.h"
#include "platform/os_error.h"

#include "core_temp_folder.h"

#include <gtest/gtest.h>

using namespace skorvel;
using namespace skorvel::testing;

namespace {

using Lines = std::vector<std::wstring>;

// The code of the EOSError that Call raises, 0 when it raises none.
template <typename F> uint32_t OSErrorOf(F call, std::wstring* message = nullptr) {
    try {
        call();
    } catch (const EOSError& e) {
        if (message)
            *message = e.Message();
        return e.ErrorCode();
    }
    return 0;
}

} // namespace

TEST(FilterFileOnDisk, WrittenFilesReadBackInTheirEncoding) {
    TTempFolder folder;
    const Lines lines = {L"\u017C\u00F3\u0142w.exe", L"", L"Gra.exe"};
    for (auto encoding : {TFilterEncoding::feUtf8, TFilterEncoding::feUtf16LE,
                          TFilterEncoding::feUtf16BE, TFilterEncoding::feAnsi}) {
        const std::wstring path = folder.Path() + L"f.txt";
        // Under code page 1252 the Polish letters do not fit: that list is
        // written as UTF-8, so every list reads back exactly.
        const TFilterEncoding written = WriteFilterFile(path, lines, encoding);
        EXPECT_EQ(written, FilterSaveEncoding(lines, encoding, TSystemAnsiCodePage()));
        EXPECT_EQ(TTempFolder::Read(path), EncodeFilterFile(lines, written, TSystemAnsiCodePage()));
        const TFilterText back = ReadFilterFile(path);
        EXPECT_EQ(back.Encoding, written);
        EXPECT_EQ(back.Lines, lines);
    }
}

TEST(FilterFileOnDisk, OpensSharingReadButNotWrite) {
    TTempFolder folder;
    const std::wstring path = folder.Write(L"f.txt", "\xEF\xBB\xBF"
                                                     "a.exe\r\n");
    {
        TFileHold reader(path, GENERIC_READ, FILE_SHARE_READ);
        EXPECT_EQ(ReadFilterFile(path).Lines, Lines{L"a.exe"});
    }
    {
        // A writer that lets everyone in is still refused: the file is opened
        // denying write.
        TFileHold writer(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
        std::wstring message;
        EXPECT_EQ(OSErrorOf([&] { ReadFilterFile(path); }, &message),
                  uint32_t(ERROR_SHARING_VIOLATION));
        EXPECT_NE(message.find(path), std::wstring::npos) << "the message names the file";
    }
    {
        TFileHold exclusive(path, GENERIC_READ, 0);
        EXPECT_EQ(OSErrorOf([&] { ReadFilterFile(path); }), uint32_t(ERROR_SHARING_VIOLATION));
    }
    EXPECT_EQ(OSErrorOf([&] { ReadFilterFile(folder.Path() + L"missing.txt"); }),
              uint32_t(ERROR_FILE_NOT_FOUND));
}

// The file is replaced by renaming a temporary file over it: a file another
// program holds open without delete sharing cannot be replaced, and stays as
// it was, without a temporary file left beside it.
TEST(FilterFileOnDisk, WritingAFileHeldOpenRaisesAndLeavesItWhole) {
    TTempFolder folder;
    const std::wstring path = folder.Write(L"f.txt", "a.exe\r\n");
    {
        TFileHold reader(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
        EXPECT_EQ(OSErrorOf([&] { WriteFilterFile(path, {L"b.exe"}, TFilterEncoding::feAnsi); }),
                  uint32_t(ERROR_ACCESS_DENIED));
    }
    EXPECT_EQ(TTempFolder::Read(path), "a.exe\r\n");
    WIN32_FIND_DATAW entry;
    const HANDLE search = ::FindFirstFileW((folder.Path() + L"*.tmp").c_str(), &entry);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "a temporary file was left behind";
    if (search != INVALID_HANDLE_VALUE)
        ::FindClose(search);
    WriteFilterFile(path, {L"b.exe"}, TFilterEncoding::feAnsi); // released: replaced
    EXPECT_EQ(TTempFolder::Read(path), "b.exe\r\n");
}

TEST(LoadFilterListsOnDisk, MissingKeepsRemovedKeepsUnreadableRaisesLaterRowsKept) {
    TTempFolder folder;
    const std::wstring filters = folder.Path();
    auto file = [&](int row) { return std::wstring(kCategories[row].FileStem) + L".txt"; };
    folder.Write(file(0), "\xEF\xBB\xBF"
                          "av.exe\r\n");
    folder.Write(file(2),
                 EncodeFilterFile({L"gg.exe"}, TFilterEncoding::feUtf16LE, TSystemAnsiCodePage()));
    folder.Write(file(6), "office.exe");
    TFilterFolderFiles files;
    TCategoryFilters lists;
    LoadFilterLists(filters, files, lists);
    EXPECT_EQ(lists[0], Lines{L"av.exe"});
    EXPECT_EQ(lists[2], Lines{L"gg.exe"});
    EXPECT_EQ(lists[6], Lines{L"office.exe"});
    EXPECT_TRUE(lists[1].empty());

    ASSERT_TRUE(::DeleteFileW((filters + file(0)).c_str()));
    folder.Write(file(9), "vd.exe\r\n");
    folder.Write(file(2), "new.exe\r\n");
    folder.Write(file(6), "new-office.exe\r\n");
    TFileHold locked(filters + file(2), GENERIC_READ | GENERIC_WRITE, 0);
    EXPECT_EQ(OSErrorOf([&] { LoadFilterLists(filters, files, lists); }),
              uint32_t(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(lists[0], Lines{L"av.exe"});     // removed: keeps its keywords
    EXPECT_EQ(lists[2], Lines{L"gg.exe"});     // unreadable: unchanged
    EXPECT_EQ(lists[6], Lines{L"office.exe"}); // after the failure: unchanged
    EXPECT_TRUE(lists[9].empty());
}

TEST(ListFilterCategoriesOnDisk, EveryEntryInFileSystemOrderCaptionsMapped) {
    TTempFolder folder;
    folder.Write(L"antywirusy.txt", "");
    folder.Write(L"nowe.txt", "");
    folder.Write(L"INNE.TXT", "");
    folder.Write(L"readme.md", "");
    const std::wstring hidden = folder.Write(L"ukryty.txt", "");
    ASSERT_TRUE(
        ::SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(::CreateDirectoryW((folder.Path() + L"menedzery_plikow.txt").c_str(), nullptr));

    // The order the file system lists the same search in.
    Lines expected;
    WIN32_FIND_DATAW entry;
    const HANDLE search = ::FindFirstFileW((folder.Path() + L"*.txt").c_str(), &entry);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"antywirusy.txt")
            expected.push_back(L"Antywirusy");
        else if (name == L"menedzery_plikow.txt")
            expected.push_back(L"Manad\u017Cery plik\u00F3w i kompresja");
        else if (name == L"nowe.txt")
            expected.push_back(L"nowe");
        else if (name == L"INNE.TXT")
            expected.push_back(L"INNE.TXT");
        else if (name == L"ukryty.txt")
            expected.push_back(L"ukryty");
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
    ASSERT_EQ(expected.size(), 5u);

    Lines target = {L"stale"};
    ListFilterCategories(folder.Path(), target, L"*.txt");
    EXPECT_EQ(target, expected);
    std::wstring noBackslash = folder.Path();
    noBackslash.pop_back();
    ListFilterCategories(noBackslash, target, L"*.txt");
    EXPECT_EQ(target, expected);

    ListFilterCategories(folder.Path() + L"missing", target, L"*.txt");
    EXPECT_TRUE(target.empty());
    target = {L"stale"};
    ListFilterCategories(folder.Path(), target, L"*.none");
    EXPECT_TRUE(target.empty());
}

TEST(SystemAnsiCodePage, FollowsTheSystemCodePage) {
    const TSystemAnsiCodePage ansi;
    const UINT acp = ::GetACP();
    RecordProperty("acp", int(acp));
    // The euro sign sits at 0x80 in both Western and Central European code pages.
    if (acp == 1252 || acp == 1250) {
        EXPECT_EQ(ansi.Decode("\x80"
                              "a"),
                  L"\u20ACa");
        EXPECT_EQ(ansi.Encode(L"\u20ACa"), "\x80"
                                           "a");
    }
    if (acp == 1252) {
        EXPECT_EQ(ansi.Decode("\xE9"), L"\u00E9");
        EXPECT_EQ(ansi.Encode(L"\u00E9"), "\xE9");
    }
    EXPECT_EQ(ansi.Decode(""), L"");
    EXPECT_EQ(ansi.Encode(L""), "");
    // A NUL byte decodes as a NUL character, which ends a filter file's text.
    EXPECT_EQ(DecodeFilterFile(std::string("a.exe\0b.exe", 11), ansi).Lines, Lines{L"a.exe"});
}
