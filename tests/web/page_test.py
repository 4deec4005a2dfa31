#!/usr/bin/python3
"""The page, opened alone from disk, in Chromium, Firefox and WebKit, driven by real input.

Usage: page_test.py PAGE.html TEST_PAGE.html ENGINE... [CASE...]   (PAGE: the page as it
ships, build/web/chaosgame.html; TEST_PAGE: the same page made with the tests' module,
build/wasm/chaosgame-test.html; ENGINE: chromium, firefox, webkit; firefox and webkit need an
X display; CASE: a case's name, to run only those). One table of cases, CASES, each run in
each engine on a fresh test page, but for the one that opens the shipped page; where an engine
cannot do a thing, the case says so and checks what the engine does instead. Places and line
steps are Chromium's. The cases marked `ratios` run again in each engine started at each other
device pixel ratio it can start at (engines.py).
"""
import base64
import json
import math
import os
import pathlib
import sys
import time
import traceback

from engines import ENGINES



def build_facts():
    """The facts the checks compare with, as the build wrote them from the code beside the test
    page (facts.json, by tests/web/write_facts.js): sizes, limits, colours and messages."""
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    path = pathlib.Path(sys.argv[2]).parent / "facts.json"
    if not path.is_file():
        sys.exit(f"there is no {path}: build the tests' module first (cmake --build build/wasm)")
    return json.loads(path.read_text(encoding="utf-8"))


FACTS = build_facts()
WIDTH, HEIGHT = FACTS["areaWidth"], FACTS["areaHeight"]  # the drawing area, in CSS pixels
MESSAGES = FACTS["messages"]
COLOURS = dict(FACTS["colors"])  # each item of the colour list: its colour, "rrggbb"


def picture_size(ratio):
    """The picture's pixels at a device pixel ratio: the area's twips at its dpi, rounded down."""
    dpi = round(96 * ratio)
    return WIDTH * 15 * dpi // 1440, HEIGHT * 15 * dpi // 1440
TRIANGLE = [(275, 30), (40, 440), (510, 440)]  # anchors, in drawing-area pixels
CENTRE = (275, 240)
BLACK, RED, BLUE, WHITE = (COLOURS[item] for item in ("Black", "Red", "Blue", "White"))
MOST_DOTS = FACTS["mostDots"]


def not_a_number(text):
    return MESSAGES["countNotANumber"].replace("%1", text)


def too_many(text):
    return MESSAGES["countTooLarge"].replace("%1", text)


def with_area(script):
    """A script with the drawing area's size (in CSS pixels, from the facts) for WIDTH and HEIGHT."""
    return script.replace("WIDTH", str(WIDTH)).replace("HEIGHT", str(HEIGHT))


# The colour of every pixel of the picture, counted: {"rrggbb": count}.
COUNT_COLOURS = with_area("""
const d = document.getElementById("picture").getContext("2d").getImageData(0, 0, WIDTH, HEIGHT).data;
const [x0, y0, x1, y1] = arguments[0] || [0, 0, WIDTH, HEIGHT];
const counts = {};
for (let y = y0; y < y1; y++)
    for (let x = x0; x < x1; x++) {
        const i = (y * WIDTH + x) * 4;
        const key = ((d[i] << 16) | (d[i + 1] << 8) | d[i + 2]).toString(16).padStart(6, "0");
        counts[key] = (counts[key] || 0) + 1;
    }
return counts;
""")

# How many bytes of a PNG (`bytes`) differ from the canvas's, to arguments' last callback.
DIFFERING_FROM_CANVAS = """
const done = arguments[arguments.length - 1], p = document.getElementById("picture");
createImageBitmap(new Blob([bytes], {type: "image/png"})).then(image => {
    const c = new OffscreenCanvas(p.width, p.height).getContext("2d");
    c.drawImage(image, 0, 0);
    const a = c.getImageData(0, 0, p.width, p.height).data;
    const b = p.getContext("2d").getImageData(0, 0, p.width, p.height).data;
    done(image.width === p.width && image.height === p.height ? a.reduce((n, v, i) => n + (v !== b[i]), 0) : -1);
}, error => done(String(error)));
"""

# The screenshot (base64 PNG, arguments[0]) where the picture is: [its device rectangle, how many
# of its pixels differ from the canvas's, the colours of the ring of device pixels around it up
# to the frame, counted], to arguments' last callback.
SCREEN_PICTURE = """const done = arguments[arguments.length - 1];
const png = Uint8Array.from(atob(arguments[0]), c => c.charCodeAt(0));
createImageBitmap(new Blob([png], {type: "image/png"})).then(image => {
    const screen = new OffscreenCanvas(image.width, image.height).getContext("2d");
    screen.drawImage(image, 0, 0);
    const p = document.getElementById("picture"), r = p.getBoundingClientRect(), k = devicePixelRatio;
    const [x0, y0, w, h] = [Math.round(r.left * k), Math.round(r.top * k), Math.round(r.width * k), Math.round(r.height * k)];
    const shown = screen.getImageData(x0 - 1, y0 - 1, w + 2, h + 2).data;
    const own = p.getContext("2d").getImageData(0, 0, p.width, p.height).data;
    let differing = 0; const ring = {};
    for (let y = -1; y <= h; y++)
        for (let x = -1; x <= w; x++) {
            const i = ((y + 1) * (w + 2) + x + 1) * 4;
            const rgb = ((shown[i] << 16) | (shown[i + 1] << 8) | shown[i + 2]).toString(16).padStart(6, "0");
            if (x < 0 || y < 0 || x === w || y === h) { ring[rgb] = (ring[rgb] || 0) + 1; continue; }
            const j = (Math.floor(y * p.height / h) * p.width + Math.floor(x * p.width / w)) * 4;
            differing += shown[i] !== own[j] || shown[i + 1] !== own[j + 1] || shown[i + 2] !== own[j + 2];
        }
    done([[x0, y0, w, h], differing, ring]);
}, error => done(String(error)));
"""
# The red pixels' columns and rows in a region of the picture: [min x, max x, min y, max y].
RED_SPAN = """const p = document.getElementById("picture"), [x0, y0, x1, y1] = arguments[0];
const d = p.getContext("2d").getImageData(x0, y0, x1 - x0, y1 - y0).data, xs = [], ys = [];
for (let i = 0; i < d.length; i += 4) if (d[i] === 255 && !d[i + 1]) { xs.push(x0 + (i / 4) % (x1 - x0)); ys.push(y0 + Math.floor(i / 4 / (x1 - x0))); }
return xs.length ? [Math.min(...xs), Math.max(...xs), Math.min(...ys), Math.max(...ys)] : null;"""
PICTURE = """const p = document.getElementById("picture");
return [p.width, p.height, parseFloat(p.style.width), parseFloat(p.style.height)];"""

