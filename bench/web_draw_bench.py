#!/usr/bin/python3
"""Measures the browser edition's draw in each engine (headless Chromium through
Debian's chromium-driver, Firefox in a window on Xvfb through WebDriver BiDi,
WebKit's MiniBrowser through WebKitWebDriver on Xvfb: the page tests' driver
layer, engines.py), on the benchmark page that scripts/bench.sh assembles from
bench/web/draw_bench.html and the tests' module, against the native program's draw on
the same machine:
  - dots per second of a draw of 1e8 dots around a triangle (a right press to
    the Program, then its draw driver's slices), with the SIMD128 path and with
    the portable one, straight through (tick after tick) and in the page's way
    (a task per slice, the canvas refreshed as the Program asks). Each round
    draws once in every way and runs the native draw (draw_bench's
    Production/100000000) just before, so that both meet the same load on a
    shared machine; medians over ROUNDS of the speeds and of the ratios to the
    native draw of the same round;
  - the time from a right press (a real input event) to the 10000-dot draw on
    the canvas: from the event's time stamp to just after putImageData, and to
    the next animation frame, medians of PRESSES;
  - with REAL_PAGE (build/web/chaosgame.html), the same on the program's own
    page driven as a user would (count typed, anchors clicked, right click):
    a 1e8-dot draw from the press to its last putImageData, each after a
    native draw, and the 10000-dot draw from the press to putImageData.
Usage: web_draw_bench.py [--ratio=R] PAGE DRAW_BENCH [ROUNDS [PRESSES [REAL_PAGE [ENGINE...]]]]
(engines: chromium firefox webkit, all by default; R: the device pixel ratio the engines start
at, 1 by default: an engine that cannot start at R is left out, and says so). The last lines
are ENGINE.key=value pairs for scripts/bench.sh."""
import json
import os
import pathlib
import statistics
import subprocess
import sys
import tempfile
import time

# The page tests' driver layer: tests/web once it is there, else the exploration's.
HERE = pathlib.Path(__file__).resolve().parent
for layer in (HERE.parent / "tests" / "web", pathlib.Path("/work/explore/engines")):
    if (layer / "engines.py").exists():
        sys.path.insert(0, str(layer))
        break
import engines  # noqa: E402

ratio = 1.0
if len(sys.argv) > 1 and sys.argv[1].startswith("--ratio="):
    ratio = float(sys.argv.pop(1).split("=", 1)[1])
page = pathlib.Path(sys.argv[1]).resolve()
draw_bench = sys.argv[2]
rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 5
presses = int(sys.argv[4]) if len(sys.argv) > 4 else 11
real_page = pathlib.Path(sys.argv[5]).resolve() if len(sys.argv) > 5 and sys.argv[5] != "-" else None
engine_names = sys.argv[6:] or list(engines.ENGINES)
dots = 100_000_000
anchors = [(60, 460), (500, 460), (280, 40)]  # pixels, as the page's own draws


def native_speed():
    """Dots per second of the native draw of 1e8 dots (the mean of draw_bench's iterations)."""
    with tempfile.NamedTemporaryFile(suffix=".json") as out:
        subprocess.run([draw_bench, "--benchmark_filter=^Production/100000000/", f"--benchmark_out={out.name}",
                        "--benchmark_out_format=json"], check=True, capture_output=True)
        return json.load(open(out.name))["benchmarks"][0]["items_per_second"]


# Whether the engine validates a module with a SIMD128 instruction (wasm-feature-detect's test).
SIMD = """return WebAssembly.validate(new Uint8Array([0, 97, 115, 109, 1, 0, 0, 0, 1, 5, 1, 96, 0, 1, 123, 3, 2,
    1, 0, 10, 10, 1, 8, 0, 65, 0, 253, 15, 253, 98, 11]));"""


def call(engine, body):
    """Runs body (an expression using the page's benchmark `b`) and returns its value."""
    return engine.js_async(
        "const done = arguments[arguments.length - 1];"
        f"ready.then((b) => {body}).then(done, (e) => done('error: ' + e));")


