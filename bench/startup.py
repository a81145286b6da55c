#!/usr/bin/env python3
"""Start-up and list commands at scale, on the real program under Wine.

    python3 bench/startup.py BUILD_FOLDER

BUILD_FOLDER holds the Release Vellomir.exe, vellomir_probe.exe and
vellomir_window_bench.exe (scripts/bench --startup builds them). Uses
$DISPLAY and $WINEPREFIX as set (scripts/bench sets both).

For 0, 1,000 and 10,000 events (the last two with 1,000 birthdays) the
program starts in a fresh folder with generated files, three times each, and
the time from starting it until its main window is visible and answering is
taken; the median counts. The list commands are timed on the main window in
the window benchmark's own process, on 10,000 events. Prints Google
Benchmark style JSON."""

import datetime
import json
import os
import platform
import random
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "tests", "e2e"))

import harness  # noqa: E402

RUNS = 3
SIZES = (0, 1000, 10000)
BIRTHDAYS = 1000

SUBJECTS = ["Call the dentist", "Pay the rent", "Team meeting", "Water the plants", "Backup photos",
            "Take medicine", "Gym", "Renew passport", "Car service", "Weekly report"]
SOUNDS = ["", "C:\\Program Files\\Vellomir\\sounds\\chime.wav", "D:\\Music\\Alerts\\gentle bell.wav"]


def make_events(n, now, rng):
    """n events, all of them due between a quarter of an hour and a year
    from now, so that the start-up has nothing to fire or catch up."""
    steps = [0, 1.0 / 24, 1, 7, 31, 365]
    events = []
    for i in range(n):
        period = i % 6
        start = now + datetime.timedelta(minutes=rng.randint(15, 365 * 1440))
        start = start.replace(second=0, microsecond=0)
        notes = "Reminder %d: %s" % (i, SUBJECTS[i % 10])
        if i % 3 == 0:
            notes += "|Bring the papers from the blue folder.|Do not forget!"
        events.append(("%s #%d" % (SUBJECTS[i % 10], i), {
            "Enabled": int(i % 11 != 0), "EnabledSound": int(i % 4 != 0), "EnabledNote": 1,
            "EnabledAction": 0, "SoundFile": SOUNDS[i % 3], "Notes": notes,
            "StartDateTime": harness.format_number(harness.to_tdatetime(start)),
            "LastDateTime": harness.format_number(harness.to_tdatetime(start) - 7),
            "DifDateTime": harness.format_number(steps[period]), "SnoozeDateTime": 0,
            "Dif2DateTime": 0, "PeriodInd": period, "ExpiredInd": i % 3, "DeleteAfterRun": 0,
            "IconIndex": i % 20, "DaysBin": "1111111", "MonthsBin": "111111111111",
            "ActionIndex": 0, "RunAppName": "", "RunAppParams": "", "RunAppCmdInd": 0,
            "ShtShowingSec": 30, "ShtCloseByForce": 0, "ShowInTTDaysBefore": i % 4,
        }))
    return events


def make_birthdays(n, today, rng):
    """n birthdays, none within three weeks of today either way, so that no
    reminder is due during the run. None has been reminded yet: those passed
    this year are all reported missed at start, the most a start-up can
    find to do with them."""
    birthdays = []
    for i in range(n):
        while True:
            day = today + datetime.timedelta(days=rng.randint(22, 365 - 22))
            if not (day.month == 2 and day.day == 29):
                break
        born = datetime.datetime.combine(day.replace(year=day.year - rng.randint(1, 90)), datetime.time())
        birthdays.append(("Friend %d" % i, {
            "Enabled": 1, "EnabledSound": 0, "EnabledNote": 1, "SoundFile": "",
            "Notes": "%N turns %A", "Address": "", "Phone": "", "E-mail": "",
            "BirthDate": harness.format_number(harness.to_tdatetime(born)), "Remind1Week": 1,
            "Remind2Weeks": 0, "Remind1Day": 1, "isDeleted": 0, "IconIndex": 0, "LastStart": 0,
            "ShowInTTDaysBefore": 0,
        }))
    return birthdays


def time_to_window(build, env, events, birthdays):
    """Seconds from starting Vellomir.exe until its main window is visible
    and answering; the probe that watches is running before the clock starts."""
    program = harness.Program(os.path.join(build, "Vellomir.exe"),
                              os.path.join(build, "vellomir_probe.exe"), env)
    try:
        program.write_config(ShowTrayIcon=0, ShowMisBirthWindow=0, TTShowFixed=0)
        program.write_events(events)
        harness.write_ini(program.path("birthdays.ini"), [(name, list(keys.items())) for name, keys in birthdays])
        watch = subprocess.Popen(["wine", program.probe, "watch", "TfrmMainList", "120000"], env=env,
                                 stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        try:
            first = watch.stdout.readline().strip()
            if first != "ready":
                raise RuntimeError("the probe did not start: %r" % first)
            began = time.monotonic()
            program.start()
            if watch.stdout.readline().strip() != "visible":
                raise RuntimeError("the main window did not show")
            return time.monotonic() - began
        finally:
            watch.wait(timeout=120)
    finally:
        program.stop()
        program.cleanup()


def window_bench(build, env, n):
    done = subprocess.run(["wine", os.path.join(build, "vellomir_window_bench.exe"), str(n)], env=env,
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, timeout=600, check=True)
    return json.loads(done.stdout)["benchmarks"]


def machine():
    cpu = ""
    try:
        with open("/proc/cpuinfo") as f:
            cpu = next((line.split(":", 1)[1].strip() for line in f if line.startswith("model name")), "")
    except OSError:
        pass
    wine = subprocess.run(["wine", "--version"], stdout=subprocess.PIPE, text=True).stdout.strip()
    return {"date": datetime.datetime.now().isoformat(timespec="seconds"), "host_name": platform.node(),
            "cpu": cpu, "num_cpus": os.cpu_count(), "wine": wine}


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    build = os.path.abspath(sys.argv[1])
    env = harness_env()
    # One Wine session for every run: its start is not the program's.
    subprocess.run(["wineserver", "-p"], env=env)
    try:
        subprocess.run(["wine", os.path.join(build, "vellomir_probe.exe"), "list"], env=env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
        rng = random.Random(20261206)
        now = datetime.datetime.now()
        results = []
        for n in SIZES:
            events = make_events(n, now, rng)
            birthdays = make_birthdays(BIRTHDAYS, now.date(), rng) if n else []
            time_to_window(build, env, events, birthdays)  # warms the file cache and Wine
            times = [time_to_window(build, env, events, birthdays) for _ in range(RUNS)]
            results.append({"name": "BM_StartupToWindow/%d" % n, "run_type": "aggregate",
                            "aggregate_name": "median", "real_time": statistics.median(times) * 1000,
                            "time_unit": "ms", "runs": [round(t * 1000, 1) for t in times]})
        for entry in window_bench(build, env, 10000):
            entry.setdefault("time_unit", "ms")
            results.append(entry)
    finally:
        subprocess.run(["wineserver", "-k"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    print(json.dumps({"context": machine(), "benchmarks": results}, indent=2))
    return 0


def harness_env():
    env = dict(os.environ)
    env["WINEARCH"] = "win64"
    env.setdefault("WINEDEBUG", "-all")
    env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
    return env


if __name__ == "__main__":
    sys.exit(main())
