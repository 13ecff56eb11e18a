#!/usr/bin/env python3
"""Benchmark of the converter's slide export: a 40-slide deck to JPEG with lantrel, against the
office suite's own command-line PDF conversion followed by pdftoppm at 96 dpi, run back to back
for several rounds. Prints the wall times, their ratio and lantrel's own peak memory (the office
processes it starts are not counted).

    bench/export_bench.py [--lantrel build/bin/lantrel] [--rounds 3] [--slides 40]
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(HERE)


def make_deck(folder, slides):
    fodp = os.path.join(folder, "bench.fodp")
    subprocess.run([sys.executable, os.path.join(SOURCE, "samples", "make-deck.py"), fodp,
                    "--slides", str(slides)], check=True)
    subprocess.run(["soffice", "-env:UserInstallation=file://" + os.path.join(folder, "make-profile"),
                    "--headless", "--norestore", "--convert-to", "pptx", "--outdir", folder, fodp],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return os.path.join(folder, "bench.pptx")


def peak_memory_kib(pid):
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def run_lantrel(lantrel, deck, output):
    """Wall time in seconds and the exported file count (the exit status)."""
    start = time.monotonic()
    status = subprocess.run([lantrel, deck, output], stdout=subprocess.DEVNULL).returncode
    return time.monotonic() - start, status


def lantrel_peak_memory(lantrel, deck, output):
    """Peak resident memory of lantrel itself in KiB, sampled in a run of its own (sampling
    costs processor time that would otherwise distort the timed rounds)."""
    process = subprocess.Popen([lantrel, deck, output], stdout=subprocess.DEVNULL)
    peak = 0
    while process.poll() is None:
        peak = max(peak, peak_memory_kib(process.pid))
        time.sleep(0.005)
    return peak


def run_baseline(folder, deck, profile):
    start = time.monotonic()
    subprocess.run(["soffice", "-env:UserInstallation=file://" + profile, "--headless",
                    "--norestore", "--convert-to", "pdf", "--outdir", folder, deck],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    pdf = os.path.join(folder, os.path.splitext(os.path.basename(deck))[0] + ".pdf")
    subprocess.run(["pdftoppm", "-jpeg", "-r", "96", pdf, os.path.join(folder, "page")],
                   check=True)
    return time.monotonic() - start


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--lantrel", default=os.path.join(SOURCE, "build", "bin", "lantrel"))
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--slides", type=int, default=40)
    args = parser.parse_args()

    work = tempfile.mkdtemp(prefix="export-bench-")
    try:
        deck = make_deck(work, args.slides)
        profile = os.path.join(work, "baseline-profile")
        # The baseline runs with a profile that already exists, as a user's office suite does;
        # its first start (which builds the profile) is not timed.
        os.makedirs(os.path.join(work, "warm"))
        os.makedirs(os.path.join(work, "memory"))
        run_baseline(os.path.join(work, "warm"), deck, profile)

        ours, theirs = [], []
        for round_number in range(1, args.rounds + 1):
            out = os.path.join(work, f"round{round_number}")
            os.makedirs(out)
            seconds, status = run_lantrel(args.lantrel, deck, os.path.join(out, "deck.jpg"))
            if status != args.slides:
                sys.exit(f"lantrel exported {status} files instead of {args.slides}")
            baseline = run_baseline(out, deck, profile)
            ours.append(seconds)
            theirs.append(baseline)
            print(f"round {round_number}: lantrel {seconds:.2f} s, "
                  f"soffice --convert-to pdf + pdftoppm {baseline:.2f} s")
        peak = lantrel_peak_memory(args.lantrel, deck, os.path.join(work, "memory", "deck.jpg"))

        mean_ours, mean_theirs = statistics.mean(ours), statistics.mean(theirs)
        print(f"{args.slides} slides to JPEG, {args.rounds} rounds")
        print(f"lantrel:  mean {mean_ours:.2f} s, best {min(ours):.2f} s")
        print(f"baseline: mean {mean_theirs:.2f} s, best {min(theirs):.2f} s")
        print(f"ratio (lantrel / baseline, means): {mean_ours / mean_theirs:.2f} (target <= 1.00)")
        print(f"lantrel peak memory: {peak / 1024:.1f} MiB (target < 100 MiB)")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
