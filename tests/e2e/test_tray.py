"""The program in the notification area: its icon, and the global hotkeys."""

from harness import check, poll


def test_default_start_puts_an_icon_in_the_notification_area(program):
    program.write_config()  # the tray icon is on by default
    program.start()
    main = program.wait_started()
    check(not main.visible, "the main window starts hidden")
    # Without a notification area of the desktop's, Wine shows its own small
    # tray window as soon as a program adds an icon.
    program.wait_window(15, title="Wine System Tray", visible=True)


def test_hotkeys_toggle_the_main_window_and_open_the_editor(program):
    program.write_config()
    program.start(desktop=True)
    # Started (and hidden) once the icon is there.
    poll(lambda: program.x_visible("Wine System Tray") or "TrayIcon" in program.log(), 20,
         what="the program to start")
    check(not program.x_visible("Main Window"), "the main window starts hidden")

    program.desktop_keys("shift+ctrl+m")
    poll(lambda: program.x_visible("Main Window"), 10, what="the main window to show")
    program.desktop_keys("shift+ctrl+m")
    poll(lambda: not program.x_visible("Main Window"), 10, what="the main window to hide")

    program.desktop_keys("ctrl+alt+e")
    poll(lambda: program.x_visible("New Event"), 10, what="the New Event editor")
