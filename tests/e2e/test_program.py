"""The program as a whole: one instance, closing saves the settings, resume
from suspend, and a power action that must never reach the machine."""

import datetime
import os
import shutil
import subprocess

import harness
from harness import (PBT_APMRESUMESUSPEND, WM_POWERBROADCAST, BM_CLICK, check, check_started_before, due_in,
                     format_number, from_tdatetime, poll, to_tdatetime)

LIST_EVENTS = 2104  # the events list of the main window


def test_second_start_shows_the_running_main_window_and_ends(program):
    program.write_config()  # the tray icon is on by default: the window starts hidden
    program.start()
    main = program.wait_started()
    check(not main.visible, "with a tray icon the main window starts hidden")

    second = program.launch()
    code = second.wait(timeout=20)
    check(code == 0, "the second instance ended with %s" % code)
    program.wait_window(10, cls="TfrmMainList", title="Main Window", visible=True)
    check(program.find(cls="TfrmMainList", visible=False) is None, "only one main window")


def test_closing_the_main_window_saves_the_settings(program):
    program.write_config(ShowTrayIcon=0, MainFormX=40, MainFormY=30, MainFormHeight=300, MainFormWeight=500)
    program.start()
    main = program.wait_window(20, cls="TfrmMainList", visible=True)
    program.stop()
    options = program.config().get("options", {})
    for key in ("showgridlines", "mainformx", "mainformweight", "lvbirthsortindex"):
        check(key in options, "config.cfg lacks %s: %r" % (key, options))
    check(options["showtrayicon"] == "0", "ShowTrayIcon kept: %r" % options["showtrayicon"])
    check(main is not None, "main window")


def test_resume_from_suspend_is_logged(program):
    program.write_config(ShowTrayIcon=0)
    program.start()
    main = program.wait_started()
    result = program.send(main.hwnd, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0)
    check(result == 1, "the resume notification is answered TRUE, got %d" % result)
    poll(lambda: "PBT_APMRESUMESUSPEND" in program.log(), 5, what="the log line")


def test_power_action_opens_the_countdown_which_can_be_cancelled(program):
    start = due_in(program, 4)
    program.write_config(ShowTrayIcon=0)
    # Long enough that nothing can act before the test cancels; under Wine an
    # action would only end the private Wine session in any case.
    program.write_events([("Reboot", {
        "Enabled": "1",
        "EnabledAction": "1",
        "ActionIndex": "2",
        "ShtShowingSec": "60",
        "StartDateTime": format_number(to_tdatetime(start)),
    })])
    program.start()
    check_started_before(program, start)

    countdown = program.wait_window(15, cls=None, title="Warning!", visible=True)
    info = countdown.control(pattern=r"^Restart system in: \d+ second\(s\)!$")
    check(info is not None, "countdown text: %r" % [c["text"] for c in countdown.controls])
    cancel = countdown.control(cls="Button", text="Cancel")
    check(cancel is not None, "a Cancel button: %r" % countdown.controls)
    program.send(cancel["hwnd"], BM_CLICK)
    program.wait_gone(countdown.hwnd, 5)
    # The program goes on, and the run was recorded.
    check(program.find(cls="TfrmMainList") is not None, "the program still runs")
    poll(lambda: program.events().get("reboot", {}).get("lastdatetime"), 5, what="LastDateTime")
    check(datetime.datetime.now() > start, "fired at its time")


def test_first_start_greets_a_new_user_with_a_welcome_event(program):
    os.remove(program.path("events.ini"))  # nothing saved yet: a new user
    program.write_config(ShowTrayIcon=0)
    program.start()
    program.wait_started()
    welcome = poll(lambda: program.events().get("welcome to vellomir"), 10, what="the welcome event")
    due = from_tdatetime(float(welcome["startdatetime"]))
    offset = (due - program.started_at).total_seconds()
    check(50 <= offset <= 75, "due about a minute after the start, not %.0f s" % offset)
    check(welcome["deleteafterrun"] == "1" and welcome["periodind"] == "0", "a once event that goes: %r" % welcome)
    rows = program.list_rows(LIST_EVENTS)
    check(rows and rows[0][0] == "Welcome to Vellomir", "the event is listed: %r" % rows)


def test_a_folder_that_cannot_be_written_is_reported_at_start(program):
    """The program folder on a read-only file system (a tmpfs mounted
    read-only; root may mount on this machine, which the tests run as)."""
    folder = os.path.join(program.folder, "readonly")
    os.mkdir(folder)
    if subprocess.run(["mount", "-t", "tmpfs", "-o", "size=64m", "tmpfs", folder],
                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode != 0:
        print("  (not run: this machine does not let the tests mount a read-only folder)")
        return
    try:
        shutil.copy(program.path("Vellomir.exe"), folder)
        harness.write_ini(os.path.join(folder, "config.cfg"), [("Options", [("ShowTrayIcon", "0")])])
        subprocess.run(["mount", "-o", "remount,ro", folder], check=True)
        program.started_at = datetime.datetime.now()
        program.process = subprocess.Popen(["wine", os.path.join(folder, "Vellomir.exe")], cwd=folder,
                                           env=program.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        box = program.wait_window(20, cls="#32770", title="Vellomir")
        text = " ".join(c["text"] for c in box.controls)
        check("cannot save anything in its folder" in text and "Programs\\Vellomir" in text,
              "the message names the problem and where to go: %r" % text)
        ok = box.control(cls="Button")
        program.send(ok["hwnd"], BM_CLICK)
        program.wait_window(20, cls="TfrmMainList", visible=True)
    finally:
        program.stop()
        subprocess.run(["umount", "-l", folder], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
