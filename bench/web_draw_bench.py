#!/usr/bin/python3
"""Measures the browser edition's draw in headless Chromium (Debian's chromium,
chromium-driver and python3-selenium), on the benchmark page that
scripts/bench.sh assembles from bench/web/draw_bench.html and the module,
against the native program's draw on the same machine:
  - dots per second of a draw of 1e8 dots around a triangle (a right press to
    the Program, then its draw driver's slices), with the SIMD128 path and with
    the portable one, straight through (tick after tick) and in the page's way
    (a task per slice, the canvas refreshed as the Program asks). Each round draws once in every way and runs the
    native draw (draw_bench's Production/100000000) just before, so that both
    meet the same load on a shared machine; medians over ROUNDS of the speeds
    and of the ratios to the native draw of the same round;
  - the time from a right press (a real input event) to the 10000-dot draw on
    the canvas: from the event's time stamp to just after putImageData, and to
    the next animation frame, medians of PRESSES;
  - with REAL_PAGE (build/web/chaosgame.html), the same on the program's own
    page driven as a user would (count typed, anchors clicked, right click):
    a 1e8-dot draw from the press to its last putImageData, each after a
    native draw, and the 10000-dot draw from the press to putImageData.
Usage: web_draw_bench.py PAGE DRAW_BENCH [ROUNDS [PRESSES [REAL_PAGE]]]. The
last lines are key=value pairs for scripts/bench.sh."""
import json
import pathlib
import statistics
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.options import Options
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

page = pathlib.Path(sys.argv[1]).resolve()
draw_bench = sys.argv[2]
rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 5
presses = int(sys.argv[4]) if len(sys.argv) > 4 else 11
real_page = pathlib.Path(sys.argv[5]).resolve() if len(sys.argv) > 5 else None
dots = 100_000_000
anchors = [(60, 460), (500, 460), (280, 40)]  # pixels, as the page's own draws


def native_speed():
    """Dots per second of the native draw of 1e8 dots (the mean of draw_bench's iterations)."""
    with tempfile.NamedTemporaryFile(suffix=".json") as out:
        subprocess.run([draw_bench, "--benchmark_filter=^Production/100000000/", f"--benchmark_out={out.name}",
                        "--benchmark_out_format=json"], check=True, capture_output=True)
        return json.load(open(out.name))["benchmarks"][0]["items_per_second"]


profile = tempfile.TemporaryDirectory()
options = Options()
options.binary_location = "/usr/bin/chromium"
for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
             "--disable-component-update", "--disable-sync", "--no-first-run", "--window-size=800,700",
             f"--user-data-dir={profile.name}"):
    options.add_argument(flag)
driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def call(body):
    """Runs body (an expression using the page's benchmark `b`) and returns its value."""
    return driver.execute_async_script(
        "const done = arguments[arguments.length - 1];"
        f"ready.then((b) => {body}).then(done, (e) => done('error: ' + e));")


