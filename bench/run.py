#!/usr/bin/env python3
"""Times logtrim's two passes against their floors on generated logs.

    bench/run.py [--rounds N] [--build DIR] [--before DIR] [SIZE ...]

SIZE is what make_test_log takes (256M, 1G, ...); the default is 256M and 1G.
DIR is a build of the bench preset holding logtrim, make_test_log and
two_pass_floor (default build/bench: `cmake --workflow --preset bench`).
--before names the build of an earlier logtrim, whose passes are then timed
against the same floors in the same run, pair by pair.

The floors: the summary against `cat LOG >/dev/null`, which reads the log
once; the copy against two_pass_floor, which reads the log once, then reads
it again and writes every byte of it through one 1 MiB buffer: the least a
copy run that reads the log twice can do. The cuts by time are timed
against the same floor: a fifth of the log's time from its middle without
side-scan, and the whole log; the whole log by time is also paired with the
whole log by index, `-c 0:-1`, which it must match.

Each log is written into a fresh folder on tmpfs (/dev/shm where there is
one): a copy's time on a disk swings from run to run with write-back, on
tmpfs it does not. The page cache is warmed first; then each pass and its
reference run pair by pair, A B A B, so that a drift of the machine's speed
touches both sides alike. A ratio is taken per pair and the median of the
ratios is printed, with the median speed and the peak resident memory of
the logtrim runs (from /usr/bin/time, which wraps both sides alike).
Everything written is removed at the end.
"""

import argparse
import os
import struct
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TIME = "/usr/bin/time"


def parse_size(text):
    units = {"K": 1 << 10, "M": 1 << 20, "G": 1 << 30}
    if text[-1:].upper() in units:
        return int(text[:-1]) * units[text[-1].upper()]
    return int(text)


def time_name(seconds):
    """logtrim's name of a whole number of seconds in a copy's name."""
    minutes = seconds // 60
    if minutes >= 60:
        return f"{minutes // 60}h{minutes % 60:02}m{seconds % 60:02}s"
    return f"{minutes}m{seconds % 60:02}s"


def size_label(size):
    for unit, shift in (("GiB", 30), ("MiB", 20), ("KiB", 10)):
        if size >= 1 << shift and size % (1 << shift) == 0:
            return f"{size >> shift} {unit}"
    return f"{size} B"


def timed_run(argv, stdout_path, rss_path):
    """Runs argv with its standard output sent to stdout_path; returns the
    wall time in seconds and the peak resident memory in KiB."""
    with open(stdout_path, "wb") as out:
        start = time.perf_counter()
        result = subprocess.run([TIME, "-f", "%M", "-o", rss_path] + argv,
                                stdout=out, stdin=subprocess.DEVNULL)
        elapsed = time.perf_counter() - start
    if result.returncode != 0:
        sys.exit(f"failed ({result.returncode}): {' '.join(argv)}")
    with open(rss_path) as f:
        rss_kib = int(f.read().split()[-1])
    return elapsed, rss_kib


def log_seconds(log):
    """The time from the log's first frame to its last, in seconds: the
    frame headers' milliseconds at offset 140, walked header by header."""
    first = last = None
    with open(log, "rb") as f:
        position = 8
        while True:
            f.seek(position)
            header = f.read(144)
            if len(header) < 144:
                break
            packet_size, = struct.unpack_from("<H", header, 34)
            ms, = struct.unpack_from("<I", header, 140)
            first = ms if first is None else first
            last = ms
            position += 144 + packet_size
    return ((last - first) % (1 << 32)) / 1000 if first is not None else 0


def knows_time_cut(logtrim):
    """Whether this build of logtrim has -t: an older one takes the span
    for its log's name."""
    result = subprocess.run([logtrim, "-t", "0-", os.devnull + "/none"],
                            capture_output=True, text=True)
    return not result.stdout.startswith("Can't open file 0-")


def remove(path):
    if os.path.exists(path):
        os.remove(path)


