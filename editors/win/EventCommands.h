// The commands of the events list: New, Edit, Delete and Test. Each keeps the
// three copies of an event in step: its record in the event list, its section
// in events.ini and its row in the main window's list; then the next due
// moment, the upcoming-reminders window and the sort order follow.
#pragma once

class TfrmMainList;

class TEventCommands {
public:
    explicit TEventCommands(TfrmMainList& main) : main_(main) {}

    // Opens the editor for a new event at now + 2 minutes, or at the moment
    // the quick-event menus proposed when one of them asked. While any dialog
    // of the program is open (an editor of either kind, options, about),
    // that one comes to the front instead; Edit likewise.
    void actNewEventExecute(bool fromQuickMenu);
    // Edits the event of the selected row; nothing without one.
    void actEditEventExecute();
    // Deletes the event of the selected row after the user confirms.
    void actDeleteEventExecute();
    // Fires the event of the selected row now as a test (nothing recorded).
    void actTestEventExecute();

private:
    TfrmMainList& main_;
};
