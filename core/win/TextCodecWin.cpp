// The system's ANSI code page through the system's own tables, so that a file
// reads and writes here as the profile functions and Notepad see it.
#include "core/TextCodec.h"

#include <windows.h>

#include <climits>
#include <stdexcept>

#include "core/win/Text.h"

namespace {

// Windows 10 can be set to use UTF-8 as its ANSI code page; then every
// character fits, and the conversion flags below are not allowed.
bool AnsiIsUtf8()
{
    return ::GetACP() == CP_UTF8;
}

int IntSize(std::size_t n)
{
    if (n > static_cast<std::size_t>(INT_MAX))
        throw std::length_error("text too long to convert");
    return static_cast<int>(n);
}

}  // namespace

void AppendAnsiAsUtf8(std::string& out, std::string_view ansi)
{
    if (ansi.empty())
        return;
    if (IsAscii(ansi)) {
        out.append(ansi);
        return;
    }
    if (AnsiIsUtf8()) {
        AppendValidUtf8(out, ansi);
        return;
    }
    const int n = IntSize(ansi.size());
    const int len = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), n, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(len), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), n, wide.data(), len);
    out.append(Narrow(wide));
}

bool AppendUtf8AsAnsi(std::string& out, std::string_view utf8)
{
    if (utf8.empty())
        return true;
    if (AnsiIsUtf8() || IsAscii(utf8)) {
        out.append(utf8);
        return true;
    }
    const std::wstring wide = Widen(utf8);
    const int n = IntSize(wide.size());
    BOOL usedDefault = FALSE;
    const int len = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), n, nullptr, 0,
                                          nullptr, &usedDefault);
    if (len <= 0 || usedDefault)
        return false;
    const std::size_t old = out.size();
    out.resize(old + static_cast<std::size_t>(len));
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), n, out.data() + old, len, nullptr,
                          &usedDefault);
    return !usedDefault;
}

std::FILE* OpenFileUtf8(const std::string& path, const char* mode)
{
    return ::_wfopen(Widen(path).c_str(), Widen(mode).c_str());
}
