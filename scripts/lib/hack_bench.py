#!/usr/bin/env python3
"""Measures huesift, the XScreenSaver hack, on the root window of a virtual
1280 x 1024 x 24 display (Xvfb): frames a second, sort iterations a second
and the processor share of the hack and of the X server, while the picture
sorts and while its palette rotates, for the 256 and 512 pictures, with
shared-memory images and with plain ones. The processor shares come from
/proc (user and system time over wall time), the frames from the hack's own
log (HUESIFT_FRAME_LOG=1).
    python3 scripts/lib/hack_bench.py build/native/xscreensaver/huesift [--seconds N]
"""

import argparse
import os
import signal
import subprocess
import sys
import threading
import time

TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS  # utime and stime


def start_server():
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
                               "-nolisten", "tcp"], pass_fds=[write_end], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as numbers:
        number = numbers.readline().strip()
    if not number:
        sys.exit("hack_bench.py: Xvfb did not start")
    return server, ":" + number


class Sample:
    """The moment of a frame: wall time, its phase and iterations, and the processor times then."""

    def __init__(self, phase, iterations, hack, server):
        self.wall = time.monotonic()
        self.phase = phase
        self.iterations = iterations
        self.hack_cpu = cpu_seconds(hack.pid)
        self.server_cpu = cpu_seconds(server.pid)


def rates(first, last, frames):
    wall = last.wall - first.wall
    return {
        "seconds": wall,
        "fps": frames / wall,
        "iterations": (last.iterations - first.iterations) / wall,
        "hack": 100 * (last.hack_cpu - first.hack_cpu) / wall,
        "server": 100 * (last.server_cpu - first.server_cpu) / wall,
    }


def measure(program, display, server, size, shared, rotation_seconds):
    environment = dict(os.environ, DISPLAY=display, HUESIFT_FRAME_LOG="1", HUESIFT_NO_SHM="0" if shared else "1")
    environment.pop("XSCREENSAVER_WINDOW", None)
    hack = subprocess.Popen([program, "--root", "--size", str(size)], env=environment, stderr=subprocess.PIPE,
                            text=True)
    samples = []
    rotating = threading.Event()

    def read_frames():
        for line in hack.stderr:
            words = line.split()
            if len(words) == 4 and words[0] == "frame":
                samples.append(Sample(words[2], int(words[3]), hack, server))
                if words[2] == "rotating":
                    rotating.set()

    reader = threading.Thread(target=read_frames, daemon=True)
    reader.start()
    if not rotating.wait(timeout=120):
        hack.kill()
        sys.exit(f"hack_bench.py: the {size} picture did not rotate within two minutes")
    sorting = [s for s in samples if s.phase == "sorting"]
    first_rotation = next(s for s in samples if s.phase == "rotating")
    sort = rates(sorting[0], first_rotation, len(sorting)) if sorting else None

    time.sleep(1)  # past the rotation's first steps
    begin_count = len(samples)
    begin = Sample("rotating", 0, hack, server)
    time.sleep(rotation_seconds)
    end = Sample("rotating", 0, hack, server)
    rotation = rates(begin, end, len(samples) - begin_count)
    hack.send_signal(signal.SIGTERM)
    hack.wait(timeout=30)
    return sort, rotation


def main():
    parser = argparse.ArgumentParser(description="Frame rate and processor share of the XScreenSaver hack.")
    parser.add_argument("program")
    parser.add_argument("--seconds", type=float, default=10, help="how long the rotation is measured")
    arguments = parser.parse_args()
    server, display = start_server()
    try:
        print("picture  images  phase     seconds  frames/s  iterations/s  hack CPU  Xvfb CPU")
        for size in (256, 512):
            for shared in (True, False):
                sort, rotation = measure(arguments.program, display, server, size, shared, arguments.seconds)
                for phase, figures in (("sorting", sort), ("rotating", rotation)):
                    if not figures:
                        continue
                    iterations = f"{figures['iterations'] / 1e6:9.1f} M" if phase == "sorting" else "        -  "
                    print(f"{size:7}  {'shared' if shared else 'plain':6}  {phase:8}  {figures['seconds']:7.2f}"
                          f"  {figures['fps']:8.1f}  {iterations}  {figures['hack']:7.1f}%  {figures['server']:7.1f}%")
    finally:
        server.terminate()
        server.wait()


if __name__ == "__main__":
    main()
