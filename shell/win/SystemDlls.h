// The system DLLs that are not among Windows' Known DLLs (winmm, uxtheme)
// are loaded here at run time, from the system folder only: imported by the
// executable, a DLL of the same name planted beside it (a Downloads folder, a
// shared folder) would be loaded first and run its code in Vellomir.
#pragma once

#include <windows.h>
#include <mmsystem.h>

// Limits the search of every DLL loaded later to the system folder; the
// first thing the program does.
void LoadDllsFromSystemOnly();

// winmm: PlaySound of a wave file (null: stop), the multimedia timer.
bool PlaySystemSound(const wchar_t* file, DWORD flags);
UINT StartMultimediaTimer(UINT delayMs, UINT resolutionMs, LPTIMECALLBACK callback, DWORD_PTR user, UINT flags);
void StopMultimediaTimer(UINT id);
// uxtheme: the tab control's page background on a dialog page.
void EnableTabPageTexture(HWND page);
// uxtheme: paints the parent's (themed) background behind a child; false
// when there is no theme to draw.
bool DrawParentBackground(HWND child, HDC dc, const RECT& area);
// uxtheme: a themed check box, cleared or ticked, centred in area as the
// theme draws it at dpi (Windows 10 1703 and later); false when there is no
// theme or no such function.
bool DrawThemedCheckBox(HDC dc, const RECT& area, bool checked, int dpi);
