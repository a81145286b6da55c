// Small owners for Win32 handles, so that every icon, bitmap, font, brush,
// menu, image list, device context, selected object and timer is freed on
// every path, including early returns and exceptions.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

// A move-only owner of one handle; Traits names the handle type, its empty
// value and how to free it.
template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
    ~UniqueHandle() { Reset(); }

    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle Get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Traits::Empty(); }

    // Gives up ownership without freeing.
    Handle Release() noexcept { return std::exchange(handle_, Traits::Empty()); }
    // Frees the current handle (if any) and takes the new one.
    void Reset(Handle handle = Traits::Empty()) noexcept
    {
        Handle old = std::exchange(handle_, handle);
        if (old != Traits::Empty()) Traits::Free(old);
    }

private:
    Handle handle_ = Traits::Empty();
};

namespace handle_traits {

// Icons created or loaded without LR_SHARED. Shared icons (LoadIcon, or
// LoadImage with LR_SHARED) belong to the system and must not be owned here.
struct Icon {
    using Handle = HICON;
    static Handle Empty() noexcept { return nullptr; }
    static void Free(Handle h) noexcept { ::DestroyIcon(h); }
};

template <typename T>
struct GdiObject {
    using Handle = T;
    static Handle Empty() noexcept { return nullptr; }
    static void Free(Handle h) noexcept { ::DeleteObject(h); }
};

struct Menu {
    using Handle = HMENU;
    static Handle Empty() noexcept { return nullptr; }
    static void Free(Handle h) noexcept { ::DestroyMenu(h); }
};

struct ImageList {
    using Handle = HIMAGELIST;
    static Handle Empty() noexcept { return nullptr; }
    static void Free(Handle h) noexcept { ::ImageList_Destroy(h); }
};

// Kernel objects whose "no handle" value is null (events, mutexes, tokens,
// processes, threads).
struct Kernel {
    using Handle = HANDLE;
    static Handle Empty() noexcept { return nullptr; }
    static void Free(Handle h) noexcept { ::CloseHandle(h); }
};

// CreateFile reports failure with INVALID_HANDLE_VALUE, not null.
struct File {
    using Handle = HANDLE;
    static Handle Empty() noexcept { return INVALID_HANDLE_VALUE; }
    static void Free(Handle h) noexcept { ::CloseHandle(h); }
};

}  // namespace handle_traits

using UniqueIcon = UniqueHandle<handle_traits::Icon>;
using UniqueBitmap = UniqueHandle<handle_traits::GdiObject<HBITMAP>>;
using UniqueFont = UniqueHandle<handle_traits::GdiObject<HFONT>>;
using UniqueBrush = UniqueHandle<handle_traits::GdiObject<HBRUSH>>;
using UniquePen = UniqueHandle<handle_traits::GdiObject<HPEN>>;
using UniqueRegion = UniqueHandle<handle_traits::GdiObject<HRGN>>;
using UniqueMenu = UniqueHandle<handle_traits::Menu>;
using UniqueImageList = UniqueHandle<handle_traits::ImageList>;
using UniqueKernelHandle = UniqueHandle<handle_traits::Kernel>;
using UniqueFileHandle = UniqueHandle<handle_traits::File>;

// GetDC / ReleaseDC for a window (null: the whole screen).
class WindowDC {
public:
    explicit WindowDC(HWND hwnd) noexcept : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
    ~WindowDC()
    {
        if (dc_) ::ReleaseDC(hwnd_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;

    HDC Get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND hwnd_;
    HDC dc_;
};

// BeginPaint / EndPaint inside WM_PAINT.
class PaintDC {
public:
    explicit PaintDC(HWND hwnd) noexcept : hwnd_(hwnd) { dc_ = ::BeginPaint(hwnd, &ps_); }
    ~PaintDC() { ::EndPaint(hwnd_, &ps_); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;

    HDC Get() const noexcept { return dc_; }
    const PAINTSTRUCT& Info() const noexcept { return ps_; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_ = nullptr;
};

// CreateCompatibleDC / DeleteDC, for drawing bitmaps and double buffering.
class MemoryDC {
public:
    explicit MemoryDC(HDC compatibleWith) noexcept : dc_(::CreateCompatibleDC(compatibleWith)) {}
    ~MemoryDC()
    {
        if (dc_) ::DeleteDC(dc_);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;

    HDC Get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HDC dc_;
};

// Selects an object into a DC and puts the previous one back on destruction,
// so that the object can be deleted afterwards. A null object selects nothing.
class SelectObjectGuard {
public:
    SelectObjectGuard(HDC dc, HGDIOBJ object) noexcept
        : dc_(dc), old_(dc && object ? ::SelectObject(dc, object) : nullptr)
    {
    }
    ~SelectObjectGuard()
    {
        if (old_ && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
    }
    SelectObjectGuard(const SelectObjectGuard&) = delete;
    SelectObjectGuard& operator=(const SelectObjectGuard&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A window timer (SetTimer with an id, WM_TIMER to the window) that is killed
// when the guard goes away or is stopped.
class TimerGuard {
public:
    TimerGuard() noexcept = default;
    ~TimerGuard() { Stop(); }
    TimerGuard(const TimerGuard&) = delete;
    TimerGuard& operator=(const TimerGuard&) = delete;

    // Starts (or restarts) the timer; false when the system refused it.
    bool Start(HWND hwnd, UINT_PTR id, UINT milliseconds) noexcept
    {
        Stop();
        if (::SetTimer(hwnd, id, milliseconds, nullptr) == 0) return false;
        hwnd_ = hwnd;
        id_ = id;
        return true;
    }
    void Stop() noexcept
    {
        if (hwnd_) ::KillTimer(hwnd_, id_);
        hwnd_ = nullptr;
        id_ = 0;
    }
    bool Running() const noexcept { return hwnd_ != nullptr; }
    UINT_PTR Id() const noexcept { return id_; }

private:
    HWND hwnd_ = nullptr;
    UINT_PTR id_ = 0;
};
