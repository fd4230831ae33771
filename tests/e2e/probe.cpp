// Loaded into the program under test by the end-to-end driver. Under Wine a
// menu belongs to its process, so the menus of the program's windows (and of
// any open popup menu) can only be read from inside; ProbeMenus writes them
// as JSON to the file named by its argument.
#include "json_writer.h"

namespace {

// Items of an open popup menu carry their screen rectangle, so that a test
// can click them where a user would.
std::string DescribeMenu(HMENU menu, bool open = false) {
    std::string out = "[";
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 255;
        ::GetMenuItemInfoW(menu, UINT(i), TRUE, &info);
        if (i)
            out += ",";
        out += "{\"text\":" + e2e::Quote(text) + ",\"id\":" + e2e::Number(info.wID) +
               ",\"separator\":" + e2e::Bool(info.fType & MFT_SEPARATOR) +
               ",\"enabled\":" + e2e::Bool(!(info.fState & MFS_DISABLED)) +
               ",\"items\":" + (info.hSubMenu ? DescribeMenu(info.hSubMenu) : std::string("[]"));
        RECT r;
        if (open && ::GetMenuItemRect(nullptr, menu, UINT(i), &r))
            out += ",\"rect\":[" + e2e::Number(r.left) + "," + e2e::Number(r.top) + "," +
                   e2e::Number(r.right) + "," + e2e::Number(r.bottom) + "]";
        out += "}";
    }
    return out + "]";
}

struct Collector {
    DWORD Pid;
    std::string Out;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
    auto& collector = *reinterpret_cast<Collector*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (pid != collector.Pid)
        return TRUE;
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    const bool popup = lstrcmpW(className, L"#32768") == 0;
    HMENU menu = popup ? reinterpret_cast<HMENU>(::SendMessageW(window, MN_GETHMENU, 0, 0))
                       : ::GetMenu(window);
    if (!menu || !::IsMenu(menu))
        return TRUE;
    if (collector.Out.size() > 1)
        collector.Out += ",";
    collector.Out += "{\"hwnd\":" + e2e::Handle(window) + ",\"class\":" + e2e::Quote(className) +
                     ",\"popup\":" + e2e::Bool(popup) +
                     ",\"visible\":" + e2e::Bool(::IsWindowVisible(window)) +
                     ",\"items\":" + DescribeMenu(menu, popup) + "}";
    return TRUE;
}

} // namespace

extern "C" __declspec(dllexport) DWORD WINAPI ProbeMenus(LPVOID outputPath) {
    Collector collector{::GetCurrentProcessId(), "["};
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&collector));
    collector.Out += "]";
    HANDLE file = ::CreateFileW(static_cast<const wchar_t*>(outputPath), GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    ::WriteFile(file, collector.Out.data(), DWORD(collector.Out.size()), &written, nullptr);
    ::CloseHandle(file);
    return 0;
}
