#include "shell/win/AutoStartWin.h"

#include <windows.h>

#include <stdexcept>

#include "core/win/Text.h"
#include "shell/AutoStart.h"

namespace {

constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string RunningExecutable()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return Narrow(path);
        }
        path.resize(path.size() * 2);
    }
}

// Closes the key on every path.
class RunKey {
public:
    explicit RunKey(REGSAM access)
    {
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, access, &key_) != ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~RunKey()
    {
        if (key_)
            ::RegCloseKey(key_);
    }
    RunKey(const RunKey&) = delete;
    RunKey& operator=(const RunKey&) = delete;
    HKEY Get() const noexcept { return key_; }

private:
    HKEY key_ = nullptr;
};

}  // namespace

void SetAutoStart(bool enabled, const std::string& exePath)
{
    RunKey key(enabled ? KEY_SET_VALUE : KEY_SET_VALUE | KEY_QUERY_VALUE);
    if (!enabled) {
        if (key.Get())
            ::RegDeleteValueW(key.Get(), Widen(kAutoStartValueName).c_str());
        return;
    }
    const std::wstring command = Widen(AutoStartCommand(exePath.empty() ? RunningExecutable() : exePath));
    // The size is in bytes and counts the terminating zero.
    if (!key.Get() || ::RegSetValueExW(key.Get(), Widen(kAutoStartValueName).c_str(), 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(command.c_str()),
                                       static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
        throw std::runtime_error(std::string("Failed to set data for '") + kAutoStartValueName + "'");
}

std::string AutoStartValue()
{
    RunKey key(KEY_QUERY_VALUE);
    if (!key.Get())
        return {};
    // One unit more than the system may fill: a stored string need not end
    // in a zero.
    wchar_t data[2048] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    DWORD type = 0;
    if (::RegQueryValueExW(key.Get(), Widen(kAutoStartValueName).c_str(), nullptr, &type,
                           reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    return Narrow(data);
}
