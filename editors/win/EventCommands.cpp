#include "editors/win/EventCommands.h"

#include <string>

#include "core/Clock.h"
#include "core/Event.h"
#include "editors/EventEditor.h"
#include "editors/win/EditEvent.h"
#include "shell/Settings.h"
#include "shell/win/MainList.h"

namespace {

constexpr double kTwoMinutes = 2.0 / 1440;

EditEventServices ServicesOf(TfrmMainList& main)
{
    EditEventServices services;
    static_cast<EditorServices&>(services) = main.MakeEditorServices(main.Images().Events32());
    services.Events = &main.Events();
    return services;
}

// The row of a stored event, made or brought back by the command, is selected.
void SelectRow(TfrmMainList& main, const std::string& name)
{
    TReminderList& view = main.EventsView();
    view.Select(view.Find(name));
}

}  // namespace

void TEventCommands::actNewEventExecute(bool fromQuickMenu)
{
    if (TDialog::BringOpenDialogToFront())
        return;
    const TDateTime proposed = fromQuickMenu ? main_.QuickEventTime() : main_.Clock().Now() + kTwoMinutes;
    EditEventServices services = ServicesOf(main_);
    services.Commit = [this](const EventEditorValues& values) {
        CommitNewEvent(main_.Reminders(), values);
        SelectRow(main_, values.Name);
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
        // A firing while the dialog was open may have deleted the event (a
        // once event that deletes itself): the user's changes are kept all
        // the same, as the event they now describe.
        const bool gone = main_.Events().IndexOf(oldName) < 0;
        CommitEventEdit(main_.Reminders(), oldName, values);
        if (gone)
            SelectRow(main_, values.Name);
    };
    TfrmEditEvent dialog(main_.Hwnd(), std::move(services));
    dialog.Tag = 1;
    dialog.EditedName = oldName;
    dialog.SetValues(EditorValuesOf(*event));
    dialog.SetCaption("Edit Event");
    main_.RunDialog(dialog);
    main_.actSortingEvents();
}

void TEventCommands::actDeleteEventExecute()
{
    main_.DeleteSelected(main_.EventsView(), "Delete the event ",
                         [this](const std::string& caption) { main_.Reminders().DeleteEvent(caption); });
}

void TEventCommands::actTestEventExecute()
{
    TReminderList& view = main_.EventsView();
    const int row = view.Selected();
    if (row >= 0)
        main_.Reminders().TestEvent(view.Caption(row));
}
