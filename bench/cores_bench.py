#!/usr/bin/python3
"""The desktop's draw on one core against CORES, in turn: each round runs
draw_bench's Production (the draw alone) and Driven (through the window's
driver) once on one core and once on CORES, for 10000, 1e7, 1e8 and
2147483647 dots, so that both meet the same load on a shared machine.
Prints each round's times, then the medians of the times and of each round's
ratio, and the peak memory.
Usage: cores_bench.py DRAW_BENCH [ROUNDS [CORES]]"""
import json
import statistics
import subprocess
import sys
import tempfile

draw_bench = sys.argv[1]
rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 5
cores = int(sys.argv[3]) if len(sys.argv) > 3 else 2
COUNTS = [10_000, 10_000_000, 100_000_000, 2_147_483_647]


def run(n, count):
    """{benchmark name: (ms per draw, peak MiB)} for one run of draw_bench on n cores."""
    with tempfile.NamedTemporaryFile(suffix=".json") as out:
        subprocess.run([draw_bench, f"--cores={n}", "--largest", f"--benchmark_filter=^(Production|Driven)/{count}/",
                        f"--benchmark_out={out.name}", "--benchmark_out_format=json"], check=True,
                       capture_output=True)
        found = json.load(open(out.name))["benchmarks"]
    return {b["name"].split("/")[0]: (count / b["items_per_second"] * 1000, b.get("peak_MiB", 0)) for b in found}


times = {(way, count, n): [] for way in ("Production", "Driven") for count in COUNTS for n in (1, cores)}
peaks = {1: 0.0, cores: 0.0}
for r in range(rounds):
    for count in COUNTS:
        for n in (1, cores):
            for way, (ms, peak) in run(n, count).items():
                times[(way, count, n)].append(ms)
                peaks[n] = max(peaks[n], peak)
    print(f"round {r + 1} of {rounds} done", file=sys.stderr, flush=True)
print(f"{'dots':>12} {'way':<11} {'1 core, ms':>22} {f'{cores} cores, ms':>22} {'ratio':>6}")
for count in COUNTS:
    for way in ("Production", "Driven"):
        one, more = times[(way, count, 1)], times[(way, count, cores)]
        ratio = statistics.median(a / b for a, b in zip(one, more))
        print(f"{count:>12} {way:<11} {statistics.median(one):>13.3f} ({min(one):.3f}-{max(one):.3f}) "
              f"{statistics.median(more):>10.3f} ({min(more):.3f}-{max(more):.3f}) {ratio:>5.2f}x")
print("peak memory: " + ", ".join(f"{n} core{'s' if n > 1 else ''} {p:.1f} MiB" for n, p in peaks.items()))
