// The end-to-end tests' hands and eyes: a console program that runs in the
// same Wine prefix as the program under test and answers one command per
// line on standard input with one line of JSON on standard output.
// Arguments of a command are separated by tabs.
#include "json_writer.h"

#include <tlhelp32.h>

#include <iostream>
#include <sstream>
#include <vector>

using e2e::Bool;
using e2e::Handle;
using e2e::Number;
using e2e::Quote;

namespace {

std::wstring Wide(const std::string& utf8) {
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring out(size_t(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), size);
    return out;
}

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> parts;
    std::stringstream stream(line);
    std::string part;
    while (std::getline(stream, part, '\t'))
        parts.push_back(part);
    return parts;
}

HWND ToWindow(const std::string& text) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::stoull(text)));
}

std::wstring WindowText(HWND window) {
    wchar_t text[1024] = {};
    DWORD_PTR length = 0;
    // WM_GETTEXT crosses processes; a hung target must not hang the driver.
    ::SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text),
                          SMTO_ABORTIFHUNG, 2000, &length);
    return std::wstring(text, length);
}

std::wstring ClassOf(HWND window) {
    wchar_t name[128] = {};
    ::GetClassNameW(window, name, 128);
    return name;
}

std::string Rect(const RECT& r) {
    return "[" + Number(r.left) + "," + Number(r.top) + "," + Number(r.right) + "," +
           Number(r.bottom) + "]";
}

std::string DescribeWindow(HWND window) {
    RECT screen, client;
    ::GetWindowRect(window, &screen);
    ::GetClientRect(window, &client);
    POINT origin = {0, 0};
    ::ClientToScreen(window, &origin);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    return "{\"hwnd\":" + Handle(window) + ",\"pid\":" + Number(pid) +
           ",\"class\":" + Quote(ClassOf(window)) + ",\"text\":" + Quote(WindowText(window)) +
           ",\"id\":" + Number(::GetDlgCtrlID(window)) +
           ",\"parent\":" + Handle(::GetAncestor(window, GA_PARENT)) +
           ",\"owner\":" + Handle(::GetWindow(window, GW_OWNER)) +
           ",\"visible\":" + Bool(::IsWindowVisible(window)) +
           ",\"enabled\":" + Bool(::IsWindowEnabled(window)) + ",\"rect\":" + Rect(screen) +
           ",\"client\":[" + Number(client.right) + "," + Number(client.bottom) + "]" +
           ",\"origin\":[" + Number(origin.x) + "," + Number(origin.y) + "]" +
           ",\"style\":" + Number(::GetWindowLongW(window, GWL_STYLE)) +
           ",\"exstyle\":" + Number(::GetWindowLongW(window, GWL_EXSTYLE)) + "}";
}

struct WindowList {
    DWORD Pid;
    std::vector<HWND> Windows;
};

BOOL CALLBACK AddTopLevel(HWND window, LPARAM param) {
    auto& list = *reinterpret_cast<WindowList*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (list.Pid == 0 || pid == list.Pid)
        list.Windows.push_back(window);
    return TRUE;
}

BOOL CALLBACK AddChild(HWND window, LPARAM param) {
    reinterpret_cast<WindowList*>(param)->Windows.push_back(window);
    return TRUE;
}

std::string JsonList(const std::vector<HWND>& windows) {
    std::string out = "[";
    for (size_t i = 0; i < windows.size(); ++i)
        out += (i ? "," : "") + DescribeWindow(windows[i]);
    return out + "]";
}

std::string Start(const std::vector<std::string>& a) {
    std::wstring command = L"\"" + Wide(a.at(1)) + L"\"";
    if (a.size() > 2)
        command += L" " + Wide(a[2]);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &si, &pi))
        return "{\"error\":" + Number(::GetLastError()) + "}";
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return "{\"pid\":" + Number(pi.dwProcessId) + "}";
}

std::string WaitExit(const std::vector<std::string>& a) {
    HANDLE process =
        ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, DWORD(std::stoul(a.at(1))));
    if (!process)
        return "{\"exited\":true,\"code\":null}";
    const bool exited = ::WaitForSingleObject(process, DWORD(std::stoul(a.at(2)))) == WAIT_OBJECT_0;
    DWORD code = 0;
    ::GetExitCodeProcess(process, &code);
    ::CloseHandle(process);
    return "{\"exited\":" + Bool(exited) + ",\"code\":" + (exited ? Number(code) : "null") + "}";
}

// Answers once the process has really ended: a test that starts the same
// program next must not meet the one still ending (its single-instance
// mutex, its entry in the process list).
std::string Kill(const std::vector<std::string>& a) {
    HANDLE process =
        ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, DWORD(std::stoul(a.at(1))));
    const bool done = process && ::TerminateProcess(process, 1) &&
                      ::WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
    if (process)
        ::CloseHandle(process);
    return "{\"killed\":" + Bool(done) + "}";
}

