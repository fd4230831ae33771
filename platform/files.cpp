#include "platform/files.h"

#include "platform/handles.h"
#include "platform/os_error.h"

#include <algorithm>

namespace skorvel {

namespace {

[[noreturn]] void RaiseFileError(const wchar_t* what, const std::wstring& path) {
    const DWORD code = ::GetLastError();
    throw EOSError(code, std::wstring(what) + L" \"" + path + L"\". " + SystemErrorMessage(code));
}

} // namespace

std::string ReadWholeFile(const std::wstring& Path) {
    const FileHandle file(::CreateFileW(Path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        RaiseFileError(L"Cannot open file", Path);
    std::string bytes;
    char buffer[64 * 1024];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr))
            RaiseFileError(L"Cannot read file", Path);
        if (read == 0)
            return bytes;
        bytes.append(buffer, read);
    }
}

namespace {

void WriteAll(HANDLE file, const std::string& bytes, const std::wstring& path) {
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = DWORD(std::min<size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr))
            RaiseFileError(L"Cannot write file", path);
        done += written;
    }
}

// A file of the temporary-file name scheme in the folder of Path, created
// empty; deleted again when the owner goes without having been released.
class TemporarySibling {
public:
    explicit TemporarySibling(const std::wstring& path) {
        const size_t slash = path.find_last_of(L"\\/");
        const std::wstring folder = slash == std::wstring::npos ? L"." : path.substr(0, slash + 1);
        wchar_t name[MAX_PATH] = {};
        if (!::GetTempFileNameW(folder.c_str(), L"skv", 0, name))
            RaiseFileError(L"Cannot create a temporary file beside", path);
        FPath = name;
    }
    TemporarySibling(const TemporarySibling&) = delete;
    TemporarySibling& operator=(const TemporarySibling&) = delete;
    ~TemporarySibling() {
        if (!FPath.empty())
            ::DeleteFileW(FPath.c_str());
    }
    const std::wstring& Path() const { return FPath; }
    void Release() { FPath.clear(); }

private:
    std::wstring FPath;
};

} // namespace

void WriteWholeFile(const std::wstring& Path, const std::string& Bytes) {
    const FileHandle file(::CreateFileW(Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        RaiseFileError(L"Cannot create file", Path);
    WriteAll(file.get(), Bytes, Path);
}

void ReplaceWholeFile(const std::wstring& Path, const std::string& Bytes) {
    const DWORD attributes = ::GetFileAttributesW(Path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        RaiseFileError(L"Cannot write file", Path);
    }
    TemporarySibling temporary(Path);
    {
        const FileHandle file(::CreateFileW(temporary.Path().c_str(), GENERIC_WRITE, 0, nullptr,
                                            TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            RaiseFileError(L"Cannot create file", temporary.Path());
        WriteAll(file.get(), Bytes, temporary.Path());
        // The new content must be on the disk before the name points at it,
        // or a power loss right after the rename could leave an empty file.
        if (!::FlushFileBuffers(file.get()))
            RaiseFileError(L"Cannot write file", temporary.Path());
    }
    // A rename within one folder: the name points at the old or at the new
    // content, never at anything in between.
    if (!::MoveFileExW(temporary.Path().c_str(), Path.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        RaiseFileError(L"Cannot replace file", Path);
    temporary.Release();
}

} // namespace skorvel
