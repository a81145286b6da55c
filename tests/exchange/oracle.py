#!/usr/bin/python3
"""Vellomir's calendar and address-book files against libraries no one here
wrote: python3-icalendar and python3-vobject read every file Vellomir
exports with the same values, and files they write import into Vellomir
with the same values. The program's side is vellomir_exchange (a native
build of the same code), which takes local time as UTC.

    /usr/bin/python3 tests/exchange/oracle.py build/native/vellomir_exchange

Ends with "N passed, N failed" and a non-zero status on a failure."""

import datetime
import json
import os
import subprocess
import sys
import tempfile
import traceback

import icalendar
import vobject

TOOL = None
EPOCH = datetime.datetime(1899, 12, 30)
NOW = "20261207T120000"


def tdatetime(moment):
    return (moment - EPOCH).total_seconds() / 86400.0


def write_ini(path, sections):
    lines = []
    for name, keys in sections:
        lines.append("[%s]" % name)
        lines += ["%s=%s" % (k, v) for k, v in keys.items()]
    # Plain ASCII names and notes stay in the code page; the others make the
    # file UTF-16 as the program writes it.
    text = "\r\n".join(lines) + "\r\n"
    with open(path, "wb") as f:
        f.write(b"\xff\xfe" + text.encode("utf-16-le"))


