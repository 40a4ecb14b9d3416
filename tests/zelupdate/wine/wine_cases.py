#!/usr/bin/python3
"""zelUpdate.exe under Wine, as the main program starts it on Windows.

The command-line cases of tests/zelupdate/e2e_test.cpp against the Windows
side of the updater: the Toolhelp process list, CreateProcess, the wait on
OpenProcess(SYNCHRONIZE), MoveFileEx, the log in the ANSI code page. The
Windows stand-in (standin_win32.cpp) plays the main program and the package.

Usage: wine_cases.py BIN_DIR   (BIN_DIR holds zelUpdate.exe and
orv_standin_win.exe). WINEPREFIX says where Wine keeps its Windows; WINE
and WINESERVER name the commands ("wine", "wineserver").
"""

import ntpath
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

BIN = Path()
WINE = os.environ.get("WINE", "wine")
WINESERVER = os.environ.get("WINESERVER", "wineserver")
START = "==================== Start ===================="
END = "====================  End  ===================="
FAST = "5,10000,5"


def wine_env(timing=FAST):
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    # Unix file names in UTF-8; Wine's ANSI code page is then 1252, which
    # cannot spell a Chinese folder: the log must open it by its wide name.
    # Without Mono and Gecko, which a new Windows folder would offer to fetch.
    env.update(LC_ALL="C.UTF-8", WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
               ZELUPDATE_TIMING=timing)
    return env


def wait_until(done, seconds=20.0):
    until = time.monotonic() + seconds
    while not done():
        if time.monotonic() > until:
            return False
        time.sleep(0.01)
    return True


