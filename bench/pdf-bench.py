#!/usr/bin/env python3
"""PDF import against pdftoppm, side by side in one run: `murano import deck.pdf` (every page's
JPEG and thumbnail written into a wall, the index and words too) against `pdftoppm -jpeg` making
the same full-size JPEGs alone (96 dpi, quality 90, one process, as it runs). The PDF is a deck of
generated slides that LibreOffice exports, as users' PDFs of slides often are.

With --instructions N, each side also runs once under valgrind's callgrind on an N-page PDF and
the instructions both execute are compared: a CPU ratio that the machine's load does not move
(valgrind runs the workers one at a time, so it counts work, not contention).

Usage: bench/pdf-bench.py [--pages 100] [--rounds 3] [--instructions 20]
       (builds murano into build/ first)
"""
import argparse
import os
import re
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from datetime import datetime, timezone

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.environ.get("BUILD_DIR", os.path.join(ROOT, "build"))


def make_pdf(folder, pages):
    fodp = os.path.join(folder, "deck.fodp")
    subprocess.run([sys.executable, os.path.join(ROOT, "samples", "make-deck.py"), fodp,
                    "--slides", str(pages)], check=True)
    subprocess.run(["soffice", f"-env:UserInstallation=file://{folder}/profile", "--headless",
                    "--norestore", "--convert-to", "pdf", "--outdir", folder, fodp],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return os.path.join(folder, "deck.pdf")


def children_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def timed(command, env=None):
    """Wall-clock seconds and CPU seconds (user + system) of one run."""
    cpu = children_cpu()
    start = time.perf_counter()
    subprocess.run(command, check=True, env=env, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    return time.perf_counter() - start, children_cpu() - cpu


def instructions(command, scratch, env=None):
    """Instructions executed by a run under callgrind (its "I refs" total)."""
    out = os.path.join(scratch, "callgrind.out")
    result = subprocess.run(["valgrind", "--tool=callgrind", f"--callgrind-out-file={out}"]
                            + command, check=True, env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, text=True)
    return int(re.search(r"I\s+refs:\s+([\d,]+)", result.stderr).group(1).replace(",", ""))


def compare_instructions(murano, pages, env):
    with tempfile.TemporaryDirectory(prefix="pdf-bench-ir-") as scratch:
        pdf = make_pdf(scratch, pages)
        images = os.path.join(scratch, "pdftoppm")
        os.makedirs(images)
        ours = instructions([murano, "--work", os.path.join(scratch, "wall"), "import", pdf],
                            scratch, env)
        theirs = instructions(["pdftoppm", "-jpeg", "-r", "96", "-jpegopt", "quality=90", pdf,
                               os.path.join(images, "page")], scratch)
        print(f"instructions    {pages} pages: murano {ours / 1e6:.0f} M, pdftoppm "
              f"{theirs / 1e6:.0f} M, ratio {ours / theirs:.2f} (callgrind)")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--pages", type=int, default=100)
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--instructions", type=int, default=0, metavar="PAGES",
                        help="also count both sides' instructions under callgrind")
    options = parser.parse_args()
    subprocess.run(["cmake", "--build", BUILD, "--target", "murano", "murano_flash_template"],
                   check=True, stdout=subprocess.DEVNULL)
    murano = os.path.join(BUILD, "bin", "murano")
    with tempfile.TemporaryDirectory(prefix="pdf-bench-") as scratch:
        pdf = make_pdf(scratch, options.pages)
        env = dict(os.environ, XDG_STATE_HOME=os.path.join(scratch, "state"),
                   XDG_DATA_HOME=os.path.join(scratch, "state", "data"))
        env.pop("DISPLAY", None)
        wall = os.path.join(scratch, "wall")
        images = os.path.join(scratch, "pdftoppm")
        import_command = [murano, "--work", wall, "import", pdf]
        pdftoppm_command = ["pdftoppm", "-jpeg", "-r", "96", "-jpegopt", "quality=90", pdf,
                            os.path.join(images, "page")]
        ours, theirs = [], []
        # Each side writes into an empty destination, emptied outside the timing: a new wall for
        # murano, a new folder for pdftoppm (a re-import would also time the old wall's removal).
        for _ in range(options.rounds):
            shutil.rmtree(images, ignore_errors=True)
            os.makedirs(images)
            theirs.append(timed(pdftoppm_command))
            shutil.rmtree(wall, ignore_errors=True)
            ours.append(timed(import_command, env))
        written = len(os.listdir(os.path.join(wall, "wallimages", "thumbs")))
        if written != options.pages or len(os.listdir(images)) != options.pages:
            sys.exit(f"expected {options.pages} pages, the wall has {written}")
        load = open("/proc/loadavg").read().split()[:3]
        print(f"date            {datetime.now(timezone.utc):%Y-%m-%d %H:%M} UTC")
        print(f"machine         {os.cpu_count()} cores, load average {' '.join(load)}")
        print(f"PDF             {options.pages} pages from LibreOffice, "
              f"{os.path.getsize(pdf) // 1024} KB; median of {options.rounds} rounds")
        ours_s, ours_cpu = statistics.median(t for t, _ in ours), statistics.median(c for _, c in ours)
        theirs_s, theirs_cpu = (statistics.median(t for t, _ in theirs),
                                statistics.median(c for _, c in theirs))
        print(f"murano import   {ours_s:6.2f} s  cpu {ours_cpu:5.2f} s   "
              "(images, thumbnails, index, words)")
        print(f"pdftoppm -jpeg  {theirs_s:6.2f} s  cpu {theirs_cpu:5.2f} s   "
              "(full-size images only, -r 96 -jpegopt quality=90)")
        print(f"speed-up        {theirs_s / ours_s:6.2f} x   (cpu ratio {ours_cpu / theirs_cpu:.2f})")
        if options.instructions:
            compare_instructions(murano, options.instructions, env)

if __name__ == "__main__":
    main()