# Set on every fresh page: whether the last context menu was kept shut, and when the last
# press, key and message were (one clock: event time stamps are performance.now()'s).
WATCH = """window.menuPrevented = undefined;
addEventListener('contextmenu', e => window.menuPrevented = e.defaultPrevented);
document.addEventListener('pointerdown', e => window.pressedAt = e.timeStamp, true);
document.addEventListener('pointerup', e => window.releasedAt = e.timeStamp, true);
document.addEventListener('keydown', e => window.keyAt = e.timeStamp, true);
new MutationObserver(() => { if (document.getElementById('message').open) window.messageAt = performance.now(); })
    .observe(document.getElementById('message'), {attributes: true});"""
MENU_PREVENTED = "const prevented = window.menuPrevented; window.menuPrevented = undefined; return prevented;"
MESSAGE = ("const d = document.getElementById('message');"
           "return d.open ? document.getElementById('messageText').textContent : null;")
KEY_POINT_SHOWN = with_area("""return new Uint32Array(document.getElementById("keypoint").getContext("2d")
    .getImageData(0, 0, WIDTH, HEIGHT).data.buffer).some(v => v);""")
# The module's Program, and which of the tests' functions the module has, to arguments' last callback.
HOOKS = ["pixels", "anchorCount", "drawing", "help", "reseed", "useSimd"]
HOOKS_FOUND = """const done = arguments[arguments.length - 1], hooks = arguments[0];
createChaosGame().then(M => done([typeof M.Program, hooks.filter(n => n in M || n in M.Program.prototype)]),
                       error => done(String(error)));"""
# Puts n anchors at the triangle's corners by the page's own listener, without input events.
MANY_ANCHORS = """const box = document.getElementById('box'), r = document.getElementById('picture').getBoundingClientRect();
const corners = arguments[1];
for (let i = 0; i < arguments[0]; i++) {
    const [x, y] = corners[i % 3];
    box.dispatchEvent(new PointerEvent('pointerdown', {button: 0, buttons: 1, pointerType: 'mouse', bubbles: true,
                                                       clientX: r.left + x, clientY: r.top + y}));
}"""


class Checks:
    """What a case uses: the engine `e`, and checks that stop the case with what differs."""

    def __init__(self, engine, test_page):
        self.e = engine
        self.test_page = test_page

    def equal(self, got, want, what=""):
        if got != want:
            raise AssertionError(f"{what}: {got!r} is not {want!r}")

    def true(self, got, what=""):
        if not got:
            raise AssertionError(f"{what}: {got!r}")

    def cannot(self, thing, instead):
        """Says what the engine cannot do and what the case checks instead."""
        print(f"    {self.e.name} cannot: {self.e.cannot[thing]}; checked instead: {instead}", flush=True)

    # --- the page ----------------------------------------------------------
    def js(self, script, *args):
        return self.e.js(script, *args)

    def colours(self, region=None):
        return self.js(COUNT_COLOURS, region)

    def message(self):
        return self.js(MESSAGE)

    def triangle(self):
        for x, y in TRIANGLE:
            self.e.press(x, y)

    def draw(self):
        self.e.press(*CENTRE, "right")

    def set_count(self, text):
        self.e.click("sel")
        self.e.key("a", {"Control"})
        if text:
            self.e.insert_text(text)
        else:
            self.e.key("Backspace")

    def dismiss(self):
        self.equal(self.js("return document.activeElement.id"), "messageOk", "the message's OK has the focus")
        self.e.key("Enter")
        self.e.until(lambda: self.message() is None)

    def drawn_around_triangle(self, what):
        self.greater(self.colours().get(BLACK, 0), 5000, what)
        self.equal(sum(self.colours([0, 0, 30, 30]).values()), 900, f"{what}: nothing outside the triangle")

    def in_time(self, attempt, limit, what):
        """attempt() returns how long something took, in ms; it must be within the limit, at the
        first attempt. The times are the page's own, from the event's time stamp to what it
        brought about, so a late delivery of the input does not count; the limits are many
        times what the page's work takes, which has a core of its own on a machine whose other
        core is busy."""
        took = attempt()
        self.true(took < limit, (what, f"{took:.0f} ms, over {limit} ms"))
        return took

    def greater(self, got, than, what=""):
        if not got > than:
            raise AssertionError(f"{what}: {got!r} is not more than {than!r}")


