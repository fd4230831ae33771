"""Benchmark (not a test): a whole optimisation of 20 running fake
applications and the restore that follows, under Wine, median of 5; then, in
the same prefix, `taskkill /F /IM` ending the same 20 applications, and the
in-process figures of platform_bench.exe: the run itself against the calls no
run can avoid (11 snapshots, 20 terminations, 20 path reads).
    SKORVEL_BUILD=build/win64 SKORVEL_SOURCE=. \
        tests/harness/wine-run --display -- python3 tests/e2e/bench_optimise.py
"""
import os
import re
import statistics
import subprocess
import time
import unittest

from skorvel_e2e import BIN, SystemTestCase, wait_for, write_filter

NAMES = [f"app{i:02}.exe" for i in range(20)]


def milliseconds(seconds):
    return f"median {statistics.median(seconds) * 1000:.0f} ms {[round(t * 1000) for t in seconds]}"


def wine_seconds(*args):
    start = time.monotonic()
    subprocess.run(["wine", *args], capture_output=True)
    return time.monotonic() - start


class Benchmark(SystemTestCase):
    def setUp(self):
        # Without a window manager, Wine waits up to 2 s for one to withdraw
        # every window that is hidden (the confirmation box among them);
        # unmanaged windows leave the run's own time to be seen.
        subprocess.run(["wine", "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed",
                        "/d", "N", "/f"], capture_output=True, check=True)
        super().setUp()

    def test_optimise_and_restore(self):
        write_filter(self.folder, "komunikatory", NAMES, "utf-8-sig")
        pid, main = self.start_program()
        optimise, restore = [], []
        for name in NAMES:
            self.app(name)
        # Each round closes the 20 applications and starts them again, so the
        # next round finds 20 running applications once more. A restore takes
        # 9 to 13 s on a loaded machine: the waits allow more than that.
        for _ in range(5):
            self.press_start_button(main)
            box = self.message_box(pid)
            start = time.monotonic()
            self.answer(box, "Yes")
            wait_for(lambda: self.restore_mode(main), timeout=60, interval=0.01,
                     what="restore mode")
            optimise.append(time.monotonic() - start)
            before = {p["pid"] for p in self.processes()}
            start = time.monotonic()
            self.press_start_button(main)
            wait_for(lambda: not self.restore_mode(main), timeout=60, interval=0.01,
                     what="optimise mode")
            restore.append(time.monotonic() - start)
            wait_for(lambda: len([p for p in self.processes() if p["pid"] not in before
                                  and p["name"] in NAMES]) == len(NAMES), what="relaunches")
        print(f"\noptimise (20 applications): {milliseconds(optimise)}")
        print(f"restore (20 applications): {milliseconds(restore)}")

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
        print(f"taskkill /F /IM (the same 20 applications): {milliseconds(taskkill)}")
        print(f"taskkill /F /IM (no such process): {milliseconds(idle)}")

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
              f" {statistics.median(optimise) * 1000 / unavoidable:.2f};"
              f" taskkill / unavoidable {statistics.median(taskkill) * 1000 / unavoidable:.2f}")


if __name__ == "__main__":
    unittest.main()
