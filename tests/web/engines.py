"""The page's tests drive three engines through one set of methods, each with real input:

    chromium  Debian's chromium + chromedriver, headless; input through the DevTools protocol
    firefox   firefox-esr in a real window on $DISPLAY, over WebDriver BiDi through
              puppeteer-core in bridge.js (a headless window never gets the focus, so
              Enter and Space would press no button)
    webkit    WebKitWebDriver + MiniBrowser on $DISPLAY; presses and keys are real X input
              through xdotool (WebKit's WebDriver makes up its input: a right release
              comes as a left one)

Positions are CSS pixels from an element's corner, as it is scaled; buttons "left",
"middle", "right"; modifiers a set of "Shift", "Control", "Alt"; keys by their
KeyboardEvent.key ("Enter", " ", "Tab", "Escape", "ArrowLeft", "F1", "s", ...).
Each engine's `cannot` names what it cannot do, for the tests to say so. Each starts at a
device pixel ratio (`ratio`, 1 unless given): Chromium by --force-device-scale-factor, Firefox by
its layout.css.devPixelsPerPx, WebKitGTK by GDK_SCALE, which takes whole numbers only.
"""
import base64
import json
import math
import os
import pathlib
import subprocess
import tempfile
import time

HERE = pathlib.Path(__file__).resolve().parent

# The element's corner in the viewport and its scale (a narrow window scales the form).
CORNER = """const e = document.getElementById(arguments[0]); const r = e.getBoundingClientRect();
return [r.left, r.top, r.width / (parseFloat(e.style.width) || e.offsetWidth)];"""


# The keys (but modifiers) and mouse button releases the page has been handed since it loaded,
# counted as they come: a release, or a context menu the page left to the browser, whose menu
# then takes the release.
INPUT_COUNTS = """if (!window.inputCounts) {
    window.inputCounts = [0, 0];
    const modifiers = ["Shift", "Control", "Alt", "Meta", "AltGraph", "CapsLock"];
    addEventListener("keydown", e => { if (!modifiers.includes(e.key)) inputCounts[0]++; }, true);
    addEventListener("pointerup", () => inputCounts[1]++, true);
    addEventListener("contextmenu", e => { if (!e.defaultPrevented) inputCounts[1]++; });
}
return inputCounts;"""
INPUT_FUSE = 30  # seconds: a fuse for input that never comes, far above any delay seen on a busy machine


def xdotool(*args):
    return subprocess.run(["xdotool", *map(str, args)], check=True, capture_output=True, text=True).stdout


def popup_menu_shown():
    """Whether a browser's own popup menu (its context menu) is on the X screen."""
    def run(*args):
        return subprocess.run(args, capture_output=True, text=True).stdout
    windows = [line.split()[0] for line in run("xwininfo", "-root", "-children").splitlines()
               if line.strip().startswith("0x")]
    return any("IsViewable" in run("xwininfo", "-id", w) and
               "_NET_WM_WINDOW_TYPE_POPUP_MENU" in run("xprop", "-id", w, "_NET_WM_WINDOW_TYPE") for w in windows)


class Engine:
    name = "?"
    cannot = {}  # what the engine cannot do: {"touch": why, ...}
    min_width = 0  # the narrowest window it makes
    ratios = (1, 1.5, 2)  # the device pixel ratios it can start at
    fractional = False  # whether its presses keep fractions of a CSS pixel

    def __init__(self, ratio=1):
        self.ratio = ratio
        self.home = tempfile.TemporaryDirectory(prefix=f"page-test-{self.name}-")
        self.download_dir = os.path.join(self.home.name, "downloads")
        os.makedirs(self.download_dir)

    def open(self, path):
        self.goto(pathlib.Path(path).resolve().as_uri())
        self.until(lambda: self.js("return !document.getElementById('loading')"))

    def until(self, condition, timeout=None):
        """Waits for a state; the time is a fuse, far above what any state takes on a busy machine."""
        end = time.monotonic() + (timeout or INPUT_FUSE)
        while not condition():
            if time.monotonic() > end:
                raise AssertionError("timed out")
            time.sleep(0.02)

    def viewport_point(self, x, y, element_id):
        left, top, scale = self.js(CORNER, element_id)
        return left + x * scale, top + y * scale

    def press(self, x, y, button="left", modifiers=(), element="picture"):
        self.press_at(*self.viewport_point(x, y, element), button, set(modifiers))

    def click(self, element_id):
        w, h = self.js("const e = document.getElementById(arguments[0]); return [e.offsetWidth, e.offsetHeight];",
                       element_id)
        self.press(w / 2, h / 2, element=element_id)

    def close_browser_menu(self):
        pass

    def quit(self):
        self.home.cleanup()


