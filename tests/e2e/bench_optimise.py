"""Benchmark (not a test): a whole optimisation of 20 running fake
applications and the restore that follows, under Wine, median of 3 rounds.
In each round, in the same prefix and minute, the same 20 applications are
also started by `cmd /c start` and by 20 CreateProcess calls from the already
running driver (the floor no launcher can beat). Then `taskkill /F /IM`
ending the same 20 applications, and the in-process figures of
platform_bench.exe: the run itself against the calls no run can avoid (11
snapshots, 20 terminations, 20 path reads), the restore's launches by each
route and the restore run against 20 CreateProcess calls of its own.
    SKORVEL_BUILD=build/win64 SKORVEL_SOURCE=. \\
        tests/harness/wine-run --display -- python3 tests/e2e/bench_optimise.py

SKORVEL_BASELINE_EXE=/path/to/another/Skorvel.exe measures that program's
optimise and restore too, in the same rounds (say, a build of the code before
a change), so that both compare with the same floor.
"""
import os
import re
import shutil
import statistics
import subprocess
import time
import unittest

from skorvel_e2e import (BIN, PREFIX, START_BUTTON, WM_CLOSE, SystemTestCase, wait_for,
                         windows_path, write_filter)

NAMES = [f"app{i:02}.exe" for i in range(20)]
ROUNDS = 3


def spread(seconds):
    """Median and range in milliseconds, with every round's figure."""
    ms = [round(t * 1000) for t in seconds]
    return f"median {statistics.median(seconds) * 1000:.0f} ms, {min(ms)}-{max(ms)} ms {ms}"


def ratios(numerators, denominators):
    """The same-round ratios: median and range."""
    values = [n / d for n, d in zip(numerators, denominators)]
    return (f"median {statistics.median(values):.2f}x, {min(values):.2f}-{max(values):.2f}x"
            f" {[round(v, 2) for v in values]}")


def wine(*args, check=False):
    """Runs a Wine program until it ends. Its output is dropped, not piped:
    whatever it starts (the prefix's session, the applications of a `start`)
    would inherit a pipe and hold it open long after it has ended."""
    subprocess.run(["wine", *args], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   check=check)


def wine_seconds(*args):
    start = time.monotonic()
    wine(*args)
    return time.monotonic() - start