# --- the cases -------------------------------------------------------------
def form_places_names_and_tab_order(c):
    places = [  # id, left, top, width, height, accessible name: as on the desktop
        ("box", 8, 16, 553, 481, "Drawing surface"), ("picture", 9, 17, WIDTH, HEIGHT, None),
        ("Command1", 592, 248, 97, 25, "Clear Screen"), ("selFrame", 592, 40, 81, 21, None),
        ("Command2", 592, 280, 97, 25, "Exit"), ("col", 592, 88, 57, 95, "Dot colour"),
        ("Label1", 592, 24, 121, 33, None), ("Label2", 592, 72, 105, 25, None), ("Label3", 24, 520, 345, 65, None),
        ("sel", None, 0, 0, 0, "Number of dots")]
    for name, left, top, width, height, accessible in places:
        if left is not None:
            rect = c.js(f"const r = document.getElementById('{name}').getBoundingClientRect();"
                        "return [r.left, r.top, r.width, r.height];")
            c.equal(rect, [left, top, width, height], name)
        if accessible:
            c.equal(c.e.accessible_name(name, accessible), accessible, name)
    # Lines as far apart as in Chromium: the labels' text lines 11 px, the list's items 12 px.
    steps = c.js("""return ['Label1', 'Label2', 'Label3'].map(id => {
        const range = document.createRange(); range.selectNodeContents(document.getElementById(id));
        const tops = [...new Set([...range.getClientRects()].map(r => Math.round(r.top)))];
        return tops.slice(1).map((top, i) => top - tops[i]); });""")
    c.equal(steps, [[], [], [11]], "the labels' line steps")
    c.equal(c.js("return [...document.getElementById('col').options].map(o => o.getBoundingClientRect().top)"),
            [89 + 12 * i for i in range(len(COLOURS))], "the list's item tops")
    c.equal(c.js("const col = document.getElementById('col');"
                 "return [document.getElementById('picture').width, document.getElementById('picture').height,"
                 "document.getElementById('sel').value, [...col.options].map(o => o.text), col.selectedIndex]"),
            [WIDTH, HEIGHT, "10000", list(COLOURS), -1], "the controls")
    order = []
    for _ in range(5):
        order.append(c.js("return document.activeElement.id"))
        c.e.key("Tab")
    c.equal(order, ["box", "Command1", "sel", "Command2", "col"], "the tab order")
    c.e.click("Command1")  # (a click, then Shift+Tab: WebKit once kept the focus on the button)
    c.e.key("Tab", {"Shift"})
    c.equal(c.js("return document.activeElement.id"), "box", "Shift+Tab after a click on Clear Screen")
    c.set_count(str(MOST_DOTS))
    c.true(c.js("const s = document.getElementById('sel'); return s.scrollWidth <= s.clientWidth"),
           "the most dots shown whole in the count box")


def triangle_drawn_and_kept_when_hidden(c):
    c.triangle()
    c.draw()
    counts = c.colours()
    c.greater(counts.get(BLACK, 0), 5000, "dots")
    c.greater(counts.get(RED, 0), 0, "anchors")
    c.equal(sum(c.colours([0, 0, 30, 30]).values()), 900, "nothing outside the triangle")
    c.equal(c.js(MENU_PREVENTED), True, "the context menu kept shut")
    drawn = c.colours()
    c.js("window.states = []; document.addEventListener('visibilitychange', () => states.push(document.visibilityState));")
    c.e.hide_and_show()
    states = c.js("return window.states")
    if "hidden tab" in c.e.cannot:
        c.cannot("hidden tab", "the picture after another window came and went")
    else:
        c.equal(states, ["hidden", "visible"], "the page was hidden and shown")
    c.equal(c.colours(), drawn, "the picture survives the tab being hidden")


def buttons_and_modifiers(c):
    cases = [  # button, modifiers, anchor placed
        ("left", (), True), ("left", {"Shift"}, False), ("left", {"Control"}, True), ("left", {"Alt"}, True),
        ("left", {"Shift", "Control"}, True), ("left", {"Shift", "Alt"}, True), ("left", {"Control", "Alt"}, True),
        ("middle", (), False)]
    for i, (button, modifiers, placed) in enumerate(cases):
        x, y = 30 + 60 * i, 100
        c.e.press(x, y, button, modifiers)
        c.equal(c.colours([x - 8, y - 8, x + 8, y + 8]).get(RED, 0) > 0, placed, (button, modifiers))
    c.equal(c.message(), None, "no message")
    # Every right press draws, whatever is held; the surface's context menu stays shut.
    for modifiers in [(), {"Shift"}, {"Control"}, {"Alt"}]:
        c.e.click("Command1")
        c.triangle()
        c.e.press(*CENTRE, "right", modifiers)
        prevented = c.js(MENU_PREVENTED)
        if modifiers == {"Shift"} and "menu" in c.e.cannot:
            c.cannot("menu", "the draw, and that the page saw no contextmenu event")
            c.e.close_browser_menu()
            c.equal(prevented, None, "no contextmenu event")
        else:
            c.equal(prevented, True, ("the context menu kept shut", modifiers))
        c.drawn_around_triangle(("right", modifiers))