def setUpModule():
    # Makes the Windows folder on the first run (a few seconds) and keeps
    # the server up between the cases.
    subprocess.run([WINE, "wineboot", "--init"], env=wine_env(), check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
    subprocess.run([WINESERVER, "-p5"], env=wine_env(), check=False)


def tearDownModule():
    subprocess.run([WINESERVER, "-k"], env=wine_env(), check=False)


class UpdaterUnderWine(unittest.TestCase):
    def setUp(self):
        self.dir = Path(tempfile.mkdtemp(prefix="orv-wine-"))
        self.addCleanup(shutil.rmtree, self.dir, ignore_errors=True)
        self.folder = self.dir
        self.install(self.dir, "orvane.exe")

    def install(self, folder, program):
        """The updater, the program and a new version of it in `folder`."""
        self.folder = folder
        folder.mkdir(parents=True, exist_ok=True)
        shutil.copy(BIN / "zelUpdate.exe", folder / "zelUpdate.exe")
        shutil.copy(BIN / "orv_standin_win.exe", folder / program)
        self.old = (folder / program).read_bytes()
        # A new version that tells itself apart by its size.
        self.new = self.old + b"N" * 4096
        (folder / "tmp1A.tmp").write_bytes(self.new)

    def path(self, name):
        return self.folder / name

    def start(self, program, words, timing=FAST):
        return subprocess.Popen([WINE, str(program), *words], env=wine_env(timing),
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)

    def update(self, line, timing=FAST):
        """Runs the updater with the words of a command line and waits for it."""
        updater = self.start(self.path("zelUpdate.exe"), line.split(" ") if line else [], timing)
        self.assertEqual(updater.wait(timeout=60), 0)

    def log_bytes(self):
        return b"".join(f.read_bytes() for f in sorted(self.path("Log").glob("aup*.txt")))

    def log(self):
        """The updater's log without the timestamps."""
        text = self.log_bytes().decode("gbk")
        return [line[20:] for line in text.split("\r\n")[:-1]]

    def runs(self, name):
        """The runs the stand-in recorded under `name`, one dict a run."""
        ran = self.path(name + ".ran")
        if not ran.exists():
            return []
        lines = ran.read_text(encoding="utf-8").splitlines()
        return [dict(field.split("=", 1) for field in line.split("\t")) for line in lines]

    def ran(self, name, times=1):
        return wait_until(lambda: len(self.runs(name)) >= times)

    def snapshot(self):
        return {f.name: f.read_bytes() for f in self.folder.iterdir() if f.is_file()}

    def hold(self, name, folder=None):
        ((folder or self.folder) / (name + ".hold")).write_bytes(b"")

    def release(self, name, folder=None):
        ((folder or self.folder) / (name + ".hold")).unlink()

    def assertStartedNormally(self, run, params=""):
        self.assertEqual(run["cmdline"], '"' + run["self"] + '"' + params)
        self.assertEqual(run["show"], "1")  # SW_SHOWNORMAL
        self.assertEqual(run["cwd"], ntpath.dirname(run["self"]))

    def test_mode_one_replaces_keeps_the_backup_deletes_the_package_and_restarts(self):
        self.update("-LEZ -T1 -Eorvane.exe -Utmp1A.tmp")
        self.assertEqual(self.log(), [START, "[01,005] OK", END])
        self.assertEqual(self.path("orvane.exe").read_bytes(), self.new)
        self.assertEqual(self.path("orvane.bak").read_bytes(), self.old)
        self.assertFalse(self.path("tmp1A.tmp").exists())
        self.assertFalse(self.path("orvane.exe.new").exists())
        self.assertTrue(self.ran("orvane.exe"))
        run = self.runs("orvane.exe")[0]
        self.assertEqual(run["size"], str(len(self.new)))
        self.assertStartedNormally(run)

    def test_r_minus_starts_nothing(self):
        self.update("-LEZ -T1 -Eorvane.exe -Utmp1A.tmp -R-")
        self.assertEqual(self.log(), [START, "[01,006] OK", END])
        self.assertEqual(self.path("orvane.exe").read_bytes(), self.new)
        self.assertFalse(self.path("orvane.exe.ran").exists())

    def test_params_follow_the_program_directly_and_options_come_in_any_order_and_case(self):
        self.update("-LEZ -T1 -Eorvane.exe -Utmp1A.tmp -P[/s$/q]")
        self.assertTrue(self.ran("orvane.exe"))
        self.assertStartedNormally(self.runs("orvane.exe")[0], " /s /q")
        self.path("tmp1A.tmp").write_bytes(self.new + b"2")
        self.update("-lez -utmp1A.tmp -p[x] -eorvane.exe -t1")
        self.assertTrue(self.ran("orvane.exe", 2))
        self.assertStartedNormally(self.runs("orvane.exe")[1], " x")

    def test_an_old_backup_is_replaced(self):
        self.path("orvane.bak").write_bytes(b"backup of an earlier run")
        self.update("-LEZ -T1 -Eorvane.exe -Utmp1A.tmp -R-")
        self.assertEqual(self.path("orvane.bak").read_bytes(), self.old)

    def test_a_restart_that_cannot_start_logs_the_system_description(self):
        self.update("-LEZ -T1 -Eorvane.exe -Utmp1A.tmp -Rmissing.exe")
        lines = self.log()
        self.assertEqual(len(lines), 3, lines)
        self.assertTrue(lines[1].startswith("[01,004] "), lines)
        self.assertFalse(lines[1].startswith("[01,004] error "), lines)  # a text, not a number
        self.assertGreater(len(lines[1]), len("[01,004] "))

    def test_waits_for_the_running_program_of_its_folder_then_updates(self):
        self.hold("orvane.exe")
        program = self.start(self.path("orvane.exe"), [])
        self.assertTrue(self.ran("orvane.exe"))
        # The same name running from another folder does not count.
        elsewhere = self.dir / "elsewhere"
        elsewhere.mkdir()
        shutil.copy(self.path("orvane.exe"), elsewhere / "orvane.exe")
        self.hold("orvane.exe", elsewhere)
        stranger = self.start(elsewhere / "orvane.exe", [])
        self.assertTrue(wait_until(lambda: (elsewhere / "orvane.exe.ran").exists()))

        updater = self.start(self.path("zelUpdate.exe"), "-LEZ -T1 -Eorvane.exe -Utmp1A.tmp".split())
        time.sleep(1.0)  # two hundred polls and more
        self.assertIsNone(updater.poll())
        self.assertFalse(self.path("orvane.bak").exists())
        self.assertEqual(self.log(), [START])
        self.release("orvane.exe")
        self.assertEqual(program.wait(timeout=30), 0)
        self.assertEqual(updater.wait(timeout=30), 0)
        self.assertEqual(self.log(), [START, "[01,005] OK", END])
        self.assertTrue(self.ran("orvane.exe", 2))
        self.assertEqual(self.runs("orvane.exe")[1]["size"], str(len(self.new)))
        self.release("orvane.exe", elsewhere)
        self.assertEqual(stranger.wait(timeout=30), 0)

    def test_gives_up_at_the_bound_without_changing_anything(self):
        self.hold("orvane.exe")
        program = self.start(self.path("orvane.exe"), [])
        self.assertTrue(self.ran("orvane.exe"))
        before = self.snapshot()
        self.update("-LEZ -T1 -Eorvane.exe -Utmp1A.tmp", "5,300,5")
        self.assertEqual(self.log(), [
            START, "Error:orvane.exe is still running after 0.3 seconds; nothing was changed", END])
        self.assertEqual(self.snapshot(), before)
        self.release("orvane.exe")
        self.assertEqual(program.wait(timeout=30), 0)

    def test_mode_two_waits_for_the_package_program_then_deletes_it_and_restarts(self):
        self.hold("tmp1A.exe")
        updater = self.start(self.path("zelUpdate.exe"),
                             "-LEZ -T2 -Eorvane.exe -Utmp1A.tmp -P[/s$/q] -W1".split())
        self.assertTrue(self.ran("tmp1A.exe"))
        self.assertStartedNormally(self.runs("tmp1A.exe")[0], " /s /q")
        self.assertFalse(self.path("tmp1A.tmp").exists())
        time.sleep(0.5)
        self.assertIsNone(updater.poll())
        self.assertFalse(self.path("orvane.exe.ran").exists())
        self.release("tmp1A.exe")
        self.assertEqual(updater.wait(timeout=30), 0)
        lines = self.log()
        self.assertEqual(len(lines), 5, lines)
        self.assertEqual(lines[1], "[02,003] To Run ")
        self.assertRegex(lines[2], r"^\[02,004\] OpenProcess = [1-9][0-9]*$")
        self.assertEqual(lines[3], "[02,007] OK")
        self.assertFalse(self.path("tmp1A.exe").exists())
        self.assertEqual(self.path("orvane.exe").read_bytes(), self.old)
        self.assertEqual(self.path("orvane.bak").read_bytes(), self.old)
        self.assertTrue(self.ran("orvane.exe"))
        self.assertStartedNormally(self.runs("orvane.exe")[0])  # -P is for the package only

    def test_mode_two_without_wait_restarts_at_once_and_leaves_the_package_program(self):
        self.hold("tmp1A.exe")
        self.update("-LEZ -T2 -Eorvane.exe -Utmp1A.tmp -W0")
        self.assertEqual(self.log(), [START, "[02,003] To Run ", "[02,007] OK", END])
        self.assertTrue(self.ran("orvane.exe"))
        self.assertTrue(self.ran("tmp1A.exe"))
        self.assertTrue(self.path("tmp1A.exe").exists())
        self.release("tmp1A.exe")

    def test_another_mode_makes_the_backup_and_stops(self):
        self.update("-LEZ -T3 -Eorvane.exe -Utmp1A.tmp")
        self.assertEqual(self.log(), [START, "[00,003] Error Type", END])
        self.assertEqual(self.path("orvane.bak").read_bytes(), self.old)
        self.assertEqual(self.path("orvane.exe").read_bytes(), self.old)
        self.assertTrue(self.path("tmp1A.tmp").exists())

    def test_lines_that_name_nothing_end_after_the_start_line(self):
        for line in ["-LEZ -T1 -Eorvane.exe", "-XYZ -T1 -Eorvane.exe -Utmp1A.tmp",
                     "-LEZ -T1 -E -Utmp1A.tmp", "-LEZ -T1 -Emissing.exe -Utmp1A.tmp",
                     "-LEZ -T1 -Eorvane.exe -Umissing.tmp"]:
            shutil.rmtree(self.path("Log"), ignore_errors=True)
            before = self.snapshot()
            self.update(line)
            self.assertEqual(self.log(), [START, END], line)
            self.assertEqual(self.snapshot(), before, line)
        shutil.rmtree(self.path("Log"))
        self.update("")
        self.assertFalse(self.path("Log").exists())

    def test_refuses_names_that_leave_the_folder_or_that_windows_reads_as_other_files(self):
        os.link(self.path("orvane.exe"), self.path("alias.exe"))
        self.path("Ärger.exe").write_bytes(self.old)
        cases = [
            ("-LEZ -T1 -EC:\\Windows\\notepad.exe -Utmp1A.tmp",
             'the -E name "C:\\Windows\\notepad.exe" holds a path separator'),
            ("-LEZ -T1 -EC:orvane.exe -Utmp1A.tmp",
             'the -E name "C:orvane.exe" names a drive or a stream'),
            ("-LEZ -T1 -Eorvane.exe -U\\\\server\\share\\x.tmp",
             'the -U name "\\\\server\\share\\x.tmp" holds a path separator'),
            ("-LEZ -T1 -Eorvane.exe -UZ:/tmp/x.tmp",
             'the -U name "Z:/tmp/x.tmp" holds a path separator'),
            ("-LEZ -T1 -Eorvane.exe -Utmp1A.tmp:hidden",
             'the -U name "tmp1A.tmp:hidden" names a drive or a stream'),
            ("-LEZ -T1 -Eorvane.exe. -Utmp1A.tmp",
             'the -E name "orvane.exe." ends in a dot or a blank'),
            ("-LEZ -T1 -Eorvane.exe -Utmp1A.tmp -RCON", 'the -R name "CON" is a device name'),
            ("-LEZ -T1 -Eorvane.exe -Unul.tmp", 'the -U name "nul.tmp" is a device name'),
            ("-LEZ -T1 -Eorvane.exe -Utmp1A.tmp -RCOM1.exe",
             'the -R name "COM1.exe" is a device name'),
            ("-LEZ -T1 -Eorvane.exe -Utmp?.tmp",
             'the -U name "tmp?.tmp" holds a character that file names cannot hold'),
            ("-LEZ -T1 -Eorvane.exe -Uzelupdate.EXE", "the -U file is the updater itself"),
            # One file under two names: a hard link, a case rule beyond ASCII.
            ("-LEZ -T1 -Eorvane.exe -Ualias.exe", "the -U file is the -E file"),
            ("-LEZ -T1 -EÄrger.exe -Uärger.exe", "the -U file is the -E file"),
        ]
        for line, error in cases:
            shutil.rmtree(self.path("Log"), ignore_errors=True)
            before = self.snapshot()
            self.update(line)
            self.assertEqual(self.log(), [START, "Error:" + error, END], line)
            self.assertEqual(self.snapshot(), before, line)

    def test_a_folder_and_names_in_chinese_and_the_log_in_gbk(self):
        self.install(self.dir / "税务 程序", "程序.exe")
        self.update("-LEZ -T1 -E程序.exe -Utmp1A.tmp -P[/s]")
        self.assertEqual(self.log(), [START, "[01,005] OK", END])
        self.assertEqual(self.path("程序.exe").read_bytes(), self.new)
        self.assertEqual(self.path("程序.bak").read_bytes(), self.old)
        self.assertTrue(self.ran("程序.exe"))
        self.assertStartedNormally(self.runs("程序.exe")[0], " /s")
        shutil.rmtree(self.path("Log"))
        self.update("-LEZ -T1 -E程序.exe -U更新\\包.tmp")
        expected = 'Error:the -U name "更新\\包.tmp" holds a path separator'.encode("gbk")
        self.assertIn(b" " + expected + b"\r\n", self.log_bytes())


if __name__ == "__main__":
    BIN = Path(sys.argv[1]).resolve()
    unittest.main(argv=[sys.argv[0], "-v"])