def measure_real_page():
    """The program's page as a user drives it; times from the press's event to putImageData."""
    driver.get(real_page.as_uri())
    for _ in range(600):
        if driver.execute_script("return !document.getElementById('loading');"):
            break
        time.sleep(0.05)
    driver.execute_script("""
        window.blits = [];
        const put = CanvasRenderingContext2D.prototype.putImageData;
        CanvasRenderingContext2D.prototype.putImageData = function (...args) {
            put.apply(this, args);
            window.blits.push(performance.now());
        };
        window.rightPresses = [];
        document.addEventListener("pointerdown", (e) => { if (e.button === 2) rightPresses.push(e.timeStamp); }, true);""")
    picture = driver.find_element(By.ID, "picture")
    count = driver.find_element(By.ID, "sel")
    width, height = picture.size["width"], picture.size["height"]

    def draw(dots):
        count.send_keys(Keys.CONTROL, "a")
        count.send_keys(str(dots))
        for x, y in anchors:
            ActionChains(driver).move_to_element_with_offset(picture, x - width // 2, y - height // 2).click().perform()
        ActionChains(driver).move_to_element_with_offset(picture, 0, 0).context_click().perform()
        for _ in range(1200):
            time.sleep(0.05)
            if not driver.execute_script("return document.getElementById('form').inert;"):
                break
        time.sleep(0.1)
        pressed, blits = driver.execute_script("return [rightPresses[rightPresses.length - 1], blits];")
        return max(blits) - pressed

    draw(dots)  # the warm-up that lets V8 swap in its optimised code
    time.sleep(0.3)
    found = {}
    natives, speeds = [], []
    for _ in range(rounds):
        natives.append(native_speed())
        speeds.append(dots / (draw(dots) / 1000))
    found["real_page"] = statistics.median(speeds)
    found["real_page_ratio"] = statistics.median(v / n for v, n in zip(speeds, natives))
    print(f"the program's page, 1e8 dots from the press to the last putImageData (M dots/s): "
          f"{' '.join(f'{v / 1e6:.0f}' for v in speeds)}; median {found['real_page'] / 1e6:.1f}, "
          f"{found['real_page_ratio']:.2f}x the native draw just before (M dots/s: "
          f"{' '.join(f'{v / 1e6:.0f}' for v in natives)})")
    times = [draw(10000) for _ in range(presses)]
    found["real_page_press_ms"] = statistics.median(times)
    print(f"the program's page, right press to 10000 dots put on the canvas (ms): "
          f"{' '.join(f'{t:.2f}' for t in times)}; median {found['real_page_press_ms']:.2f}")
    return found


try:
    driver.set_script_timeout(900)
    driver.get(page.as_uri())
    ways = {f"{path}_{way}": (simd, yielding) for path, simd in (("simd128", "true"), ("portable", "false"))
            for way, yielding in (("straight", "false"), ("sliced", "true"))}
    for simd in ("true", "false"):
        # V8 runs new code in its baseline compiler first and swaps in the
        # optimised code once a background thread has made it: warm up, wait.
        for _ in range(3):
            call(f"b.drawMs(1e7, {simd}, false)")
            driver.execute_script("return new Promise((r) => setTimeout(r, 300));")
    natives, speeds = [], {name: [] for name in ways}
    for _ in range(rounds):
        natives.append(native_speed())
        for name, (simd, yielding) in ways.items():
            ms = call(f"b.drawMs({dots}, {simd}, {yielding})")
            if isinstance(ms, str):
                sys.exit(f"the page failed: {ms}")
            speeds[name].append(dots / (ms / 1000))
    results = {"native": statistics.median(natives)}
    print(f"native draw, 1e8 dots (M dots/s): {' '.join(f'{v / 1e6:.0f}' for v in natives)}; "
          f"median {results['native'] / 1e6:.1f}")
    for name, values in speeds.items():
        ratio = statistics.median(v / n for v, n in zip(values, natives))
        results[name] = statistics.median(values)
        results[name + "_ratio"] = ratio
        print(f"page {name:18} (M dots/s): {' '.join(f'{v / 1e6:.0f}' for v in values)}; "
              f"median {results[name] / 1e6:.1f}, {ratio:.2f}x the native draw of the same round")

    call("(b.reset(), 0)")
    canvas = driver.find_element(By.ID, "surface")
    width, height = canvas.size["width"], canvas.size["height"]

    def press(x, y, right):
        # Offsets from the element's centre (Selenium 4).
        chain = ActionChains(driver).move_to_element_with_offset(canvas, x - width // 2, y - height // 2)
        (chain.context_click() if right else chain.click()).perform()

    for _ in range(presses):
        for x, y in anchors:
            press(x, y, False)
        press(275, 240, True)
    driver.execute_script("return new Promise((r) => requestAnimationFrame(() => setTimeout(r, 50)));")
    records = call("b.presses")
    drawn = {r["drawing"] for r in records}
    if len(records) != presses or drawn != {False}:
        sys.exit(f"expected {presses} right presses whose 10000 dots end in the press, got {records}")
    blitted = [r["blitted"] - r["pressed"] for r in records]
    framed = [r["frame"] - r["pressed"] for r in records if "frame" in r]
    print(f"right press to 10000 dots on the canvas (ms): {' '.join(f'{t:.2f}' for t in blitted)}")
    print(f"  median {statistics.median(blitted):.2f} ms to after putImageData, "
          f"{statistics.median(framed):.2f} ms to the next animation frame")
    results["press_ms"] = statistics.median(blitted)
    results["press_frame_ms"] = statistics.median(framed)
    if real_page:
        results.update(measure_real_page())
    for key, value in results.items():
        print(f"{key}={value:.6g}")
finally:
    driver.quit()