class Benchmark(SystemTestCase):
    def setUp(self):
        # Without a window manager, Wine waits up to 2 s for one to withdraw
        # every window that is hidden (the confirmation box among them);
        # unmanaged windows leave the run's own time to be seen.
        wine("reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/d", "N", "/f",
             check=True)
        super().setUp()

    def programs(self):
        """(label, Skorvel.exe) of each program measured, each in a folder
        of its own with the same filter file."""
        programs = [("after", self.exe)]
        baseline = os.environ.get("SKORVEL_BASELINE_EXE")
        if baseline:
            folder = os.path.join(PREFIX, "drive_c", "Programs", "baseline")
            shutil.rmtree(folder, ignore_errors=True)
            os.makedirs(folder)
            shutil.copy(baseline, folder)
            programs.insert(0, ("before", os.path.join(folder, "Skorvel.exe")))
        for _, exe in programs:
            write_filter(os.path.dirname(exe), "komunikatory", NAMES, "utf-8-sig")
        return programs

    def app_paths(self):
        return [windows_path(os.path.join(self.apps, name)) for name in NAMES]

    def new_applications(self, before):
        return [p for p in self.processes() if p["pid"] not in before and p["name"] in NAMES]

    def end_applications(self):
        for p in self.processes():
            if p["name"] in NAMES:
                self.driver.call("kill", p["pid"])
        wait_for(lambda: not any(p["name"] in NAMES for p in self.processes()), what="all ended")

    def optimise_and_restore(self, exe):
        """Seconds of one optimisation and of the restore after it, timed
        from the press until the window shows its other mode; then the
        program is closed once the 20 relaunched applications run."""
        pid = self.start(exe)
        main = self.main_window(pid)
        self.press_start_button(main)
        box = self.message_box(pid)
        start = time.monotonic()
        self.answer(box, "Yes")
        wait_for(lambda: self.restore_mode(main), timeout=60, interval=0.01, what="restore mode")
        optimise = time.monotonic() - start
        before = {p["pid"] for p in self.processes()}
        # Timed from the click itself, as the CreateProcess calls are timed
        # from the first: the button is pressed beforehand, and the run starts
        # at its release (`xdotool click` would also wait 100 ms after it).
        # The end is seen by the button's visibility alone, which asks
        # nothing of the program while it launches.
        button = self.child(main["hwnd"], text="Przywróć")["hwnd"]
        origin = self.window(main["hwnd"])["origin"]
        self.xdotool("mousemove", origin[0] + START_BUTTON[0], origin[1] + START_BUTTON[1])
        self.xdotool("mousedown", 1)
        time.sleep(0.1)
        start = time.monotonic()
        self.xdotool("mouseup", 1)
        wait_for(lambda: not self.driver.call("visible", button)["visible"], timeout=60,
                 interval=0.01, what="optimise mode")
        restore = time.monotonic() - start
        wait_for(lambda: len(self.new_applications(before)) == len(NAMES), timeout=60,
                 what="relaunches")
        self.post(main["hwnd"], WM_CLOSE)
        self.wait_exit(pid)
        self.started.remove(pid)
        return optimise, restore

    def timed_starts(self, launch):
        """Seconds the launch takes to start the 20 applications, none of
        which runs before; waits until all 20 run."""
        before = {p["pid"] for p in self.processes()}
        start = time.monotonic()
        launch()
        seconds = time.monotonic() - start
        wait_for(lambda: len(self.new_applications(before)) == len(NAMES), timeout=60,
                 what="20 applications started")
        return seconds

    def cmd_start(self):
        # One cmd for all 20: its start-up is paid once, as the program's is.
        command = []
        for path in self.app_paths():
            command += ["&", "start", path] if command else ["start", path]
        wine("cmd", "/c", *command)

    def create_processes(self):
        for path in self.app_paths():
            self.driver.call("start", path)

    def test_optimise_and_restore(self):
        programs = self.programs()
        optimise = {label: [] for label, _ in programs}
        restore = {label: [] for label, _ in programs}
        cmd, floor = [], []
        for name in NAMES:
            self.app(name)
        # Each round ends with the 20 applications running again, started
        # by the floor's CreateProcess calls, for the next round's optimise.
        # A restore takes several seconds on a loaded machine: the waits
        # allow much more than that.
        for _ in range(ROUNDS):
            for label, exe in programs:
                seconds = self.optimise_and_restore(exe)
                optimise[label].append(seconds[0])
                restore[label].append(seconds[1])
            self.end_applications()
            cmd.append(self.timed_starts(self.cmd_start))
            self.end_applications()
            floor.append(self.timed_starts(self.create_processes))

        print(f"\nfloor: 20 CreateProcess from a running helper: {spread(floor)}")
        print(f"cmd /c start (the same 20): {spread(cmd)}")
        print(f"cmd start / floor: {ratios(cmd, floor)}")
        for label, _ in programs:
            print(f"{label}: optimise (20 applications): {spread(optimise[label])}")
            print(f"{label}: restore (20 applications): {spread(restore[label])}")
            print(f"{label}: restore / floor: {ratios(restore[label], floor)}")
            print(f"{label}: restore / cmd start: {ratios(restore[label], cmd)}")
        if len(programs) == 2:
            print(f"restore after / before: {ratios(restore['after'], restore['before'])}")

        # The same 20 applications ended by the system's own tool; taskkill
        # of a name that does not run shows what starting the tool costs.
        # None of them is left running for platform_bench, whose own
        # applications have the same names.
        taskkill, idle = [], []
        for attempt in range(5):
            if attempt:
                for name in NAMES:
                    self.app(name)
            wait_for(lambda: all(self.running(name) for name in NAMES), what="20 applications")
            taskkill.append(wine_seconds("taskkill", "/F", *[a for n in NAMES for a in ("/IM", n)]))
            wait_for(lambda: not any(self.running(name) for name in NAMES), what="all ended")
            idle.append(wine_seconds("taskkill", "/F", "/IM", "skv_nobody.exe"))
        print(f"taskkill /F /IM (the same 20 applications): {spread(taskkill)}")
        print(f"taskkill /F /IM (no such process): {spread(idle)}")

        figures = subprocess.run(["wine", os.path.join(BIN, "platform_bench.exe")],
                                 capture_output=True, text=True).stdout
        print(figures, end="")

        def median_ms(name):
            return float(re.search(re.escape(name) + r"\s+median\s+([\d.]+) ms", figures)[1])
        run = median_ms("run (StartBtnClick)")
        unavoidable = median_ms("sum of the unavoidable calls")
        print(f"in-process run {run:.1f} ms, unavoidable calls {unavoidable:.1f} ms:"
              f" run / unavoidable {run / unavoidable:.2f};"
              f" optimise (program) / unavoidable"
              f" {statistics.median(optimise['after']) * 1000 / unavoidable:.2f};"
              f" taskkill / unavoidable {statistics.median(taskkill) * 1000 / unavoidable:.2f}")
        if "restore run (PrzywrocBtnClick)" in figures:
            restore_run = median_ms("restore run (PrzywrocBtnClick)")
            launches_floor = median_ms("20 CreateProcess (the floor)")
            print(f"in-process restore run {restore_run:.1f} ms, 20 CreateProcess"
                  f" {launches_floor:.1f} ms: restore run / floor"
                  f" {restore_run / launches_floor:.2f}")


if __name__ == "__main__":
    unittest.main()
