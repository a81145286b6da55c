#include "shell/win/SystemDlls.h"

#include <mmsystem.h>
#include <uxtheme.h>
#include <vsstyle.h>

namespace {

HMODULE SystemDll(const wchar_t* name)
{
    return ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// A function of a system DLL, looked up once; null when the system has none.
template <typename Function>
Function Lookup(const wchar_t* dll, const char* name)
{
    HMODULE module = SystemDll(dll);
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

}  // namespace

void LoadDllsFromSystemOnly()
{
    using SetDirectories = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    if (auto set = reinterpret_cast<SetDirectories>(
            reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories"))))
        set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

bool PlaySystemSound(const wchar_t* file, DWORD flags)
{
    using Play = BOOL(WINAPI*)(LPCWSTR, HMODULE, DWORD);
    static const Play play = Lookup<Play>(L"winmm.dll", "PlaySoundW");
    return play && play(file, nullptr, flags);
}

UINT StartMultimediaTimer(UINT delayMs, UINT resolutionMs, LPTIMECALLBACK callback, DWORD_PTR user, UINT flags)
{
    using SetEvent = MMRESULT(WINAPI*)(UINT, UINT, LPTIMECALLBACK, DWORD_PTR, UINT);
    static const SetEvent set = Lookup<SetEvent>(L"winmm.dll", "timeSetEvent");
    return set ? set(delayMs, resolutionMs, callback, user, flags) : 0;
}

void StopMultimediaTimer(UINT id)
{
    using KillEvent = MMRESULT(WINAPI*)(UINT);
    static const KillEvent kill = Lookup<KillEvent>(L"winmm.dll", "timeKillEvent");
    if (kill)
        kill(id);
}

void EnableTabPageTexture(HWND page)
{
    using EnableTexture = HRESULT(WINAPI*)(HWND, DWORD);
    static const EnableTexture enable = Lookup<EnableTexture>(L"uxtheme.dll", "EnableThemeDialogTexture");
    if (enable)
        enable(page, ETDT_ENABLETAB);
}

bool DrawParentBackground(HWND child, HDC dc, const RECT& area)
{
    using DrawBackground = HRESULT(WINAPI*)(HWND, HDC, const RECT*);
    static const DrawBackground draw = Lookup<DrawBackground>(L"uxtheme.dll", "DrawThemeParentBackground");
    return draw && SUCCEEDED(draw(child, dc, &area));
}

bool DrawThemedCheckBox(HDC dc, const RECT& area, bool checked, int dpi)
{
    using OpenForDpi = HTHEME(WINAPI*)(HWND, LPCWSTR, UINT);
    using DrawBackground = HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, const RECT*);
    using CloseTheme = HRESULT(WINAPI*)(HTHEME);
    static const OpenForDpi open = Lookup<OpenForDpi>(L"uxtheme.dll", "OpenThemeDataForDpi");
    static const DrawBackground draw = Lookup<DrawBackground>(L"uxtheme.dll", "DrawThemeBackground");
    static const CloseTheme close = Lookup<CloseTheme>(L"uxtheme.dll", "CloseThemeData");
    if (!open || !draw || !close)
        return false;
    HTHEME theme = open(nullptr, L"BUTTON", static_cast<UINT>(dpi));
    if (!theme)
        return false;
    const bool ok = SUCCEEDED(draw(theme, dc, BP_CHECKBOX, checked ? CBS_CHECKEDNORMAL : CBS_UNCHECKEDNORMAL, &area,
                                   nullptr));
    close(theme);
    return ok;
}
