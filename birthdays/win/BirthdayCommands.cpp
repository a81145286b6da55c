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

ListRow RowOf(TfrmMainList& main, const TBirthday& record)
{
    return BirthdayListRow(record, main.Clock().Today(), Settings().DateFormat);
}

}  // namespace

void TBirthdayCommands::FireIfDue(const std::string& name, bool onlyEnabled)
{
    TBirthday* record = main_.Birthdays().Find(name);
    const TDateTime today = main_.Clock().Today();
    if (record == nullptr || (onlyEnabled && !record->Enabled) || !IsDueOn(*record, today))
        return;
    BirthdayFiringContext ctx{main_.Desktop(), main_.Clock(), main_.BirthdaysFile(), Settings().DateFormat};
    main_.ReportWriteErrors([&] { ExecuteBirthday(*record, false, ctx); });
}

void TBirthdayCommands::actNewBirthdayExecute()
{
    if (TDialog::BringOpenDialogToFront())
        return;
    std::string stored;
    EditBirthServices services = ServicesOf(main_);
    services.Commit = [this, &stored](const BirthdayEditorValues& values) {
        BirthdayList& birthdays = main_.Birthdays();
        const int index = CommitNewBirthday(birthdays, main_.BirthdaysFile(), values, main_.Clock().Today());
        TReminderList& view = main_.BirthdaysView();
        view.Select(view.Add(RowOf(main_, birthdays[index])));
        main_.RefreshTooltip();
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
        FireIfDue(stored, false);
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
    const int index = main_.Birthdays().IndexOf(view.Caption(row));
    if (index < 0)
        return;
    const std::string oldName = main_.Birthdays().NameAt(index);
    std::string stored;
    EditBirthServices services = ServicesOf(main_);
    services.Commit = [this, oldName, &stored](const BirthdayEditorValues& values) {
        BirthdayList& birthdays = main_.Birthdays();
        const int at = birthdays.IndexOf(oldName);
        if (at < 0)
            return;
        CommitBirthdayEdit(birthdays, main_.BirthdaysFile(), at, values, main_.Clock().Today());
        TReminderList& list = main_.BirthdaysView();
        const int shown = list.Find(oldName);
        if (shown >= 0)
            list.Update(shown, RowOf(main_, birthdays[at]));
        stored = values.Name;
    };
    {
        TfrmEditBirth dialog(main_.Hwnd(), std::move(services));
        dialog.Tag = 1;
        dialog.EditedName = oldName;
        dialog.SetValues(BirthdayValuesOf(main_.Birthdays()[index]));
        dialog.SetCaption("Edit Birthday");
        main_.RunDialog(dialog);
    }
    if (!stored.empty()) {
        FireIfDue(stored, true);
        main_.RefreshTooltip();
    }
    main_.actSortingBirths();
}

void TBirthdayCommands::actDeleteBirthdayExecute()
{
    main_.DeleteSelected(main_.BirthdaysView(), "Delete the birthday of ", [this](const std::string& caption) {
        BirthdayList& birthdays = main_.Birthdays();
        const int index = birthdays.IndexOf(caption);
        if (index >= 0) {
            birthdays[index].EraseFromFile(main_.BirthdaysFile());
            birthdays.Delete(index);
        }
    });
}

void TBirthdayCommands::actTestBirthdayExecute()
{
    TReminderList& view = main_.BirthdaysView();
    const int row = view.Selected();
    if (row < 0)
        return;
    TBirthday* record = main_.Birthdays().Find(view.Caption(row));
    if (record == nullptr)
        return;
    BirthdayFiringContext ctx{main_.Desktop(), main_.Clock(), main_.BirthdaysFile(), Settings().DateFormat};
    main_.ReportWriteErrors([&] { ExecuteBirthday(*record, true, ctx); });
}
