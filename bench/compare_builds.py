#!/usr/bin/python3
"""Times benchmarks of two builds of vantor_bench against each other on a
shared, noisy host: each benchmark runs once in each build in turn, the
order swapped every round, and the shortest and the median run of each
build are compared. Neighbours on the host only ever add time, so the
shortest of many interleaved runs is the steadiest figure; the median says
how a typical run fared.

  bench/compare_builds.py OLD/bin/vantor_bench NEW/bin/vantor_bench \\
      [--rounds 15] [--min-time 0.2] [FILTER ...]

Each FILTER is a --benchmark_filter naming one benchmark (default: the
Model 4 runs of docs/accuracy.md's speed table). A benchmark one build lacks
is reported and skipped.
"""
import argparse
import json
import os
import statistics
import subprocess
import sys

DEFAULT = ["BM_TonicFiring/4$", "BM_TonicFiringLooseTolerance/4$", "BM_TonicFiringVOnly/4$",
           "BM_TonicFiringAllChannels/4$", "BM_DefaultRun/4$", "BM_DefaultRunLooseTolerance$"]
UNIT = {"s": 1e6, "ms": 1e3, "us": 1.0, "ns": 1e-3}


def once(binary, pattern, min_time):
    """Microseconds of one run of the benchmark, or None where it is missing."""
    out = subprocess.run([binary, "--benchmark_filter=" + pattern,
                          f"--benchmark_min_time={min_time}", "--benchmark_format=json"],
                         capture_output=True, text=True)
    if "Failed to match any benchmarks" in out.stderr:
        return None
    if out.returncode != 0 or not out.stdout.strip():
        sys.exit(f"{binary} failed: {out.stderr.strip()}")
    runs = json.loads(out.stdout).get("benchmarks", [])
    if not runs:
        return None
    if "error_message" in runs[0]:
        sys.exit(f"{binary} {pattern}: {runs[0]['error_message']}")
    return runs[0]["real_time"] * UNIT[runs[0]["time_unit"]]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("old")
    parser.add_argument("new")
    parser.add_argument("filters", nargs="*", default=DEFAULT)
    parser.add_argument("--rounds", type=int, default=15)
    parser.add_argument("--min-time", type=float, default=0.2)
    args = parser.parse_intermixed_args()
    if args.rounds < 1:
        sys.exit("--rounds must be at least 1")
    for binary in (args.old, args.new):
        if not (os.path.isfile(binary) and os.access(binary, os.X_OK)):
            sys.exit(f"{binary} is not an executable file")

    builds = (args.old, args.new)
    times = {(which, f): [] for which in (0, 1) for f in args.filters}
    missing = set()
    for round_ in range(args.rounds):
        for f in args.filters:
            if f in missing:
                continue
            for which in ((0, 1) if round_ % 2 == 0 else (1, 0)):
                t = once(builds[which], f, args.min_time)
                if t is None:
                    missing.add(f)
                    print(f"{f}: not in {builds[which]}, skipped", file=sys.stderr)
                    break
                times[(which, f)].append(t)

    print(f"{args.rounds} interleaved rounds; times in µs")
    print("| benchmark | before: shortest | median | now: shortest | median "
          "| ratio of shortest | of medians |")
    print("|---|---|---|---|---|---|---|")
    for f in args.filters:
        if f in missing:
            continue
        o, n = times[(0, f)], times[(1, f)]
        print(f"| {f.rstrip('$')} | {min(o):.1f} | {statistics.median(o):.1f} | {min(n):.1f} "
              f"| {statistics.median(n):.1f} | {min(n) / min(o):.3f} "
              f"| {statistics.median(n) / statistics.median(o):.3f} |")


if __name__ == "__main__":
    main()
