#!/usr/bin/env python3
"""Checks the release packages that scripts/package made:

    python3 tests/package/run.py DIST_FOLDER PROBE_EXE

- the zip holds exactly the program folder's files;
- Vellomir.exe is at most 2 MB and imports only DLLs that come with Windows;
- the installer, under Wine in a fresh private prefix: a silent install puts
  the files, the Start menu shortcut and the Apps entry in place, and the
  program starts from there; a silent upgrade while it runs ends it, replaces
  the program and leaves every data file as it was; a silent uninstall
  removes the program, the shortcut, the entry and the Run value and keeps
  the data; /REMOVEDATA removes the data and the folder too.

Uses $DISPLAY when set, else a private Xvfb display. Ends with
"N passed, N failed"."""

import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import traceback
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "e2e"))

import harness  # noqa: E402
from harness import check, poll  # noqa: E402

PROGRAM_FILES = ["ART-LICENSE.txt", "LICENSE.txt", "Readme.txt", "Vellomir.exe",
                 "sounds/Bell.wav", "sounds/Chime.wav", "sounds/Soft alarm.wav"]
# The DLLs every Windows 10 and 11 has; anything else would have to ship.
SYSTEM_DLLS = {"advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll", "msimg32.dll",
               "msvcrt.dll", "ole32.dll", "shell32.dll", "user32.dll", "uxtheme.dll", "winmm.dll"}
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vellomir"
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
WM_COMMAND = 0x0111


def one(dist, pattern):
    found = glob.glob(os.path.join(dist, pattern))
    check(len(found) == 1, "one %s in %s, found %r" % (pattern, dist, found))
    return found[0]


def test_zip_holds_exactly_the_program(ctx):
    with zipfile.ZipFile(one(ctx["dist"], "Vellomir-*-win64.zip")) as z:
        names = sorted(n for n in z.namelist() if not n.endswith("/"))
        check(names == ["Vellomir/" + f for f in PROGRAM_FILES], "zip contents: %r" % names)
        check(z.testzip() is None, "the zip reads back without errors")
        exe = z.read("Vellomir/Vellomir.exe")
        readme = z.read("Vellomir/Readme.txt")
    check(exe[:2] == b"MZ", "Vellomir.exe is a Windows program")
    check(b"\r\n" in readme and b"\n" not in readme.replace(b"\r\n", b""), "Readme.txt has CR LF line ends")


def test_exe_is_small_and_imports_only_system_dlls(ctx):
    with zipfile.ZipFile(one(ctx["dist"], "Vellomir-*-win64.zip")) as z:
        exe = os.path.join(ctx["tmp"], "Vellomir.exe")
        with open(exe, "wb") as f:
            f.write(z.read("Vellomir/Vellomir.exe"))
    size = os.path.getsize(exe)
    check(size <= 2 * 1024 * 1024, "Vellomir.exe is %d bytes, more than 2 MB" % size)
    dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", exe], stdout=subprocess.PIPE, text=True,
                          check=True).stdout
    dlls = {m.lower() for m in re.findall(r"DLL Name: (\S+)", dump)}
    check(dlls and dlls <= SYSTEM_DLLS, "imports beyond the system DLLs: %r" % sorted(dlls - SYSTEM_DLLS))
    check(".debug" not in dump and re.search(r"^Magic\s+020b", dump, re.M) is not None,
          "a stripped 64-bit (PE32+) program")


