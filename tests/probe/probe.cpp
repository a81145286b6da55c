// A small console helper for the end-to-end tests: it looks at the windows of
// the running program from outside and pokes them, the way a user would.
//
//   probe list                          one JSON line per top-level window:
//                                       hwnd, pid, class, title, visible,
//                                       rect [left, top, right, bottom] and
//                                       its child controls (hwnd, id, class,
//                                       text, visible)
//   probe post HWND MSG WPARAM LPARAM   PostMessageW
//   probe send HWND MSG WPARAM LPARAM   SendMessageTimeoutW; prints the result
//   probe keys HWND KEYS                brings HWND to the front and types
//                                       KEYS, e.g. ctrl+1, shift+3, esc, f4
//   probe type HWND TEXT                brings HWND to the front and types
//                                       TEXT (any script: what the keyboard
//                                       has as keys, the rest as Unicode
//                                       characters, VK_PACKET)
//   probe settext HWND TEXT             WM_SETTEXT (an edit's text, as if
//                                       pasted); prints the result
//   probe rows HWND                     the rows of a list view of another
//                                       process: one JSON array of the
//                                       column texts per row
//   probe watch CLASS TIMEOUT_MS        prints "ready", then waits until a
//                                       visible top-level window of CLASS
//                                       answers messages, and prints
//                                       "visible" (for timing a start-up)
//
// Numbers may be decimal or 0x-hexadecimal. Texts in and out are UTF-8 (the
// arguments as Wine or Windows hand them over in UTF-16). Exit code 0 on
// success.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "core/win/Text.h"

namespace {

std::string JsonString(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            // UTF-8 goes out as it is; only control characters are escaped.
            if (c < 0x20 || c == 0x7F) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

// The text of a window of any process: WM_GETTEXT is carried across processes
// by the system, unlike GetWindowText for controls such as edits.
std::string TextOf(HWND hwnd)
{
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
        return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                               SMTO_ABORTIFHUNG, 2000, &copied))
        return {};
    text.resize(static_cast<size_t>(copied));
    return Narrow(text);
}

std::string ClassOf(HWND hwnd)
{
    wchar_t name[256] = {};
    ::GetClassNameW(hwnd, name, static_cast<int>(std::size(name)));
    return Narrow(name);
}

unsigned long long HandleValue(HWND hwnd)
{
    return static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hwnd));
}

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM param)
{
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}

BOOL CALLBACK CollectTop(HWND hwnd, LPARAM param)
{
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}

int List()
{
    std::vector<HWND> tops;
    ::EnumWindows(&CollectTop, reinterpret_cast<LPARAM>(&tops));
    for (HWND top : tops) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(top, &pid);
        std::string line = "{\"hwnd\": " + std::to_string(HandleValue(top)) + ", \"pid\": " + std::to_string(pid) +
                           ", \"class\": " + JsonString(ClassOf(top)) + ", \"title\": " + JsonString(TextOf(top)) +
                           ", \"visible\": " + (::IsWindowVisible(top) ? "true" : "false");
        RECT r{};
        ::GetWindowRect(top, &r);
        line += ", \"rect\": [" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
                std::to_string(r.right) + ", " + std::to_string(r.bottom) + "], \"controls\": [";
        std::vector<HWND> children;
        ::EnumChildWindows(top, &CollectChild, reinterpret_cast<LPARAM>(&children));
        bool first = true;
        for (HWND child : children) {
            if (!first)
                line += ", ";
            first = false;
            line += "{\"hwnd\": " + std::to_string(HandleValue(child)) +
                    ", \"id\": " + std::to_string(::GetDlgCtrlID(child)) + ", \"class\": " + JsonString(ClassOf(child)) +
                    ", \"text\": " + JsonString(TextOf(child)) +
                    ", \"visible\": " + (::IsWindowVisible(child) ? "true" : "false") + "}";
        }
        line += "]}";
        std::printf("%s\n", line.c_str());
    }
    std::fflush(stdout);
    return 0;
}

unsigned long long Number(const char* text)
{
    return std::strtoull(text, nullptr, 0);
}

