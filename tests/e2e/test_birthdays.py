"""Birthdays in the running program: the notes of the day's reminders, and the
box that lists the birthdays that passed while the program was off."""

import datetime

from harness import BM_CLICK, check, format_number, poll, to_tdatetime, write_ini

REPORT_CAPTION = "Vellomir. Attention!"
REPORT_HEAD = "Some birthdays of following persons were missed: \r\n"
NOTES = "%PersonName on %BirthDate<br>in %CountDays days"

# A leap year, so that every month and day of this year makes a birth date.
BIRTH_YEAR = 1988


def today():
    return datetime.date.today()


def day_number(day):
    """A whole day as birthdays.ini stores it."""
    return int(round(to_tdatetime(datetime.datetime(day.year, day.month, day.day))))


def born_on(anniversary):
    """A birth date whose anniversary falls on the given day."""
    return datetime.date(BIRTH_YEAR, anniversary.month, anniversary.day)


def birthday(born, **extra):
    keys = {
        "Enabled": "1",
        "EnabledNote": "1",
        "Notes": NOTES,
        "BirthDate": format_number(day_number(born)),
        "LastStart": "0",
    }
    keys.update(extra)
    return keys


def write_birthdays(program, records):
    write_ini(program.path("birthdays.ini"), [(name, list(keys.items())) for name, keys in records])


def last_start(program, name):
    value = program.birthdays().get(name.lower(), {}).get("laststart")
    return None if value is None else float(value)


def report_box(program):
    return program.find(title=REPORT_CAPTION)


def report_text(box):
    # The box shows its text in a static control; the icon is one too, empty.
    texts = [c["text"] for c in box.controls if c["class"].lower() == "static" and c["text"]]
    return texts[0] if texts else None


def test_birthdays_due_today_open_their_notes_at_start(program):
    now = today()
    ahead = now + datetime.timedelta(days=7)
    # An anniversary in the next calendar year is not reminded this year (and
    # this year's has passed): give it this year's LastStart so that it is
    # not reported either, and expect no note for it.
    crosses_year = ahead.year != now.year
    program.write_config(ShowTrayIcon=0)
    write_birthdays(program, [
        ("Anna", birthday(born_on(now))),
        ("Bert", birthday(born_on(ahead), Remind1Week="1",
                          LastStart=str(day_number(now)) if crosses_year else "0")),
        ("Quiet", birthday(born_on(now), Enabled="0")),
    ])
    program.start()
    program.wait_started()

    note = program.wait_window(20, what="Anna's note", cls="TfrmNote", title="Birthday!", visible=True)
    text = note.control(cls="Edit")
    expected = "Anna on %s\r\nin 0 days" % born_on(now).strftime("%d.%m.%Y")
    check(text is not None and text["text"] == expected, "note text: %r" % (text and text["text"]))
    poll(lambda: last_start(program, "Anna") == day_number(now), 5, what="Anna's LastStart")

    if crosses_year:
        check(program.find(cls="TfrmNote", title="Birthday! (Days Left: 7)") is None,
              "an anniversary in the next year is not reminded")
    else:
        note = program.wait_window(10, what="Bert's note", cls="TfrmNote", title="Birthday! (Days Left: 7)",
                                   visible=True)
        text = note.control(cls="Edit")
        expected = "Bert on %s\r\nin 7 days" % born_on(ahead).strftime("%d.%m.%Y")
        check(text is not None and text["text"] == expected, "note text: %r" % (text and text["text"]))
        poll(lambda: last_start(program, "Bert") == day_number(now), 5, what="Bert's LastStart")

    # A disabled birthday is never reminded: one note per enabled person.
    notes = [w for w in program.windows() if w.cls == "TfrmNote"]
    check(len(notes) == (1 if crosses_year else 2), "notes: %r" % notes)
    check(last_start(program, "Quiet") == 0, "the disabled birthday keeps its LastStart")
    check(report_box(program) is None, "nothing was missed")


def test_birthday_missed_while_off_is_reported_once(program):
    now = today()
    passed = now - datetime.timedelta(days=7)
    if passed.year != now.year:
        passed = now - datetime.timedelta(days=1)
    # On 1 January no birthday of this year lies behind: then the record of
    # last December must not be reported, which is checked below too.
    reported = passed.year == now.year
    last_year = now.replace(year=now.year - 1, day=min(now.day, 28))
    program.write_config(ShowTrayIcon=0)
    write_birthdays(program, [
        ("Bert", birthday(born_on(passed), LastStart=str(day_number(last_year)))),
        # Reminded already this year: not reported.
        ("Reminded", birthday(born_on(passed), LastStart=str(day_number(now)))),
        # Disabled birthdays are reported too.
        ("Cora", birthday(born_on(passed), Enabled="0")),
        ("Later", birthday(born_on(now + datetime.timedelta(days=3)))),
    ])
    program.start()
    program.wait_started()

    if reported:
        box = program.wait_window(20, what="the report box", title=REPORT_CAPTION, visible=True)
        check(report_text(box) == REPORT_HEAD + "Bert\r\nCora\r\n", "box text: %r" % report_text(box))
        # The report comes in the start-up, before the main window shows.
        check(program.find(cls="TfrmMainList", visible=True) is None, "the main window waits for the box")
        ok = box.control(cls="Button", text="OK")
        check(ok is not None, "an OK button: %r" % box.controls)
        check(len([c for c in box.controls if c["class"].lower() == "button"]) == 1, "OK alone")
        program.send(ok["hwnd"], BM_CLICK)
        program.wait_gone(box.hwnd, 5)

    program.wait_window(20, what="the main window to show", cls="TfrmMainList", visible=True)
    check(report_box(program) is None, "the box shows once")
    # Recorded (as the day reported) whether or not the box could show;
    # untouched when not reported.
    check(last_start(program, "Bert") == day_number(passed if reported else last_year),
          "Bert's LastStart: %r" % last_start(program, "Bert"))
    check(last_start(program, "Cora") == (day_number(passed) if reported else 0),
          "Cora's LastStart: %r" % last_start(program, "Cora"))
    check(last_start(program, "Reminded") == day_number(now), "Reminded keeps its LastStart")
    check(last_start(program, "Later") == 0, "a birthday ahead is not touched")

    # Once recorded, the same birthdays are not reported again this year.
    program.stop()
    program.start()
    program.wait_window(20, what="the main window of the second run", cls="TfrmMainList", visible=True)
    check(report_box(program) is None, "no box at the second start")


def test_with_the_box_turned_off_missed_birthdays_are_still_recorded(program):
    now = today()
    passed = now - datetime.timedelta(days=1)
    # Reminded a week before and missed on the day: also on 1 January, when
    # the day missed was last year's.
    early = passed - datetime.timedelta(days=7)
    program.write_config(ShowTrayIcon=0, ShowMisBirthWindow=0)
    write_birthdays(program, [("Bert", birthday(born_on(passed), Remind1Week="1",
                                                LastStart=str(day_number(early))))])
    program.start()

    program.wait_window(20, what="the main window to show", cls="TfrmMainList", visible=True)
    check(report_box(program) is None, "no box when the setting is off")
    # The record is the anniversary missed, as a reminder on it would have left.
    check(last_start(program, "Bert") == day_number(passed), "LastStart: %r" % last_start(program, "Bert"))
