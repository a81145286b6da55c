#include "shell/win/TrayIcon.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "shell/win/Messages.h"

namespace {

NOTIFYICONDATAA g_record{};
NotifyIconFn g_notify;

void Notify(DWORD message)
{
    if (g_notify)
        g_notify(message, g_record);
    else
        ::Shell_NotifyIconA(message, &g_record);
}

// The record's first form holds 64 bytes of tip: at most 63 characters and
// the terminating zero.
constexpr size_t kTipMax = 63;

void CopyTip(const std::string& tip)
{
    const size_t n = std::min(tip.size(), kTipMax);
    std::memcpy(g_record.szTip, tip.data(), n);
    g_record.szTip[n] = '\0';
}

}  // namespace

const NOTIFYICONDATAA& TrayRecord()
{
    return g_record;
}

void SetNotifyIconFn(NotifyIconFn fn)
{
    g_notify = std::move(fn);
}

void TrayIconAdd(HWND window, HICON icon, UINT id, const std::string& tip)
{
    g_record.cbSize = NOTIFYICONDATAA_V1_SIZE;
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
    g_record = NOTIFYICONDATAA{};
    g_record.cbSize = NOTIFYICONDATAA_V1_SIZE;
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