HWND WindowArg(const char* text)
{
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(Number(text)));
}

int Post(char** argv)
{
    HWND hwnd = WindowArg(argv[0]);
    const BOOL ok = ::PostMessageW(hwnd, static_cast<UINT>(Number(argv[1])), static_cast<WPARAM>(Number(argv[2])),
                                   static_cast<LPARAM>(Number(argv[3])));
    return ok ? 0 : 1;
}

int Send(char** argv)
{
    HWND hwnd = WindowArg(argv[0]);
    DWORD_PTR result = 0;
    const LRESULT ok = ::SendMessageTimeoutW(hwnd, static_cast<UINT>(Number(argv[1])),
                                             static_cast<WPARAM>(Number(argv[2])),
                                             static_cast<LPARAM>(Number(argv[3])), SMTO_ABORTIFHUNG, 5000, &result);
    std::printf("%llu\n", static_cast<unsigned long long>(result));
    std::fflush(stdout);
    return ok ? 0 : 1;
}

INPUT KeyInput(WORD vk, bool up)
{
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return in;
}

// "ctrl+shift+1", "esc", "space", "end", a letter or a digit.
bool ParseKeys(const std::string& spec, std::vector<WORD>& modifiers, WORD& key)
{
    size_t start = 0;
    while (true) {
        const size_t plus = spec.find('+', start);
        const std::string part = spec.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
        if (plus == std::string::npos) {
            if (part == "esc")
                key = VK_ESCAPE;
            else if (part == "space")
                key = VK_SPACE;
            else if (part == "end")
                key = VK_END;
            else if (part == "enter")
                key = VK_RETURN;
            else if (part == "del")
                key = VK_DELETE;
            else if (part == "f4")
                key = VK_F4;
            else if (part == "tab")
                key = VK_TAB;
            else if (part.size() == 1 && std::isalnum(static_cast<unsigned char>(part[0])))
                key = static_cast<WORD>(std::toupper(static_cast<unsigned char>(part[0])));
            else
                return false;
            return true;
        }
        if (part == "ctrl")
            modifiers.push_back(VK_CONTROL);
        else if (part == "shift")
            modifiers.push_back(VK_SHIFT);
        else if (part == "alt")
            modifiers.push_back(VK_MENU);
        else
            return false;
        start = plus + 1;
    }
}

int Keys(char** argv)
{
    HWND hwnd = WindowArg(argv[0]);
    std::vector<WORD> modifiers;
    WORD key = 0;
    if (!ParseKeys(argv[1], modifiers, key)) {
        std::fprintf(stderr, "unknown keys: %s\n", argv[1]);
        return 2;
    }
    ::SetForegroundWindow(hwnd);
    ::Sleep(200);
    std::vector<INPUT> inputs;
    for (WORD m : modifiers)
        inputs.push_back(KeyInput(m, false));
    inputs.push_back(KeyInput(key, false));
    inputs.push_back(KeyInput(key, true));
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it)
        inputs.push_back(KeyInput(*it, true));
    const UINT sent = ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    return sent == inputs.size() ? 0 : 1;
}

// The list view belongs to another process: the item and its text buffer
// live in that process's memory while the list fills them.
int Rows(char** argv)
{
    HWND list = WindowArg(argv[0]);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(list, &pid);
    HANDLE process = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process)
        return 1;
    constexpr size_t kText = 1024;
    char* remote = static_cast<char*>(::VirtualAllocEx(process, nullptr, sizeof(LVITEMW) + kText * sizeof(wchar_t),
                                                       MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    const int rows = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    HWND header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
    int columns = header ? static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
    if (columns < 1)
        columns = 1;
    for (int row = 0; row < rows && remote; ++row) {
        std::string line = "[";
        for (int column = 0; column < columns; ++column) {
            LVITEMW item{};
            item.iSubItem = column;
            item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
            item.cchTextMax = kText;
            ::WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
            ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote));
            wchar_t text[kText] = {};
            ::ReadProcessMemory(process, remote + sizeof(LVITEMW), text, (kText - 1) * sizeof(wchar_t), nullptr);
            line += (column ? ", " : "") + JsonString(Narrow(text));
        }
        std::printf("%s]\n", line.c_str());
    }
    std::fflush(stdout);
    if (remote)
        ::VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    ::CloseHandle(process);
    return remote ? 0 : 1;
}

