// The browser module's Program under node, with a fake page object: what the
// binding adds to the window (its tables and texts, the pixels as a view, DOM
// key names, the page calls of messages and long draws), in the tests' module;
// and that the shipped module has none of the tests' functions.
// Usage: node web_runtime_test.js path/to/chaosgame_test.js path/to/chaosgame.js
"use strict";
const assert = require("assert");

let W, H, DPI;  // the drawing area at 96 dpi, and that density: the module's
const BOX = 0, COMMAND1 = 1, SEL = 2, COMMAND2 = 3, COL = 5;
const triangle = [[266.67, 20], [20, 453.33], [520, 453.33]];  // drawing-area pixels

// A page that answers from `count` and `row` and records every other call.
function fakePage() {
    const page = { count: "10000", row: -1, calls: [], workerCount: () => 0 };
    return new Proxy(page, {
        get: (target, name) => name in target ? target[name] : (...args) => {
            target.calls.push([name, ...args]);
            return name === "text" ? target.count : name === "chosenRow" ? target.row : undefined;
        },
    });
}
function program(M, count = "10000") {
    const page = fakePage();
    page.count = count;
    return [new M.Program(page), page];
}
const names = (page) => page.calls.map(([name]) => name).filter((name) => name !== "text" && name !== "showMarks");
// The calls without the pictures' pixels.
const plain = (page) => page.calls.map((call) => call.filter((a) => !(a instanceof Uint8ClampedArray)));
const HOOKS = ["pixels", "anchorCount", "drawing", "help", "reseed", "useSimd", "windowKeys", "keyNamed", "facts"];  // the tests' functions
const rgbaAt = (px, x, y) => [...px.slice((y * W + x) * 4, (y * W + x + 1) * 4)];

function drawTriangle(M, seed, simd) {
    const [p] = program(M, "100000");
    M.useSimd(p, simd);
    M.reseed(p, seed);
    for (const [x, y] of triangle) p.surfaceDown(1, 0, x, y);
    p.surfaceDown(2, 0, 0, 0);  // within the first slice
    assert.strictEqual(M.drawing(p), false);
    const picture = Uint8ClampedArray.from(M.pixels(p));
    p.delete();
    return picture;
}

