// A DLL named like a system DLL, as someone could plant it beside the
// program (a Downloads folder, a shared folder): when a process loads it, it
// leaves a marker file beside itself ("winmm.dll.loaded"). Built as winmm.dll
// and uxtheme.dll; exports one function of each for the control program.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        wchar_t path[MAX_PATH + 16] = {};
        const DWORD n = ::GetModuleFileNameW(self, path, MAX_PATH);
        if (n > 0 && n < MAX_PATH) {
            ::lstrcatW(path, L".loaded");
            HANDLE marker = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            if (marker != INVALID_HANDLE_VALUE)
                ::CloseHandle(marker);
        }
    }
    return TRUE;
}

extern "C" __declspec(dllexport) DWORD WINAPI timeGetTime()
{
    return 0;
}

extern "C" __declspec(dllexport) HRESULT WINAPI EnableThemeDialogTexture(HWND, DWORD)
{
    return S_OK;
}
