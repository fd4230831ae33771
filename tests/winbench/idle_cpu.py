"""CPU time a program uses while idle under Wine, as a percentage of one
core, for Skorvel.exe beside a bare one-window program. Run in a prefix and
display of its own:

    tests/harness/wine-run --template build/win64/wine-template --display -- \
        python3 tests/winbench/idle_cpu.py build/win64/bin

Counts the program's own Unix process, the prefix's wineserver, which does
the work of every timer and message wait on the program's behalf, and
explorer, which shows the tray."""
import os
import subprocess
import sys
import time

SETTLE, SPAN = 5.0, 10.0
TICK = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICK  # utime + stime


def unix_pid(image):
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/cmdline", "rb") as f:
                command = f.read().split(b"\0")[0].decode(errors="replace").strip()
            with open(f"/proc/{entry}/environ", "rb") as f:
                environment = f.read().split(b"\0")
        except OSError:
            continue
        ours = f"WINEPREFIX={os.environ['WINEPREFIX']}".encode() in environment
        name = command.replace("\\", "/").rsplit("/", 1)[-1].split()[0].lower()
        if ours and name.startswith(image.lower()):
            return int(entry)
    return None


def measure(exe):
    process = subprocess.Popen(["wine", exe], stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    try:
        time.sleep(SETTLE)
        pids = [unix_pid(name) for name in (os.path.basename(exe), "wineserver", "explorer.exe")]
        before = [cpu_seconds(pid) for pid in pids]
        time.sleep(SPAN)
        after = [cpu_seconds(pid) for pid in pids]
        return [100.0 * (a - b) / SPAN for a, b in zip(after, before)]
    finally:
        subprocess.run(["wineserver", "-k"])
        process.wait()


def main():
    bin_dir = sys.argv[1]
    for name in ("bare_window_bench.exe", "Skorvel.exe"):
        program, server, explorer = measure(os.path.join(bin_dir, name))
        print(f"{name:22} program {program:5.1f} %  wineserver {server:5.1f} %  "
              f"explorer {explorer:5.1f} %  together {program + server + explorer:5.1f} % "
              f"of one core over {SPAN:.0f} s")


if __name__ == "__main__":
    main()
