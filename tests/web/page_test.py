#!/usr/bin/python3
"""The page in headless Chromium, driven by real input events.

Usage: page_test.py PAGE.html   (ends with a line "N passed, N failed")
"""
import base64
import pathlib
import sys
import tempfile
import time
import unittest

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

PAGE = None
WIDTH, HEIGHT = 551, 479
TRIANGLE = [(275, 30), (40, 440), (510, 440)]  # anchors, in drawing-area pixels
BLACK, RED, BLUE = "000000", "ff0000", "0000ff"
CTRL, ALT, SHIFT = 2, 1, 8  # the DevTools protocol's modifier bits

# The colour of every pixel of the picture, counted: {"rrggbb": count}.
COUNT_COLOURS = """
const d = document.getElementById("picture").getContext("2d").getImageData(0, 0, 551, 479).data;
const [x0, y0, x1, y1] = arguments[0] || [0, 0, 551, 479];
const counts = {};
for (let y = y0; y < y1; y++)
    for (let x = x0; x < x1; x++) {
        const i = (y * 551 + x) * 4;
        const key = ((d[i] << 16) | (d[i + 1] << 8) | d[i + 2]).toString(16).padStart(6, "0");
        counts[key] = (counts[key] || 0) + 1;
    }
return counts;
"""

# How many bytes of a PNG (`bytes`) differ from the canvas's, to arguments' last callback.
DIFFERING_FROM_CANVAS = """
const done = arguments[arguments.length - 1];
createImageBitmap(new Blob([bytes], {type: "image/png"})).then(image => {
    const c = new OffscreenCanvas(551, 479).getContext("2d");
    c.drawImage(image, 0, 0);
    const a = c.getImageData(0, 0, 551, 479).data;
    const b = document.getElementById("picture").getContext("2d").getImageData(0, 0, 551, 479).data;
    done(image.width === 551 && image.height === 479 ? a.reduce((n, v, i) => n + (v !== b[i]), 0) : -1);
}, error => done(String(error)));
"""

MENU_PREVENTED = "const prevented = window.menuPrevented; window.menuPrevented = undefined; return prevented;"

KEY_POINT_SHOWN = """return new Uint32Array(document.getElementById("keypoint").getContext("2d")
    .getImageData(0, 0, 551, 479).data.buffer).some(v => v);"""


class PageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.home = tempfile.TemporaryDirectory()
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync", "--no-first-run",
                     f"--user-data-dir={cls.home.name}/profile", "--window-size=900,700"):
            options.add_argument(flag)
        cls.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()
        cls.home.cleanup()

    def setUp(self):
        self.driver.set_window_size(900, 700)
        self.driver.get(pathlib.Path(PAGE).resolve().as_uri())
        self.until(lambda: self.js("return !document.getElementById('loading')"))
        self.js("window.addEventListener('contextmenu', e => window.menuPrevented = e.defaultPrevented);")

    # --- helpers ---------------------------------------------------------
    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def cdp(self, command, **params):
        return self.driver.execute_cdp_cmd(command, params)

    def until(self, condition, timeout=5):
        end = time.monotonic() + timeout
        while not condition():
            self.assertLess(time.monotonic(), end, "timed out")
            time.sleep(0.02)

    def press(self, x, y, button="left", modifiers=0, element="picture"):
        """A real press and release at (x, y) CSS pixels from the element's corner, as it is scaled."""
        left, top, scale = self.js(f"""const r = document.getElementById("{element}").getBoundingClientRect();
            return [r.left, r.top, r.width / document.getElementById("{element}").offsetWidth];""")
        at = {"x": left + x * scale, "y": top + y * scale, "button": button, "clickCount": 1, "modifiers": modifiers}
        self.cdp("Input.dispatchMouseEvent", type="mousePressed", **at)
        self.cdp("Input.dispatchMouseEvent", type="mouseReleased", **at)

    def click(self, element_id):
        size = self.js(f"const e = document.getElementById('{element_id}'); return [e.offsetWidth, e.offsetHeight];")
        self.press(size[0] / 2, size[1] / 2, element=element_id)

    def key(self, key, code, vk, modifiers=0, text=""):
        common = {"key": key, "code": code, "windowsVirtualKeyCode": vk, "modifiers": modifiers}
        self.cdp("Input.dispatchKeyEvent", type="keyDown" if text else "rawKeyDown", text=text, **common)
        self.cdp("Input.dispatchKeyEvent", type="keyUp", **common)

    def set_count(self, text):
        self.click("sel")
        self.key("a", "KeyA", 65, CTRL)
        self.cdp("Input.insertText", text=text)

    def colours(self, region=None):
        return self.js(COUNT_COLOURS, region)

    def triangle(self):
        for x, y in TRIANGLE:
            self.press(x, y)

    def message(self):
        return self.js("const d = document.getElementById('message');"
                       "return d.open ? document.getElementById('messageText').textContent : null;")

    # --- the tests -------------------------------------------------------
    def test_form_places_names_and_tab_order(self):
        places = [  # id, left, top, width, height, accessible name: as on the desktop
            ("box", 8, 16, 553, 481, "Drawing surface"), ("picture", 9, 17, WIDTH, HEIGHT, None), ("Command1", 592, 248, 97, 25, "Clear Screen"),
            ("selFrame", 592, 40, 81, 21, None), ("Command2", 592, 280, 97, 25, "Exit"),
            ("col", 592, 88, 57, 95, "Dot colour"), ("Label1", 592, 24, 121, 33, None),
            ("Label2", 592, 72, 105, 25, None), ("Label3", 24, 520, 345, 65, None), ("sel", None, 0, 0, 0, "Number of dots")]
        for name, left, top, width, height, accessible in places:
            element = self.driver.find_element("id", name)
            if left is not None:
                rect = self.js(f"const r = document.getElementById('{name}').getBoundingClientRect();"
                               "return [r.left, r.top, r.width, r.height];")
                self.assertEqual(rect, [left, top, width, height], name)
            if accessible:
                self.assertEqual(element.accessible_name, accessible, name)
        self.assertEqual(self.js("const col = document.getElementById('col');"
                                 "return [document.getElementById('picture').width, document.getElementById('picture').height,"
                                 "document.getElementById('sel').value, [...col.options].map(o => o.text), col.selectedIndex]"),
                         [WIDTH, HEIGHT, "10000", ["Red", "Blue", "Black", "White", "Cyan", "Yellow"], -1])
        order = []
        for _ in range(5):
            order.append(self.js("return document.activeElement.id"))
            self.key("Tab", "Tab", 9)
        self.assertEqual(order, ["box", "Command1", "sel", "Command2", "col"])

    def test_triangle_is_on_the_canvas_when_the_press_returns(self):
        self.triangle()
        self.press(275, 240, "right")
        counts = self.colours()
        self.assertGreater(counts.get(BLACK, 0), 5000)
        self.assertGreater(counts.get(RED, 0), 0)
        self.assertEqual(sum(self.colours([0, 0, 30, 30]).values()), 900, "nothing outside the triangle")
        self.assertTrue(self.js(MENU_PREVENTED))
        drawn = self.colours()
        page = self.driver.current_window_handle
        self.driver.switch_to.new_window("tab")
        self.driver.switch_to.window(page)
        self.assertEqual(self.colours(), drawn, "the picture survives the tab being hidden")

    def test_modifiers_and_buttons(self):
        cases = [  # button, modifiers, anchor placed
            ("left", 0, True), ("left", SHIFT, False), ("left", CTRL, True), ("left", ALT, True),
            ("left", SHIFT | CTRL, True), ("left", SHIFT | ALT, True), ("left", CTRL | ALT, True),
            ("middle", 0, False)]
        for i, (button, modifiers, placed) in enumerate(cases):
            x, y = 30 + 60 * i, 100
            self.press(x, y, button, modifiers)
            red = self.colours([x - 8, y - 8, x + 8, y + 8]).get(RED, 0)
            self.assertEqual(red > 0, placed, (button, modifiers))
        self.assertIsNone(self.message())

    def test_counts_and_messages(self):
        cases = [  # count text, most dots, message's start
            ("5", 5, None), ("0", 0, None), ("-5", 0, None),
            ("abc", 0, 'The number of dots must be a number, such as 10000 or 1e6; "abc" is not.'),
            ("1,000", 0, "The number of dots must be a number"),
            ("2147483648", 0, 'At most 2147483647 dots can be drawn at once; "2147483648" is more.')]
        for text, most, message in cases:
            self.click("Command1")
            self.set_count(text)
            self.triangle()
            self.press(275, 240, "right")
            dots = self.colours().get(BLACK, 0)
            self.assertLessEqual(dots, most, text)
            self.assertGreater(dots, 0 if most else -1, text)
            self.assertTrue(self.js(MENU_PREVENTED), text)
            shown = self.message()
            if message is None:
                self.assertIsNone(shown, text)
                continue
            self.assertTrue(shown.startswith(message), shown)
            self.assertEqual(self.js("return document.activeElement.id"), "messageOk")
            self.key("Enter", "Enter", 13, text="\r")
            self.until(lambda: self.message() is None)

    def test_colours(self):
        for item, rgb in [("Red", RED), ("Blue", BLUE), ("Black", BLACK), ("Cyan", "00ffff"), ("Yellow", "ffff00")]:
            self.click("Command1")
            index = self.js(f"return [...document.getElementById('col').options].findIndex(o => o.text === '{item}')")
            self.press(10, 6 + 12 * index, element="col")
            self.assertEqual(self.js("return document.getElementById('col').value"), item)
            self.triangle()
            self.press(275, 240, "right")
            self.assertGreater(self.colours([60, 60, 490, 420]).get(rgb, 0), 5000, item)

    def test_clear_screen_keeps_the_anchors(self):
        self.triangle()
        self.click("Command1")
        self.assertEqual(self.colours(), {"ffffff": WIDTH * HEIGHT})
        self.press(275, 240, "right")
        self.assertGreater(self.colours().get(BLACK, 0), 5000)

    def test_exit_ends_the_program(self):
        self.click("Command2")
        self.assertEqual(self.message(), "Thank you for drawing with Chaos Game.")
        self.key("Enter", "Enter", 13, text="\r")
        self.until(lambda: self.js("return !document.getElementById('ended').hidden"))
        for x, y in TRIANGLE:
            self.press(x, y)
        self.press(275, 240, "right")
        self.assertEqual(self.colours(), {"ffffff": WIDTH * HEIGHT})
        self.key("F1", "F1", 112)
        self.assertIsNone(self.message())

    def test_long_draw_cancelled_by_esc(self):
        self.set_count("2147483647")
        self.triangle()
        self.js("""document.addEventListener('pointerdown', e => window.pressedAt = e.timeStamp, true);
            new MutationObserver(() => window.shownAt = window.shownAt || performance.now())
                .observe(document.getElementById('progress'), {attributes: true});""")
        self.press(275, 240, "right")
        self.until(lambda: self.js("return document.getElementById('progress').open"), 3)
        self.assertTrue(500 <= self.js("return window.shownAt - window.pressedAt") < 700, "shown after half a second")
        before = self.colours().get(BLACK, 0)
        self.assertGreater(before, 0, "the dots so far are on the canvas")
        refreshes = self.driver.execute_async_script(
            """const done = arguments[arguments.length - 1]; let n = 0;
            new MutationObserver(() => n++).observe(document.getElementById('progressText'), {childList: true});
            setTimeout(() => done(n), 1000);""")
        self.assertGreaterEqual(refreshes, 10)
        self.js("""document.addEventListener('keydown', e => window.escAt = e.timeStamp, true);
            document.getElementById('progress').addEventListener('close', () => window.closedAt = performance.now());""")
        self.key("Escape", "Escape", 27)
        self.until(lambda: self.js("return window.closedAt !== undefined"), 1)
        self.assertLess(self.js("return window.closedAt - window.escAt"), 100)
        self.assertGreaterEqual(self.colours().get(BLACK, 0), before, "the dots stay")
        self.assertFalse(self.js("return document.getElementById('form').inert"))
        self.click("Command1")
        self.set_count("10000")
        self.press(275, 240, "right")
        self.assertGreater(self.colours().get(BLACK, 0), 5000, "the anchors are kept")

    def test_download_is_the_canvas_pixel_for_pixel(self):
        folder = tempfile.mkdtemp(dir=self.home.name)
        self.cdp("Browser.setDownloadBehavior", behavior="allow", downloadPath=folder)
        self.triangle()
        self.press(275, 240, "right")
        self.key("s", "KeyS", 83, CTRL)
        saved = pathlib.Path(folder, "chaos-game.png")
        self.until(lambda: saved.exists())
        png = saved.read_bytes()
        self.assertEqual((png[:8], int.from_bytes(png[16:20], "big"), int.from_bytes(png[20:24], "big")),
                         (b"\x89PNG\r\n\x1a\n", WIDTH, HEIGHT))
        differing = self.driver.execute_async_script(
            "const bytes = Uint8Array.from(atob(arguments[0]), c => c.charCodeAt(0));" + DIFFERING_FROM_CANVAS,
            base64.b64encode(png).decode())
        self.assertEqual(differing, 0)

    def test_copy_puts_the_picture_on_the_clipboard_or_says_it_cannot(self):
        self.triangle()
        self.press(275, 240, "right")
        self.cdp("Browser.grantPermissions", permissions=["clipboardReadWrite", "clipboardSanitizedWrite"])
        self.key("c", "KeyC", 67, CTRL)
        # The write ends after the key has been handled: read until the picture is there.
        differing = self.driver.execute_async_script("""const read = (tries) => navigator.clipboard.read()
                .then(items => items.some(i => i.types.includes("image/png")) || !tries ? items[0].getType("image/png")
                      : new Promise(wait => setTimeout(wait, 100)).then(() => read(tries - 1)));
            read(20).then(png => png.arrayBuffer()).then(buffer => {
                const bytes = new Uint8Array(buffer);""" + DIFFERING_FROM_CANVAS + "}).catch(e => arguments[0](String(e)));")
        self.assertEqual(differing, 0)
        self.cdp("Browser.setPermission", permission={"name": "clipboard-write"}, setting="denied")
        self.key("c", "KeyC", 67, CTRL)
        self.until(lambda: self.message() is not None)
        self.assertTrue(self.message().startswith("The browser did not let the picture be copied"))

    def test_keyboard_point(self):
        keys = [("ArrowRight", 39, SHIFT, (285, 239)), ("ArrowDown", 40, 0, (285, 240)), ("ArrowLeft", 37, 0, (284, 240))]
        self.key(" ", "Space", 32, text=" ")
        for key, vk, modifiers, (x, y) in keys:
            self.key(key, key, vk, modifiers)
            self.key("Enter", "Enter", 13, text="\r")
            self.assertGreater(self.colours([x - 6, y - 6, x + 7, y + 7]).get(RED, 0), 0, key)
        self.assertTrue(self.js(KEY_POINT_SHOWN), "the keyboard point shows after keys")
        self.assertNotIn(BLACK, self.colours(), "and is not in the picture")
        self.press(0, 0, "middle")
        self.assertFalse(self.js(KEY_POINT_SHOWN), "a mouse press hides it")
        self.key("ArrowUp", "ArrowUp", 38)
        self.key("F10", "F10", 121, SHIFT)
        self.assertIn(BLACK, self.colours(), "Shift+F10 draws")

    def test_touch_tap_and_long_press(self):
        left, top = self.js("const r = document.getElementById('picture').getBoundingClientRect(); return [r.left, r.top];")
        for (x, y), hold in [*((point, 0.05) for point in TRIANGLE), ((275, 240), 0.9)]:
            self.cdp("Input.dispatchTouchEvent", type="touchStart", touchPoints=[{"x": left + x, "y": top + y}])
            time.sleep(hold)
            self.cdp("Input.dispatchTouchEvent", type="touchEnd", touchPoints=[])
        counts = self.colours()
        self.assertGreater(counts.get(BLACK, 0), 5000)
        self.assertEqual(self.colours([265, 230, 286, 251]).get(RED, 0), 0, "the long press placed no anchor")

    def test_narrow_window_scales_the_form(self):
        self.driver.set_window_size(420, 700)
        self.until(lambda: self.js("return document.getElementById('form').style.transform !== ''"))
        self.press(100.5, 200.5)
        box = self.colours([80, 180, 121, 221])
        self.assertEqual(self.js("return [document.getElementById('picture').width, document.getElementById('picture').height]"),
                         [WIDTH, HEIGHT])
        reds = self.js("""const d = document.getElementById('picture').getContext('2d').getImageData(0, 0, 551, 479).data;
            const xs = []; for (let i = 0; i < d.length; i += 4) if (d[i] === 255 && !d[i + 1]) xs.push((i / 4) % 551);
            return [Math.min(...xs), Math.max(...xs)];""")
        self.assertAlmostEqual(sum(reds) / 2, 100, delta=1)
        self.assertGreater(box.get(RED, 0), 0)


if __name__ == "__main__":
    PAGE = sys.argv.pop(1)
    result = unittest.main(exit=False, verbosity=2).result
    failed = len(result.failures) + len(result.errors)
    if not failed:  # as ctest says it, for the test command's count
        print(f"page: 100% tests passed, 0 tests failed out of {result.testsRun}")
    print(f"{result.testsRun - failed} passed, {failed} failed")
    sys.exit(1 if failed else 0)