def counts_and_messages(c):
    # Each count after the triangle's anchors: the most dots it draws, the message it shows.
    # A refused count keeps the anchors: the good count at the end draws around them.
    cases = [("5", 5, None), ("0", 0, None), ("-5", 0, None), ("2147483648", 0, too_many("2147483648"))]
    for text, most, message in cases:
        c.e.click("Command1")
        c.set_count(text)
        c.triangle()
        c.draw()
        dots = c.colours().get(BLACK, 0)
        c.true(0 < dots <= most if most else dots == 0, (text, dots))
        c.equal(c.js(MENU_PREVENTED), True, (text, "the context menu kept shut"))
        c.equal(c.message(), message, text)
        if message:
            c.dismiss()
    refused = [("abc", not_a_number), ("", not_a_number), ("1,000", not_a_number), ("0x10", not_a_number),
               ("nan", not_a_number), ("inf", not_a_number), ("-", not_a_number), ("１２", not_a_number),
               ("٣", not_a_number), ("1e10", too_many), ("99999999999", too_many)]
    c.e.click("Command1")
    c.triangle()
    slowest = 0
    for text, message in refused:
        c.set_count(text)
        c.equal(c.js("return document.getElementById('sel').value"), text, "typed")

        def refusal():
            c.js("window.messageAt = undefined")
            c.draw()
            c.equal(c.message(), message(text), text)
            c.equal(c.colours().get(BLACK, 0), 0, (text, "no dots"))
            late = c.js("return window.messageAt - window.pressedAt")
            c.dismiss()
            return late
        late = c.in_time(refusal, 200, (text, "the message at once"))
        slowest = max(slowest, late)
    print(f"    {c.e.name}: the slowest refusal showed {slowest:.0f} ms after its press", flush=True)
    c.set_count("10000")
    c.draw()
    c.drawn_around_triangle("the anchors are kept through every refusal")


def a_million_digits(c):
    # "0" a million times and "5": five dots, or a message refusing it; never nothing at all.
    c.triangle()
    c.set_count("0" * 1000000 + "5")
    kept = c.js("return document.getElementById('sel').value.length")
    if kept != 1000001:
        print(f"    {c.e.name}: the count box kept {kept} of 1000001 characters", flush=True)
    c.draw()
    shown, dots = c.message(), c.colours().get(BLACK, 0)
    if shown is None:
        c.true(0 < dots <= 5, ("five dots", dots))
    else:
        print(f"    {c.e.name}: refused with: {shown[:80]}", flush=True)
        c.dismiss()
        c.set_count("10000")
        c.draw()
        c.drawn_around_triangle("the anchors are kept")


def too_many_anchors(c):
    c.js(MANY_ANCHORS, 32767, TRIANGLE)
    c.js("window.messageAt = undefined")
    c.e.press(100, 100)  # the 32768th, a real press
    c.equal(c.message(), MESSAGES["tooManyAnchors"], "the 32768th anchor")
    c.true(c.js("return window.messageAt - window.pressedAt") < 200, "the message at once")
    c.dismiss()
    c.set_count("10000")
    c.draw()
    c.drawn_around_triangle("the anchors are kept")


def colours(c):
    for item, rgb in [(item, rgb) for item, rgb in COLOURS.items() if item != "White"]:
        c.e.click("Command1")
        index = c.js(f"return [...document.getElementById('col').options].findIndex(o => o.text === '{item}')")
        c.e.press(10, 6 + 12 * index, element="col")  # the items are 12 px apart
        c.equal(c.js("return document.getElementById('col').value"), item, "chosen")
        c.triangle()
        c.draw()
        c.greater(c.colours([60, 60, 490, 420]).get(rgb, 0), 5000, item)


def clear_screen_keeps_the_anchors(c):
    c.triangle()
    c.e.click("Command1")
    c.equal(c.colours(), {WHITE: WIDTH * HEIGHT}, "cleared")
    c.draw()
    c.drawn_around_triangle("the anchors are kept")


def exit_ends_the_program(c):
    c.e.click("Command2")
    c.equal(c.message(), MESSAGES["goodbye"], "goodbye")
    c.e.key("Enter")
    c.e.until(lambda: c.js("return !document.getElementById('ended').hidden"))
    c.equal(c.js("return document.getElementById('ended').textContent"),
            MESSAGES["ended"], "the last line")
    c.triangle()
    c.draw()
    if not c.js(MENU_PREVENTED):  # the page has ended: the menu is the browser's again
        print(f"    {c.e.name}: after Exit a right press opens the browser's own context menu", flush=True)
        c.e.close_browser_menu()
    c.equal(c.colours(), {WHITE: WIDTH * HEIGHT}, "nothing answers")
    c.e.key("F1")
    c.equal(c.message(), None, "not even F1")


def f1_shows_the_keys(c):
    c.e.key("F1")
    shown = c.message() or ""
    for line in ["Left-click", "Long press", "Ctrl+S", "download the picture (chaos-game.png)", "F1", "Esc"]:
        c.true(line in shown, ("the help names", line))
    c.dismiss()
    c.equal(c.js("return document.activeElement.id"), "box", "the focus back on the surface")


