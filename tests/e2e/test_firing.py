"""Events falling due while the program runs: the note, the record of the run,
deletion and advancing after the run, snoozes and missed events."""

import datetime

from harness import (caption_time, check, check_started_before, due_in, format_number, from_tdatetime, poll,
                     to_tdatetime, weekday_number)


def note_event(start, **extra):
    keys = {
        "Enabled": "1",
        "EnabledNote": "1",
        "Notes": "first line<br>second line",
        "StartDateTime": format_number(to_tdatetime(start)),
        "PeriodInd": "0",
    }
    keys.update(extra)
    return keys


def test_due_event_shows_its_note_and_records_the_run(program):
    start = due_in(program, 4)
    program.write_config(ShowTrayIcon=0)
    program.write_events([("Dentist", note_event(start)), ("Later", note_event(start + datetime.timedelta(days=1)))])
    program.start()
    check_started_before(program, start)

    title = "Dentist (%s)" % caption_time(start)
    note = program.wait_window(15, cls="TfrmNote", title=title, visible=True)
    text = note.control(cls="Edit")
    check(text is not None and text["text"] == "first line\r\nsecond line",
          "note text: %r" % (text and text["text"]))
    status = note.control(cls="Static", text="Status...")
    check(status is not None and not status["visible"], "a regular run shows no status line")

    section = poll(lambda: program.events().get("dentist", {}).get("lastdatetime"), 5,
                   what="LastDateTime in events.ini")
    last = from_tdatetime(float(section))
    check(abs((last - start).total_seconds()) < 3, "LastDateTime %s is not the firing time %s" % (last, start))
    check("lastdatetime" not in program.events()["later"], "only the due event ran")


def test_once_event_that_deletes_itself_is_gone_afterwards(program):
    start = due_in(program, 4)
    program.write_config(ShowTrayIcon=0)
    program.write_events([
        ("Keep", note_event(start + datetime.timedelta(hours=5))),
        ("One-off", note_event(start, DeleteAfterRun="1")),
    ])
    program.start()
    check_started_before(program, start)

    program.wait_window(15, cls="TfrmNote", title="One-off (%s)" % caption_time(start))
    poll(lambda: "one-off" not in program.events(), 5, what="the section to be erased")
    check("keep" in program.events(), "the other event stays")


def test_daily_event_moves_to_its_next_selected_weekday(program):
    start = due_in(program, 4)
    # Today and the day after tomorrow selected: the next start is two days on.
    mask = ["0"] * 7
    mask[weekday_number(start) - 1] = "1"
    mask[weekday_number(start + datetime.timedelta(days=2)) - 1] = "1"
    program.write_config(ShowTrayIcon=0)
    program.write_events([("Gym", note_event(start, PeriodInd="2", DaysBin="".join(mask)))])
    program.start()
    check_started_before(program, start)

    program.wait_window(15, cls="TfrmNote", title="Gym (%s)" % caption_time(start))
    expected = start + datetime.timedelta(days=2)

    def moved():
        value = program.events().get("gym", {}).get("startdatetime")
        return value is not None and abs((from_tdatetime(float(value)) - expected).total_seconds()) < 1

    poll(moved, 5, what="StartDateTime to move to %s" % expected)


def test_ctrl_1_on_a_note_snoozes_the_event_for_a_minute(program):
    start = due_in(program, 4)
    program.write_config(ShowTrayIcon=0)
    program.write_events([("Call back", note_event(start))])
    program.start()
    check_started_before(program, start)

    note = program.wait_window(15, cls="TfrmNote", title="Call back (%s)" % caption_time(start), visible=True)
    pressed = datetime.datetime.now()
    program.keys(note.hwnd, "ctrl+1")
    snooze = poll(lambda: program.events().get("call back", {}).get("snoozedatetime"), 8,
                  what="SnoozeDateTime in events.ini")
    moment = from_tdatetime(float(snooze))
    check(abs((moment - pressed).total_seconds() - 60) < 10, "snoozed to %s, pressed at %s" % (moment, pressed))
    program.wait_gone(note.hwnd, 5)


def test_snooze_time_fires_the_event_again_as_snoozing(program):
    snooze = due_in(program, 4)
    program.write_config(ShowTrayIcon=0)
    program.write_events([("Tea", note_event(snooze + datetime.timedelta(days=3),
                                              SnoozeDateTime=format_number(to_tdatetime(snooze))))])
    program.start()
    check_started_before(program, snooze)

    note = program.wait_window(15, cls="TfrmNote", title_pattern=r"^Tea \(", visible=True)
    status = note.control(cls="Static", text="Snoozing...")
    check(status is not None and status["visible"], "status line: %r" % note.controls)
    # A snooze run shows when it happens, not the start three days ahead.
    check(note.title != "Tea (%s)" % caption_time(snooze + datetime.timedelta(days=3)), note.title)
    start = program.events()["tea"]["startdatetime"]
    check(abs(from_tdatetime(float(start)) - (snooze + datetime.timedelta(days=3))).total_seconds() < 1,
          "a snooze run does not move the start")


def test_missed_event_set_to_run_again_fires_as_missing(program):
    missed = datetime.datetime.now() - datetime.timedelta(hours=2)
    program.write_config(ShowTrayIcon=0)
    program.write_events([("Backup", note_event(missed, ExpiredInd="1",
                                                 Dif2DateTime=format_number(4 / 86400.0)))])
    program.start()
    program.wait_started()

    note = program.wait_window(20, cls="TfrmNote", title_pattern=r"^Backup \(", visible=True)
    status = note.control(cls="Static", text="Missing...")
    check(status is not None and status["visible"], "status line: %r" % note.controls)
