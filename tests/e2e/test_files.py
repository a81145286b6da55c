"""The data files while the program runs: another program changing or
replacing them, and DLLs planted beside the program."""

import datetime
import glob
import os
import shutil
import struct
import subprocess

from harness import check, format_number, poll, to_tdatetime, write_ini

EVENTS_LIST = 2104  # the events list of the main window


def later_event(hours):
    start = datetime.datetime.now().replace(microsecond=0) + datetime.timedelta(hours=hours)
    return [("Enabled", "1"), ("EnabledNote", "1"), ("PeriodInd", "0"),
            ("StartDateTime", format_number(to_tdatetime(start)))]


def names_in_list(program):
    rows = program.list_rows(EVENTS_LIST)
    return sorted(r[0] for r in rows) if rows is not None else None


def test_changes_from_another_program_show_in_the_list(program):
    program.write_config(ShowTrayIcon=0, CurPageIndex=0)
    write_ini(program.path("events.ini"), [("Dentist", later_event(2))])
    program.start()
    program.wait_window(20, cls="TfrmMainList", title="Main Window", visible=True)
    poll(lambda: names_in_list(program) == ["Dentist"], 10, what="the list at start")

    # Notepad saves a section added by hand.
    write_ini(program.path("events.ini"), [("Dentist", later_event(2)), ("Plumber", later_event(3))])
    poll(lambda: names_in_list(program) == ["Dentist", "Plumber"], 10, what="the added row")

    # A sync client replaces the file with another computer's copy.
    copy = program.path("events.ini.synced")
    write_ini(copy, [("Gardener", later_event(5))])
    os.replace(copy, program.path("events.ini"))
    poll(lambda: names_in_list(program) == ["Gardener"], 10, what="the list following the new file")
    check(sorted(program.events()) == ["gardener"], "the file stays as it came: %r" % list(program.events()))
    check(not os.path.exists(program.path("events.ini.bak")), "nothing to keep a copy of")


def write_wave(path):
    """A tenth of a second of silence, 8 kHz mono, 8 bits."""
    samples = b"\x80" * 800
    header = b"RIFF" + struct.pack("<I", 36 + len(samples)) + b"WAVEfmt "
    header += struct.pack("<IHHIIHH", 16, 1, 1, 8000, 8000, 1, 8) + b"data" + struct.pack("<I", len(samples))
    with open(path, "wb") as f:
        f.write(header + samples)


def imported_dlls(exe):
    """The DLL names in a PE file's import and delay-import tables, lower case."""
    with open(exe, "rb") as f:
        data = f.read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    sections = struct.unpack_from("<H", data, pe + 6)[0]
    optional = pe + 24
    optional_size = struct.unpack_from("<H", data, pe + 20)[0]
    directories = optional + (112 if struct.unpack_from("<H", data, optional)[0] == 0x20B else 96)
    table = [struct.unpack_from("<IIIIII", data, optional + optional_size + 40 * i)[:6] for i in range(sections)]

    def offset(rva):
        for _, _, virtual_size, address, raw_size, raw in table:
            if address <= rva < address + max(virtual_size, raw_size):
                return rva - address + raw
        raise ValueError("address outside every section: %#x" % rva)

    def name_at(rva):
        at = offset(rva)
        return data[at:data.index(b"\0", at)].decode("ascii").lower()

    names = []
    for index, entry_size, name_field in ((1, 20, 12), (13, 32, 4)):
        rva = struct.unpack_from("<I", data, directories + 8 * index)[0]
        while rva:
            at = offset(rva)
            name = struct.unpack_from("<I", data, at + name_field)[0]
            if not name:
                break
            names.append(name_at(name))
            rva += entry_size
    return names


def test_dlls_planted_beside_the_program_are_never_loaded(program):
    # Neither DLL is in the program's import tables: it loads them itself,
    # from the system folder.
    imports = imported_dlls(program.exe)
    check("kernel32.dll" in imports, "the import table was not read: %r" % imports)
    check(not {"winmm.dll", "uxtheme.dll"} & set(imports), "imports a DLL by the search order: %r" % imports)

    planted = os.path.join(os.path.dirname(program.exe), "planted")
    for name in ("winmm.dll", "uxtheme.dll", "vellomir_plantcheck.exe"):
        shutil.copy(os.path.join(planted, name), program.path(name))
    # Windows looks beside the program first for DLLs that are not Known
    # DLLs; Wine prefers its own unless told to look there as Windows does.
    program.env = dict(program.env, WINEDLLOVERRIDES=program.env.get("WINEDLLOVERRIDES", "") +
                       ";winmm,uxtheme=n,b")
    markers = lambda: sorted(os.path.basename(p).lower() for p in glob.glob(program.path("*.loaded")))  # noqa: E731

    # The control: a program that imports them the ordinary way loads both.
    subprocess.run(["wine", program.path("vellomir_plantcheck.exe")], cwd=program.folder, env=program.env,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
    check(markers() == ["uxtheme.dll.loaded", "winmm.dll.loaded"], "the control loaded them: %r" % markers())
    for marker in glob.glob(program.path("*.loaded")):
        os.remove(marker)
    # Wine's own common controls load uxtheme by the application's search
    # order whatever the process asked for (Windows keeps to the process's
    # default directories), so under Wine only winmm stays planted for the
    # run; uxtheme is covered by the import tables above.
    os.remove(program.path("uxtheme.dll"))
    program.env["WINEDLLOVERRIDES"] = program.env["WINEDLLOVERRIDES"].replace("winmm,uxtheme=n,b", "winmm=n,b")

    # Vellomir starts, plays a due event's sound and opens an editor with
    # tab pages: the two DLLs' work, from the system's copies only.
    write_wave(program.path("chime.wav"))
    now = datetime.datetime.now()
    write_ini(program.path("events.ini"), [("Chime", [
        ("Enabled", "1"), ("EnabledNote", "1"), ("EnabledSound", "1"), ("PeriodInd", "0"),
        ("SoundFile", "Z:" + program.path("chime.wav").replace("/", "\\")),
        ("StartDateTime", format_number(to_tdatetime(now + datetime.timedelta(seconds=3))))])])
    program.write_config(ShowTrayIcon=0, CurPageIndex=0)
    program.start()
    main = program.wait_window(20, cls="TfrmMainList", title="Main Window", visible=True)
    program.wait_window(20, cls="TfrmNote", title_pattern=r"^Chime \(", visible=True)
    program.keys(main.hwnd, "ctrl+n")
    program.wait_window(10, title="New Event", visible=True)
    check(markers() == [], "planted DLLs were loaded: %r" % markers())
