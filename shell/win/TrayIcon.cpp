#include "shell/win/TrayIcon.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <utility>

#include "core/win/Text.h"
#include "shell/win/Messages.h"

namespace {

NOTIFYICONDATAW g_record{};
NotifyIconFn g_notify;

void Notify(DWORD message)
{
    if (g_notify)
        g_notify(message, g_record);
    else
        ::Shell_NotifyIconW(message, &g_record);
}

// The record's first form holds a tip of 64 UTF-16 units: at most 63 and
// the terminating zero, never cut between the halves of a character beyond
// the BMP.
constexpr size_t kTipMax = 63;

void CopyTip(const std::string& tip)
{
    const std::wstring wide = Widen(tip);
    size_t n = std::min(wide.size(), kTipMax);
    if (n < wide.size() && n > 0 && IS_HIGH_SURROGATE(wide[n - 1]))
        --n;
    std::wmemcpy(g_record.szTip, wide.data(), n);
    g_record.szTip[n] = L'\0';
}

}  // namespace

const NOTIFYICONDATAW& TrayRecord()
{
    return g_record;
}

void SetNotifyIconFn(NotifyIconFn fn)
{
    g_notify = std::move(fn);
}

void TrayIconAdd(HWND window, HICON icon, UINT id, const std::string& tip)
{
    g_record.cbSize = NOTIFYICONDATAW_V1_SIZE;
    g_record.hWnd = window;
    g_record.uID = id;
    g_record.hIcon = icon;
    g_record.uCallbackMessage = WM_TRAYICON;
    g_record.uFlags = NIF_MESSAGE | NIF_ICON;
    if (!tip.empty()) {
        g_record.uFlags |= NIF_TIP;
        CopyTip(tip);
    }
    Notify(NIM_ADD);
}

void TrayIconModify(HWND window, HICON icon, const std::string& tip)
{
    g_record.hIcon = icon;
    g_record.hWnd = window;
    g_record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    CopyTip(tip);
    Notify(NIM_MODIFY);
}

void TrayIconDelete(HWND window, UINT id)
{
    g_record = NOTIFYICONDATAW{};
    g_record.cbSize = NOTIFYICONDATAW_V1_SIZE;
    g_record.hWnd = window;
    g_record.uID = id;
    Notify(NIM_DELETE);
}

bool TrayIconRect(HWND window, UINT id, RECT& screen)
{
    NOTIFYICONIDENTIFIER icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = window;
    icon.uID = id;
    return SUCCEEDED(::Shell_NotifyIconGetRect(&icon, &screen));
}

UniqueIcon LoadSmallIconMetric(HINSTANCE instance, const wchar_t* name)
{
    // LoadIconMetric is in Common Controls 6 only, which the manifest asks
    // for; looked up in the loaded comctl32 rather than imported, so that a
    // program without that manifest (a test) still starts, and falls back to
    // the small-icon metric.
    using LoadIconMetricFn = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, HICON*);
    if (HMODULE comctl = ::GetModuleHandleW(L"comctl32.dll")) {
        const auto load = reinterpret_cast<LoadIconMetricFn>(
            reinterpret_cast<void*>(::GetProcAddress(comctl, "LoadIconMetric")));
        HICON icon = nullptr;
        if (load && SUCCEEDED(load(instance, name, LIM_SMALL, &icon)) && icon)
            return UniqueIcon(icon);
    }
    return UniqueIcon(static_cast<HICON>(::LoadImageW(instance, name, IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                      ::GetSystemMetrics(SM_CYSMICON), 0)));
}
