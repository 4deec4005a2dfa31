// The browser module's Session under node: the rules the page relies on.
// Usage: node session_test.js path/to/chaosgame.js
"use strict";
const assert = require("assert");

const triangle = [[4000, 300], [300, 6800], [7800, 6800]];

function drawTriangle(M, seed, simd) {
    const s = new M.Session();
    s.useSimd(simd);
    s.reseed(seed);
    for (const [x, y] of triangle) s.press(1, 0, x, y);
    s.setCountText("100000");
    s.press(2, 0, 0, 0);
    while (s.advance(7777)) {}
    const picture = Uint8ClampedArray.from(s.pixels());
    s.delete();
    return picture;
}

const cases = {
    "the module hands out the window's tables and texts"(M) {
        assert.deepStrictEqual(M.layout().find((row) => row.name === "box"),
                               {name: "box", left: 120, top: 240, width: 8295, height: 7215, tabIndex: 0, text: ""});
        assert.match(M.text("help"), /Browsers keep Ctrl\+Q/);
        assert.throws(() => M.text("nothing"), /no text named "nothing"/);
    },
    "presses place anchors, draw in slices and forget the anchors at the end"(M) {
        const s = new M.Session();
        assert.deepStrictEqual([s.width(), s.height()], [551, 479]);
        for (const [shift, placed] of [[0, 1], [1, 0], [2, 1], [4, 1], [5, 1]]) {
            const before = s.anchorCount();
            s.press(1, shift, 1500, 1500);
            assert.strictEqual(s.anchorCount() - before, placed, `shift ${shift}`);
        }
        s.press(4, 0, 10, 10);
        assert.strictEqual(s.anchorCount(), 4);
        s.setCountText("25000");
        s.press(2, 0, 0, 0);
        assert.ok(s.drawing());
        assert.strictEqual(s.advance(10000), true);
        assert.deepStrictEqual([s.done(), s.total(), s.anchorCount()], [10000, 25000, 4]);
        s.press(1, 0, 10, 10);  // inert while drawing
        s.clear();
        assert.strictEqual(s.advance(1e9), false);
        assert.deepStrictEqual([s.done(), s.anchorCount()], [25000, 0]);
        s.delete();
    },
    "cancel keeps the dots and the anchors; Clear Screen keeps the anchors"(M) {
        const s = new M.Session();
        s.chooseColour("Blue");
        for (const [x, y] of triangle) s.press(1, 0, x, y);
        const rgbaAt = (px, x, y) => [...px.slice((y * 551 + x) * 4, (y * 551 + x + 1) * 4)];
        assert.deepStrictEqual(rgbaAt(s.pixels(), 266, 15), [255, 0, 0, 255]);  // the circle's top
        s.setCountText("2147483647");
        s.press(2, 0, 0, 0);
        s.advance(50000);
        s.cancel();
        assert.strictEqual(s.drawing(), false);
        assert.strictEqual(s.anchorCount(), 3);
        const px = s.pixels();
        let blue = 0;
        for (let i = 0; i < px.length; i += 4) if (px[i] === 0 && px[i + 1] === 0 && px[i + 2] === 255 && px[i + 3] === 255) ++blue;
        assert.ok(blue > 1000, `${blue} blue pixels`);
        s.clear();
        assert.ok(s.pixels().every((v) => v === 255));
        assert.strictEqual(s.anchorCount(), 3);
        s.delete();
    },
    "errors come back as messages, once"(M) {
        const s = new M.Session();
        s.press(1, 0, 100, 100);
        for (const text of ["abc", "2147483648"]) {
            s.setCountText(text);
            s.press(2, 0, 0, 0);
            const message = s.takeMessage();
            assert.strictEqual(message.kind, "error");
            assert.match(message.text, /anchor points are kept/, text);
            assert.deepStrictEqual(s.takeMessage(), {text: "", kind: "information"});
            assert.strictEqual(s.anchorCount(), 1);
        }
        for (let i = 1; i < 32767; ++i) s.press(1, 0, i % 8000, 100);
        assert.strictEqual(s.takeMessage().text, "");
        s.press(1, 0, 5, 5);
        assert.match(s.takeMessage().text, /32767/);
        assert.strictEqual(s.anchorCount(), 32767);
        s.delete();
    },
    "a seed gives the same picture on both paths"(M) {
        const simd = drawTriangle(M, 7, true);
        assert.deepStrictEqual(drawTriangle(M, 7, false), simd);
        assert.notDeepStrictEqual(drawTriangle(M, 8, true), simd);
    },
};

require(process.argv[2])().then((M) => {
    let failed = 0;
    for (const [name, run] of Object.entries(cases)) {
        try {
            run(M);
            console.log(`ok: ${name}`);
        } catch (error) {
            ++failed;
            console.log(`FAILED: ${name}\n${error.stack}`);
        }
    }
    console.log(`${Object.keys(cases).length - failed} of ${Object.keys(cases).length} passed`);
    process.exitCode = failed ? 1 : 0;
});
