#include "alerts/win/SnoozeMenu.h"

#include <span>

#include "alerts/Snooze.h"
#include "core/Clock.h"
#include "core/win/Text.h"
#include "res/resource.h"

namespace {

void FillChoices(HMENU menu, UINT firstId, std::span<const SnoozeChoice> choices)
{
    for (size_t i = 0; i < choices.size(); ++i) {
        const SnoozeChoice& c = choices[i];
        std::string text = c.Caption;
        if (*c.Shortcut)
            text += std::string("\t") + c.Shortcut;
        AppendMenuItem(menu, firstId + static_cast<UINT>(i), text, MFT_STRING | (c.NewColumn ? MFT_MENUBARBREAK : 0u),
                       static_cast<ULONG_PTR>(c.Tag));
    }
}

}  // namespace

void AppendMenuItem(HMENU menu, UINT id, const std::string& text, UINT type, ULONG_PTR data, HMENU submenu)
{
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE | MIIM_ID | MIIM_DATA | (type & MFT_SEPARATOR ? 0 : MIIM_STRING) |
                (submenu ? MIIM_SUBMENU : 0);
    mii.fType = type;
    mii.wID = id;
    mii.dwItemData = data;
    mii.hSubMenu = submenu;
    std::wstring buffer = Widen(text);
    mii.dwTypeData = buffer.data();
    ::InsertMenuItemW(menu, static_cast<UINT>(::GetMenuItemCount(menu)), TRUE, &mii);
}

void FillSnoozeChoices(HMENU in, HMENU on)
{
    FillChoices(in, IDM_NOTE_IN_FIRST, SnoozeInChoices());
    FillChoices(on, IDM_NOTE_ON_FIRST, SnoozeOnChoices());
}

std::optional<TDateTime> SnoozeMomentOf(UINT id, const IClock& clock)
{
    const auto in = SnoozeInChoices();
    if (id >= IDM_NOTE_IN_FIRST && id < IDM_NOTE_IN_FIRST + in.size())
        return SnoozeInTime(clock, in[id - IDM_NOTE_IN_FIRST].Tag);
    const auto on = SnoozeOnChoices();
    if (id >= IDM_NOTE_ON_FIRST && id < IDM_NOTE_ON_FIRST + on.size())
        return SnoozeOnTime(clock.Now(), on[id - IDM_NOTE_ON_FIRST].Tag);
    return std::nullopt;
}
