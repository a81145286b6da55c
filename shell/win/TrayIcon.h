// The notification-area icon. One process-wide record, shared by the three
// operations: each fills the fields it needs and leaves the others as the
// operation before left them, then makes one Shell_NotifyIconW call.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

#include "shell/win/Handles.h"

// The record (its first, smallest form: icon, callback and a tip of 64
// UTF-16 units).
const NOTIFYICONDATAW& TrayRecord();

// Adds the icon: NIF_MESSAGE | NIF_ICON, and NIF_TIP with the tip copied in
// when the tip is not empty (an empty tip leaves the record's tip alone).
// The callback message is WM_TRAYICON.
void TrayIconAdd(HWND window, HICON icon, UINT id, const std::string& tip);
// Changes icon and tip (NIF_MESSAGE | NIF_ICON | NIF_TIP, the tip possibly
// empty); the id and the callback message stay.
void TrayIconModify(HWND window, HICON icon, const std::string& tip);
// Clears the record, then removes the icon of window and id.
void TrayIconDelete(HWND window, UINT id);

// Where the icon of window and id is on the screen; false when the shell
// cannot say (no icon, an older or another shell).
bool TrayIconRect(HWND window, UINT id, RECT& screen);

// The shell call, for tests to watch; empty: Shell_NotifyIconW. Its result
// is not looked at.
using NotifyIconFn = std::function<BOOL(DWORD message, const NOTIFYICONDATAW& data)>;
void SetNotifyIconFn(NotifyIconFn fn);

// An icon resource at the system's small-icon size for the current DPI, the
// size the notification area shows (LoadIconMetric, which picks the entry
// drawn for that size, or scales a larger one down). Null when the resource
// cannot be loaded.
UniqueIcon LoadSmallIconMetric(HINSTANCE instance, const wchar_t* name);
