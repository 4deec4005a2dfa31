#!/usr/bin/python3
"""Measures the browser edition's draw in headless Chromium (Debian's chromium,
chromium-driver and python3-selenium), on the benchmark page that
scripts/bench.sh assembles from bench/web/draw_bench.html and the module:
  - dots per second of a draw of DOTS dots around a triangle (a right press,
    then advance() in slices), with the SIMD128 path and with the portable one,
    straight through and in the page's way (a task per slice, the canvas
    refreshed after each), medians of REPS;
  - the time from a right press (a real input event) to the 10000-dot draw on
    the canvas: from the event's time stamp to just after putImageData, and to
    the next animation frame, medians of PRESSES.
Usage: web_draw_bench.py PAGE [DOTS [REPS [PRESSES]]]. The last lines are
key=value pairs for scripts/bench.sh."""
import pathlib
import statistics
import sys
import tempfile

from selenium import webdriver
from selenium.webdriver.chrome.options import Options
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By

page = pathlib.Path(sys.argv[1]).resolve()
dots = int(float(sys.argv[2])) if len(sys.argv) > 2 else 100_000_000
reps = int(sys.argv[3]) if len(sys.argv) > 3 else 3
presses = int(sys.argv[4]) if len(sys.argv) > 4 else 11
anchors = [(60, 460), (500, 460), (280, 40)]  # pixels, as the page's own draws

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


try:
    driver.set_script_timeout(900)
    driver.get(page.as_uri())
    results = {}
    for simd in ("true", "false"):
        call(f"b.drawMs(1e6, {simd}, false)")  # lets V8 compile the module's hot code fully
        for way, yielding in (("straight", "false"), ("sliced", "true")):
            times = [call(f"b.drawMs({dots}, {simd}, {yielding})") for _ in range(reps)]
            if any(isinstance(t, str) for t in times):
                sys.exit(f"the page failed: {times}")
            speed = dots / (statistics.median(times) / 1000)
            name = f"{'simd128' if simd == 'true' else 'portable'}_{way}"
            results[name] = speed
            print(f"page {name:18} {dots:.0e} dots: {' '.join(f'{t:.0f}' for t in times)} ms, "
                  f"median {speed / 1e6:.1f} M dots/s")

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
    drawn = {r["drawn"] for r in records}
    if len(records) != presses or drawn != {10000}:
        sys.exit(f"expected {presses} right presses of 10000 dots each, got {records}")
    blitted = [r["blitted"] - r["pressed"] for r in records]
    framed = [r["frame"] - r["pressed"] for r in records if "frame" in r]
    print(f"right press to 10000 dots on the canvas (ms): {' '.join(f'{t:.2f}' for t in blitted)}")
    print(f"  median {statistics.median(blitted):.2f} ms to after putImageData, "
          f"{statistics.median(framed):.2f} ms to the next animation frame")
    results["press_ms"] = statistics.median(blitted)
    results["press_frame_ms"] = statistics.median(framed)
    for key, value in results.items():
        print(f"{key}={value:.6g}")
finally:
    driver.quit()
