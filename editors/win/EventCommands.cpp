#include "editors/win/EventCommands.h"

#include <string>

#include "core/Clock.h"
#include "core/Event.h"
#include "core/Firing.h"
#include "core/Scheduler.h"
#include "editors/EventEditor.h"
#include "editors/win/EditEvent.h"
#include "shell/Settings.h"
#include "shell/win/MainList.h"

namespace {

constexpr double kTwoMinutes = 2.0 / 1440;

// Whatever made it (a new event, or an edited one that its own firing had
// deleted meanwhile), the row of a stored event is added and selected.
void AddRow(TfrmMainList& main, const TEvent& event)
{
    const AppSettings& s = Settings();
    TReminderList& view = main.EventsView();
    view.Select(view.Add(EventListRow(event, s.DateFormat, s.TimeFormat)));
}

EditEventServices ServicesOf(TfrmMainList& main)
{
    EditEventServices services;
    static_cast<EditorServices&>(services) = main.MakeEditorServices(main.Images().Events32());
    services.Events = &main.Events();
    return services;
}

}  // namespace

void TEventCommands::actNewEventExecute(bool fromQuickMenu)
{
    if (TDialog::BringOpenDialogToFront())
        return;
    const TDateTime proposed = fromQuickMenu ? main_.QuickEventTime() : main_.Clock().Now() + kTwoMinutes;
    EditEventServices services = ServicesOf(main_);
    services.Commit = [this](const EventEditorValues& values) {
        EventList& events = main_.Events();
        const int index = CommitNewEvent(events, main_.EventsFile(), values);
        AddRow(main_, events[index]);
        main_.GetScheduler().RecomputeNextDue();
        main_.RefreshTooltip();
    };
    TfrmEditEvent dialog(main_.Hwnd(), std::move(services));
    dialog.Tag = 0;
    EventEditorValues values;
    values.Date = DateOf(proposed);
    values.Time = TimeOf(proposed);
    dialog.SetValues(values);
    dialog.SetCaption("New Event");
    main_.RunDialog(dialog);
    main_.actSortingEvents();
}

void TEventCommands::actEditEventExecute()
{
    TReminderList& view = main_.EventsView();
    const int row = view.Selected();
    if (row < 0)
        return;
    if (TDialog::BringOpenDialogToFront())
        return;
    const TEvent* event = main_.Events().Find(view.Caption(row));
    if (event == nullptr)
        return;
    const std::string oldName = event->Name;
    EditEventServices services = ServicesOf(main_);
    services.Commit = [this, oldName](const EventEditorValues& values) {
        EventList& events = main_.Events();
        // Looked up again: a firing while the dialog was open may have
        // deleted the event (a once event that deletes itself). The user's
        // changes are kept all the same, as the event they now describe.
        const int index = events.IndexOf(oldName);
        if (index < 0) {
            AddRow(main_, events[CommitNewEvent(events, main_.EventsFile(), values)]);
        } else {
            CommitEventEdit(events, main_.EventsFile(), index, values);
            const AppSettings& s = Settings();
            TReminderList& list = main_.EventsView();
            const int at = list.Find(oldName);
            if (at >= 0)
                list.Update(at, EventListRow(events[index], s.DateFormat, s.TimeFormat));
        }
        main_.RefreshTooltip();
    };
    TfrmEditEvent dialog(main_.Hwnd(), std::move(services));
    dialog.Tag = 1;
    dialog.EditedName = oldName;
    dialog.SetValues(EditorValuesOf(*event));
    dialog.SetCaption("Edit Event");
    main_.RunDialog(dialog);
    main_.GetScheduler().RecomputeNextDue();
    main_.actSortingEvents();
}

void TEventCommands::actDeleteEventExecute()
{
    main_.DeleteSelected(main_.EventsView(), "Delete the event ", [this](const std::string& caption) {
        EventList& events = main_.Events();
        const int index = events.IndexOf(caption);
        if (index >= 0) {
            events[index].EraseFromFile(main_.EventsFile());
            events.Delete(index);
        }
        main_.GetScheduler().RecomputeNextDue();
    });
}

void TEventCommands::actTestEventExecute()
{
    TReminderList& view = main_.EventsView();
    const int row = view.Selected();
    if (row < 0)
        return;
    TEvent* event = main_.Events().Find(view.Caption(row));
    if (event == nullptr)
        return;
    main_.ReportWriteErrors([&] { ExecuteEvent(*event, true, main_.MakeFiringContext()); });
}
