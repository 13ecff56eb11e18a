#!/usr/bin/env python3
"""Benchmark of the warm office instance: lantrel borrowing an instance kept warm (by the same
WarmOffice class murano uses, in the test host program), against a cold lantrel that starts its
own office, and against the office suite's own command line (soffice --convert-to pdf, then
pdftoppm at 96 dpi), on decks of 1, 12 and 40 slides. Prints the wall times and the machine's
load average, which the figures depend on.

    bench/warm_bench.py [--build build] [--rounds 3] [--slides 1 12 40]
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

from export_bench import SOURCE, make_deck, run_baseline


def start_warm_host(host):
    """Starts the host and waits until its instance answers; returns the process and pipe."""
    process = subprocess.Popen([host], stdout=subprocess.PIPE, text=True)
    words = process.stdout.readline().split()
    if len(words) != 3 or words[0] != "warm":
        sys.exit("the warm instance did not start")
    pipe_file = f"/tmp/OSL_PIPE_{os.getuid()}_{words[2]}"
    deadline = time.monotonic() + 120
    while not os.path.exists(pipe_file):
        if time.monotonic() > deadline:
            sys.exit("the warm instance does not answer")
        time.sleep(0.05)
    return process, words[2]


def timed_rounds(label, rounds, run):
    times = [run(round_number) for round_number in range(1, rounds + 1)]
    print(f"  {label:<38} mean {statistics.mean(times):5.2f} s, best {min(times):5.2f} s")
    return statistics.mean(times)


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default=os.path.join(SOURCE, "build"))
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--slides", type=int, nargs="+", default=[1, 12, 40])
    args = parser.parse_args()
    lantrel = os.path.join(args.build, "bin", "lantrel")
    host, pipe = start_warm_host(os.path.join(args.build, "tests", "warm_office_host"))
    work = tempfile.mkdtemp(prefix="warm-bench-")
    try:
        print("load average before: %.2f %.2f %.2f" % os.getloadavg())
        for slides in args.slides:
            folder = os.path.join(work, str(slides))
            os.makedirs(folder)
            deck = make_deck(folder, slides)
            profile = os.path.join(folder, "baseline-profile")
            run_baseline(folder, deck, profile)  # builds the baseline's profile, not timed

            def lantrel_run(environment, name):
                def run(round_number):
                    output = os.path.join(folder, f"{name}{round_number}", "deck.jpg")
                    os.makedirs(os.path.dirname(output))
                    start = time.monotonic()
                    status = subprocess.run([lantrel, deck, output], stdout=subprocess.DEVNULL,
                                            env=dict(os.environ, **environment)).returncode
                    if status != slides % 256:
                        sys.exit(f"lantrel exported {status} files instead of {slides}")
                    return time.monotonic() - start
                return run

            def baseline(round_number):
                out = os.path.join(folder, f"baseline{round_number}")
                os.makedirs(out)
                return run_baseline(out, deck, profile)

            print(f"{slides} slides to JPEG, {args.rounds} rounds:")
            warm = timed_rounds("lantrel, warm instance", args.rounds,
                                lantrel_run({"MURANO_OFFICE": pipe}, "warm"))
            cold = timed_rounds("lantrel, own instance (cold)", args.rounds, lantrel_run({}, "cold"))
            theirs = timed_rounds("soffice --convert-to pdf + pdftoppm", args.rounds, baseline)
            print(f"  warm is {cold / warm:.1f}x faster than cold, {theirs / warm:.1f}x faster "
                  f"than the office suite's command line")
        print("load average after: %.2f %.2f %.2f" % os.getloadavg())
    finally:
        host.terminate()
        host.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
