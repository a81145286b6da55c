"""The event editor on the real program, driven from the keyboard: a new event
from Ctrl+N, F4 to change it, Enter to test it and Del to delete it."""

from harness import check, poll

EDIT_NAME = 2512  # the name field of the event editor
EVENTS_LIST = 2104  # the events list of the main window


def name_field(window):
    return next((c for c in window.controls if c["id"] == EDIT_NAME), None)


def test_events_made_changed_tested_and_deleted_from_the_keyboard(program):
    program.write_config(ShowTrayIcon=0, CurPageIndex=0)
    program.start()
    main = program.wait_window(20, cls="TfrmMainList", title="Main Window", visible=True)

    program.keys(main.hwnd, "ctrl+n")
    editor = program.wait_window(10, title="New Event", visible=True)
    program.type(editor.hwnd, "Dentist")
    program.keys(editor.hwnd, "enter")
    poll(lambda: "dentist" in program.events(), 10, what="the new section in events.ini")
    check(program.find(title="New Event", visible=True) is None, "Enter closed the editor")
    section = program.events()["dentist"]
    check(section["periodind"] == "0" and section["enablednote"] == "1", "a once event with a note: %r" % section)

    # F4 edits the new row, which is selected.
    program.keys(main.hwnd, "f4")
    editor = program.wait_window(10, title="Edit Event", visible=True)
    field = name_field(editor)
    check(field is not None and field["text"] == "Dentist", "the editor shows the event: %r" % field)
    program.type(editor.hwnd, "Doctor")  # the name is selected: typing replaces it
    program.keys(editor.hwnd, "enter")
    poll(lambda: "doctor" in program.events(), 10, what="the renamed section")
    check("dentist" not in program.events(), "the old section is gone: %r" % list(program.events()))

    # Enter runs the event as a test: its note shows, nothing is recorded.
    program.keys(main.hwnd, "enter")
    note = program.wait_window(10, cls="TfrmNote", title_pattern=r"^Doctor \(", visible=True)
    check("lastdatetime" not in program.events()["doctor"] or program.events()["doctor"]["lastdatetime"] == "0",
          "a test run records nothing")
    program.keys(note.hwnd, "esc")
    program.wait_gone(note.hwnd, 10)

    # Del asks first; OK deletes.
    program.keys(main.hwnd, "del")
    question = program.wait_window(10, cls="#32770", title="Vellomir", visible=True)
    check(question.control(pattern=r'^Delete the event "Doctor"\?$') is not None,
          "the question: %r" % [c["text"] for c in question.controls])
    program.keys(question.hwnd, "enter")
    poll(lambda: "doctor" not in program.events(), 10, what="the section to be erased")


def test_new_birthday_for_today_is_stored_and_reminded_at_once(program):
    program.write_config(ShowTrayIcon=0, CurPageIndex=1)
    program.start()
    main = program.wait_window(20, cls="TfrmMainList", title="Main Window", visible=True)

    program.keys(main.hwnd, "ctrl+n")
    editor = program.wait_window(10, title="New Birthday", visible=True)
    program.type(editor.hwnd, "Baby")  # born today, the date proposed
    program.keys(editor.hwnd, "enter")
    note = program.wait_window(10, cls="TfrmNote", title="Birthday!", visible=True)
    text = note.control(cls="Edit")
    check(text is not None and text["text"].startswith("Baby has birthday on "), "the note: %r" % (text,))
    section = poll(lambda: program.birthdays().get("baby"), 5, what="the new section in birthdays.ini")
    check(section.get("laststart") not in (None, "0"), "the reminder was recorded: %r" % section)


def test_names_in_any_script_are_kept_exactly(program):
    """Typed into the editor, a name beyond the ANSI code page shows unchanged
    in the list and in the note's caption, and comes back from events.ini
    after a restart; a second Chinese name is a name of its own."""
    names = ["\u97e9\u6885\u6885", "Zo\u00eb \u0141ukasz \u674e\u96f7 ok \U0001F389"]
    program.write_config(ShowTrayIcon=0, CurPageIndex=0)
    program.start()
    main = program.wait_window(20, cls="TfrmMainList", title="Main Window", visible=True)
    for name in names:
        program.keys(main.hwnd, "ctrl+n")
        editor = program.wait_window(10, title="New Event", visible=True)
        program.type(editor.hwnd, name)
        field = poll(lambda: name_field(program.find(title="New Event", visible=True)), 5, what="the name field")
        check(field["text"] == name, "the name as typed: %r" % field["text"])
        program.keys(editor.hwnd, "enter")
        poll(lambda: name.lower() in program.events(), 10, what="the section of %r" % name)

    with open(program.path("events.ini"), "rb") as f:
        check(f.read(2) == b"\xff\xfe", "events.ini is UTF-16 now")
    rows = poll(lambda: program.list_rows(EVENTS_LIST), 10, what="the list")
    check(sorted(r[0] for r in rows) == sorted(names), "the list: %r" % rows)

    # The new row is selected: Enter tests it.
    program.keys(main.hwnd, "enter")
    note = program.wait_window(10, cls="TfrmNote", visible=True)
    check(note.title.startswith(names[1] + " ("), "the note's caption: %r" % note.title)
    program.keys(note.hwnd, "esc")
    program.wait_gone(note.hwnd, 10)

    program.stop()
    program.start()
    program.wait_window(20, cls="TfrmMainList", title="Main Window", visible=True)
    rows = poll(lambda: program.list_rows(EVENTS_LIST), 10, what="the list after the restart")
    check(sorted(r[0] for r in rows) == sorted(names), "the list after the restart: %r" % rows)
    check(sorted(program.events()) == sorted(n.lower() for n in names), "events.ini: %r" % list(program.events()))