def long_draw_stopped(c):
    # Esc or Cancel stops a long draw within 100 ms; the dots so far stay, the anchors too.
    def stop(how):
        c.e.click("Command1")
        c.set_count("2147483647")
        c.triangle()
        c.js("""window.shownAt = undefined; window.closedAt = undefined;
            new MutationObserver(() => window.shownAt = window.shownAt || performance.now())
                .observe(document.getElementById('progress'), {attributes: true});
            document.getElementById('progress').addEventListener('close', () => window.closedAt = performance.now());""")
        c.draw()
        c.e.until(lambda: c.js("return document.getElementById('progress').open"))
        shown = c.js("return window.shownAt - window.pressedAt")
        before = c.colours().get(BLACK, 0)
        c.greater(before, 0, "the dots so far are on the canvas")
        refreshes, places = c.e.js_async("""const done = arguments[arguments.length - 1]; let n = 0;
            const d = document.getElementById('progress'), places = new Set();
            new MutationObserver(() => { n++; const r = d.getBoundingClientRect(); places.add([r.left, r.width].join()); })
                .observe(document.getElementById('progressText'), {childList: true});
            setTimeout(() => done([n, places.size]), 1000);""")
        c.equal(places, 1, "the progress dialog keeps its place and size")
        # Its size already holds the widest line, the dots done as many as asked for.
        widths = c.js("""const d = document.getElementById('progress'), t = document.getElementById('progressText');
            const before = d.getBoundingClientRect().width, [done, total] = t.textContent.split(' of ');
            t.textContent = done.replace(/[0-9][^ ]*$/, total) + ' of ' + total;
            return [before, d.getBoundingClientRect().width];""")
        c.equal(widths[1], widths[0], "the progress dialog's width with the widest line")
        if how == "Escape":
            c.e.key("Escape")
        else:
            c.e.click("progressCancel")
        c.e.until(lambda: c.js("return window.closedAt !== undefined"))
        # From the key going down, or the button coming up (a button acts on its release).
        closed = c.js(f"return window.closedAt - {'window.keyAt' if how == 'Escape' else 'window.releasedAt'}")
        c.true(c.colours().get(BLACK, 0) >= before, "the dots stay")
        c.equal(c.js("return document.getElementById('form').inert"), False, "the form answers again")
        print(f"    {c.e.name}: {how}: progress shown after {shown:.0f} ms, {refreshes} refreshes in 1 s, "
              f"closed {closed:.0f} ms after the {'key' if how == 'Escape' else 'release'}", flush=True)
        # (As one number for in_time: 0 when all are in time.)
        return max(0 if 500 <= shown < 700 else 1000, 0 if refreshes >= 10 else 1000, closed)
    for how in ["Escape", "Cancel"]:
        c.in_time(lambda: stop(how), 100, (how, "shown after 500 to 700 ms, 10 refreshes a second, closed in 100 ms"))
    c.e.click("Command1")
    c.set_count("10000")
    c.draw()
    c.drawn_around_triangle("the anchors are kept")


def reload_during_a_draw(c):
    c.set_count("2147483647")
    c.triangle()
    c.draw()
    c.e.until(lambda: c.js("return document.getElementById('progress').open"))
    start = time.monotonic()
    c.e.reload()
    c.e.until(lambda: c.js("return !document.getElementById('loading')"))
    c.true(time.monotonic() - start < 5, "reloaded at once")
    c.equal([c.js("return document.getElementById('progress').open"), c.js("return document.getElementById('sel').value"),
             c.colours()], [False, "10000", {WHITE: WIDTH * HEIGHT}], "a fresh start")
    c.js(WATCH)
    c.triangle()
    c.draw()
    c.drawn_around_triangle("the reloaded page draws")


def shipped_page_has_no_hook_and_draws(c):
    # (Opened as it ships; the test page's module has the tests' functions, this one none.)
    c.equal(c.e.js_async(HOOKS_FOUND, HOOKS), ["function", []], "the shipped module's Program and test functions")
    c.triangle()
    c.draw()
    c.drawn_around_triangle("the shipped page draws")
    c.e.open(c.test_page)
    c.equal(c.e.js_async(HOOKS_FOUND, HOOKS), ["function", HOOKS], "the test page's")


shipped_page_has_no_hook_and_draws.shipped = True


def a_download_the_browser_cannot_make_says_so(c):
    c.triangle()
    c.draw()
    c.js("HTMLCanvasElement.prototype.toBlob = function (done) { setTimeout(() => done(null)); };")
    files = sorted(os.listdir(c.e.download_dir))
    c.e.key("s", {"Control"})
    c.e.until(lambda: c.message() is not None)
    c.equal(c.message(), "The browser could not make the picture into a file to download. The picture is still here.",
            "the message")
    c.dismiss()
    c.equal(sorted(os.listdir(c.e.download_dir)), files, "no file downloaded")
    c.drawn_around_triangle("the picture is still here")


def download_is_the_canvas_pixel_for_pixel(c):
    width, height = picture_size(c.e.ratio)
    c.equal(c.js(PICTURE)[:2], [width, height], "the picture's size")
    c.triangle()
    c.draw()
    c.e.key("s", {"Control"})
    saved = pathlib.Path(c.e.download_dir, "chaos-game.png")
    # The whole file: its last chunk written.
    c.e.until(lambda: saved.exists() and saved.read_bytes().endswith(b"IEND\xaeB`\x82"))
    png = saved.read_bytes()
    c.equal((png[:8], int.from_bytes(png[16:20], "big"), int.from_bytes(png[20:24], "big")),
            (b"\x89PNG\r\n\x1a\n", width, height), "a PNG of the picture's size")
    c.equal(c.e.js_async("const bytes = Uint8Array.from(atob(arguments[0]), c => c.charCodeAt(0));" +
                         DIFFERING_FROM_CANVAS, base64.b64encode(png).decode()), 0, "bytes differing")


download_is_the_canvas_pixel_for_pixel.ratios = True


