#!/usr/bin/env python3
"""Start-up of the real program with a full archive (99 rows by 9 columns):
the time from process start until the main window is mapped, and the peak
resident memory, as the median of several runs under Xvfb.

    bench/startup.py [BUILD_DIR] [RUNS] [FOLDER]

FOLDER, when given, is a program folder to copy whole for each run (the
portable dist/Vantry with its bundled Qt) instead of BUILD_DIR/bin.
"""
import os
import shutil
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from desktop import Desktop, Program, wait_for  # noqa: E402


def peak_rss_kib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return 0


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build")
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 7
    folder = os.path.abspath(sys.argv[3]) if len(sys.argv) > 3 else None
    desktop = Desktop(os.path.join(build, "bench-artefacts"))
    times, peaks = [], []
    try:
        for _ in range(runs):
            program = Program(desktop, folder or os.path.join(build, "bin"))
            if folder:
                for name in os.listdir(folder):
                    source = os.path.join(folder, name)
                    if os.path.isdir(source):
                        shutil.copytree(source, program.path(name))
                    elif not os.path.exists(program.path(name)):
                        shutil.copy2(source, program.path(name))
            subprocess.run([os.path.join(build, "bench", "make_archive"), program.folder, "99", "9",
                            "login-pw", "edit-pw", "hint"], check=True)
            proc = program.start()
            wait_for("the main window", lambda: desktop.windows("Ver 1\\.40"), timeout=30, step=0.005)
            times.append((time.monotonic() - program.started) * 1000.0)
            time.sleep(0.5)  # let it settle before reading the peak
            peaks.append(peak_rss_kib(proc.pid) / 1024.0)
            program.remove()
    finally:
        desktop.close()
    print("start-up to mapped main window, 99x9 archive, %d runs, %s:" % (runs, folder or build))
    print("  time   median %.1f ms  (min %.1f, max %.1f)" % (statistics.median(times), min(times), max(times)))
    print("  peak RSS median %.1f MiB  (min %.1f, max %.1f)" % (statistics.median(peaks), min(peaks), max(peaks)))


if __name__ == "__main__":
    main()