def close_popup_menu(engine):
    """Closes the browser's own context menu with a real Esc, once it is open (it opens after the
    page has let the press go), and gives the page the focus again once it is closed."""
    engine.until(popup_menu_shown, INPUT_FUSE)
    xdotool("key", "Escape")
    engine.until(lambda: not popup_menu_shown(), INPUT_FUSE)
    engine.take_focus()


# --- Chromium --------------------------------------------------------------
CDP_KEYS = {"Enter": ("Enter", 13, "\r"), " ": ("Space", 32, " "), "Tab": ("Tab", 9, ""), "Backspace": ("Backspace", 8, ""), "Escape": ("Escape", 27, ""),
            "ArrowLeft": ("ArrowLeft", 37, ""), "ArrowUp": ("ArrowUp", 38, ""), "ArrowRight": ("ArrowRight", 39, ""),
            "ArrowDown": ("ArrowDown", 40, ""), "F1": ("F1", 112, ""), "F10": ("F10", 121, "")}  # code, key code, text
CDP_BITS = {"Alt": 1, "Control": 2, "Shift": 8}


class Chromium(Engine):
    name = "chromium"
    fractional = True
    cannot = {"print": "Ctrl+P in headless Chromium prints nowhere to look at"}

    def __init__(self, ratio=1):
        super().__init__(ratio)
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync", "--no-first-run",
                     f"--user-data-dir={self.home.name}/profile", "--window-size=900,700",
                     f"--force-device-scale-factor={ratio}"):
            options.add_argument(flag)
        self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)

    def cdp(self, command, **params):
        return self.driver.execute_cdp_cmd(command, params)

    def goto(self, url):
        self.driver.get(url)
        self.cdp("Browser.setDownloadBehavior", behavior="allow", downloadPath=self.download_dir)

    def reload(self):
        self.driver.refresh()

    def screenshot(self):
        """The viewport's device pixels, as a PNG."""
        return base64.b64decode(self.cdp("Page.captureScreenshot", format="png")["data"])

    def set_ratio(self, ratio):
        """The running page's screen at another device pixel ratio."""
        self.cdp("Emulation.setDeviceMetricsOverride", width=0, height=0, deviceScaleFactor=ratio, mobile=False)
        self.ratio = ratio

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def js_async(self, script, *args):
        return self.driver.execute_async_script(script, *args)

    def press_at(self, x, y, button, modifiers):
        at = {"x": x, "y": y, "button": button, "clickCount": 1, "modifiers": sum(CDP_BITS[m] for m in modifiers)}
        self.cdp("Input.dispatchMouseEvent", type="mousePressed", **at)
        self.cdp("Input.dispatchMouseEvent", type="mouseReleased", **at)

    def key(self, key, modifiers=()):
        code, vk, text = CDP_KEYS.get(key) or (f"Key{key.upper()}", ord(key.upper()), key)
        bits = sum(CDP_BITS[m] for m in modifiers)
        if bits & (CDP_BITS["Control"] | CDP_BITS["Alt"]):
            text = ""
        common = {"key": key, "code": code, "windowsVirtualKeyCode": vk, "modifiers": bits}
        self.cdp("Input.dispatchKeyEvent", type="keyDown" if text else "rawKeyDown", text=text, **common)
        self.cdp("Input.dispatchKeyEvent", type="keyUp", **common)

    def insert_text(self, text):
        self.cdp("Input.insertText", text=text)

    def touch(self, taps, element="picture"):
        for x, y, hold in taps:
            vx, vy = self.viewport_point(x, y, element)
            self.cdp("Input.dispatchTouchEvent", type="touchStart", touchPoints=[{"x": vx, "y": vy}])
            time.sleep(hold)
            self.cdp("Input.dispatchTouchEvent", type="touchEnd", touchPoints=[])

    def clipboard(self, allowed):
        if allowed:
            self.cdp("Browser.grantPermissions", permissions=["clipboardReadWrite", "clipboardSanitizedWrite"])
        else:
            self.cdp("Browser.setPermission", permission={"name": "clipboard-write"}, setting="denied")
        return True

    def hide_and_show(self):
        page = self.driver.current_window_handle
        self.driver.switch_to.new_window("tab")
        self.driver.close()
        self.driver.switch_to.window(page)

    def set_window_size(self, width, height):
        self.driver.set_window_size(width, height)

    def accessible_name(self, element_id, expected=None):
        return self.driver.find_element("id", element_id).accessible_name

    def quit(self):
        self.driver.quit()
        super().quit()


