// A bridge between Python and Firefox: Firefox is driven over WebDriver BiDi
// with puppeteer-core; the Python side writes one JSON command per line on
// stdin, {"id": n, "cmd": "...", "args": {...}}, and reads one answer per line
// on stdout, {"id": n, "value": ...} or {"id": n, "error": "..."}.
// Nothing but answers goes to stdout; puppeteer's own messages go to stderr.
"use strict";
const puppeteer = require("puppeteer-core");
const readline = require("readline");

let browser = null, context = null, page = null;

// A script as Selenium takes it: a function body that reads `arguments`.
const call = (script, args) => `(function () { ${script}\n}).apply(null, ${JSON.stringify(args)})`;
// An async one: the body ends by calling its last argument.
const callAsync = (script, args) =>
    `new Promise((done) => { (function () { ${script}\n}).apply(null, ${JSON.stringify(args)}.concat([done])); })`;

const commands = {
    async launch({ executablePath = "/usr/bin/firefox-esr", headless = false, downloadDir, width = 900, height = 700,
                   profileDir, prefs = {} }) {
        browser = await puppeteer.launch({
            browser: "firefox",
            protocol: "webDriverBiDi",
            executablePath,
            headless,
            userDataDir: profileDir,
            defaultViewport: null,  // the viewport is the window's, not an emulated 800x600
            args: [`--width=${width}`, `--height=${height}`],
            extraPrefsFirefox: {
                // No page of its own on the first start, no update checks.
                "browser.shell.checkDefaultBrowser": false,
                "datareporting.policy.dataSubmissionEnabled": false,
                // Downloads go to downloadDir without asking.
                "browser.download.folderList": 2,
                "browser.download.dir": downloadDir || "/tmp",
                "browser.download.useDownloadDir": true,
                "browser.download.always_ask_before_handling_new_types": false,
                "browser.download.alwaysOpenPanel": false,
                "browser.download.panel.shown": true,
                // The async clipboard with images; read without the paste prompt.
                "dom.events.asyncClipboard.clipboardItem": true,
                "dom.events.asyncClipboard.readText": true,
                "dom.events.testing.asyncClipboard": true,
                // Printing shows a dialog: keep it from blocking (prints to nothing).
                "print.always_print_silent": true,
                ...prefs,
            },
        });
        const options = downloadDir ? { downloadBehavior: { policy: "allow", downloadPath: downloadDir } } : {};
        try {
            context = await browser.createBrowserContext(options);
        } catch (error) {  // an older Firefox without browser.setDownloadBehavior: the prefs hold
            process.stderr.write(`download behaviour not set: ${error}\n`);
            context = await browser.createBrowserContext();
        }
        page = await context.newPage();
        for (const other of await browser.pages())
            if (other !== page)
                await other.close().catch(() => {});
        await page.bringToFront();
        return await browser.version();
    },
    async goto({ url }) {
        await page.goto(url, { waitUntil: "load" });
        await page.bringToFront();
        return page.url();
    },
    async reload() {
        await page.reload({ waitUntil: "load" });
        return page.url();
    },
    // Another tab in front of the page's, then the page's again.
    async hideAndShow() {
        const other = await context.newPage();
        await other.close();
        await page.bringToFront();
    },
    // The id of the element that the browser's accessibility tree names so.
    async named({ name }) {
        const element = await page.$(`aria/${name}`);
        return element && await element.evaluate((e) => e.id);
    },
    async js({ script, args = [] }) { return await page.evaluate(call(script, args)); },
    async jsAsync({ script, args = [] }) { return await page.evaluate(callAsync(script, args)); },
    // A press and release at a viewport CSS position, with modifiers held.
    async press({ x, y, button = "left", modifiers = [] }) {
        for (const m of modifiers) await page.keyboard.down(m);
        try {
            await page.mouse.move(x, y);
            await page.mouse.down({ button });
            await page.mouse.up({ button });
        } finally {
            for (const m of modifiers.slice().reverse()) await page.keyboard.up(m);
        }
    },
    async key({ key, modifiers = [] }) {
        for (const m of modifiers) await page.keyboard.down(m);
        try {
            await page.keyboard.press(key);
        } finally {
            for (const m of modifiers.slice().reverse()) await page.keyboard.up(m);
        }
    },
    // As puppeteer's sendCharacter does, but the whole text at once.
    async insertText({ text }) {
        await page.evaluate((t) => document.execCommand("insertText", false, t), text);
    },
    // Touch points in viewport CSS pixels: [[x, y, holdMs], ...], one finger at a time.
    async touch({ taps }) {
        for (const [x, y, hold] of taps) {
            const t = await page.touchscreen.touchStart(x, y);
            await new Promise((r) => setTimeout(r, hold));
            await t.end();
        }
    },
    // The outer window, as the window manager would set it.
    async setWindowSize({ width, height }) {
        const id = await page.windowId();
        await browser.setWindowBounds(id, { width, height, windowState: "normal" });
        return await browser.getWindowBounds(id);
    },
    async screenshot({ path }) { await page.screenshot({ path }); return path; },
    async quit() {
        if (browser) await browser.close();
        browser = null;
        return true;
    },
};

const lines = readline.createInterface({ input: process.stdin });
lines.on("line", async (line) => {
    const { id, cmd, args } = JSON.parse(line);
    let answer;
    try {
        const value = await commands[cmd](args || {});
        answer = { id, value: value === undefined ? null : value };
    } catch (error) {
        answer = { id, error: String(error && error.stack || error) };
    }
    process.stdout.write(JSON.stringify(answer) + "\n");
    if (cmd === "quit") process.exit(0);
});
lines.on("close", async () => { if (browser) await browser.close().catch(() => {}); process.exit(0); });
