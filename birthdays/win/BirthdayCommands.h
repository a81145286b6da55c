// The commands of the birthdays list: New, Edit, Delete and Test. Each keeps
// the record in the birthday list, its section in birthdays.ini and its row
// in the main window's list in step; a birthday stored on a day it is due
// is reminded at once.
#pragma once

#include <string>

class TfrmMainList;

class TBirthdayCommands {
public:
    explicit TBirthdayCommands(TfrmMainList& main) : main_(main) {}

    // Opens the editor for a new birthday dated today. With a birthday
    // editor already open, that one comes to the front instead.
    void actNewBirthdayExecute();
    // Edits the birthday of the selected row; nothing without one.
    void actEditBirthdayExecute();
    // Deletes the birthday of the selected row after the user confirms.
    void actDeleteBirthdayExecute();
    // Shows the reminder of the selected row's birthday now (nothing recorded).
    void actTestBirthdayExecute();

private:
    // Fires the birthday with this name now when it is due today.
    void FireIfDue(const std::string& name, bool onlyEnabled);

    TfrmMainList& main_;
};
