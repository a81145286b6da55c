#include "shell/FirstRun.h"

#include <cmath>

std::unique_ptr<TEvent> WelcomeEvent(TDateTime now, const std::string& newEventKeys, const std::string& soundFile)
{
    auto e = std::make_unique<TEvent>();
    e->Name = kWelcomeEventName;
    // To the whole second, as a time typed into the editor would be.
    e->StartDateTime = std::floor((now + 1.0 / 1440) * 86400.0) / 86400.0;
    e->PeriodInd = pkOnce;
    e->ExpiredInd = ekRunAgain;
    e->DeleteAfterRun = true;
    e->EnabledNote = true;
    e->EnabledSound = !soundFile.empty();
    e->SoundFile = soundFile;
    e->ShowInTTDaysBefore = 1;
    const std::string add = newEventKeys.empty()
                                ? "To add a reminder, double-click the tray icon and click New."
                                : "To add a reminder, press " + newEventKeys +
                                      " anywhere, or double-click the tray icon and click New.";
    e->Notes = add +
               "\r\nThe tray icon: point at it to see what comes next, double-click it for your list, "
               "right-click it for the menu."
               "\r\nYour reminders are kept beside Vellomir.exe, in events.ini and birthdays.ini.";
    return e;
}

std::string UnwritableFolderText(const std::string& folder, const std::string& suggestedFolder)
{
    return "Vellomir cannot save anything in its folder:\r\n" + folder +
           "\r\n\r\nReminders and birthdays you add or change would be lost. Move the Vellomir "
           "folder to a place where you can save files, for example\r\n" +
           suggestedFolder + "\r\nor install Vellomir with its setup program, and start it from there.";
}