# --- Firefox ---------------------------------------------------------------
class Firefox(Engine):
    name = "firefox"
    cannot = {"ratio change": "no way to change a running page's device pixel ratio from outside",
              "clipboard permission": "Firefox has no clipboard permission to deny at run time "
                                      "(launch prefs let the page write and read)",
              "menu": "Shift+right-click opens Firefox's own context menu; no contextmenu event reaches the page",
              "print": "Ctrl+P opens Firefox's print preview, which no page script sees"}
    min_width = 500

    def __init__(self, ratio=1):
        super().__init__(ratio)
        env = dict(os.environ, PUPPETEER_SKIP_DOWNLOAD="1", MOZ_CRASHREPORTER_DISABLE="1")
        self.bridge = subprocess.Popen(["node", str(HERE / "bridge.js")], cwd=HERE, env=env, text=True,
                                       stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                       stderr=open(os.path.join(self.home.name, "bridge.log"), "w"))
        self.calls = 0
        self.call("launch", downloadDir=self.download_dir, profileDir=os.path.join(self.home.name, "profile"),
                  prefs={"layout.css.devPixelsPerPx": str(ratio)} if ratio != 1 else {})
        self.window = xdotool("search", "--sync", "--onlyvisible", "--class", "firefox").split()[-1]
        xdotool("windowfocus", "--sync", self.window)

    def call(self, command, **args):
        self.calls += 1
        self.bridge.stdin.write(json.dumps({"id": self.calls, "cmd": command, "args": args}) + "\n")
        self.bridge.stdin.flush()
        answer = json.loads(self.bridge.stdout.readline() or '{"error": "the bridge ended"}')
        if "error" in answer:
            raise RuntimeError(f"firefox {command}: {answer['error']}")
        return answer["value"]

    def goto(self, url):
        self.call("goto", url=url)

    def open(self, path):
        super().open(path)
        self.take_focus()

    def reload(self):
        self.call("reload")
        self.take_focus()

    def screenshot(self):
        return pathlib.Path(self.call("screenshot", path=os.path.join(self.home.name, "screen.png"))).read_bytes()

    def take_focus(self):
        """Enter and Space press a button only in a document that has the focus. A Tab out of the
        page's last control puts the focus in Firefox's toolbar, and there it stays: a real X click
        into the viewport's bottom right corner (the page's background) brings it back."""
        if self.js("return document.hasFocus()"):
            return
        x, y = self.js("return [mozInnerScreenX + innerWidth - 4, mozInnerScreenY + innerHeight - 4]")
        xdotool("windowfocus", "--sync", self.window, "mousemove", "--sync", round(x), round(y), "click", 1)
        self.until(lambda: self.js("return document.hasFocus()"))

    def js(self, script, *args):
        return self.call("js", script=script, args=list(args))

    def js_async(self, script, *args):
        return self.call("jsAsync", script=script, args=list(args))

    def press_at(self, x, y, button, modifiers):
        self.call("press", x=x, y=y, button=button, modifiers=sorted(modifiers))

    def key(self, key, modifiers=()):
        self.call("key", key=key, modifiers=sorted(modifiers))

    def insert_text(self, text):
        self.call("insertText", text=text)

    def touch(self, taps, element="picture"):
        self.call("touch", taps=[[*self.viewport_point(x, y, element), hold * 1000] for x, y, hold in taps])

    def clipboard(self, allowed):
        return allowed  # the launch prefs allow it; nothing denies it

    def hide_and_show(self):
        self.call("hideAndShow")
        self.take_focus()

    def close_browser_menu(self):
        close_popup_menu(self)  # Firefox's own menu takes only real keys

    def set_window_size(self, width, height):
        self.call("setWindowSize", width=width, height=height)

    def accessible_name(self, element_id, expected):
        """BiDi computes no name, but finds an element by one: `expected` if it finds this one."""
        found = self.call("named", name=expected)
        return expected if found == element_id else f"{expected!r} names {found!r}"

    def quit(self):
        try:
            self.call("quit")
        except (RuntimeError, BrokenPipeError, ValueError):
            pass
        self.bridge.wait(20)
        super().quit()


# --- WebKit ----------------------------------------------------------------
XDO_KEYS = {"Enter": "Return", " ": "space", "Backspace": "BackSpace", "Escape": "Escape", "ArrowLeft": "Left", "ArrowUp": "Up",
            "ArrowRight": "Right", "ArrowDown": "Down"}
