#!/usr/bin/env python3
"""Speed and memory of quorvel on generated nodelist pairs and the real world lists.

Builds the Release configuration, generates seeded pairs of 10,000, 100,000
and 1,000,000 entries once (the same bytes every time), and prints, as
medians over repeated runs:
- for each pair and for the real 1996/1997 world pair: the wall time and peak
  resident memory of quorvel beside `cat OLD NEW > /dev/null` (the floor:
  reading the bytes once) and GNU `diff OLD NEW > /dev/null` (what a keeper
  might use instead), their ratios, and the memory budget (old list + 16 MiB);
- the process start-up alone: `quorvel` without arguments against `true`;
- how the time grows from one size to the next;
- the instructions per input byte of one run on the 100,000-entry pair under
  callgrind (counted, so the same on a busy machine);
- the lookup microbenchmark on the real world lists.
With --baseline PATH, every quorvel figure is measured for that program too
and printed beside it as "before". Asserts nothing: it prints figures.

    python3 bench/run_benchmarks.py [--runs N] [--sizes 10000,100000] [--baseline OLD-QUORVEL]
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
REAL = ROOT.parent / "shared" / "testdata" / "real"
WORLD = (REAL / "fidonet-world-1996-362.NODELIST.362",
         REAL / "fidonet-world-1997-003.NODELIST.003.rebuilt-crlf")


def measure(argv, allowed=(0, 1)):
    """Wall seconds and peak resident KiB of one run of argv.

    The memory comes from GNU time, a small C program: a child forked from
    Python itself would be charged Python's own resident pages.
    """
    with tempfile.NamedTemporaryFile("r") as peak:
        start = time.perf_counter()
        child = subprocess.run(["/usr/bin/time", "-o", peak.name, "-f", "%M"] + argv,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        elapsed = time.perf_counter() - start
        if child.returncode not in allowed:  # diff exits 1 on differences
            sys.exit(f"{argv[0]} failed with status {child.returncode}")
        return elapsed, int(peak.read().split()[-1])


def median_of(runs, argv, allowed=(0, 1)):
    results = [measure(argv, allowed) for _ in range(runs)]
    return statistics.median(r[0] for r in results), statistics.median(r[1] for r in results)


def instructions(program, old, new, report):
    result = subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=/dev/null",
                             str(program), str(old), str(new), str(report)],
                            capture_output=True, text=True)
    found = re.search(r"Collected : (\d+)", result.stderr)
    return int(found.group(1)) if found else None


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--sizes", default="10000,100000,1000000")
    parser.add_argument("--work", default=str(ROOT / "build" / "bench-work"))
    parser.add_argument("--baseline", help="another quorvel to measure beside this one")
    args = parser.parse_args()

    subprocess.run(["cmake", "--workflow", "--preset", "release"], cwd=ROOT, check=True,
                   stdout=subprocess.DEVNULL)
    programs = {"quorvel": BUILD / "quorvel"}
    if args.baseline:
        programs["before"] = Path(args.baseline).resolve()
    generate = BUILD / "bench" / "quorvel_generate"
    work = Path(args.work)
    work.mkdir(parents=True, exist_ok=True)

    sizes = [int(s) for s in args.sizes.split(",")]
    pairs = {}
    for size in sizes:
        old, new, changes = (work / f"{kind}-{size}" for kind in ("old", "new", "changes"))
        if not old.exists():
            subprocess.run([str(generate), "1", str(size), old, new, changes], check=True)
        pairs[f"{size} entries"] = (old, new)
    if all(path.exists() for path in WORLD):
        pairs["world 1996/97"] = WORLD
    else:
        print(f"world pair: skipped, {REAL} is absent")

    print(f"median of {args.runs} runs; times in seconds, memory as peak resident MiB")
    print(f"{'pair':>15} {'input MB':>8} | {'program':>8} {'time':>7} {'MiB':>6} | {'cat':>7} |"
          f" {'diff':>7} {'MiB':>6} | {'x cat':>6} {'x diff':>6} {'MB/s':>6} {'old+16':>7}")
    times = {}
    for name, (old, new) in pairs.items():
        input_bytes = old.stat().st_size + new.stat().st_size
        budget = old.stat().st_size / 2**20 + 16
        c_time, _ = median_of(args.runs, ["cat", str(old), str(new)])
        d_time, d_rss = median_of(max(3, args.runs // 2), ["diff", str(old), str(new)])
        for label, program in programs.items():
            report = work / f"report-{label}"
            q_time, q_rss = median_of(args.runs, [str(program), str(old), str(new), str(report)])
            times[(label, name)] = q_time
            print(f"{name:>15} {input_bytes / 1e6:>8.1f} | {label:>8} {q_time:>7.3f} {q_rss / 1024:>6.1f} |"
                  f" {c_time:>7.4f} | {d_time:>7.3f} {d_rss / 1024:>6.1f} |"
                  f" {q_time / c_time:>6.1f} {q_time / d_time:>6.3f} {input_bytes / q_time / 1e6:>6.0f}"
                  f" {budget:>7.1f}")

    t_time, _ = median_of(args.runs * 3, ["true"])
    for label, program in programs.items():
        s_time, _ = median_of(args.runs * 3, [str(program)], allowed=(1,))
        print(f"start-up: {label} without arguments {s_time * 1000:.1f} ms, `true` {t_time * 1000:.1f} ms")

    for label in programs:
        for small, large in zip(sizes, sizes[1:]):
            ratio = times[(label, f"{large} entries")] / times[(label, f"{small} entries")]
            print(f"growth, {label}: {small} -> {large} entries: time x{ratio:.1f}"
                  f" for x{large / small:.0f} the entries")

    if "100000 entries" in pairs:
        old, new = pairs["100000 entries"]
        input_bytes = old.stat().st_size + new.stat().st_size
        for label, program in programs.items():
            counted = instructions(program, old, new, work / "report-callgrind")
            if counted is None:
                print("callgrind: not available (install valgrind)")
                break
            print(f"callgrind, 100000-entry pair, {label}: {counted:,} instructions,"
                  f" {counted / input_bytes:.2f} per input byte")

    lookup = BUILD / "bench" / "quorvel_lookup_bench"
    if not lookup.exists():
        print("lookup benchmark: not built (install libbenchmark-dev)")
    elif not REAL.is_dir():
        print("lookup benchmark: skipped, ../shared/testdata/real is absent")
    else:
        subprocess.run([str(lookup), "--benchmark_counters_tabular=true"], check=True)


if __name__ == "__main__":
    main()