def copy_puts_the_picture_on_the_clipboard_or_says_it_cannot(c):
    c.triangle()
    c.draw()
    c.e.clipboard(True)
    c.js("window.written = undefined; const write = navigator.clipboard.write.bind(navigator.clipboard);"
         "navigator.clipboard.write = (items) => write(items).then(() => window.written = 'yes', e => {"
         "window.written = String(e); throw e; });")
    c.e.key("c", {"Control"})
    c.e.until(lambda: c.js("return window.written !== undefined"))
    c.equal([c.js("return window.written"), c.message()], ["yes", None], "written, no message")
    if "clipboard read" in c.e.cannot:
        c.cannot("clipboard read", "the write succeeded and no message came")
    else:
        # The write ends after the key has been handled: read until the picture is there.
        c.equal(c.e.js_async("""const read = (tries) => navigator.clipboard.read()
                .then(items => items.some(i => i.types.includes("image/png")) || !tries ? items[0].getType("image/png")
                      : new Promise(wait => setTimeout(wait, 100)).then(() => read(tries - 1)));
            read(20).then(png => png.arrayBuffer()).then(buffer => {
                const bytes = new Uint8Array(buffer);""" + DIFFERING_FROM_CANVAS +
                             "}).catch(e => arguments[0](String(e)));"), 0, "the clipboard's picture")
    if not c.e.clipboard(False):
        c.cannot("clipboard permission", "the message when the write is refused (the page's write made to fail)")
        c.js("navigator.clipboard.write = () => Promise.reject(new DOMException('refused', 'NotAllowedError'))")
    c.e.key("c", {"Control"})
    c.e.until(lambda: c.message() is not None)
    c.true(c.message().startswith("The browser did not let the picture be copied"), c.message())


def print_has_its_picture_ready(c):
    # The browsers' print dialogs are their own: what the page gives them is checked, that the
    # print image is the picture, set and decoded, when window.print() is called.
    c.cannot("print", "the print image when the page's Ctrl+P calls window.print()")
    c.triangle()
    c.draw()
    c.js("""window.printed = undefined; window.print = () => { const image = document.getElementById('printPicture');
        window.printed = [image.src.startsWith('data:image/png'), image.complete, image.naturalWidth, image.naturalHeight]; };""")
    c.e.key("p", {"Control"})
    if c.e.name == "webkit":  # the key went to MiniBrowser's Print dialog: close it, make the page's key up
        c.e.close_print_dialog()
        c.equal(c.js("return window.printed"), None, "the page got no Ctrl+P")
        c.js("document.getElementById('box').dispatchEvent(new KeyboardEvent('keydown', "
             "{key: 'p', code: 'KeyP', ctrlKey: true, bubbles: true}))")
    c.e.until(lambda: c.js("return window.printed !== undefined"))
    ready, decoded, width, height = c.js("return window.printed")
    pixels = c.js(PICTURE)[:2]
    block = width // pixels[0]
    c.equal([ready, decoded, [width, height]], [True, True, [pixels[0] * block, pixels[1] * block]], "the print image, ready")
    # Each picture pixel a block of 4 x 4 printed pixels, fewer where that would pass 10 million.
    area = pixels[0] * pixels[1]
    c.true(1 <= block <= 4 and area * block ** 2 <= 10e6 and (block == 4 or area * (block + 1) ** 2 > 10e6),
           ("the print image's blocks", block, pixels))
    c.equal(c.message(), None, "no message")


print_has_its_picture_ready.ratios = True


def keyboard_point(c):
    keys = [("ArrowRight", {"Shift"}, (285, 239)), ("ArrowDown", (), (285, 240)), ("ArrowLeft", (), (284, 240))]
    c.e.key(" ")
    for key, modifiers, (x, y) in keys:
        c.e.key(key, modifiers)
        c.e.key("Enter")
        c.greater(c.colours([x - 6, y - 6, x + 7, y + 7]).get(RED, 0), 0, key)
    c.true(c.js(KEY_POINT_SHOWN), "the keyboard point shows after keys")
    c.true(BLACK not in c.colours(), "and is not in the picture")
    c.e.press(0, 0, "middle")
    c.equal(c.js(KEY_POINT_SHOWN), False, "a mouse press hides it")
    c.e.key("ArrowUp")
    c.e.key("F10", {"Shift"})
    c.true(BLACK in c.colours(), "Shift+F10 draws")


def touch_tap_and_long_press(c):
    taps = [(x, y, 0.05) for x, y in TRIANGLE] + [(*CENTRE, 0.9)]
    if "touch" in c.e.cannot:
        c.cannot("touch", "the page's touch handling, fed made-up touch pointer events")
        c.e.js_async("""const done = arguments[arguments.length - 1], box = document.getElementById('box');
            const r = document.getElementById('picture').getBoundingClientRect();
            const send = (type, x, y) => box.dispatchEvent(new PointerEvent(type, {pointerId: 7, pointerType: 'touch',
                isPrimary: true, bubbles: true, button: 0, clientX: r.left + x, clientY: r.top + y}));
            (async () => { for (const [x, y, hold] of arguments[0]) {
                send('pointerdown', x, y); await new Promise(w => setTimeout(w, hold * 1000)); send('pointerup', x, y); }
            })().then(done);""", taps)
    else:
        c.e.touch(taps)
    c.greater(c.colours().get(BLACK, 0), 5000, "drawn by the long press")
    c.equal(c.colours([265, 230, 286, 251]).get(RED, 0), 0, "the long press placed no anchor")


def narrow_window_scales_the_form(c):
    c.e.set_window_size(420, 700)
    c.e.until(lambda: c.js("return document.getElementById('form').style.transform !== ''"))
    if c.e.min_width:
        print(f"    {c.e.name} cannot: a window narrower than {c.e.min_width} px; checked instead: the form "
              f"scaled into the {c.js('return innerWidth')} px it makes", flush=True)
    scale, right, inner = c.js("const f = document.getElementById('form');"
                               "return [f.style.transform, f.getBoundingClientRect().right, document.documentElement.clientWidth]")
    print(f"    {c.e.name}: {scale} into {inner} px", flush=True)
    c.true(right <= inner, ("the form fits", right, inner))
    c.e.press(100.5, 200.5)
    box = c.colours([80, 180, 121, 221])
    c.equal(c.js("return [document.getElementById('picture').width, document.getElementById('picture').height]"),
            [WIDTH, HEIGHT], "the picture's pixels")
    reds = c.js(with_area("""const d = document.getElementById('picture').getContext('2d').getImageData(0, 0, WIDTH, HEIGHT).data;
        const xs = []; for (let i = 0; i < d.length; i += 4) if (d[i] === 255 && !d[i + 1]) xs.push((i / 4) % WIDTH);
        return [Math.min(...xs), Math.max(...xs)];"""))
    c.true(abs(sum(reds) / 2 - 100) <= 1, ("the anchor where pressed", reds))
    c.greater(box.get(RED, 0), 0, "red near the press")