XDO_MODIFIERS = {"Shift": "shift", "Control": "ctrl", "Alt": "alt"}
XDO_BUTTONS = {"left": 1, "middle": 2, "right": 3}
MINIBROWSER = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"


class WebKit(Engine):
    name = "webkit"
    cannot = {"ratio change": "no way to change a running page's device pixel ratio from outside",
              "touch": "no touch device on Xvfb, and WebKitGTK's WebDriver has no touch actions",
              "clipboard read": "navigator.clipboard.read() is refused (NotAllowedError), no permission to grant",
              "print": "MiniBrowser takes Ctrl+P for its own Print dialog (the page gets no key), and "
                       "window.print() returns at once under --automation",
              "clipboard permission": "WebKitGTK has no clipboard permission to deny",
              "hidden tab": "MiniBrowser's new tab is a new window: the page's window is never hidden"}
    min_width = 447
    ratios = (1, 2)  # GDK_SCALE is a whole number
    browser_keys = {("p", frozenset({"Control"}))}  # keys MiniBrowser keeps: the page gets no event

    def __init__(self, ratio=1):
        super().__init__(ratio)
        from selenium import webdriver
        from selenium.webdriver.webkitgtk.options import Options
        from selenium.webdriver.webkitgtk.service import Service
        # Downloads go into the XDG download folder, which this config names.
        config = os.path.join(self.home.name, "config")
        os.makedirs(config)
        pathlib.Path(config, "user-dirs.dirs").write_text(f'XDG_DOWNLOAD_DIR="{self.download_dir}"\n')
        env = dict(os.environ, XDG_CONFIG_HOME=config, HOME=self.home.name, GDK_BACKEND="x11", GDK_SCALE=str(ratio),
                   WEBKIT_DISABLE_COMPOSITING_MODE="1", LIBGL_ALWAYS_SOFTWARE="1")
        options = Options()
        options.binary_location = MINIBROWSER
        options.add_argument("--automation")
        # Debian's selenium 4.8 WebKitGTK driver takes no service: start it here.
        self.service = Service("/usr/bin/WebKitWebDriver", env=env,
                               log_path=os.path.join(self.home.name, "webkitwebdriver.log"))
        self.service.start()
        try:
            self.driver = webdriver.Remote(command_executor=self.service.service_url, options=options)
        except Exception:
            self.service.stop()
            raise
        self.window = self.offset = None

    def focus(self):
        """The X focus on MiniBrowser's window: the largest visible one."""
        if self.window is None:
            def area(window):
                size = xdotool("getwindowgeometry", window).split("Geometry: ")[1].split()[0].split("x")
                return int(size[0]) * int(size[1])
            self.window = max(xdotool("search", "--sync", "--onlyvisible", "--name", "Automation").split(), key=area)
        xdotool("windowfocus", "--sync", self.window)

    def goto(self, url):
        self.driver.get(url)
        self.offset = None

    def open(self, path):
        super().open(path)
        self.take_focus()

    def reload(self):
        self.driver.refresh()
        self.offset = None
        self.take_focus()

    def take_focus(self):
        """As Firefox's: a press on an inert form leaves the page without the focus, and keys
        go nowhere; a real click into the viewport's bottom right corner brings it back."""
        if self.js("return document.hasFocus()"):
            return
        if self.offset is None:
            self.calibrate()
        x, y = self.js("return [innerWidth - 4, innerHeight - 4]")
        self.xinput("mousemove", "--sync", *self.on_screen(x, y), "click", 1, presses=1)
        self.until(lambda: self.js("return document.hasFocus()"))

    def calibrate(self):
        """Where the viewport's corner is on the screen: a mouse moved to a known point says (left
        and low: the downloads list MiniBrowser opens at the top right, twice as large at
        GDK_SCALE 2, takes the mouse's moves over it)."""
        self.focus()
        at = xdotool("getwindowgeometry", self.window).split("Position: ")[1].split()[0].split(",")
        sx, sy = int(at[0]) + 60, int(at[1]) + 360
        xdotool("mousemove", sx - 5, sy - 5)

        def viewport_at(x, y):
            self.js("window.lastMove = null; addEventListener('mousemove', "
                    "e => window.lastMove = [e.clientX, e.clientY], {capture: true, once: true});")
            xdotool("mousemove", x, y)
            self.until(lambda: self.js("return window.lastMove"))
            return self.js("return window.lastMove")

        # The engine may give whole CSS pixels: move on one device pixel at a
        # time to the first device pixel of a CSS pixel, along each axis.
        def first_pixel(axis):
            at = [sx, sy]
            before = viewport_at(*at)[axis]
            for _ in range(math.ceil(self.ratio) + 1):
                at[axis] += 1
                now = viewport_at(*at)[axis]
                if now != before:
                    return at[axis] - now * self.ratio
                before = now
            return at[axis] - now * self.ratio

        self.offset = (first_pixel(0), first_pixel(1))

    def on_screen(self, x, y):
        """A viewport point's X screen pixel (X counts device pixels)."""
        return round(self.offset[0] + x * self.ratio), round(self.offset[1] + y * self.ratio)

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def js_async(self, script, *args):
        return self.driver.execute_async_script(script, *args)

    def screenshot(self):
        return self.driver.get_screenshot_as_png()

    def press_at(self, x, y, button, modifiers):
        if self.offset is None:
            self.calibrate()
        mods = [XDO_MODIFIERS[m] for m in sorted(modifiers)]
        self.xinput("mousemove", "--sync", *self.on_screen(x, y),
                    *(a for m in mods for a in ("keydown", m)), "mousedown", XDO_BUTTONS[button],
                    "mouseup", XDO_BUTTONS[button], *(a for m in reversed(mods) for a in ("keyup", m)), presses=1)

    def xinput(self, *args, keys=0, presses=0):
        """X input, sent and then handled: it reaches the page later, after MiniBrowser's own
        process has passed it on (seconds later on a busy machine), so the page counts the
        keys (other than modifiers) and the releases of mouse buttons it has been handed, and
        this waits until `keys` more keys and `presses` more releases have been handled."""
        before = self.js(INPUT_COUNTS)
        xdotool(*args)
        want = [before[0] + keys, before[1] + presses]
        try:
            self.until(lambda: all(got >= w for got, w in zip(self.js(INPUT_COUNTS), want)), INPUT_FUSE)
        except AssertionError:
            raise AssertionError(f"the page was handed {self.js(INPUT_COUNTS)} keys and releases, not {want}, "
                                 f"{INPUT_FUSE} s after xdotool {' '.join(map(str, args))}") from None

    def key(self, key, modifiers=()):
        self.focus()
        kept = (key, frozenset(modifiers)) in self.browser_keys
        self.xinput("key", "--clearmodifiers", "+".join([XDO_MODIFIERS[m] for m in sorted(modifiers)] +
                                                       [XDO_KEYS.get(key, key)]), keys=0 if kept else 1)

    def insert_text(self, text):
        if len(text) > 100:  # typing a million keys would take hours: the editing command inserts it
            self.js("document.execCommand('insertText', false, arguments[0])", text)
        else:
            self.xinput("type", "--delay", 10, "--", text, keys=len(text))

    def clipboard(self, allowed):
        return allowed  # nothing to grant, nothing to deny

    def close_print_dialog(self):
        """Closes MiniBrowser's Print dialog, and waits until it has gone: while it is open, keys
        meant for the page go nowhere."""
        dialog = xdotool("search", "--sync", "--onlyvisible", "--name", "^Print$").split()[0]
        xdotool("windowfocus", "--sync", dialog, "key", "Escape")
        self.until(lambda: subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Print$"],
                                          capture_output=True).returncode != 0)
        self.take_focus()

    def close_browser_menu(self):
        close_popup_menu(self)  # MiniBrowser's own menu takes the focus and only real keys

    def hide_and_show(self):
        page = self.driver.current_window_handle
        self.driver.switch_to.new_window("tab")
        self.driver.close()
        self.driver.switch_to.window(page)
        self.window = self.offset = None

    def set_window_size(self, width, height):
        self.driver.set_window_size(width, height)
        self.offset = None

    def accessible_name(self, element_id, expected=None):
        return self.driver.find_element("id", element_id).accessible_name

    def quit(self):
        self.driver.quit()
        self.service.stop()
        super().quit()


ENGINES = {"chromium": Chromium, "firefox": Firefox, "webkit": WebKit}


def own_display():
    """An X display for the engines that need a window (Firefox, WebKit), where none is set."""
    if os.environ.get("DISPLAY"):
        return None
    number = next(n for n in range(90, 140) if not os.path.exists(f"/tmp/.X11-unix/X{n}")
                  and not os.path.exists(f"/tmp/.X{n}-lock"))
    xvfb = subprocess.Popen(["Xvfb", f":{number}", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for _ in range(200):
        if os.path.exists(f"/tmp/.X11-unix/X{number}"):
            break
        time.sleep(0.05)
    os.environ["DISPLAY"] = f":{number}"
    return xvfb