def bench_size(size, rounds, tools, folder):
    make_test_log, floor = tools["make_test_log"], tools["two_pass_floor"]
    log = os.path.join(folder, "bench.sl2")
    copy = os.path.join(folder, "bench_0--1.sl2")  # logtrim's name for -c 0:-1
    rss_file = os.path.join(folder, "rss.txt")
    if subprocess.run([make_test_log, log, str(size)],
                      stdout=subprocess.DEVNULL).returncode != 0:
        sys.exit("make_test_log failed")
    log_bytes = os.path.getsize(log)
    seconds = log_seconds(log)
    middle = f"{int(seconds * 0.4)}-{int(seconds * 0.6)}"
    print(f"{size_label(size)}: {seconds:.1f} s of log; MIDDLE is -t {middle}")
    middle_copy = os.path.join(
        folder, f"bench_{time_name(int(seconds * 0.4))}-{time_name(int(seconds * 0.6))}.sl2")
    time_copy = os.path.join(folder, "bench_0m00s-end.sl2")

    # (name, logtrim's arguments, reference command and its output, file the
    # logtrim run leaves behind), for this build and the one before.
    floor_copy = os.path.join(folder, "floor_copy.sl2")
    pairs = []
    for label, logtrim in tools["logtrims"]:
        pairs += [
            (f"{label}summary / cat LOG >/dev/null", [logtrim, log],
             (["cat", log], os.devnull), None),
            (f"{label}-c 0:-1 / two-pass floor", [logtrim, "-c", "0:-1", log],
             ([floor, log, floor_copy], os.devnull), copy),
            (f"{label}-c 0:-1 -d s / two-pass floor",
             [logtrim, "-c", "0:-1", "-d", "s", log],
             ([floor, log, floor_copy], os.devnull), copy),
        ]
        if not knows_time_cut(logtrim):
            continue
        pairs += [
            (f"{label}-t MIDDLE -d s / two-pass floor",
             [logtrim, "-t", middle, "-d", "s", log],
             ([floor, log, floor_copy], os.devnull), middle_copy),
            (f"{label}-t 0- / two-pass floor", [logtrim, "-t", "0-", log],
             ([floor, log, floor_copy], os.devnull), time_copy),
            (f"{label}-t 0- / -c 0:-1", [logtrim, "-t", "0-", log],
             ([logtrim, "-c", "0:-1", log], os.devnull), time_copy),
        ]

    def run_pair(tool_argv, reference, leftover):
        tool = timed_run(tool_argv, os.devnull, rss_file)
        if leftover:
            remove(leftover)
        ref = timed_run(reference[0], reference[1], rss_file)
        if reference[1] != os.devnull:
            remove(reference[1])
        remove(floor_copy)
        remove(copy)
        return tool, ref

    # Warm the page cache and the binaries; these runs are not counted.
    timed_run(["cat", log], os.devnull, rss_file)
    for _, tool_argv, reference, leftover in pairs:
        run_pair(tool_argv, reference, leftover)

    rows = []
    for name, tool_argv, reference, leftover in pairs:
        tool_times, ref_times, ratios, rss = [], [], [], []
        for _ in range(rounds):
            (t, r), (c, _) = run_pair(tool_argv, reference, leftover)
            tool_times.append(t)
            ref_times.append(c)
            ratios.append(t / c)
            rss.append(r)
        tool_median = statistics.median(tool_times)
        rows.append((size, name, tool_median,
                     statistics.median(ref_times), statistics.median(ratios),
                     min(ratios), max(ratios), log_bytes / tool_median / 1e6,
                     max(rss)))
    remove(log)
    remove(rss_file)
    return rows


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("sizes", nargs="*", default=["256M", "1G"])
    parser.add_argument("--rounds", type=int, default=11)
    parser.add_argument("--build", default=os.path.join(REPO, "build", "bench"))
    parser.add_argument("--before")
    args = parser.parse_args()

    tools = {
        "make_test_log": os.path.join(args.build, "make_test_log"),
        "two_pass_floor": os.path.join(args.build, "bench", "two_pass_floor"),
        "logtrims": [("", os.path.join(args.build, "logtrim"))],
    }
    if args.before:
        tools["logtrims"].append(("before: ", os.path.join(args.before, "logtrim")))
    programs = [tools["make_test_log"], tools["two_pass_floor"], TIME]
    programs += [path for _, path in tools["logtrims"]]
    for program in programs:
        if not os.access(program, os.X_OK):
            sys.exit(f"{program} not found; build with "
                     "`cmake --workflow --preset bench` first")

    base = "/dev/shm" if os.path.isdir("/dev/shm") else None
    folder = tempfile.mkdtemp(prefix="logtrim_bench_", dir=base)
    print(f"logs in {folder}, {args.rounds} pairs per pass, "
          f"{os.cpu_count()} cores, load {os.getloadavg()[0]:.2f}")
    try:
        rows = []
        for size in args.sizes:
            rows += bench_size(parse_size(size), args.rounds, tools, folder)
    finally:
        shutil.rmtree(folder, ignore_errors=True)

    print()
    print("| log | logtrim / reference | logtrim s | reference s "
          "| ratio (median) | ratio min-max | MB/s | peak RSS |")
    print("|---|---|---:|---:|---:|---:|---:|---:|")
    for size, name, t, c, ratio, lo, hi, mbps, rss in rows:
        print(f"| {size_label(size)} | {name} | {t:.3f} | {c:.3f} | {ratio:.2f} "
              f"| {lo:.2f}-{hi:.2f} | {mbps:.0f} | {rss / 1024:.1f} MiB |")

    # Time should grow with size and no faster.
    smallest, largest = min(r[0] for r in rows), max(r[0] for r in rows)
    if largest > smallest:
        print(f"\n{size_label(largest)} against {size_label(smallest)} "
              f"({largest / smallest:.1f}x the bytes), median times:")
        for small in (r for r in rows if r[0] == smallest):
            large = next(r for r in rows if r[0] == largest and r[1] == small[1])
            print(f"  {small[1]}: {large[2] / small[2]:.2f}x")
    print(f"\nload after the run: {os.getloadavg()[0]:.2f}")


if __name__ == "__main__":
    main()
