#!/usr/bin/env python3
"""Runs every end-to-end test of Vellomir.exe: each tests/e2e/test_*.py module's
test_* functions, one after the other, each with a fresh program folder.

    python3 tests/e2e/run.py build/windows/Vellomir.exe [name-filter]

Uses $DISPLAY and $WINEPREFIX when set (scripts/test sets both); otherwise a
private Xvfb display and the checkout's build/wineprefix. Ends with the line
"N passed, N failed" and a non-zero exit status when a test failed."""

import importlib.util
import os
import shutil
import subprocess
import sys
import time
import traceback

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, HERE)

import harness  # noqa: E402


def start_private_display():
    for n in range(91, 141):
        if os.path.exists("/tmp/.X%d-lock" % n) or os.path.exists("/tmp/.X11-unix/X%d" % n):
            continue
        xvfb = subprocess.Popen(["Xvfb", ":%d" % n, "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(50):
            ok = subprocess.run(["xdpyinfo", "-display", ":%d" % n], stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL).returncode == 0
            if ok:
                return xvfb, ":%d" % n
            time.sleep(0.1)
        xvfb.kill()
        xvfb.wait()
    raise RuntimeError("no free X display for Xvfb")


def wine_environment():
    env = dict(os.environ)
    env.setdefault("WINEPREFIX", os.path.join(ROOT, "build", "wineprefix"))
    env["WINEARCH"] = "win64"
    env.setdefault("WINEDEBUG", "-all")
    env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
    return env


def collect_tests(name_filter):
    tests = []
    for file in sorted(os.listdir(HERE)):
        if not (file.startswith("test_") and file.endswith(".py")):
            continue
        spec = importlib.util.spec_from_file_location(file[:-3], os.path.join(HERE, file))
        module = importlib.util.module_from_spec(spec)
        spec.loader.exec_module(module)
        for name in sorted(vars(module)):
            if name.startswith("test_") and callable(getattr(module, name)):
                full = "%s.%s" % (file[:-3], name)
                if name_filter and name_filter not in full:
                    continue
                tests.append((full, getattr(module, name)))
    return tests


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    exe = os.path.abspath(sys.argv[1])
    name_filter = sys.argv[2] if len(sys.argv) > 2 else ""
    probe = os.path.join(os.path.dirname(exe), "vellomir_probe.exe")
    for needed in (exe, probe):
        if not os.path.exists(needed):
            print("missing %s" % needed)
            print("0 passed, 1 failed")
            return 1

    xvfb = None
    env = wine_environment()
    if not env.get("DISPLAY"):
        xvfb, env["DISPLAY"] = start_private_display()

    passed = failed = 0
    try:
        # Wine's own services start with the first program; let that happen
        # before any test starts its clock.
        subprocess.run(["wine", probe, "list"], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=120)
        for name, test in collect_tests(name_filter):
            program = harness.Program(exe, probe, env)
            began = time.monotonic()
            try:
                test(program)
                passed += 1
                print("PASS %s (%.1f s)" % (name, time.monotonic() - began), flush=True)
            except Exception as e:  # noqa: BLE001 - any failure of a test is reported
                failed += 1
                print("FAIL %s (%.1f s): %s" % (name, time.monotonic() - began, e), flush=True)
                if not isinstance(e, harness.TestFailure):
                    traceback.print_exc()
            finally:
                # Nothing of this test may still run when the next starts:
                # stop() falls back to ending the whole Wine session.
                program.stop()
                program.cleanup()
    finally:
        if xvfb is not None:
            xvfb.kill()
            xvfb.wait()

    print("%d passed, %d failed" % (passed, failed))
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
