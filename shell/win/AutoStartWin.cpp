#include "shell/win/AutoStartWin.h"

#include <windows.h>

#include <stdexcept>

#include "shell/AutoStart.h"

namespace {

constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string RunningExecutable()
{
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// Closes the key on every path.
class RunKey {
public:
    explicit RunKey(REGSAM access)
    {
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, access, &key_) != ERROR_SUCCESS)
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
            ::RegDeleteValueA(key.Get(), kAutoStartValueName);
        return;
    }
    const std::string command = AutoStartCommand(exePath.empty() ? RunningExecutable() : exePath);
    if (!key.Get() || ::RegSetValueExA(key.Get(), kAutoStartValueName, 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(command.c_str()),
                                       static_cast<DWORD>(command.size() + 1)) != ERROR_SUCCESS)
        throw std::runtime_error(std::string("Failed to set data for '") + kAutoStartValueName + "'");
}

std::string AutoStartValue()
{
    RunKey key(KEY_QUERY_VALUE);
    if (!key.Get())
        return {};
    char data[2048] = {};
    DWORD size = sizeof data - 1;
    DWORD type = 0;
    if (::RegQueryValueExA(key.Get(), kAutoStartValueName, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    return data;
}