def shown_at_the_screens_density(c, ratio=None):
    """The picture on the screen's device pixels at the engine's ratio (or, after a change, at
    `ratio` with the picture of the ratio before): one picture pixel per device pixel where the
    picture is at the screen's density, scaled to the drawing area where not; never a stray line
    in the frame."""
    dense = ratio is None
    ratio = ratio or c.e.ratio
    width, height, css_width, css_height = c.js(PICTURE)
    scale = ratio if dense else width / WIDTH
    # (CSS keeps a size to a thousandth of a pixel: 826 / 1.5 is 550.667.)
    c.equal((round(css_width * scale, 2), round(css_height * scale, 2)), (width, height), "the canvas's CSS size")
    at, differing, ring = c.e.js_async(SCREEN_PICTURE, base64.b64encode(c.e.screenshot()).decode())
    print(f"    {c.e.name} at {c.e.ratio}: the picture {width} x {height} on {at[2]} x {at[3]} device pixels "
          f"at {at[:2]}, {differing} differing; around it {ring}", flush=True)
    c.true(len(ring) == 1, ("the frame alone around the picture: no stray line, no gap", ring))
    if dense or ratio == width / WIDTH or ratio == round(ratio):
        c.equal((at[2:], differing), ([round(css_width * ratio), round(css_height * ratio)], 0), "the picture as shown")
    return width


def the_picture_at_the_screens_density(c):
    ratio = c.e.ratio
    c.equal(c.js("return devicePixelRatio"), ratio, "the engine's ratio")
    c.equal(c.js(PICTURE)[:2], list(picture_size(ratio)), "the picture's pixels")
    c.triangle()
    c.draw()
    shown_at_the_screens_density(c)
    # A press puts the circle's centre on the device pixel it is in: at whole CSS pixels of the
    # viewport (what every engine's input gives), on device pixels' edges and, at 1.5, within
    # them; and where the engine gives fractions, just before the next device pixel.
    left, top = c.js("const r = document.getElementById('picture').getBoundingClientRect();"
                     "return [Math.round(r.left * devicePixelRatio), Math.round(r.top * devicePixelRatio)]")
    y, (width, height) = 150, c.js(PICTURE)[:2]
    for x in [74 + n + within for n in range(4) for within in ([0, 0.6] if c.e.fractional else [0])]:
        c.e.click("Command1")
        c.e.until(lambda: c.js(RED_SPAN, [0, 0, width, height]) is None)  # cleared
        c.js("addEventListener('pointerdown', e => window.pressPlace = [e.clientX, e.clientY], {capture: true, once: true})")
        c.e.press_at(x, y, "left", set())
        # On the device pixel the engine says the press was on (it may move it to a whole one).
        at = c.js("return window.pressPlace")
        column, row = math.floor(at[0] * ratio + 1e-9) - left, math.floor(at[1] * ratio + 1e-9) - top
        around = [column - 25, row - 25, column + 26, row + 26]
        span = c.js(RED_SPAN, around)
        c.equal(span and [(span[0] + span[1]) / 2, (span[2] + span[3]) / 2], [column, row], ("pressed at", x))
    # A window narrower than the form, at any ratio: the form fits, and nothing scrolls sideways.
    for width in [420, 610, 700]:
        c.e.set_window_size(width, 700)
        try:
            c.e.until(lambda: c.js("const d = document.documentElement, f = document.getElementById('form');"
                                   "return f.style.transform !== '' && d.scrollWidth <= d.clientWidth"), 3)
        except AssertionError:
            raise AssertionError(("no sideways scroll", width, c.js(
                "const d = document.documentElement; return [innerWidth, d.scrollWidth, d.clientWidth]")))


the_picture_at_the_screens_density.ratios = True


def a_ratio_change_keeps_the_picture(c):
    if "ratio change" in c.e.cannot:
        return c.cannot("ratio change", "the pictures at each ratio the engine starts at")
    c.triangle()
    c.draw()
    drawn = c.colours()
    c.e.set_ratio(2)
    c.e.until(lambda: c.js("return devicePixelRatio") == 2)
    c.equal(c.colours(), drawn, "the picture kept")
    shown_at_the_screens_density(c, 2)
    c.e.press(100, 100)  # on the picture of ratio 1: its pixel (100, 100)
    span = c.js(RED_SPAN, [75, 75, 126, 126])
    c.equal(span and [(span[0] + span[1]) / 2, (span[2] + span[3]) / 2], [100, 100], "the press after the change")
    c.e.click("Command1")
    c.equal(c.js(PICTURE)[:2], list(picture_size(2)), "Clear Screen gives the new density")
    shown_at_the_screens_density(c)


