#!/usr/bin/env python3
"""Benchmark of reading the deck's words: lantrel exporting a deck's slides to JPEG through a warm
office instance (as murano's import runs it), without and with -words, on decks of 12 and 120
slides. The runs alternate within each round, so both sides see the same machine load; prints the
mean and best wall times, the words' added share, the time lantrel itself reports for reading
and writing the words (its -debug line, which the machine's load stretches less than the whole
run) and the load average.

    bench/words_bench.py [--build build] [--rounds 5] [--slides 12 120]
"""
import argparse
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

from export_bench import SOURCE, make_deck
from warm_bench import start_warm_host


def timed_export(lantrel, deck, output, slides, pipe, words, reading=None):
    """The run's wall time; appends the words' own time, in seconds, to `reading`."""
    os.makedirs(os.path.dirname(output))
    command = [lantrel, "-debug", deck, output] + (["-words", output + ".json"] if words else [])
    start = time.monotonic()
    run = subprocess.run(command, stdout=subprocess.PIPE, text=True,
                         env=dict(os.environ, MURANO_OFFICE=pipe))
    elapsed = time.monotonic() - start
    status = run.returncode
    found = re.search(r"Read the slides' words in (\d+)ms", run.stdout)
    if reading is not None and found:
        reading.append(int(found.group(1)) / 1000)
    if status != slides % 256:
        sys.exit(f"lantrel exported {status} files instead of {slides}")
    if words and not os.path.getsize(output + ".json"):
        sys.exit("lantrel wrote no words")
    return elapsed


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default=os.path.join(SOURCE, "build"))
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--slides", type=int, nargs="+", default=[12, 120])
    args = parser.parse_args()
    lantrel = os.path.join(args.build, "bin", "lantrel")
    host, pipe = start_warm_host(os.path.join(args.build, "tests", "warm_office_host"))
    work = tempfile.mkdtemp(prefix="words-bench-")
    try:
        print(time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime()))
        print("load average before: %.2f %.2f %.2f" % os.getloadavg())
        for slides in args.slides:
            folder = os.path.join(work, str(slides))
            os.makedirs(folder)
            deck = make_deck(folder, slides)
            timed_export(lantrel, deck, os.path.join(folder, "warmup", "deck.jpg"), slides, pipe,
                         True)  # the first load of a deck is not timed
            times = {False: [], True: []}
            reading = []
            for round_number in range(args.rounds):
                for words in (False, True):
                    output = os.path.join(folder, f"{words}{round_number}", "deck.jpg")
                    times[words].append(
                        timed_export(lantrel, deck, output, slides, pipe, words, reading))
            plain, read = statistics.mean(times[False]), statistics.mean(times[True])
            print(f"{slides} slides to JPEG, warm, {args.rounds} rounds:")
            print(f"  without -words  mean {plain:6.2f} s, best {min(times[False]):6.2f} s")
            print(f"  with -words     mean {read:6.2f} s, best {min(times[True]):6.2f} s")
            print(f"  the words add {100 * (read - plain) / plain:+.1f} % (mean), "
                  f"{100 * (min(times[True]) - min(times[False])) / min(times[False]):+.1f} % "
                  f"(best)")
            print(f"  reading the words: mean {statistics.mean(reading):6.3f} s, "
                  f"{100 * statistics.mean(reading) / plain:.1f} % of the run without them")
        print("load average after: %.2f %.2f %.2f" % os.getloadavg())
    finally:
        host.terminate()
        host.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
