#pragma once
// A scratch folder for the core's Wine tests, removed with everything in it.
#include <windows.h>

#include <stdexcept>
#include <string>

namespace skorvel::testing {

class TTempFolder {
public:
    TTempFolder() {
        wchar_t temp[MAX_PATH + 1] = {};
        ::GetTempPathW(MAX_PATH + 1, temp);
        for (unsigned attempt = ::GetTickCount();; ++attempt) {
            FPath = std::wstring(temp) + L"skorvel-core-" + std::to_wstring(attempt) + L"\\";
            if (::CreateDirectoryW(FPath.c_str(), nullptr))
                return;
            if (::GetLastError() != ERROR_ALREADY_EXISTS)
                throw std::runtime_error("cannot create a scratch folder");
        }
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;
    ~TTempFolder() { RemoveTree(FPath); }

    // With a trailing backslash.
    const std::wstring& Path() const { return FPath; }

    std::wstring Write(const std::wstring& name, const std::string& bytes) const {
        const std::wstring path = FPath + name;
        const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            throw std::runtime_error("cannot write a scratch file");
        DWORD written = 0;
        ::WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
        ::CloseHandle(file);
        return path;
    }

    static std::string Read(const std::wstring& path) {
        const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return "<missing>";
        std::string bytes(::GetFileSize(file, nullptr), '\0');
        DWORD read = 0;
        ::ReadFile(file, bytes.data(), DWORD(bytes.size()), &read, nullptr);
        ::CloseHandle(file);
        return bytes;
    }

private:
    static void RemoveTree(const std::wstring& folder) {
        WIN32_FIND_DATAW entry;
        const HANDLE search = ::FindFirstFileW((folder + L"*").c_str(), &entry);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = entry.cFileName;
                if (name == L"." || name == L"..")
                    continue;
                const std::wstring path = folder + name;
                ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(path + L"\\");
                else
                    ::DeleteFileW(path.c_str());
            } while (::FindNextFileW(search, &entry));
            ::FindClose(search);
        }
        ::RemoveDirectoryW(folder.c_str());
    }

    std::wstring FPath;
};

// Another program's hold on a file, as the sharing flags of its CreateFileW say.
class TFileHold {
public:
    TFileHold(const std::wstring& path, DWORD access, DWORD share)
        : FFile(::CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr)) {
        if (FFile == INVALID_HANDLE_VALUE)
            throw std::runtime_error("cannot hold a scratch file");
    }
    TFileHold(const TFileHold&) = delete;
    TFileHold& operator=(const TFileHold&) = delete;
    ~TFileHold() { ::CloseHandle(FFile); }

private:
    HANDLE FFile;
};

} // namespace skorvel::testing
