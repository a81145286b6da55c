#include "birthdays/win/BirthdayCommands.h"

#include <string>

#include "birthdays/Birthday.h"
#include "birthdays/BirthdayEditor.h"
#include "birthdays/win/EditBirth.h"
#include "core/Clock.h"
#include "shell/Settings.h"
#include "shell/win/MainList.h"

namespace {

EditBirthServices ServicesOf(TfrmMainList& main)
{
    EditBirthServices services;
    static_cast<EditorServices&>(services) = main.MakeEditorServices(main.Images().Birth32());
    services.Zodiac = main.Images().Zodiac();
    services.Birthdays = &main.Birthdays();
    return services;
}

}  // namespace

void TBirthdayCommands::RemindIfDue(const std::string& name, bool onlyEnabled)
{
    main_.ReportWriteErrors([&] { main_.Reminders().RemindIfDueToday(name, onlyEnabled); });
}

void TBirthdayCommands::actNewBirthdayExecute()
{
    if (TDialog::BringOpenDialogToFront())
        return;
    std::string stored;
    EditBirthServices services = ServicesOf(main_);
    services.Commit = [this, &stored](const BirthdayEditorValues& values) {
        CommitNewBirthday(main_.Reminders(), values, main_.Clock().Today());
        TReminderList& view = main_.BirthdaysView();
        view.Select(view.Find(values.Name));
        stored = values.Name;
    };
    {
        TfrmEditBirth dialog(main_.Hwnd(), std::move(services));
        dialog.Tag = 0;
        BirthdayEditorValues values;
        values.Date = main_.Clock().Today() + kPickerTimeOfDay;
        dialog.SetValues(values);
        dialog.SetCaption("New Birthday");
        main_.RunDialog(dialog);
    }
    // Stored on a day it is due: reminded at once, enabled or not.
    if (!stored.empty())
        RemindIfDue(stored, false);
    main_.actSortingBirths();
}

void TBirthdayCommands::actEditBirthdayExecute()
{
    TReminderList& view = main_.BirthdaysView();
    const int row = view.Selected();
    if (row < 0)
        return;
    if (TDialog::BringOpenDialogToFront())
        return;
    const TBirthday* record = main_.Birthdays().Find(view.Caption(row));
    if (record == nullptr)
        return;
    const std::string oldName = record->Name;
    std::string stored;
    EditBirthServices services = ServicesOf(main_);
    services.Commit = [this, oldName, &stored](const BirthdayEditorValues& values) {
        CommitBirthdayEdit(main_.Reminders(), oldName, values, main_.Clock().Today());
        stored = values.Name;
    };
    {
        TfrmEditBirth dialog(main_.Hwnd(), std::move(services));
        dialog.Tag = 1;
        dialog.EditedName = oldName;
        dialog.SetValues(BirthdayValuesOf(*record));
        dialog.SetCaption("Edit Birthday");
        main_.RunDialog(dialog);
    }
    if (!stored.empty())
        RemindIfDue(stored, true);
    main_.actSortingBirths();
}

void TBirthdayCommands::actDeleteBirthdayExecute()
{
    main_.DeleteSelected(main_.BirthdaysView(), "Delete the birthday of ",
                         [this](const std::string& caption) { main_.Reminders().DeleteBirthday(caption); });
}

void TBirthdayCommands::actTestBirthdayExecute()
{
    TReminderList& view = main_.BirthdaysView();
    const int row = view.Selected();
    if (row >= 0)
        main_.Reminders().TestBirthday(view.Caption(row));
}