# Draws of `dots` around the triangle by three Programs of the page's module, each with a stub page
# and the same seed: one on the page's workers, one on its own, one whose workers cannot start.
# To the last callback: the requests the workers answered, the pixels that differ from the draw
# on one core, and the workers each Program had.
DRAW_ON_CORES = """const done = arguments[arguments.length - 1], [dots, corners] = arguments;
const none = { count: () => 0, send() {} };
const cannot = () => { const real = Worker; Worker = function () { throw new Error("no workers here"); };
                       return [makeWorkers((t, a) => programs[2].answered(t, a)), () => { Worker = real; }]; };
const programs = [];
createChaosGame().then(async (M) => {
    const draw = (pool, fixed = () => {}) => new Promise((resolve, fail) => {
        let answers = 0;
        const channel = new MessageChannel(), at = programs.length;
        channel.port1.onmessage = () => programs[at].tick();
        const page = { text: () => String(dots), chosenRow: () => -1, focus() {}, setBusy() {}, showMarks() {},
            showPicture() {}, showMessage: fail, showProgress() {}, updateProgress() {}, hideProgress() {},
            callSoon: () => channel.port2.postMessage(0), callAfter: (ms) => setTimeout(() => programs[at].tick(), ms),
            savePicture() {}, copyPicture() {}, printPicture() {},
            end() {}, workerCount: () => pool.count(), sendToWorker: (ticket, request) => pool.send(ticket, request) };
        const program = new M.Program(page);
        programs.push(program);
        program.densityChanged(1);
        M.reseed(program, 2027);
        const workers = pool.count();
        for (const [x, y] of corners) program.surfaceDown(1, 0, x, y);
        program.surfaceDown(2, 0, 0, 0);
        const ended = () => M.drawing(program) ? setTimeout(ended) : (fixed(), resolve([M.pixels(program).slice(), workers]));
        ended();
    });
    let requests = 0;
    const pool = makeWorkers((t, a) => { requests += a.length > 0; programs[0].answered(t, a); });
    const [[onAll, workers], [onOne], [unstarted, failedWorkers]] = [await draw(pool), await draw(none), await draw(...cannot())];
    const differ = (a) => { let n = 0; for (let i = 0; i < a.length; i += 4) n += a[i] !== onOne[i] || a[i + 1] !== onOne[i + 1]; return n; };
    done([requests, differ(onAll), differ(unstarted), workers, failedWorkers]);
}).catch((error) => done(String(error)));"""


def draws_on_every_core(c):
    # A long draw on the page's workers too has the dots of the draw on one core; where workers
    # cannot start, the draw is on one core. (The long-draw cases above draw on the workers of
    # the page itself.)
    cores = c.js("return navigator.hardwareConcurrency")
    requests, differ, unstarted, workers, failed_workers = c.e.js_async(DRAW_ON_CORES, 20000000, TRIANGLE)
    c.equal([differ, unstarted], [0, 0], "pixels that differ from the draw on one core")
    wanted = min(cores, 16) if cores > 1 else 0
    c.equal(workers, wanted, "workers")
    c.greater(requests, 0, "requests the workers answered")
    c.equal(failed_workers, wanted, "workers offered before they failed to start")
    print(f"    {c.e.name}: {requests} requests answered by {workers} workers", flush=True)


CASES = [form_places_names_and_tab_order, triangle_drawn_and_kept_when_hidden, buttons_and_modifiers,
         counts_and_messages, a_million_digits, too_many_anchors, colours, clear_screen_keeps_the_anchors,
         exit_ends_the_program, f1_shows_the_keys, long_draw_stopped, reload_during_a_draw,
         shipped_page_has_no_hook_and_draws, download_is_the_canvas_pixel_for_pixel,
         a_download_the_browser_cannot_make_says_so, copy_puts_the_picture_on_the_clipboard_or_says_it_cannot,
         print_has_its_picture_ready, keyboard_point, touch_tap_and_long_press, narrow_window_scales_the_form,
         the_picture_at_the_screens_density, a_ratio_change_keeps_the_picture, draws_on_every_core]


def run(page, test_page, name, only=None):
    start = time.monotonic()
    failed = 0
    runs = [(ratio, case) for ratio in ENGINES[name].ratios for case in CASES
            if (ratio == 1 or getattr(case, "ratios", False)) and (not only or case.__name__ in only)]
    for ratio in dict.fromkeys(r for r, _ in runs):
        failed += run_at(page, test_page, name, ratio, [case for r, case in runs if r == ratio])
    print(f"page ({name}): {time.monotonic() - start:.0f} s")
    if failed:
        print(f"page ({name}): {len(runs) - failed} passed, {failed} failed")
    else:  # as ctest says it, for the test command's count
        print(f"page ({name}): 100% tests passed, 0 tests failed out of {len(runs)}")
    return failed


def run_at(page, test_page, name, ratio, cases):
    engine = ENGINES[name](ratio)
    failed = 0
    try:
        for case in cases:
            t = time.monotonic()
            try:
                engine.set_window_size(900, 700)
                engine.open(page if getattr(case, "shipped", False) else test_page)
                engine.js(WATCH)
                case(Checks(engine, test_page))
                result = "ok"
            except Exception as error:
                failed += 1
                result = "FAILED: " + (str(error) if isinstance(error, AssertionError) else traceback.format_exc())
            print(f"  {name}{'' if ratio == 1 else f' at {ratio}'} {case.__name__}: {result} "
                  f"({time.monotonic() - t:.1f} s)", flush=True)
    finally:
        engine.quit()
    return failed


if __name__ == "__main__":
    page, test_page, names = sys.argv[1], sys.argv[2], sys.argv[3:] or ["chromium"]
    for path in (page, test_page):
        if not pathlib.Path(path).is_file():
            sys.exit(f"there is no page {path}")
    only = [n for n in names if n not in ENGINES]
    sys.exit(1 if sum([run(page, test_page, n, only) for n in names if n in ENGINES]) else 0)
