"""Calendars and address books: File > Export writes an iCalendar file that
python3-icalendar reads with the same values, and /import of a vCard file
adds its birthdays after the preview's OK (the running program takes the
file over, as a second start hands over)."""

import datetime
import json
import os
import subprocess

from harness import check, format_number, poll, to_tdatetime

WM_COMMAND = 0x0111
IDM_MAIN_EXPORT = 3112
# The Debian packages the checks read the files with live in the system's
# Python, whatever python3 runs these tests.
SYSTEM_PYTHON = "/usr/bin/python3"

READ_ICS = r"""
import json, sys
import icalendar
cal = icalendar.Calendar.from_ical(open(sys.argv[1], "rb").read())
out = []
for e in cal.walk("VEVENT"):
    out.append({"summary": str(e["SUMMARY"]), "description": str(e.get("DESCRIPTION", "")),
                "start": e.decoded("DTSTART").isoformat(), "rrule": e["RRULE"].to_ical().decode() if "RRULE" in e else "",
                "alarms": [str(a["ACTION"]) for a in e.walk("VALARM")]})
print(json.dumps(out))
"""


def test_export_writes_an_icalendar_file_the_library_reads(program):
    start = (datetime.datetime.now() + datetime.timedelta(days=3)).replace(hour=9, minute=30, second=0, microsecond=0)
    program.write_events([
        ("Dentist, Dr. Ölund", {"Enabled": "1", "EnabledNote": "1", "Notes": "Bring card; pay<br>Ask: x-ray",
                                "StartDateTime": format_number(to_tdatetime(start)), "PeriodInd": "3",
                                "DifDateTime": "7"}),
    ])
    program.write_config(ShowTrayIcon=0, CurPageIndex=0)
    program.start()
    main = program.wait_window(20, cls="TfrmMainList", title="Main Window", visible=True)
    program.post(main.hwnd, WM_COMMAND, IDM_MAIN_EXPORT)
    dialog = program.wait_window(15, cls="#32770", title="Export", visible=True)
    target = "Z:" + program.path("out.ics").replace("/", "\\")
    program.keys(dialog.hwnd, "ctrl+a")
    program.type(dialog.hwnd, target)
    program.keys(dialog.hwnd, "enter")
    poll(lambda: os.path.exists(program.path("out.ics")), 15, what="the exported file")
    done = subprocess.run([SYSTEM_PYTHON, "-c", READ_ICS, program.path("out.ics")], stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, timeout=30)
    check(done.returncode == 0, "icalendar could not read the file: %s" % done.stderr.decode(errors="replace"))
    events = json.loads(done.stdout)
    check(len(events) == 1, "one event: %r" % events)
    e = events[0]
    check(e["summary"] == "Dentist, Dr. Ölund", "the name: %r" % e["summary"])
    check(e["description"] == "Bring card; pay\nAsk: x-ray", "the note: %r" % e["description"])
    check(e["start"] == start.isoformat(), "the start %r, not %r" % (e["start"], start.isoformat()))
    check(e["rrule"] == "FREQ=WEEKLY", "weekly: %r" % e["rrule"])
    check(e["alarms"] == ["DISPLAY"], "a display alarm: %r" % e["alarms"])


CARDS = ("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anna Berg\r\nN:Berg;Anna;;;\r\nBDAY:1980-%(m)s-%(d)s\r\nEND:VCARD\r\n"
         "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Bo Ek\r\nBDAY:--%(m)s%(d)s\r\nEND:VCARD\r\n"
         "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C3=85berg;Cia;;;\r\n"
         "BDAY:19750101\r\nEND:VCARD\r\n")


def test_import_of_three_cards_adds_three_birthdays_after_the_preview(program):
    # Birthdays far from today, so that none is reminded while the test runs.
    away = datetime.date.today() + datetime.timedelta(days=120)
    if (away.month, away.day) == (2, 29):
        away += datetime.timedelta(days=1)
    with open(program.path("cards.vcf"), "wb") as f:
        f.write((CARDS % {"m": "%02d" % away.month, "d": "%02d" % away.day}).encode("utf-8"))
    program.write_config()  # with the tray icon: the main window stays hidden
    program.start()
    program.wait_started()

    second = program.launch_with(["/import", "cards.vcf"])
    check(second.wait(timeout=20) == 0, "the second start hands over and ends")
    preview = program.wait_window(15, cls="#32770", title="Import", visible=True)
    check(program.birthdays() == {}, "nothing is written before OK")
    program.keys(preview.hwnd, "enter")
    poll(lambda: len(program.birthdays()) == 3, 15, what="three birthdays in birthdays.ini")
    names = sorted(program.birthdays())
    check(names == ["anna berg", "bo ek", "cia åberg"], "the names: %r" % names)