def tool(*args):
    done = subprocess.run([TOOL] + list(args) + ["--now", NOW], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if done.returncode != 0:
        raise AssertionError("vellomir_exchange %s: %s" % (" ".join(args), done.stderr.decode()))
    return [json.loads(line) for line in done.stdout.decode("utf-8").splitlines() if line.strip()]


def same(actual, expected, what):
    if actual != expected:
        raise AssertionError("%s: %r, expected %r" % (what, actual, expected))


START = datetime.datetime(2027, 1, 13, 9, 36)  # a Wednesday
NOTE = "Bring card, cash; ask\nZoë 李 🎂 and a long line " + "x" * 90

# name, PeriodInd, DifDateTime (days), DaysBin, MonthsBin, the RRULE icalendar must read (as a dict)
EVENTS = [
    ("Once", 0, 0, "0000000", "000000000000", None),
    ("Hourly", 1, 1 / 24, "0000000", "000000000000", {"FREQ": ["HOURLY"]}),
    ("Every 75 minutes", 1, 75 / 1440, "0000000", "000000000000", {"FREQ": ["MINUTELY"], "INTERVAL": [75]}),
    ("Every day", 2, 1, "1111111", "000000000000", {"FREQ": ["DAILY"]}),
    ("Mondays and Fridays", 2, 2, "0100010", "000000000000", {"FREQ": ["DAILY"], "BYDAY": ["MO", "FR"]}),
    ("Weekly", 3, 7, "0000000", "000000000000", {"FREQ": ["WEEKLY"]}),
    ("Monthly", 4, 31, "0000000", "111111111111", {"FREQ": ["MONTHLY"], "BYMONTHDAY": [13]}),
    ("January and March", 4, 59, "0000000", "101000000000",
     {"FREQ": ["MONTHLY"], "BYMONTH": [1, 3], "BYMONTHDAY": [13]}),
    ("Annually", 5, 365, "0000000", "000000000000", {"FREQ": ["YEARLY"]}),
    ("Ünïcödé, with; marks", 0, 0, "0000000", "000000000000", None),
]


def test_exported_events_read_by_icalendar(folder):
    sections = []
    for name, period, dif, days, months, _ in EVENTS:
        sections.append((name, {"Enabled": "1", "EnabledNote": "1", "Notes": NOTE.replace("\n", "<br>"),
                                "StartDateTime": repr(tdatetime(START)), "PeriodInd": period,
                                "DifDateTime": repr(dif), "DaysBin": days, "MonthsBin": months}))
    sections.append(("Switched off", {"Enabled": "0", "StartDateTime": repr(tdatetime(START)), "PeriodInd": 3,
                                      "DifDateTime": "7"}))
    write_ini(os.path.join(folder, "events.ini"), sections)
    out = os.path.join(folder, "out.ics")
    tool("export", folder, out, "--disabled")
    raw = open(out, "rb").read()
    for line in raw.split(b"\r\n"):
        if len(line) > 75:
            raise AssertionError("a line of %d octets: %r" % (len(line), line))
    cal = icalendar.Calendar.from_ical(raw)
    events = list(cal.walk("VEVENT"))
    same(len(events), len(EVENTS) + 1, "events")
    uids = set()
    for e, (name, _, _, _, _, rule) in zip(events, EVENTS):
        same(str(e["SUMMARY"]), name, "SUMMARY")
        same(str(e["DESCRIPTION"]), NOTE, "DESCRIPTION of " + name)
        same(e.decoded("DTSTART"), START, "DTSTART of " + name)
        got = {k: list(v) for k, v in e["RRULE"].items()} if "RRULE" in e else None
        same(got, rule, "RRULE of " + name)
        alarms = list(e.walk("VALARM"))
        same([(str(a["ACTION"]), a.decoded("TRIGGER")) for a in alarms], [("DISPLAY", datetime.timedelta(0))],
             "the alarm of " + name)
        same("STATUS" in e, False, "STATUS of an enabled event")
        uids.add(str(e["UID"]))
    same(len(uids), len(EVENTS), "different UIDs")
    same(str(events[-1]["STATUS"]), "CANCELLED", "the disabled event's STATUS")
    # Stable: a second export gives the same UIDs.
    tool("export", folder, out, "--disabled")
    again = {str(e["UID"]) for e in icalendar.Calendar.from_ical(open(out, "rb").read()).walk("VEVENT")}
    same(uids <= again, True, "the same UIDs in a second export")


BIRTHDAYS = [
    ("Anna Berg", datetime.date(1980, 5, 10), "1980-05-10", "anna@example.com", "+49 30 1234", "Hauptstr. 1, Berlin"),
    ("Zoë; \"Li\", 李", datetime.date(2001, 12, 31), "2001-12-31", "", "", ""),
    ("Year unknown", datetime.date(1804, 3, 2), "--03-02", "", "", ""),
]


def test_exported_birthdays_read_by_vobject(folder):
    write_ini(os.path.join(folder, "birthdays.ini"),
              [(name, {"BirthDate": repr(tdatetime(datetime.datetime(d.year, d.month, d.day))), "E-mail": mail,
                       "Phone": phone, "Address": address})
               for name, d, _, mail, phone, address in BIRTHDAYS])
    out = os.path.join(folder, "out.vcf")
    tool("export", folder, out)
    cards = list(vobject.readComponents(open(out, encoding="utf-8").read()))
    same(len(cards), len(BIRTHDAYS), "cards")
    for card, (name, _, bday, mail, phone, address) in zip(cards, BIRTHDAYS):
        same(card.version.value, "3.0", "VERSION")
        same(card.fn.value, name, "FN")
        same(card.bday.value, bday, "BDAY of " + name)
        same(card.email.value if mail else None, mail or None, "EMAIL of " + name)
        same(card.tel.value if phone else None, phone or None, "TEL of " + name)
        if address:
            same(card.adr.value.street, address, "ADR of " + name)
        same(hasattr(card, "uid"), True, "UID")


def test_icalendar_files_import_with_the_same_values(folder):
    cal = icalendar.Calendar()
    cal.add("prodid", "-//oracle//EN")
    cal.add("version", "2.0")
    cases = []

    def event(summary, start, rrule=None, description=None):
        e = icalendar.Event()
        e.add("uid", "%d@oracle" % len(cases))
        e.add("dtstamp", datetime.datetime(2026, 12, 1, tzinfo=datetime.timezone.utc))
        e.add("summary", summary)
        e.add("dtstart", start)
        if rrule:
            e.add("rrule", rrule)
        if description:
            e.add("description", description)
        cal.add_component(e)

    long_name = "A summary long enough to be folded by the library at seventy-five octets, " + "é" * 20
    rows = [
        # summary, dtstart, rrule, description, expected: start, period, days, months, dif minutes
        ("Floating once", datetime.datetime(2027, 2, 1, 8, 15), None, "Line one\nLine, two; three",
         "2027-02-01T08:15:00", 0, None, None),
        ("UTC once", datetime.datetime(2027, 2, 1, 8, 15, tzinfo=datetime.timezone.utc), None, None,
         "2027-02-01T08:15:00", 0, None, None),
        (long_name, datetime.datetime(2027, 3, 1, 9), None, "Zoë 李 🎂", "2027-03-01T09:00:00", 0, None, None),
        ("Weekdays", datetime.datetime(2027, 1, 11, 7), {"freq": "weekly", "byday": ["MO", "TU", "WE", "TH", "FR"]},
         None, "2027-01-11T07:00:00", 2, "0111110", None),
        ("Weekly", datetime.datetime(2027, 1, 11, 7), {"freq": "weekly"}, None, "2027-01-11T07:00:00", 3, None, None),
        ("Monthly", datetime.datetime(2027, 1, 11, 7), {"freq": "monthly", "bymonth": [1, 6], "bymonthday": [11]},
         None, "2027-01-11T07:00:00", 4, None, "100001000000"),
        ("Yearly", datetime.datetime(2027, 1, 11, 7), {"freq": "yearly"}, None, "2027-01-11T07:00:00", 5, None, None),
        ("Every 90 minutes", datetime.datetime(2027, 1, 11, 7), {"freq": "minutely", "interval": 90}, None,
         "2027-01-11T07:00:00", 1, None, None),
        ("Second Tuesday", datetime.datetime(2020, 1, 14, 18), {"freq": "monthly", "byday": ["2TU"]}, None,
         "2026-12-08T18:00:00", 0, None, None),
    ]
    for summary, start, rrule, description, *_ in rows:
        event(summary, start, rrule, description)
        cases.append(summary)
    path = os.path.join(folder, "library.ics")
    with open(path, "wb") as f:
        f.write(cal.to_ical())
    entries = tool("read", path)
    same(len(entries), len(rows), "entries")
    for entry, (summary, _, _, description, start, period, days, months) in zip(entries, rows):
        same(entry["usable"], True, summary + " usable (%s)" % entry["why"])
        same(entry["name"], summary, "name")
        same(entry["start"], start, "start of " + summary)
        same(entry["period"], period, "period of " + summary)
        same(entry["notes"], (description or "").replace("\n", "\r\n"), "notes of " + summary)
        if days:
            same(entry["days"], days, "days of " + summary)
        if months:
            same(entry["months"], months, "months of " + summary)
    same(entries[7]["dif_minutes"], 90, "the hourly step")


def test_vobject_cards_import_with_the_same_values(folder):
    people = [
        ("Anna Berg", "1980-05-10", "anna@example.com", "+49 30 1234"),
        ("Zoë; \"Li\", 李", "2001-12-31", "", ""),
        ("Mia", "--12-24", "", "+48 600"),
    ]
    text = ""
    for name, bday, mail, phone in people:
        card = vobject.vCard()
        card.add("fn").value = name
        card.add("n").value = vobject.vcard.Name(given=name)
        card.add("bday").value = bday
        if mail:
            card.add("email").value = mail
        if phone:
            card.add("tel").value = phone
        text += card.serialize()
    path = os.path.join(folder, "library.vcf")
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write(text)
    entries = tool("read", path)
    same(len(entries), len(people), "cards")
    for entry, (name, bday, mail, phone) in zip(entries, people):
        same(entry["usable"], True, name + " usable (%s)" % entry["why"])
        same(entry["name"], name, "name")
        same(entry["date"], bday, "birthday of " + name)
        same(entry["email"], mail, "e-mail of " + name)
        same(entry["phone"], phone, "phone of " + name)


def main():
    global TOOL
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    TOOL = os.path.abspath(sys.argv[1])
    tests = [(n, f) for n, f in sorted(globals().items()) if n.startswith("test_") and callable(f)]
    passed = failed = 0
    for name, test in tests:
        with tempfile.TemporaryDirectory(prefix="vellomir-oracle-") as folder:
            try:
                test(folder)
                passed += 1
                print("PASS", name)
            except Exception:  # noqa: BLE001 - every failure is reported the same way
                failed += 1
                print("FAIL", name)
                traceback.print_exc()
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
