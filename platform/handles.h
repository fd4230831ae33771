#pragma once
// Move-only owners of Windows handles. One template, the close call and the
// invalid value in a small traits type per kind of handle.
#include <windows.h>
#include <commctrl.h>
#include <winsvc.h>

#include <utility>

namespace skorvel {

template <typename Traits> class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle h) noexcept : FHandle(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : FHandle(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    Handle get() const noexcept { return FHandle; }
    explicit operator bool() const noexcept { return FHandle != Traits::Invalid(); }
    Handle release() noexcept { return std::exchange(FHandle, Traits::Invalid()); }
    void reset(Handle h = Traits::Invalid()) noexcept {
        if (FHandle != Traits::Invalid())
            Traits::Close(FHandle);
        FHandle = h;
    }

private:
    Handle FHandle = Traits::Invalid();
};

struct KernelHandleTraits { // processes, threads, tokens, mutexes, events, files
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::CloseHandle(h); }
};
struct FileHandleTraits { // CreateFileW and Tool Help snapshots fail with INVALID_HANDLE_VALUE
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { ::CloseHandle(h); }
};
struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { ::FindClose(h); }
};
struct ServiceHandleTraits {
    using Handle = SC_HANDLE;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::CloseServiceHandle(h); }
};
struct RegKeyTraits {
    using Handle = HKEY;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::RegCloseKey(h); }
};
struct GdiObjectTraits { // bitmaps, brushes, pens, fonts, regions
    using Handle = HGDIOBJ;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::DeleteObject(h); }
};
struct MemoryDcTraits {
    using Handle = HDC;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::DeleteDC(h); }
};
struct IconTraits {
    using Handle = HICON;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::DestroyIcon(h); }
};
struct ImageListTraits {
    using Handle = HIMAGELIST;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::ImageList_Destroy(h); }
};
struct MenuTraits {
    using Handle = HMENU;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::DestroyMenu(h); }
};
struct LibraryTraits {
    using Handle = HMODULE;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::FreeLibrary(h); }
};

struct WindowTraits { // windows created by the code that owns them
    using Handle = HWND;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::DestroyWindow(h); }
};

using KernelHandle = UniqueHandle<KernelHandleTraits>;
using FileHandle = UniqueHandle<FileHandleTraits>;
using FindHandle = UniqueHandle<FindHandleTraits>;
using ServiceHandle = UniqueHandle<ServiceHandleTraits>;
using RegKey = UniqueHandle<RegKeyTraits>;
using GdiObject = UniqueHandle<GdiObjectTraits>;
using MemoryDc = UniqueHandle<MemoryDcTraits>;
using IconHandle = UniqueHandle<IconTraits>;
using ImageListHandle = UniqueHandle<ImageListTraits>;
using MenuHandle = UniqueHandle<MenuTraits>;
using LibraryHandle = UniqueHandle<LibraryTraits>;
using WindowHandle = UniqueHandle<WindowTraits>;

// A GDI object selected into a device context for one scope.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) noexcept : FDc(dc), FOld(::SelectObject(dc, object)) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject() { ::SelectObject(FDc, FOld); }

private:
    HDC FDc;
    HGDIOBJ FOld;
};

// The state of a device context (origin, clipping, selections) saved for one
// scope and restored on every path out of it.
class SavedDc {
public:
    explicit SavedDc(HDC dc) noexcept : FDc(dc), FSaved(::SaveDC(dc)) {}
    SavedDc(const SavedDc&) = delete;
    SavedDc& operator=(const SavedDc&) = delete;
    ~SavedDc() { ::RestoreDC(FDc, FSaved); }

private:
    HDC FDc;
    int FSaved;
};

// A window's device context from GetDC, released with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) noexcept : FWindow(window), FDc(::GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (FDc)
            ::ReleaseDC(FWindow, FDc);
    }
    HDC get() const noexcept { return FDc; }

private:
    HWND FWindow;
    HDC FDc;
};

} // namespace skorvel
