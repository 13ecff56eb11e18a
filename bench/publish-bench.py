#!/usr/bin/env python3
"""The ZIP output of a large wall against `zip -r -6` of the same folder: wall-clock time (best of
the rounds), CPU time and peak memory of each, and whether two runs of the ZIP output give the same
bytes. Usage: bench/publish-bench.py [--slides 500] [--rounds 3] [--build build]"""
import argparse
import filecmp
import os
import shutil
import subprocess
import sys
import tempfile
import time


def measure(command, cwd=None):
    """Runs a command; returns its wall-clock seconds, CPU seconds and peak memory in MiB."""
    start = time.perf_counter()
    child = subprocess.Popen(command, cwd=cwd, stderr=subprocess.DEVNULL, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    elapsed = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"failed: {' '.join(command)}")
    return elapsed, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024


def best(rounds, command, cwd=None, before=None):
    runs = []
    for _ in range(rounds):
        if before:
            before()
        runs.append(measure(command, cwd))
    return min(r[0] for r in runs), min(r[1] for r in runs), max(r[2] for r in runs)


def folder_size(folder):
    return sum(os.path.getsize(os.path.join(d, f)) for d, _, files in os.walk(folder) for f in files)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--slides", type=int, default=500)
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--build", default=os.path.join(os.path.dirname(__file__), "..", "build"))
    args = parser.parse_args()
    subprocess.run(["cmake", "--build", args.build, "--target", "publish_bench"], check=True,
                   stdout=subprocess.DEVNULL)
    tool = os.path.join(args.build, "bench", "publish", "publish_bench")

    scratch = tempfile.mkdtemp(prefix="murano-publish-bench-")
    try:
        work = os.path.join(scratch, "work")
        subprocess.run([tool, "wall", work, str(args.slides)], check=True, stderr=subprocess.DEVNULL)
        ours = os.path.join(scratch, "ours.zip")
        theirs = os.path.join(scratch, "theirs.zip")
        print(f"wall: {args.slides} slides of 960 x 720 with thumbnails, "
              f"{folder_size(work) / 2**20:.1f} MiB; {os.cpu_count()} cores; best of {args.rounds}")

        ours_time, ours_cpu, ours_mem = best(args.rounds, [tool, "zip", work, ours])
        first = os.path.join(scratch, "first.zip")
        shutil.copy(ours, first)
        measure([tool, "zip", work, ours])
        identical = filecmp.cmp(first, ours, shallow=False)

        def remove_theirs():
            if os.path.exists(theirs):
                os.remove(theirs)
        zip_time, zip_cpu, zip_mem = best(args.rounds, ["zip", "-q", "-r", "-6", theirs, ".", "-x", ".*"],
                                          cwd=work, before=remove_theirs)

        print(f"makeZip      {ours_time:6.2f} s  cpu {ours_cpu:6.2f} s  peak {ours_mem:6.1f} MiB  "
              f"archive {os.path.getsize(ours) / 2**20:.1f} MiB")
        print(f"zip -r -6    {zip_time:6.2f} s  cpu {zip_cpu:6.2f} s  peak {zip_mem:6.1f} MiB  "
              f"archive {os.path.getsize(theirs) / 2**20:.1f} MiB")
        print(f"speed-up     {zip_time / ours_time:.2f} x")
        print(f"same bytes on a second run: {'yes' if identical else 'NO'}")
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    main()
