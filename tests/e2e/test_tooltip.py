"""The upcoming-reminders window opened pinned at start-up."""

import datetime

from harness import check, format_number, to_tdatetime, write_ini


def test_pinned_window_opens_at_its_place_with_todays_reminders(program):
    now = datetime.datetime.now()
    program.write_config(ShowTrayIcon=0, TTShowFixed=1, TTWindowX=200, TTWindowy=150, ShowZodiacSigns=1)
    # Due today, tomorrow and in two days; one beyond its horizon.
    today = now.replace(hour=0, minute=0, second=0, microsecond=0)
    births = []
    for name, days, horizon in (("Ann", 0, 0), ("Ben", 1, 1), ("Cid", 9, 3)):
        born = (today + datetime.timedelta(days=days)).replace(year=1992)
        births.append((name, [("Enabled", "1"), ("BirthDate", format_number(to_tdatetime(born))),
                              ("ShowInTTDaysBefore", str(horizon))]))
    write_ini(program.path("birthdays.ini"), births)
    program.write_events([("Trip", {"Enabled": "1", "ShowInTTDaysBefore": "2",
                                    "StartDateTime": format_number(to_tdatetime(today + datetime.timedelta(days=2, hours=9)))})])
    program.start()

    window = program.wait_window(20, cls="TfrmToolTip", visible=True)
    left, top, right, bottom = window.rect
    check((left, top) == (200, 150), "at its saved place: %r" % (window.rect,))
    # Title bar 25 + zodiac panel 50 + list panel 50 + three rows of 17, and
    # the 1-pixel frame.
    check(bottom - top == 25 + 50 + 50 + 3 * 17 + 2, "three rows and the zodiac panel: %r" % (window.rect,))
    check(program.find(cls="TfrmMainList", visible=True) is None, "the main window stays hidden")