def measure_real_page(engine):
    """The program's page as a user drives it; times from the press's event to putImageData."""
    engine.open(real_page)
    engine.js("""
        window.blits = [];
        const put = CanvasRenderingContext2D.prototype.putImageData;
        CanvasRenderingContext2D.prototype.putImageData = function (...args) {
            put.apply(this, args);
            window.blits.push(performance.now());
        };
        window.rightPresses = [];
        document.addEventListener("pointerdown", (e) => { if (e.button === 2) rightPresses.push(e.timeStamp); }, true);""")

    def draw(dots):
        engine.click("sel")
        engine.key("a", {"Control"})
        engine.insert_text(str(dots))
        for x, y in anchors:
            engine.press(x, y)
        engine.js("window.blits = [];")
        engine.press(275, 240, "right")
        # The draw has ended once the form answers and the canvas has had no new picture for a
        # while (a draw on workers may end before the form is ever held).
        engine.until(lambda: not engine.js("return document.getElementById('form').inert;"), 120)
        last = -1
        while last != (last := engine.js("return blits.length;")):
            time.sleep(0.3)
        pressed, blits = engine.js("return [rightPresses[rightPresses.length - 1], blits];")
        if not blits:
            sys.exit(f"{engine.name} at ratio {ratio:g}: the program's page drew nothing: its anchors were not "
                     "placed where pressed")
        return max(blits) - pressed

    draw(dots)  # the warm-up that lets the engine swap in its optimised code
    time.sleep(0.3)
    found = {}
    natives, speeds = [], []
    for _ in range(rounds):
        natives.append(native_speed())
        speeds.append(dots / (draw(dots) / 1000))
    found["real_page"] = statistics.median(speeds)
    found["real_page_ratio"] = statistics.median(v / n for v, n in zip(speeds, natives))
    print(f"{engine.name}: the program's page, 1e8 dots from the press to the last putImageData (M dots/s): "
          f"{' '.join(f'{v / 1e6:.0f}' for v in speeds)}; median {found['real_page'] / 1e6:.1f}, "
          f"{found['real_page_ratio']:.2f}x the native draw just before (M dots/s: "
          f"{' '.join(f'{v / 1e6:.0f}' for v in natives)})", flush=True)
    times = [draw(10000) for _ in range(presses)]
    found["real_page_press_ms"] = statistics.median(times)
    print(f"{engine.name}: the program's page, right press to 10000 dots put on the canvas (ms): "
          f"{' '.join(f'{t:.2f}' for t in times)}; median {found['real_page_press_ms']:.2f}", flush=True)
    return found


def measure(engine):
    """The benchmark page's draws and presses, then the program's page."""
    engine.open(page)  # (it has no "loading" line to wait for)
    results = {"simd": 1.0 if engine.js(SIMD) else 0.0}
    if not results["simd"]:
        sys.exit(f"{engine.name}: no WebAssembly SIMD")
    ways = {f"{path}_{way}": (simd, yielding) for path, simd in (("simd128", "true"), ("portable", "false"))
            for way, yielding in (("straight", "false"), ("sliced", "true"))}
    for simd in ("true", "false"):
        # An engine runs new code in its baseline compiler first and swaps in
        # the optimised code once a background thread has made it: warm up, wait.
        for _ in range(3):
            call(engine, f"b.drawMs(1e7, {simd}, false)")
            time.sleep(0.3)
    natives, speeds = [], {name: [] for name in ways}
    for _ in range(rounds):
        natives.append(native_speed())
        for name, (simd, yielding) in ways.items():
            ms = call(engine, f"b.drawMs({dots}, {simd}, {yielding})")
            if isinstance(ms, str):
                sys.exit(f"{engine.name}: the page failed: {ms}")
            speeds[name].append(dots / (ms / 1000))
    results["native"] = statistics.median(natives)
    print(f"{engine.name}: native draw, 1e8 dots (M dots/s): {' '.join(f'{v / 1e6:.0f}' for v in natives)}; "
          f"median {results['native'] / 1e6:.1f}", flush=True)
    for name, values in speeds.items():
        ratio = statistics.median(v / n for v, n in zip(values, natives))
        results[name] = statistics.median(values)
        results[name + "_ratio"] = ratio
        print(f"{engine.name}: page {name:18} (M dots/s): {' '.join(f'{v / 1e6:.0f}' for v in values)}; "
              f"median {results[name] / 1e6:.1f}, {ratio:.2f}x the native draw of the same round", flush=True)

    call(engine, "(b.reset(), 0)")
    for _ in range(presses):
        for x, y in anchors:
            engine.press(x, y, "left", (), "surface")
        engine.press(275, 240, "right", (), "surface")
    time.sleep(0.2)
    records = call(engine, "b.presses")
    drawn = {r["drawing"] for r in records}
    if len(records) != presses or drawn != {False}:
        sys.exit(f"{engine.name}: expected {presses} right presses whose 10000 dots end in the press, got {records}")
    blitted = [r["blitted"] - r["pressed"] for r in records]
    framed = [r["frame"] - r["pressed"] for r in records if "frame" in r]
    print(f"{engine.name}: right press to 10000 dots on the canvas (ms): {' '.join(f'{t:.2f}' for t in blitted)}")
    print(f"  median {statistics.median(blitted):.2f} ms to after putImageData, "
          f"{statistics.median(framed):.2f} ms to the next animation frame", flush=True)
    results["press_ms"] = statistics.median(blitted)
    results["press_frame_ms"] = statistics.median(framed)
    if real_page:
        results.update(measure_real_page(engine))
    return results


xvfb = engines.own_display() if set(engine_names) - {"chromium"} else None
found = {}
for name in engine_names:
    if ratio not in engines.ENGINES[name].ratios:
        print(f"{name}: cannot start at ratio {ratio:g} (only at {engines.ENGINES[name].ratios})", flush=True)
        continue
    engine = engines.ENGINES[name](ratio)
    try:
        found[name] = measure(engine)
    finally:
        engine.quit()
if xvfb:
    xvfb.terminate()
for name, results in found.items():
    for key, value in results.items():
        print(f"{name}.{key}={value:.6g}")
