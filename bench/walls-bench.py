#!/usr/bin/env python3
"""murano walls against the loop it replaces: DECKS generated decks of SLIDES slides published as
ZIPs, side by side in one run: the loop of `murano import` + `murano publish zip` per deck (two
processes and a cold office start each), then ROUNDS rounds of `murano walls --jobs 1` and
`murano walls --jobs 2` in turn (medians compared, so that a burst of load on a shared machine
does not decide the figure). Then
a long run of LONG decks (the same decks over again) on the pool, with the pool's resident memory
as the report gives it after every deck, so that recycling shows.

    bench/walls-bench.py [--decks 20] [--slides 12] [--rounds 3] [--long 200] [--build build]
"""
import argparse
import json
import os
import runpy
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
import types

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def batch_bench():
    """The deck generator and the timed runner of the batch bench, which this one shares."""
    return types.SimpleNamespace(**runpy.run_path(os.path.join(ROOT, "bench", "batch-bench.py")))


def loop(murano, decks, scratch, env, timed):
    out = os.path.join(scratch, "loop-out")
    start = time.monotonic()
    for n, deck in enumerate(decks, 1):
        wall = os.path.join(scratch, "loop-walls", f"deck{n}")
        timed([murano, "--work", wall, "import", deck], env)
        timed([murano, "--work", wall, "publish", "zip", "--output", out, "--name", f"deck{n}",
               "--overwrite"], env)
    return time.monotonic() - start


def walls(murano, folder, out, env, jobs, report, extra=()):
    start = time.monotonic()
    ended = subprocess.run([murano, "walls", folder, "--output", out, "--as", "zip", "--jobs",
                            str(jobs), "--report", report, "--overwrite", *extra], env=env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    seconds = time.monotonic() - start
    if ended.returncode != 0:
        sys.exit(f"murano walls --jobs {jobs} ended with {ended.returncode}")
    with open(report) as file:
        return seconds, json.load(file)


def megabytes(count):
    return f"{count / 1048576:.0f} MB"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--decks", type=int, default=20)
    parser.add_argument("--slides", type=int, default=12)
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--long", type=int, default=200)
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    args = parser.parse_args()
    murano = os.path.join(args.build, "bin", "murano")
    batch = batch_bench()

    with tempfile.TemporaryDirectory(prefix="murano-walls-bench-") as scratch:
        decks = batch.make_decks(scratch, args.decks, args.slides)
        folder = os.path.join(scratch, "decks")
        os.makedirs(folder)
        for deck in decks:
            shutil.copy(deck, folder)
        env = dict(os.environ, XDG_STATE_HOME=os.path.join(scratch, "state"))
        env.pop("DISPLAY", None)
        report = os.path.join(scratch, "report.json")
        print(f"walls bench: {args.decks} decks of {args.slides} slides, "
              f"load average {os.getloadavg()[0]:.1f} at the start")
        looped = loop(murano, decks, scratch, env, batch.timed)
        print(f"loop of import + publish zip: {looped:.1f} s "
              f"({looped / args.decks:.2f} s per deck)")
        ones, twos = [], []
        for round in range(1, args.rounds + 1):
            ones.append(walls(murano, folder, os.path.join(scratch, "one"), env, 1, report)[0])
            twos.append(walls(murano, folder, os.path.join(scratch, "two"), env, 2, report)[0])
            print(f"round {round}: walls --jobs 1 {ones[-1]:.1f} s, --jobs 2 {twos[-1]:.1f} s, "
                  f"load average {os.getloadavg()[0]:.1f}")
        one, two = statistics.median(ones), statistics.median(twos)
        print(f"walls --jobs 1 (median):      {one:.1f} s ({one / args.decks:.2f} s per deck)")
        print(f"walls --jobs 2 (median):      {two:.1f} s ({two / args.decks:.2f} s per deck)")
        print(f"walls --jobs 2 against the loop: {looped / two:.1f}x (target: 4x or more)")
        print(f"--jobs 2 against --jobs 1:       {one / two:.2f}x (target: 1.5x or more)")

        if args.long:
            many = os.path.join(scratch, "many")
            os.makedirs(many)
            for n in range(args.long):
                os.link(decks[n % len(decks)], os.path.join(many, f"deck{n:04d}.pptx"))
            seconds, long_report = walls(murano, many, os.path.join(scratch, "long"), env, 2,
                                         report)
            memory = [deck["officeMemory"] for deck in long_report["decks"]]
            marks = sorted({0, len(memory) // 4, len(memory) // 2, 3 * len(memory) // 4,
                            len(memory) - 1})
            print(f"long run: {args.long} decks in {seconds:.0f} s, "
                  f"{long_report['officeInstancesReplaced']} instances replaced; pool memory "
                  f"after deck " + ", ".join(f"{n + 1}: {megabytes(memory[n])}" for n in marks) +
                  f"; most {megabytes(long_report['officeMemory']['most'])}")
        print(f"load average {os.getloadavg()[0]:.1f} at the end")


if __name__ == "__main__":
    main()
