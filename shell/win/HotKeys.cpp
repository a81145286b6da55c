#include "shell/win/HotKeys.h"

#include <utility>

#include "core/win/Text.h"
#include "shell/Log.h"
#include "shell/Settings.h"

namespace {

constexpr std::uint16_t kShift = 0x2000;
constexpr std::uint16_t kCtrl = 0x4000;
constexpr std::uint16_t kAlt = 0x8000;

constexpr std::array<const wchar_t*, 3> kAtomNames = {L"MainWindow", L"NewEvent", L"NewBirthday"};

std::array<HotKeyBinding*, 3> Bindings(AppSettings& s)
{
    return {&s.MainWindow, &s.NewEvent, &s.NewBirth};
}

UINT KeyOf(std::uint16_t hotKey)
{
    return hotKey & ~static_cast<unsigned>(kShift | kCtrl | kAlt);
}

// The key's name for the user's keyboard layout; the built-in name where the
// system has none.
std::string SystemKeyName(unsigned vk)
{
    const UINT scan = ::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    if (scan != 0) {
        // Bit 24: the extended key (Insert, not the numeric pad's 0); bit 25:
        // no difference between the left and right Shift or Ctrl.
        const LONG lParam = static_cast<LONG>((scan & 0xFF) << 16) | (IsExtendedKey(vk) ? 1L << 24 : 0) | (1L << 25);
        wchar_t name[64] = {};
        if (::GetKeyNameTextW(lParam, name, static_cast<int>(std::size(name))) > 0)
            return Narrow(name);
    }
    return DefaultKeyName(vk);
}

}  // namespace

std::uint16_t HotKeyModifiers(std::uint16_t hotKey)
{
    std::uint16_t modifiers = 0;
    if (hotKey & kAlt)
        modifiers |= MOD_ALT;
    if (hotKey & kCtrl)
        modifiers |= MOD_CONTROL;
    if (hotKey & kShift)
        modifiers |= MOD_SHIFT;
    return modifiers;
}

std::string HotKeyDisplayText(std::uint16_t hotKey)
{
    return HotKeyText(hotKey, SystemKeyName);
}

std::string ShortcutText(const HotKeyBinding& binding)
{
    return IsGlobalHotKey(binding) ? HotKeyDisplayText(binding.HotKey) : std::string();
}

std::string THotKeys::FailureText(std::uint16_t hotKey)
{
    return "Unable to assign " + HotKeyDisplayText(hotKey) + " as hotkey";
}

THotKeys::THotKeys(HWND window, AppSettings& settings, std::function<void(const std::string&)> report)
    : window_(window), settings_(settings)
{
    const auto bindings = Bindings(settings_);
    for (size_t i = 0; i < bindings.size(); ++i) {
        HotKeyBinding& b = *bindings[i];
        atoms_[i] = ::GlobalAddAtomW(kAtomNames[i]);
        b.AtomId = atoms_[i];
        if (b.HotKey != 0 && !IsGlobalHotKey(b))
            WriteLog("Hotkey " + HotKeyDisplayText(b.HotKey) + " not registered: a global hotkey needs Ctrl or Alt");
        else if (!Register(b) && report)
            report(FailureText(b.HotKey));
    }
}

THotKeys::~THotKeys()
{
    // Leaving them registered would keep the keys from other programs until
    // the session ends, and the atoms in the session's atom table.
    for (ATOM atom : atoms_) {
        if (atom == 0)
            continue;
        ::UnregisterHotKey(window_, atom);
        ::GlobalDeleteAtom(atom);
    }
}

bool THotKeys::Register(const HotKeyBinding& binding)
{
    if (!IsGlobalHotKey(binding))
        return true;  // nothing to register: no key, or none a system-wide key may be
    return ::RegisterHotKey(window_, binding.AtomId, binding.Modifiers, KeyOf(binding.HotKey)) != FALSE;
}

std::vector<std::string> THotKeys::RebindHotKeys(const std::array<std::uint16_t, 3>& hotKeys)
{
    const auto bindings = Bindings(settings_);
    // Our own old registrations would refuse a key moving between bindings.
    for (HotKeyBinding* b : bindings)
        ::UnregisterHotKey(window_, b->AtomId);
    std::vector<std::string> failures;
    for (size_t i = 0; i < bindings.size(); ++i) {
        HotKeyBinding& b = *bindings[i];
        b.HotKey = hotKeys[i];
        b.Modifiers = HotKeyModifiers(hotKeys[i]);
        if (!Register(b))
            failures.push_back(FailureText(b.HotKey));
    }
    return failures;
}

HotKeyAction THotKeys::ActionOf(WPARAM id) const
{
    constexpr std::array<HotKeyAction, 3> kActions = {HotKeyAction::MainWindow, HotKeyAction::NewEvent,
                                                      HotKeyAction::NewBirthday};
    for (size_t i = 0; i < atoms_.size(); ++i)
        if (atoms_[i] != 0 && id == atoms_[i])
            return kActions[i];
    return HotKeyAction::None;
}
