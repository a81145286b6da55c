// Text at the Windows boundary: the program keeps UTF-8 in std::string, the
// system's W functions take and give UTF-16 in wchar_t. Every window, path
// and registry value goes through these two.
#pragma once

#include <string>
#include <string_view>

#include "core/Unicode.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wchar_t is a UTF-16 unit");

inline std::wstring Widen(std::string_view utf8)
{
    const std::u16string units = Utf8ToUtf16(utf8);
    return std::wstring(reinterpret_cast<const wchar_t*>(units.data()), units.size());
}

inline std::string Narrow(std::wstring_view wide)
{
    return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

// A zero-terminated UTF-16 text from the system (may be null: empty).
inline std::string Narrow(const wchar_t* wide)
{
    return wide ? Narrow(std::wstring_view(wide)) : std::string();
}

#include <windows.h>

// A window's text (a control's, a caption) as UTF-8.
inline std::string WindowText(HWND hwnd)
{
    const int length = ::GetWindowTextLengthW(hwnd);
    if (length <= 0)
        return std::string();
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = ::GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return Narrow(text);
}

inline BOOL SetWindowTextUtf8(HWND hwnd, std::string_view text)
{
    return ::SetWindowTextW(hwnd, Widen(text).c_str());
}
