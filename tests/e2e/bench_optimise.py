"""Benchmark (not a test): a whole optimisation of 20 running fake
applications and the restore that follows, under Wine, median of 5.
    SKORVEL_BUILD=build/win64 SKORVEL_SOURCE=. \
        tests/harness/wine-run --display -- python3 tests/e2e/bench_optimise.py
"""
import statistics
import time
import unittest

from skorvel_e2e import SystemTestCase, wait_for, write_filter

NAMES = [f"app{i:02}.exe" for i in range(20)]


class Benchmark(SystemTestCase):
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
        print(f"\noptimise (20 applications): median {statistics.median(optimise) * 1000:.0f} ms"
              f" {[round(t * 1000) for t in optimise]}")
        print(f"restore (20 applications): median {statistics.median(restore) * 1000:.0f} ms"
              f" {[round(t * 1000) for t in restore]}")


if __name__ == "__main__":
    unittest.main()