class Prefix:
    """A fresh Wine prefix of its own, and the installed program in it."""

    def __init__(self, tmp, env):
        self.env = dict(env)
        self.env["WINEPREFIX"] = os.path.join(tmp, "prefix")
        subprocess.run(["wineboot", "--init"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=180)
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=180)
        user = os.path.join(self.env["WINEPREFIX"], "drive_c", "users")
        home = [d for d in os.listdir(user) if d not in ("Public",)][0]
        self.folder = os.path.join(user, home, "AppData", "Local", "Programs", "Vellomir")
        self.shortcut = os.path.join(user, home, "AppData", "Roaming", "Microsoft", "Windows", "Start Menu",
                                     "Programs", "Vellomir.lnk")

    def wine(self, *args, timeout=120):
        return subprocess.run(["wine"] + list(args), env=self.env, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, text=True, timeout=timeout)

    def reg_query(self, key, value=None):
        args = ["reg", "query", key] + (["/v", value] if value else [])
        done = self.wine(*args)
        return done.stdout if done.returncode == 0 else None

    def path(self, name):
        return os.path.join(self.folder, name)

    def installed(self):
        return sorted(os.path.relpath(p, self.folder).replace(os.sep, "/")
                      for p in glob.glob(os.path.join(self.folder, "**", "*"), recursive=True)
                      if os.path.isfile(p))

    def close(self):
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def test_installer_installs_upgrades_and_uninstalls_silently(ctx):
    setup = one(ctx["dist"], "Vellomir-*-setup.exe")
    wine = Prefix(ctx["tmp"], ctx["env"])
    try:
        # Install.
        check(wine.wine(setup, "/S").returncode == 0, "the silent install reports success")
        check(wine.installed() == sorted(PROGRAM_FILES + ["Uninstall.exe"]),
              "installed files: %r" % wine.installed())
        check(os.path.exists(wine.shortcut), "a Start menu shortcut")
        entry = wine.reg_query(UNINSTALL_KEY) or ""
        for value in ("DisplayName", "DisplayVersion", "UninstallString", "QuietUninstallString",
                      "InstallLocation"):
            check(value in entry, "the Apps entry has %s: %r" % (value, entry))

        # The program starts from there: a new user, greeted by the welcome event.
        program = harness.Program(wine.path("Vellomir.exe"), ctx["probe"], wine.env)
        program.cleanup()  # its own scratch folder: this one runs where it was installed
        program.folder = wine.folder
        program.process = subprocess.Popen(["wine", wine.path("Vellomir.exe")], cwd=wine.folder, env=wine.env,
                                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        program.wait_started()
        poll(lambda: "welcome to vellomir" in program.events(), 10, what="the welcome event in events.ini")
        birthdays = b"[Ann]\r\nBirthDate=29000\r\n"
        with open(wine.path("birthdays.ini"), "wb") as f:
            f.write(birthdays)
        check(wine.wine("reg", "add", RUN_KEY, "/v", "Vellomir", "/d", wine.path("Vellomir.exe"),
                        "/f").returncode == 0, "a Run value as the options would set it")
        old = time.time() - 86400
        os.utime(wine.path("Vellomir.exe"), (old, old))

        # Upgrade while it runs: the installer ends it and replaces the program only.
        check(wine.wine(setup, "/S").returncode == 0, "the silent upgrade reports success")
        poll(lambda: program.process.poll() is not None, 20, what="the running Vellomir to end")
        program.process = None
        check(os.path.getmtime(wine.path("Vellomir.exe")) > old + 3600, "the program was replaced")
        data = {}
        for name in ("events.ini", "birthdays.ini", "config.cfg", "log.txt"):
            check(os.path.exists(wine.path(name)), "%s kept by the upgrade" % name)
            with open(wine.path(name), "rb") as f:
                data[name] = f.read()
        check(data["birthdays.ini"] == birthdays, "birthdays.ini untouched")
        check(b"[Welcome to Vellomir]" in data["events.ini"], "events.ini kept its event")

        # Uninstall: the program goes, the data stays.
        check(wine.wine(wine.path("Uninstall.exe"), "/S").returncode == 0, "the silent uninstall starts")
        poll(lambda: not os.path.exists(wine.path("Uninstall.exe")), 60, what="the uninstaller to finish")
        check(sorted(os.listdir(wine.folder)) == sorted(data), "only the data is left: %r" % os.listdir(wine.folder))
        for name, content in data.items():
            with open(wine.path(name), "rb") as f:
                check(f.read() == content, "%s unchanged by the uninstall" % name)
        check(not os.path.exists(wine.shortcut), "the shortcut is gone")
        check(wine.reg_query(UNINSTALL_KEY) is None, "the Apps entry is gone")
        check(wine.reg_query(RUN_KEY, "Vellomir") is None, "the Run value is gone")

        # Installed again over the kept data, and removed with it.
        check(wine.wine(setup, "/S").returncode == 0, "the second install")
        with open(wine.path("birthdays.ini"), "rb") as f:
            check(f.read() == birthdays, "a new install keeps the data it finds")
        check(wine.wine(wine.path("Uninstall.exe"), "/S", "/REMOVEDATA").returncode == 0, "uninstall with data")
        poll(lambda: not os.path.exists(wine.folder), 60, what="the whole folder to go")
    finally:
        wine.close()


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    dist, probe = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    env = dict(os.environ)
    env["WINEARCH"] = "win64"
    env.setdefault("WINEDEBUG", "-all")
    env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
    xvfb = None
    if not env.get("DISPLAY"):
        sys.path.insert(0, os.path.join(os.path.dirname(HERE), "e2e"))
        import run as e2e_run  # the e2e runner's display helper
        xvfb, env["DISPLAY"] = e2e_run.start_private_display()
    passed = failed = 0
    tests = [test_zip_holds_exactly_the_program, test_exe_is_small_and_imports_only_system_dlls,
             test_installer_installs_upgrades_and_uninstalls_silently]
    try:
        for test in tests:
            tmp = tempfile.mkdtemp(prefix="vellomir-package-")
            began = time.monotonic()
            try:
                test({"dist": dist, "probe": probe, "env": env, "tmp": tmp})
                passed += 1
                print("PASS %s (%.1f s)" % (test.__name__, time.monotonic() - began), flush=True)
            except Exception as e:  # noqa: BLE001 - every failure is reported
                failed += 1
                print("FAIL %s (%.1f s): %s" % (test.__name__, time.monotonic() - began, e), flush=True)
                if not isinstance(e, harness.TestFailure):
                    traceback.print_exc()
            finally:
                shutil.rmtree(tmp, ignore_errors=True)
    finally:
        if xvfb is not None:
            xvfb.kill()
            xvfb.wait()
    print("%d passed, %d failed" % (passed, failed))
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