std::string ListBox(const std::vector<std::string>& a) {
    const HWND list = ToWindow(a.at(1));
    const int count = int(::SendMessageW(list, LB_GETCOUNT, 0, 0));
    std::string out = "{\"count\":" + Number(count) +
                      ",\"top\":" + Number(::SendMessageW(list, LB_GETTOPINDEX, 0, 0)) +
                      ",\"selected\":" + Number(::SendMessageW(list, LB_GETCURSEL, 0, 0)) +
                      ",\"item_height\":" + Number(::SendMessageW(list, LB_GETITEMHEIGHT, 0, 0)) +
                      ",\"items\":[";
    for (int i = 0; i < count; ++i) {
        wchar_t text[512] = {};
        ::SendMessageW(list, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text));
        out += std::string(i ? "," : "") + "{\"text\":" + Quote(text) +
               ",\"data\":" + Number(::SendMessageW(list, LB_GETITEMDATA, WPARAM(i), 0)) +
               ",\"sel\":" + Bool(::SendMessageW(list, LB_GETSEL, WPARAM(i), 0) > 0) + "}";
    }
    return out + "]}";
}

std::string ComboBox(const std::vector<std::string>& a) {
    const HWND combo = ToWindow(a.at(1));
    const int count = int(::SendMessageW(combo, CB_GETCOUNT, 0, 0));
    std::string out = "{\"count\":" + Number(count) +
                      ",\"selected\":" + Number(::SendMessageW(combo, CB_GETCURSEL, 0, 0)) +
                      ",\"dropped\":" + Bool(::SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0)) +
                      ",\"items\":[";
    for (int i = 0; i < count; ++i) {
        wchar_t text[512] = {};
        ::SendMessageW(combo, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text));
        out += std::string(i ? "," : "") + Quote(text);
    }
    return out + "]}";
}

std::string Message(const std::vector<std::string>& a, bool send) {
    const HWND window = ToWindow(a.at(1));
    const UINT message = UINT(std::stoul(a.at(2), nullptr, 0));
    const WPARAM wParam = WPARAM(std::stoull(a.at(3), nullptr, 0));
    const LPARAM lParam = LPARAM(std::stoll(a.at(4), nullptr, 0));
    if (!send)
        return "{\"posted\":" + Bool(::PostMessageW(window, message, wParam, lParam)) + "}";
    DWORD_PTR result = 0;
    const bool done =
        ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
    return "{\"sent\":" + Bool(done) + ",\"result\":" + Number(static_cast<long long>(result)) +
           "}";
}

// Loads probe.dll into the target process and runs its ProbeMenus there.
std::string Menus(const std::vector<std::string>& a) {
    const DWORD pid = DWORD(std::stoul(a.at(1)));
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring dll = self;
    dll = dll.substr(0, dll.find_last_of(L'\\') + 1) + L"probe.dll";
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring output =
        std::wstring(temp) + L"skorvel-menus-" + std::to_wstring(pid) + L".json";

    HANDLE process = ::OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
    if (!process)
        return "{\"error\":\"open process\"}";
    const auto remoteString = [&](const std::wstring& text) {
        const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
        void* memory = ::VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE);
        ::WriteProcessMemory(process, memory, text.c_str(), bytes, nullptr);
        return memory;
    };
    const auto runRemote = [&](void* function, void* argument) {
        HANDLE thread = ::CreateRemoteThread(process, nullptr, 0,
                                             reinterpret_cast<LPTHREAD_START_ROUTINE>(function),
                                             argument, 0, nullptr);
        if (!thread)
            return false;
        ::WaitForSingleObject(thread, 10000);
        ::CloseHandle(thread);
        return true;
    };
    HMODULE kernel = ::GetModuleHandleW(L"kernel32");
    if (!runRemote(reinterpret_cast<void*>(::GetProcAddress(kernel, "LoadLibraryW")),
                   remoteString(dll))) {
        ::CloseHandle(process);
        return "{\"error\":\"inject\"}";
    }
    // The probe's entry lies at the same offset from its base in both processes.
    HMODULE local = ::LoadLibraryW(dll.c_str());
    const auto offset = reinterpret_cast<BYTE*>(::GetProcAddress(local, "ProbeMenus")) -
                        reinterpret_cast<BYTE*>(local);
    BYTE* remoteBase = nullptr;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    MODULEENTRY32W module = {};
    module.dwSize = sizeof module;
    for (BOOL more = ::Module32FirstW(snapshot, &module); more;
         more = ::Module32NextW(snapshot, &module))
        if (lstrcmpiW(module.szModule, L"probe.dll") == 0)
            remoteBase = module.modBaseAddr;
    ::CloseHandle(snapshot);
    if (!remoteBase || !runRemote(remoteBase + offset, remoteString(output))) {
        ::CloseHandle(process);
        return "{\"error\":\"probe\"}";
    }
    ::CloseHandle(process);
    HANDLE file = ::CreateFileW(output.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "{\"error\":\"no probe output\"}";
    std::string json(size_t(::GetFileSize(file, nullptr)), '\0');
    DWORD read = 0;
    ::ReadFile(file, json.data(), DWORD(json.size()), &read, nullptr);
    ::CloseHandle(file);
    ::DeleteFileW(output.c_str());
    return "{\"menus\":" + json + "}";
}

