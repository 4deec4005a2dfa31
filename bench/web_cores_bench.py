#!/usr/bin/python3
"""The browser edition's draw on one core and on more (the page's Web
Workers), in each engine, against the native window's draw on one core.
For each count (1e7, 1e8 and 2147483647 dots around a triangle), each round
draws on the benchmark page (bench/web/draw_bench.html, the Program's own
driver, a task per slice) with no worker (on the page's own thread) and
with WORKERS (2 unless given; that thread then only gathers), in turn, and runs
the native draw through the window's driver (draw_bench's Driven, one core)
just before; medians over ROUNDS, and of each round's ratios.
Usage: web_cores_bench.py PAGE DRAW_BENCH [ROUNDS [WORKERS [ENGINE...]]]
(engines: chromium firefox webkit, all by default). The last lines are
ENGINE.key=value pairs."""
import json
import os
import pathlib
import statistics
import subprocess
import sys
import tempfile
import time

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "tests" / "web"))
import engines  # noqa: E402

page = pathlib.Path(sys.argv[1]).resolve()
draw_bench = sys.argv[2]
rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 5
workers = int(sys.argv[4]) if len(sys.argv) > 4 else 2
engine_names = sys.argv[5:] or list(engines.ENGINES)
COUNTS = [10_000_000, 100_000_000, 2_147_483_647]


def native_ms(dots):
    """Milliseconds of the native draw of `dots` through the window's driver, on one core."""
    name = "largest" if dots == 2_147_483_647 else str(dots)
    with tempfile.NamedTemporaryFile(suffix=".json") as out:
        subprocess.run([draw_bench, "--cores=1", "--largest", f"--benchmark_filter=^Driven/{dots}/",
                        f"--benchmark_out={out.name}", "--benchmark_out_format=json"], check=True,
                       capture_output=True)
        found = json.load(open(out.name))["benchmarks"]
        if not found:
            sys.exit(f"draw_bench has no Driven/{dots} ({name})")
        return dots / found[0]["items_per_second"] * 1000


def call(engine, body):
    return engine.js_async("const done = arguments[arguments.length - 1];"
                           f"ready.then((b) => {body}).then(done, (e) => done('error: ' + e));")


def measure(engine):
    engine.open(page)
    # The engine's optimised code, and the workers started and warm, as the
    # program's page starts them once it is up: a draw long enough to be split.
    for n in (0, workers):
        for _ in range(3):
            call(engine, f"b.drawMs(1e8, true, true, {n})")
            time.sleep(0.3)
    found = {}
    for dots in COUNTS:
        times = {0: [], workers: []}
        natives = []
        for _ in range(rounds):
            natives.append(native_ms(dots))
            for n in times:
                ms = call(engine, f"b.drawMs({dots}, true, true, {n})")
                if isinstance(ms, str):
                    sys.exit(f"{engine.name}: the page failed: {ms}")
                times[n].append(ms)
        one, more = times[0], times[workers]
        found[f"{dots}_one_ms"] = statistics.median(one)
        found[f"{dots}_more_ms"] = statistics.median(more)
        found[f"{dots}_native_ms"] = statistics.median(natives)
        found[f"{dots}_speedup"] = statistics.median(a / b for a, b in zip(one, more))
        found[f"{dots}_vs_native"] = statistics.median(n / b for n, b in zip(natives, more))
        print(f"{engine.name}: {dots} dots, ms: one core {' '.join(f'{v:.0f}' for v in one)}; "
              f"{workers} workers {' '.join(f'{v:.0f}' for v in more)}; "
              f"native window, one core {' '.join(f'{v:.0f}' for v in natives)}", flush=True)
        print(f"  medians: {found[f'{dots}_one_ms']:.0f} / {found[f'{dots}_more_ms']:.0f} / "
              f"{found[f'{dots}_native_ms']:.0f} ms; {workers} workers against one core: "
              f"{found[f'{dots}_speedup']:.2f}x; against the native window on one core: "
              f"{found[f'{dots}_vs_native']:.2f}x", flush=True)
    return found


xvfb = engines.own_display() if set(engine_names) - {"chromium"} else None
results = {}
try:
    for name in engine_names:
        engine = engines.ENGINES[name](1)
        try:
            results[name] = measure(engine)
        finally:
            engine.quit()
finally:
    if xvfb:
        xvfb.terminate()
for name, found in results.items():
    for key, value in found.items():
        print(f"{name}.{key}={value:.3f}")
