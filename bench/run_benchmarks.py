#!/usr/bin/env python3
"""Speed and memory of quorvel on generated nodelist pairs.

Builds the Release configuration, generates pairs of 10,000, 100,000 and
1,000,000 entries once (seeded, so the same bytes every time), and prints for
each size the median wall time and peak resident memory of quorvel, of
`cat OLD NEW > /dev/null` (the floor: reading the bytes once) and of GNU
`diff OLD NEW > /dev/null`, their ratios and quorvel's input bytes per second.
Then the instructions per input byte of one quorvel run on the 100,000-entry
pair under callgrind, and the lookup microbenchmark on the real world lists.
Asserts nothing: it prints figures.

    python3 bench/run_benchmarks.py [--runs N] [--sizes 10000,100000] [--work DIR]
"""

import argparse
import re
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
BUILD = ROOT / "build" / "release"


def measure(argv, stdout=subprocess.DEVNULL):
    """Wall seconds and peak resident KiB of one run of argv.

    The memory comes from GNU time, a small C program: a child forked from
    Python itself would be charged Python's own resident pages.
    """
    with tempfile.NamedTemporaryFile("r") as peak:
        start = time.perf_counter()
        child = subprocess.run(["/usr/bin/time", "-o", peak.name, "-f", "%M"] + argv,
                               stdout=stdout, stderr=subprocess.DEVNULL)
        elapsed = time.perf_counter() - start
        if child.returncode not in (0, 1):  # diff exits 1 on differences
            sys.exit(f"{argv[0]} failed with status {child.returncode}")
        return elapsed, int(peak.read().split()[-1])


def median_of(runs, argv, stdout=subprocess.DEVNULL):
    results = [measure(argv, stdout) for _ in range(runs)]
    return statistics.median(r[0] for r in results), statistics.median(r[1] for r in results)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--sizes", default="10000,100000,1000000")
    parser.add_argument("--work", default=str(ROOT / "build" / "bench-work"))
    args = parser.parse_args()

    subprocess.run(["cmake", "--workflow", "--preset", "release"], cwd=ROOT, check=True,
                   stdout=subprocess.DEVNULL)
    quorvel = BUILD / "quorvel"
    generate = BUILD / "bench" / "quorvel_generate"
    work = Path(args.work)
    work.mkdir(parents=True, exist_ok=True)

    sizes = [int(s) for s in args.sizes.split(",")]
    pairs = {}
    for size in sizes:
        old, new, changes = (work / f"{kind}-{size}" for kind in ("old", "new", "changes"))
        if not old.exists():
            subprocess.run([str(generate), "1", str(size), old, new, changes], check=True)
        pairs[size] = (old, new)

    print(f"median of {args.runs} runs; times in seconds, memory as peak resident MiB")
    print(f"{'entries':>9} {'input MB':>9} | {'quorvel':>8} {'MiB':>6} | {'cat':>7} {'MiB':>5} |"
          f" {'diff':>7} {'MiB':>6} | {'q/cat':>6} {'q/diff':>6} {'MB/s':>6} {'old+16':>7}")
    times = {}
    for size, (old, new) in pairs.items():
        input_bytes = old.stat().st_size + new.stat().st_size
        report = work / f"report-{size}"
        q_time, q_rss = median_of(args.runs, [str(quorvel), str(old), str(new), str(report)])
        c_time, c_rss = median_of(args.runs, ["cat", str(old), str(new)])
        d_time, d_rss = median_of(max(3, args.runs // 2), ["diff", str(old), str(new)])
        times[size] = q_time
        budget = old.stat().st_size / 2**20 + 16
        print(f"{size:>9} {input_bytes / 1e6:>9.1f} | {q_time:>8.3f} {q_rss / 1024:>6.1f} |"
              f" {c_time:>7.3f} {c_rss / 1024:>5.1f} | {d_time:>7.3f} {d_rss / 1024:>6.1f} |"
              f" {q_time / c_time:>6.1f} {q_time / d_time:>6.3f} {input_bytes / q_time / 1e6:>6.0f}"
              f" {budget:>7.1f}")
    for small, large in zip(sizes, sizes[1:]):
        print(f"growth {small} -> {large} entries: time x{times[large] / times[small]:.1f}"
              f" for x{large / small:.0f} the entries")

    if 100000 in pairs:
        old, new = pairs[100000]
        input_bytes = old.stat().st_size + new.stat().st_size
        result = subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=/dev/null",
                                 str(quorvel), str(old), str(new), str(work / "report-callgrind")],
                                capture_output=True, text=True)
        found = re.search(r"Collected : (\d+)", result.stderr)
        if found:
            instructions = int(found.group(1))
            print(f"callgrind, 100000-entry pair: {instructions:,} instructions,"
                  f" {instructions / input_bytes:.2f} per input byte")
        else:
            print("callgrind: not available (install valgrind)")

    lookup = BUILD / "bench" / "quorvel_lookup_bench"
    if not lookup.exists():
        print("lookup benchmark: not built (install libbenchmark-dev)")
    elif not (ROOT.parent / "shared" / "testdata" / "real").is_dir():
        print("lookup benchmark: skipped, ../shared/testdata/real is absent")
    else:
        subprocess.run([str(lookup), "--benchmark_counters_tabular=true"], check=True)


if __name__ == "__main__":
    main()