std::string Resource(const std::vector<std::string>& a) {
    const std::wstring file = Wide(a.at(1));
    HMODULE module = ::LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return "{\"error\":" + Number(::GetLastError()) + "}";
    std::string out = "{";
    HRSRC manifest = ::FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    if (manifest) {
        const char* bytes =
            static_cast<const char*>(::LockResource(::LoadResource(module, manifest)));
        out +=
            "\"manifest\":" + Quote(Wide(std::string(bytes, ::SizeofResource(module, manifest))));
    } else {
        out += "\"manifest\":null";
    }
    HRSRC icon = ::FindResourceW(module, L"MAINICON", MAKEINTRESOURCEW(14)); // RT_GROUP_ICON
    if (icon) {
        const BYTE* group = static_cast<const BYTE*>(::LockResource(::LoadResource(module, icon)));
        const int count = *reinterpret_cast<const WORD*>(group + 4);
        out += ",\"icons\":[";
        for (int i = 0; i < count; ++i) {
            const BYTE* entry = group + 6 + 14 * i; // GRPICONDIRENTRY
            const int width = entry[0] ? entry[0] : 256;
            const int bits = *reinterpret_cast<const WORD*>(entry + 6);
            out += std::string(i ? "," : "") + "[" + Number(width) + "," + Number(bits) + "]";
        }
        out += "]";
    }
    ::FreeLibrary(module);

    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &ignored);
    std::vector<BYTE> info(size);
    if (size && ::GetFileVersionInfoW(file.c_str(), 0, size, info.data())) {
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length);
        out += ",\"file_version\":[" + Number(HIWORD(fixed->dwFileVersionMS)) + "," +
               Number(LOWORD(fixed->dwFileVersionMS)) + "," +
               Number(HIWORD(fixed->dwFileVersionLS)) + "," +
               Number(LOWORD(fixed->dwFileVersionLS)) + "]";
        WORD* translation = nullptr;
        ::VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                         reinterpret_cast<void**>(&translation), &length);
        out += ",\"translation\":[" + Number(translation[0]) + "," + Number(translation[1]) + "]";
        out += ",\"strings\":{";
        const wchar_t* names[] = {L"CompanyName",    L"FileDescription", L"FileVersion",
                                  L"LegalCopyright", L"ProductName",     L"ProductVersion"};
        bool first = true;
        for (const wchar_t* name : names) {
            wchar_t* value = nullptr;
            const std::wstring path = std::wstring(L"\\StringFileInfo\\040904E4\\") + name;
            if (::VerQueryValueW(info.data(), path.c_str(), reinterpret_cast<void**>(&value),
                                 &length)) {
                out += std::string(first ? "" : ",") + Quote(name) + ":" + Quote(value);
                first = false;
            }
        }
        out += "}";
    }
    return out + "}";
}

// Every running process: id, parent, image name, full path and creation
// time (100 ns units), so tests can tell the order in which they started.
std::string Processes() {
    std::string out = "[";
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more;
         more = ::Process32NextW(snapshot, &entry)) {
        std::wstring path;
        unsigned long long created = 0;
        if (HANDLE process =
                ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID)) {
            wchar_t buffer[MAX_PATH] = {};
            DWORD size = MAX_PATH;
            if (::QueryFullProcessImageNameW(process, 0, buffer, &size))
                path.assign(buffer, size);
            FILETIME creation, exit, kernel, user;
            if (::GetProcessTimes(process, &creation, &exit, &kernel, &user))
                created = (static_cast<unsigned long long>(creation.dwHighDateTime) << 32) |
                          creation.dwLowDateTime;
            ::CloseHandle(process);
        }
        out += std::string(out.size() > 1 ? "," : "") + "{\"pid\":" + Number(entry.th32ProcessID) +
               ",\"parent\":" + Number(entry.th32ParentProcessID) +
               ",\"name\":" + Quote(entry.szExeFile) + ",\"path\":" + Quote(path) +
               ",\"created\":" + std::to_string(created) + "}";
    }
    ::CloseHandle(snapshot);
    return out + "]";
}