const cases = {
    "the module hands out the window's table and the page's texts"(M) {
        const form = M.Program.form();
        assert.deepStrictEqual([form.caption, form.width, form.height, form.fontPixels, form.surfaceFrame, form.describedBy],
                               ["Form2", 704, 562, 10, 1, 7]);
        assert.deepStrictEqual(form.controls.map((c) => [c.name, c.kind, c.names]), [
            ["box", "surface", -1], ["Command1", "button", -1], ["sel", "countBox", -1], ["Command2", "button", -1],
            ["Label1", "label", 2], ["col", "list", -1], ["Label2", "label", 5], ["Label3", "label", -1]]);
        // Labels made first, so that the controls they reach over cover them; then the rest in tab order.
        assert.deepStrictEqual([form.creation, form.tabbing], [[4, 6, 7, 0, 1, 2, 3, 5], [0, 1, 2, 3, 5]]);
        // The drawing area: the surface inside its frame.
        assert.deepStrictEqual([form.areaWidth, form.areaHeight, form.logicalDpi], [553 - 2, 481 - 2, 96]);
        assert.deepStrictEqual(form.controls[BOX], {name: "box", kind: "surface", left: 8, top: 16, width: 553, height: 481,
                                                    text: "", accessibleName: "Drawing surface", names: -1, items: [], widest: ""});
        assert.strictEqual(form.controls[SEL].widest, "2147483647");
        assert.deepStrictEqual([form.frameColor, form.focusColor], ["#b8b8b8", "#308cc6"]);
        assert.strictEqual(form.progressWidest, "Drawing dots: 2,147,483,647 of 2,147,483,647");
        // The density the window takes for a ratio, as the page asks it: kept to 1..4, whole dpi.
        assert.deepStrictEqual([0.5, 1, 1.1, 1.5, 2, 3, 5].map((r) => M.dpiOf(r)), [96, 96, 106, 144, 192, 288, 384]);
        assert.deepStrictEqual(form.controls[COL].items, M.facts().colors.map(([item]) => item));
        assert.deepStrictEqual(form.texts, {title: "Chaos Game", ok: "OK",
                                            ended: "Chaos Game has ended. Reloading the page starts it again."});
        assert.deepStrictEqual(form.input, {left: 1, right: 2, middle: 4, shift: 1, ctrl: 2, alt: 4, meta: 8});
        assert.deepStrictEqual([form.touch, form.print, form.downloadKeptMs],
                               [{slop: 10, longPressMs: 600, tap: 1, longPress: 2}, {block: 4, pixels: 10e6, delayMs: 300}, 60000]);
        const [p] = program(M);
        assert.match(M.help(p), /Browsers keep Ctrl\+Q/);
        p.delete();
    },
    "the shipped module has none of the tests' functions"(M, shipped) {
        assert.deepStrictEqual([HOOKS.filter((name) => name in M), typeof shipped.Program], [HOOKS, "function"]);
        assert.deepStrictEqual(HOOKS.filter((name) => name in shipped || name in shipped.Program.prototype), []);
    },
    "the picture reaches the page with its size, as a view of the module's memory, white at start"(M) {
        const [p, page] = program(M);
        p.exposed();
        assert.deepStrictEqual(plain(page), [["showPicture", W, H, DPI]]);
        const view = page.calls[0][1];
        assert.ok(view instanceof Uint8ClampedArray);
        assert.strictEqual(view.buffer, M.HEAPU8.buffer);
        assert.strictEqual(view.length, W * H * 4);
        assert.ok(view.every((v) => v === 255));
        p.surfaceDown(1, 0, ...triangle[0]);
        assert.deepStrictEqual(rgbaAt(view, 266, 15), [255, 0, 0, 255], "the anchor's circle, in the same view");
        p.delete();
    },
    "presses place anchors by button and modifiers; the frame takes none"(M) {
        const [p] = program(M);
        for (const [button, shift, x, y, placed] of [[1, 0, 100, 100, 1], [1, 1, 100, 100, 0], [1, 2, 100, 100, 1],
            [1, 4, 100, 100, 1], [1, 5, 100, 100, 1], [4, 0, 10, 10, 0], [1, 0, -0.5, 10, 0], [1, 0, W, 10, 0],
            [1, 0, W - 0.5, H - 0.5, 1]]) {
            const before = M.anchorCount(p);
            p.surfaceDown(button, shift, x, y);
            assert.strictEqual(M.anchorCount(p) - before, placed, `${button} ${shift} ${x} ${y}`);
        }
        p.delete();
    },
    "DOM key names reach the window's keys"(M) {
        // control, key, code, shift, repeat, text selected -> taken, page calls, anchors placed
        const rows = [
            [BOX, "s", "KeyS", 2, false, false, true, ["savePicture"], 0],
            [BOX, "ы", "KeyS", 2, false, false, true, ["savePicture"], 0],  // another layout: by the key's place
            [BOX, "s", "KeyS", 2, true, false, true, [], 0],                // held: once
            [BOX, "s", "KeyS", 10, false, false, false, [], 0],
            [BOX, "c", "KeyC", 2, false, false, true, ["copyPicture"], 0],
            [SEL, "c", "KeyC", 2, false, true, false, [], 0],               // the text field's own copy
            [SEL, "c", "KeyC", 2, false, false, true, ["copyPicture"], 0],
            [-1, "P", "KeyP", 2, false, false, true, ["printPicture"], 0],
            [BOX, "q", "KeyQ", 2, false, false, false, [], 0],              // the browser's
            [BOX, "Enter", "Enter", 0, false, false, true, ["showPicture"], 1],
            [BOX, "Enter", "NumpadEnter", 1, false, false, true, ["showPicture"], 1],
            [BOX, " ", "Space", 0, false, false, true, ["showPicture"], 1],
            [BOX, "Enter", "Enter", 2, false, false, false, [], 0],
            [SEL, "Enter", "Enter", 0, false, false, false, [], 0],
            [COMMAND1, "Enter", "Enter", 0, false, false, true, ["showPicture"], 0],  // Clear Screen
            [BOX, "ArrowRight", "ArrowRight", 1, false, false, true, [], 0],
            [BOX, "x", "KeyX", 0, false, false, false, [], 0],
            [BOX, "Tab", "Tab", 0, false, false, false, [], 0],
        ];
        for (const [control, key, code, shift, repeat, selected, taken, calls, placed] of rows) {
            const [p, page] = program(M);
            assert.strictEqual(p.keyDown(control, key, code, shift, repeat, selected), taken, `${key} ${code} ${shift}`);
            assert.deepStrictEqual(names(page), calls, `${key} ${code} ${shift}`);
            assert.strictEqual(M.anchorCount(p), placed, `${key} ${code} ${shift}`);
            p.delete();
        }
        const [p, page] = program(M);
        p.keyDown(BOX, "s", "KeyS", 2, false, false);
        p.keyDown(BOX, "c", "KeyC", 2, false, false);  // the save dialog holds the window
        p.dialogClosed();
        p.keyDown(BOX, "c", "KeyC", 2, false, false);
        p.keyDown(BOX, "p", "KeyP", 2, false, false);
        assert.deepStrictEqual(plain(page), [["savePicture", 0, "chaos-game.png", W, H, DPI], ["copyPicture", 1, W, H, DPI],
                                             ["printPicture", 2, W, H, DPI]]);
        assert.ok(page.calls.every((call) => call.some((a) => a instanceof Uint8ClampedArray && a.length === W * H * 4)));
        p.delete();
    },
    "every key of the window's table, as the browser sends it, reaches the window by its name"(M) {
        // (The browser tells the keypad's Enter by its place alone; a letter comes in either case.)
        const sent = (name) => name === "NumpadEnter" ? ["Enter", name] : [name, ""];
        const keys = M.windowKeys();
        assert.ok(keys.length > 10);
        for (const name of keys) {
            assert.strictEqual(M.keyNamed(...sent(name)), name);
            if (/^[a-z]$/.test(name))
                assert.strictEqual(M.keyNamed(name.toUpperCase(), ""), name);
        }
    },
    "messages go through showMessage, and the window waits for dialogClosed"(M) {
        const [p, page] = program(M);
        assert.strictEqual(p.keyDown(-1, "F1", "F1", 0, false, false), true);
        assert.deepStrictEqual(page.calls, [["showMessage", M.help(p), "information"]]);
        page.calls.length = 0;
        // Keys: the commands' stay the window's but do nothing; the copy key and the rest are the message's.
        for (const [key, code, shift, taken] of [["s", "KeyS", 2, true], ["c", "KeyC", 2, false], ["Enter", "Enter", 0, false]])
            assert.strictEqual(p.keyDown(BOX, key, code, shift, false, false), taken, key);
        p.surfaceDown(1, 0, 10, 10);
        p.clicked(COMMAND2);
        assert.deepStrictEqual([page.calls, M.anchorCount(p)], [[], 0]);
        p.dialogClosed();
        p.pictureFailed(1);
        assert.deepStrictEqual(page.calls, [["showMessage",
            "The browser did not let the picture be copied to the clipboard. Ctrl+S downloads it instead.", "error"]]);
        p.dialogClosed();
        page.calls.length = 0;
        p.pictureFailed(0);
        assert.deepStrictEqual(page.calls, [["showMessage",
            "The browser could not make the picture into a file to download. The picture is still here.", "error"]]);
        p.dialogClosed();
        page.calls.length = 0;
        p.clicked(COMMAND2);
        assert.deepStrictEqual(page.calls, [["showMessage", "Thank you for drawing with Chaos Game.", "information"]]);
        page.calls.length = 0;
        p.dialogClosed();
        assert.deepStrictEqual(page.calls, [["end"]]);
        page.calls.length = 0;
        p.surfaceDown(1, 0, 10, 10);
        assert.deepStrictEqual([p.keyDown(-1, "F1", "F1", 0, false, false), page.calls, M.anchorCount(p)], [false, [], 0]);
        p.delete();
    },
    "errors come back as messages, once; the anchors are kept"(M) {
        const [p, page] = program(M);
        p.surfaceDown(1, 0, 100, 100);
        for (const text of ["abc", "2147483648"]) {
            page.count = text;
            page.calls.length = 0;
            p.surfaceDown(2, 0, 0, 0);
            const shown = page.calls.filter(([name]) => name === "showMessage");
            assert.strictEqual(shown.length, 1, text);
            assert.strictEqual(shown[0][2], "error");
            assert.match(shown[0][1], /anchor points are kept/, text);
            assert.strictEqual(M.anchorCount(p), 1);
            p.dialogClosed();
        }
        page.calls.length = 0;
        for (let i = 1; i < 32767; ++i) p.surfaceDown(1, 0, i % 540, 100);
        assert.deepStrictEqual(page.calls.filter(([name]) => name === "showMessage"), []);
        p.surfaceDown(1, 0, 5, 5);
        assert.match(page.calls.find(([name]) => name === "showMessage")[1], /32767/);
        assert.strictEqual(M.anchorCount(p), 32767);
        p.delete();
    },
    "a short draw ends in the press and forgets the anchors"(M) {
        const [p, page] = program(M);
        for (const [x, y] of triangle) p.surfaceDown(1, 0, x, y);
        page.calls.length = 0;
        p.surfaceDown(2, 0, 0, 0);
        assert.deepStrictEqual([names(page), M.drawing(p), M.anchorCount(p)], [["showPicture"], false, 0]);
        p.delete();
    },
    "a long draw runs through callSoon and tick; Esc or Cancel stops it, keeping the dots and the anchors"(M) {
        for (const stop of [(p) => assert.strictEqual(p.keyDown(SEL, "Escape", "Escape", 0, false, false), true),
                            (p) => p.progressCancelled()]) {
            const [p, page] = program(M, "2147483647");
            page.row = 1;
            p.chosen(COL);  // Blue
            for (const [x, y] of triangle) p.surfaceDown(1, 0, x, y);
            page.calls.length = 0;
            p.surfaceDown(2, 0, 0, 0);  // holds the page for the first slice
            assert.ok(M.drawing(p));
            assert.deepStrictEqual(names(page), ["setBusy", "showProgress", "updateProgress", "showPicture", "callSoon"]);
            const [, text, done, total] = page.calls.find(([name]) => name === "updateProgress");
            assert.ok(done > 0 && total === 2147483647, `${done} of ${total}`);
            // The line as the window words it, the same in every engine.
            assert.strictEqual(text, `Drawing dots: ${done.toLocaleString("en-US")} of 2,147,483,647`);
            assert.deepStrictEqual(page.calls.find(([name]) => name === "showProgress"),
                                   ["showProgress", "Chaos Game", text, "Cancel"]);
            for (let i = 0; i < 3; ++i) {
                page.calls.length = 0;
                p.tick();
                assert.strictEqual(names(page).at(-1), "callSoon");
            }
            page.calls.length = 0;
            p.surfaceDown(1, 0, 10, 10);  // busy: nothing answers but Esc
            p.clicked(COMMAND1);
            assert.strictEqual(p.keyDown(BOX, "s", "KeyS", 2, false, false), true);
            assert.strictEqual(p.keyDown(BOX, "c", "KeyC", 2, false, false), false);
            assert.strictEqual(p.keyDown(BOX, " ", "Space", 0, false, false), false);
            assert.deepStrictEqual(names(page), []);
            stop(p);
            assert.deepStrictEqual(plain(page), [["hideProgress"], ["setBusy", false], ["focus", BOX], ["showPicture", W, H, DPI]]);
            assert.deepStrictEqual([M.drawing(p), M.anchorCount(p)], [false, 3]);
            page.calls.length = 0;
            p.tick();  // the call asked for before the stop
            assert.deepStrictEqual(page.calls, []);
            const px = M.pixels(p);
            let blue = 0;
            for (let i = 0; i < px.length; i += 4) if (px[i] === 0 && px[i + 1] === 0 && px[i + 2] === 255) ++blue;
            assert.ok(blue > 1000, `${blue} blue pixels`);
            p.clicked(COMMAND1);
            assert.ok(M.pixels(p).every((v) => v === 255), "Clear Screen");
            assert.strictEqual(M.anchorCount(p), 3);
            p.delete();
        }
    },
    "a long draw on workers: sendToWorker's requests, answered by the module's answerRequest, give the one-core dots"(M) {
        const draw = (workers) => {
            const [p, page] = program(M, "20000000");
            const sent = [];
            Object.assign(page, { workerCount: () => workers, sendToWorker: (ticket, request) => sent.push([ticket, request.slice()]) });
            M.reseed(p, 11);
            for (const [x, y] of triangle) p.surfaceDown(1, 0, x, y);
            p.surfaceDown(2, 0, 0, 0);  // the first slice ends once the workers hold passes
            if (workers > 0)  // (on one core, it ends with the draw or at half a second: a slow build's is not done)
                assert.deepStrictEqual([M.drawing(p), names(page).includes("showProgress")], [true, false]);
            let answered = 0;
            while (M.drawing(p)) {
                const ticks = page.calls.filter(([name]) => name === "callSoon").length;
                page.calls.length = 0;
                if (ticks > 0)
                    p.tick();
                else {  // waiting for an answer: the first is refused, then each is the module's own
                    const [ticket, request] = sent.shift();
                    p.answered(ticket, answered++ === 0 ? new Uint8Array(0) : M.answerRequest(request).slice());
                }
            }
            assert.strictEqual(M.answerRequest(new Uint8Array(3)), null);
            const pixels = M.pixels(p).slice();
            p.delete();
            return [pixels, answered];
        };
        const [onOne] = draw(0), [onTwo, answered] = draw(2);
        assert.ok(answered >= 2, `${answered} answers`);
        assert.ok(onTwo.every((v, i) => v === onOne[i]), "the same pixels");
    },
    "a seed gives the same picture on both paths"(M) {
        const simd = drawTriangle(M, 7, true);
        assert.deepStrictEqual(drawTriangle(M, 7, false), simd);
        assert.notDeepStrictEqual(drawTriangle(M, 8, true), simd);
    },
};

Promise.all([require(process.argv[2])(), require(process.argv[3])()]).then(([M, shipped]) => {
    ({ areaWidth: W, areaHeight: H, logicalDpi: DPI } = M.Program.form());
    let failed = 0;
    for (const [name, run] of Object.entries(cases)) {
        try {
            run(M, shipped);
            console.log(`ok: ${name}`);
        } catch (error) {
            ++failed;
            console.log(`FAILED: ${name}\n${error.stack}`);
        }
    }
    console.log(`${Object.keys(cases).length - failed} of ${Object.keys(cases).length} passed`);
    process.exitCode = failed ? 1 : 0;
});
