#include "shell/win/HotKeys.h"

#include <utility>

#include "shell/Settings.h"

namespace {

constexpr std::uint16_t kShift = 0x2000;
constexpr std::uint16_t kCtrl = 0x4000;
constexpr std::uint16_t kAlt = 0x8000;

constexpr std::array<const char*, 3> kAtomNames = {"MainWindow", "NewEvent", "NewBirthday"};

std::array<HotKeyBinding*, 3> Bindings(AppSettings& s)
{
    return {&s.MainWindow, &s.NewEvent, &s.NewBirth};
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

std::string THotKeys::FailureText(std::uint16_t hotKey)
{
    return "Unable to assign " + HotKeyText(hotKey) + " as hotkey";
}

THotKeys::THotKeys(HWND window, AppSettings& settings, std::function<void(const std::string&)> report)
    : window_(window), settings_(settings), report_(std::move(report))
{
    const auto bindings = Bindings(settings_);
    for (size_t i = 0; i < bindings.size(); ++i) {
        atoms_[i] = ::GlobalAddAtomA(kAtomNames[i]);
        bindings[i]->AtomId = atoms_[i];
        if (!Register(*bindings[i]) && report_)
            report_(FailureText(bindings[i]->HotKey));
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
    const UINT key = binding.HotKey & ~static_cast<unsigned>(kShift | kCtrl | kAlt);
    return ::RegisterHotKey(window_, binding.AtomId, binding.Modifiers, key) != FALSE;
}

bool THotKeys::RebindHotKey(HotKeyBinding& binding, std::uint16_t hotKey)
{
    ::UnregisterHotKey(window_, binding.AtomId);
    binding.HotKey = hotKey;
    binding.Modifiers = HotKeyModifiers(hotKey);
    if (Register(binding))
        return true;
    if (report_)
        report_(FailureText(hotKey));
    return false;
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
