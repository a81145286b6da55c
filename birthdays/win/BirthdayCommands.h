// The commands of the birthdays list: New, Edit, Delete and Test, through
// the reminders (which keep the record, its section in birthdays.ini and the
// row in step); a birthday stored on a day it is due is reminded at once.
#pragma once

#include <string>

class TfrmMainList;

class TBirthdayCommands {
public:
    explicit TBirthdayCommands(TfrmMainList& main) : main_(main) {}

    // Opens the editor for a new birthday dated today. With a dialog of the
    // program already open, that one comes to the front instead.
    void actNewBirthdayExecute();
    // Edits the birthday of the selected row; nothing without one.
    void actEditBirthdayExecute();
    // Deletes the birthday of the selected row after the user confirms.
    void actDeleteBirthdayExecute();
    // Shows the reminder of the selected row's birthday now (nothing recorded).
    void actTestBirthdayExecute();

private:
    // Reminds of the birthday with this name now when it is due today and
    // has not been reminded today.
    void RemindIfDue(const std::string& name, bool onlyEnabled);

    TfrmMainList& main_;
};
