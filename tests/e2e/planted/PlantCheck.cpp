// The control of the planted-DLL test: a program that imports winmm and
// uxtheme the ordinary way. Where it leaves markers, planted DLLs are loaded
// by the search order the test sets up, and Vellomir leaving none means
// something.
#include <windows.h>
#include <mmsystem.h>
#include <uxtheme.h>

int main()
{
    ::EnableThemeDialogTexture(nullptr, 0);
    return static_cast<int>(::timeGetTime() & 1);
}
