"""The options dialog on the real program: a new date pattern is in
config.cfg as soon as OK is pressed, and the list shows it."""

import datetime

from harness import check, format_number, poll, to_tdatetime

EVENTS_LIST = 2104
OPTIONS_DATE_FIELD = 2342


def test_date_pattern_changed_in_the_options_is_saved_and_shown(program):
    program.write_config(ShowTrayIcon=0, CurPageIndex=0)
    start = datetime.datetime(2031, 3, 4, 9, 30)
    program.write_events([("Dentist", {"Enabled": "1", "StartDateTime": format_number(to_tdatetime(start))})])
    program.start()
    main = program.wait_window(20, cls="TfrmMainList", title="Main Window", visible=True)
    poll(lambda: program.list_rows(EVENTS_LIST) == [["Dentist", "04.03.2031 09:30:00", "Once"]], 10,
         what="the row in the date pattern of config.cfg")

    program.keys(main.hwnd, "ctrl+o")
    options = program.wait_window(10, title="Options", visible=True)
    check(any(c["id"] == OPTIONS_DATE_FIELD for c in options.controls), "a date pattern field")
    for _ in range(3):  # from the first page to "Other"
        program.keys(options.hwnd, "ctrl+tab")
    program.keys(options.hwnd, "tab")  # into the date field, its text selected
    program.type(options.hwnd, "yyyy-mm-dd")
    program.keys(options.hwnd, "enter")

    poll(lambda: program.config().get("options", {}).get("dateformat") == "yyyy-mm-dd", 10,
         what="the pattern in config.cfg")
    poll(lambda: program.list_rows(EVENTS_LIST) == [["Dentist", "2031-03-04 09:30:00", "Once"]], 10,
         what="the row in the new pattern")