BOOL CALLBACK AddLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
    reinterpret_cast<std::vector<WORD>*>(param)->push_back(language);
    return TRUE;
}

// Replaces a resource of an executable file, in every language it has, with
// the bytes of a file: a program whose own resources are broken. (Wine
// answers a removal with success and leaves the resource in place.)
std::string ReplaceResource(const std::vector<std::string>& a) {
    const std::wstring exe = Wide(a.at(1)), type = Wide(a.at(2)), name = Wide(a.at(3));
    HANDLE file = ::CreateFileW(Wide(a.at(4)).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "{\"error\":\"no replacement file\"}";
    std::string bytes(::GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    ::ReadFile(file, bytes.data(), DWORD(bytes.size()), &read, nullptr);
    ::CloseHandle(file);
    if (bytes.empty())
        return "{\"error\":\"an empty replacement would remove the resource\"}";
    std::vector<WORD> languages;
    if (HMODULE module = ::LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
        ::EnumResourceLanguagesW(module, type.c_str(), name.c_str(), AddLanguage,
                                 reinterpret_cast<LONG_PTR>(&languages));
        ::FreeLibrary(module);
    }
    if (languages.empty())
        return "{\"error\":\"no such resource\"}";
    HANDLE update = ::BeginUpdateResourceW(exe.c_str(), FALSE);
    if (!update)
        return "{\"error\":" + Number(::GetLastError()) + "}";
    for (WORD language : languages)
        ::UpdateResourceW(update, type.c_str(), name.c_str(), language, bytes.data(),
                          DWORD(bytes.size()));
    const bool done = ::EndUpdateResourceW(update, FALSE);
    return "{\"replaced\":" + Bool(done) + ",\"languages\":" + Number(languages.size()) + "}";
}

// The modules a process has loaded: name and full path, to tell where each
// library came from.
std::string Modules(const std::vector<std::string>& a) {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, DWORD(std::stoul(a.at(1))));
    if (snapshot == INVALID_HANDLE_VALUE)
        return "{\"error\":" + Number(::GetLastError()) + "}";
    std::string out = "[";
    MODULEENTRY32W module = {};
    module.dwSize = sizeof module;
    for (BOOL more = ::Module32FirstW(snapshot, &module); more;
         more = ::Module32NextW(snapshot, &module))
        out += std::string(out.size() > 1 ? "," : "") + "{\"name\":" + Quote(module.szModule) +
               ",\"path\":" + Quote(module.szExePath) + "}";
    ::CloseHandle(snapshot);
    return out + "]";
}

std::string Run(const std::vector<std::string>& a) {
    const std::string& command = a.at(0);
    if (command == "start")
        return Start(a);
    if (command == "wait-exit")
        return WaitExit(a);
    if (command == "kill")
        return Kill(a);
    if (command == "windows") {
        WindowList list{DWORD(std::stoul(a.at(1))), {}};
        ::EnumWindows(AddTopLevel, reinterpret_cast<LPARAM>(&list));
        return JsonList(list.Windows);
    }
    if (command == "children") {
        WindowList list{0, {}};
        ::EnumChildWindows(ToWindow(a.at(1)), AddChild, reinterpret_cast<LPARAM>(&list));
        return JsonList(list.Windows);
    }
    if (command == "processes")
        return Processes();
    if (command == "modules")
        return Modules(a);
    if (command == "window")
        return DescribeWindow(ToWindow(a.at(1)));
    if (command == "visible") // sends the window nothing, so it may be polled while it works
        return "{\"visible\":" + Bool(::IsWindowVisible(ToWindow(a.at(1)))) + "}";
    if (command == "listbox")
        return ListBox(a);
    if (command == "move") { // window, left, top
        const bool moved =
            ::SetWindowPos(ToWindow(a.at(1)), nullptr, std::stoi(a.at(2)), std::stoi(a.at(3)), 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return "{\"moved\":" + Bool(moved) + "}";
    }
    if (command == "combobox")
        return ComboBox(a);
    if (command == "post")
        return Message(a, false);
    if (command == "send")
        return Message(a, true);
    if (command == "menus")
        return Menus(a);
    if (command == "resources")
        return Resource(a);
    if (command == "replace-resource") // exe, type, name, file with the new bytes
        return ReplaceResource(a);
    return "{\"error\":\"unknown command\"}";
}

} // namespace

int main() {
    std::ios::sync_with_stdio(false);
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        std::string answer;
        try {
            answer = Run(Split(line));
        } catch (const std::exception& e) {
            answer = "{\"error\":" + Quote(Wide(e.what())) + "}";
        }
        std::cout << answer << std::endl;
    }
    return 0;
}