int Type(char** argv)
{
    HWND hwnd = WindowArg(argv[0]);
    ::SetForegroundWindow(hwnd);
    ::Sleep(200);
    std::vector<INPUT> inputs;
    for (const wchar_t c : Widen(argv[1])) {
        const SHORT scan = c < 0x80 ? ::VkKeyScanW(c) : -1;
        if (scan == -1) {
            // No key for it on this keyboard: the character itself, as an
            // input method gives it (each UTF-16 unit, down and up).
            for (const DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
                INPUT in{};
                in.type = INPUT_KEYBOARD;
                in.ki.wScan = c;
                in.ki.dwFlags = KEYEVENTF_UNICODE | up;
                inputs.push_back(in);
            }
            continue;
        }
        const WORD vk = LOBYTE(scan);
        const bool shift = (HIBYTE(scan) & 1) != 0;
        if (shift)
            inputs.push_back(KeyInput(VK_SHIFT, false));
        inputs.push_back(KeyInput(vk, false));
        inputs.push_back(KeyInput(vk, true));
        if (shift)
            inputs.push_back(KeyInput(VK_SHIFT, true));
    }
    const UINT sent = ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    return sent == inputs.size() ? 0 : 1;
}

int SetText(char** argv)
{
    HWND hwnd = WindowArg(argv[0]);
    const std::wstring text = Widen(argv[1]);
    DWORD_PTR result = 0;
    const LRESULT ok = ::SendMessageTimeoutW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                                             SMTO_ABORTIFHUNG, 5000, &result);
    std::printf("%llu\n", static_cast<unsigned long long>(result));
    std::fflush(stdout);
    return ok ? 0 : 1;
}

// Polls every millisecond. A window counts once it is visible and its thread
// has come back to its message loop, so that the work of its start-up that
// follows the showing is done too.
int Watch(char** argv)
{
    const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(Number(argv[1]));
    std::printf("ready\n");
    std::fflush(stdout);
    while (::GetTickCount64() < deadline) {
        HWND hwnd = ::FindWindowW(Widen(argv[0]).c_str(), nullptr);
        DWORD_PTR result = 0;
        if (hwnd && ::IsWindowVisible(hwnd) &&
            ::SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result)) {
            std::printf("visible\n");
            std::fflush(stdout);
            return 0;
        }
        ::Sleep(1);
    }
    return 1;
}

}  // namespace

int main()
{
    // The arguments in UTF-16, as given: main's own are in the ANSI code page.
    int argc = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i)
        args.push_back(Narrow(wide[i]));
    ::LocalFree(wide);
    std::vector<char*> argvUtf8;
    for (std::string& a : args)
        argvUtf8.push_back(a.data());
    argvUtf8.push_back(nullptr);
    char** argv = argvUtf8.data();

    if (argc >= 2 && std::string(argv[1]) == "list")
        return List();
    if (argc >= 6 && std::string(argv[1]) == "post")
        return Post(argv + 2);
    if (argc >= 6 && std::string(argv[1]) == "send")
        return Send(argv + 2);
    if (argc >= 4 && std::string(argv[1]) == "keys")
        return Keys(argv + 2);
    if (argc >= 4 && std::string(argv[1]) == "type")
        return Type(argv + 2);
    if (argc >= 4 && std::string(argv[1]) == "settext")
        return SetText(argv + 2);
    if (argc >= 3 && std::string(argv[1]) == "rows")
        return Rows(argv + 2);
    if (argc >= 4 && std::string(argv[1]) == "watch")
        return Watch(argv + 2);
    std::fprintf(stderr, "usage: probe list | post HWND MSG WPARAM LPARAM | send HWND MSG WPARAM LPARAM | "
                         "keys HWND KEYS | type HWND TEXT | settext HWND TEXT | rows HWND | watch CLASS TIMEOUT_MS\n");
    return 2;
}
