#!/usr/bin/env python3
"""Batch mode against the converter alone: DECKS generated decks of SLIDES slides (made like the
tests' decks) turned into published ZIPs by a loop over murano (import, then publish zip), each
deck on a wall folder of its own, and the same decks through lantrel alone with the command line
murano gives it. The two alternate deck by deck, so that both see the same load. Prints seconds
per deck and the share of murano's time that is not the converter's.

    bench/batch-bench.py [--decks 20] [--slides 12] [--build build]   (build murano and lantrel first)
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def timed(command, env, status=0):
    """Runs a command and returns its time; the converter's status is its image count."""
    start = time.monotonic()
    ended = subprocess.run(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if ended.returncode != status:
        sys.exit(f"{' '.join(command)} ended with {ended.returncode}")
    return time.monotonic() - start


def make_decks(folder, count, slides):
    sources = []
    for n in range(1, count + 1):
        source = os.path.join(folder, f"deck{n}.fodp")
        subprocess.run([sys.executable, os.path.join(ROOT, "samples", "make-deck.py"), source,
                        "--slides", str(slides)], check=True)
        sources.append(source)
    subprocess.run(["soffice", f"-env:UserInstallation=file://{folder}/profile", "--headless",
                    "--norestore", "--convert-to", "pptx", "--outdir", folder] + sources,
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return [source[:-len(".fodp")] + ".pptx" for source in sources]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--decks", type=int, default=20)
    parser.add_argument("--slides", type=int, default=12)
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    args = parser.parse_args()
    murano = os.path.join(args.build, "bin", "murano")
    lantrel = os.path.join(args.build, "bin", "lantrel.dll")

    with tempfile.TemporaryDirectory(prefix="murano-batch-bench-") as scratch:
        decks = make_decks(scratch, args.decks, args.slides)
        env = dict(os.environ, XDG_STATE_HOME=os.path.join(scratch, "state"))
        env.pop("DISPLAY", None)
        out = os.path.join(scratch, "out")
        os.makedirs(os.path.join(scratch, "lantrel"))
        print(f"batch bench: {args.decks} decks of {args.slides} slides, "
              f"load average {os.getloadavg()[0]:.1f} at the start")
        converter, imports, publishes = [], [], []
        for n, deck in enumerate(decks, 1):
            wall = os.path.join(scratch, "walls", f"deck{n}")
            converter.append(timed([lantrel, "-debug", "-call", deck,
                                    os.path.join(scratch, "lantrel", f"deck{n}.laq.jpg")], env,
                                   args.slides))
            imports.append(timed([murano, "--work", wall, "import", deck], env))
            publishes.append(timed([murano, "--work", wall, "publish", "zip", "--output", out,
                                    "--name", f"deck{n}"], env))
            print(f"deck {n:2d}: lantrel {converter[-1]:.2f} s, murano import "
                  f"{imports[-1]:.2f} s + publish zip {publishes[-1]:.2f} s")
        batch = [i + p for i, p in zip(imports, publishes)]
        overhead = 100 * (sum(batch) - sum(converter)) / sum(batch)
        print(f"load average {os.getloadavg()[0]:.1f} at the end")
        print(f"murano import + publish zip: {statistics.mean(batch):.2f} s per deck "
              f"(median {statistics.median(batch):.2f}; import {statistics.mean(imports):.2f}, "
              f"publish {statistics.mean(publishes):.2f})")
        print(f"lantrel alone:               {statistics.mean(converter):.2f} s per deck "
              f"(median {statistics.median(converter):.2f})")
        print(f"batch overhead (all but the converter): {overhead:.1f} % of murano's time "
              f"(target: under 15 %)")


if __name__ == "__main__":
    main()
