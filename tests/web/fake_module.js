"use strict";
// A stand-in for the module, for working on the page before the module is
// built: the agreed interface with simple rules. Never shipped.
function createChaosGame() {
    const layout = [
        { name: "box", left: 120, top: 240, width: 8295, height: 7215, tabIndex: 0, text: "" },
        { name: "Command1", left: 8880, top: 3720, width: 1455, height: 375, tabIndex: 1, text: "Clear Screen" },
        { name: "sel", left: 8880, top: 600, width: 1215, height: 315, tabIndex: 2, text: "10000" },
        { name: "Command2", left: 8880, top: 4200, width: 1455, height: 375, tabIndex: 3, text: "Exit" },
        { name: "Label1", left: 8880, top: 360, width: 1815, height: 495, tabIndex: -1, text: "Complexity: (# of dots)" },
        { name: "col", left: 8880, top: 1320, width: 855, height: 1425, tabIndex: 5, text: "" },
        { name: "Label2", left: 8880, top: 1080, width: 1575, height: 375, tabIndex: -1, text: "Choose color of dots" },
        { name: "Label3", left: 360, top: 7800, width: 5175, height: 975, tabIndex: -1,
          text: "Left-Click to select anchor points ( you can select as many as you want)   Right-Click to draw the midpoints" },
    ];
    const colours = { Red: [255, 0, 0], Blue: [0, 0, 255], Black: [0, 0, 0], White: [255, 255, 255], Cyan: [0, 255, 255], Yellow: [255, 255, 0] };
    const texts = {
        title: "Chaos Game", goodbye: "Thank you for drawing with Chaos Game.",
        ended: "Chaos Game has ended. Reload the page to start again.", help: "Help text.\nSecond line.",
        progress: "Drawing dots: %1 of %2", cancel: "Cancel", ok: "OK", copyRefused: "The browser did not let Chaos Game copy the picture.",
        surfaceName: "Drawing surface", countName: "Number of dots", colourName: "Dot colour", saveName: "chaos-game.png",
    };
    const W = 551, H = 479;
    class Session {
        constructor() { this.px = new Uint8ClampedArray(W * H * 4).fill(255); this.anchors = []; this.colour = [0, 0, 0]; this.msg = { text: "", kind: "" }; this.left = 0; this.count = "10000"; }
        setCountText(t) { this.count = t; }
        set(x, y, c) { if (x >= 0 && y >= 0 && x < W && y < H) { const i = (y * W + x) * 4; this.px[i] = c[0]; this.px[i + 1] = c[1]; this.px[i + 2] = c[2]; } }
        press(button, shift, x, y) {
            if (button === 1 && shift !== 1) {
                const px = Math.floor(x / 15), py = Math.floor(y / 15);
                this.anchors.push([px, py]);
                for (let a = 0; a < 64; a++) this.set(Math.round(px + 4 * Math.cos(a / 10)), Math.round(py + 4 * Math.sin(a / 10)), [255, 0, 0]);
            } else if (button === 2) {
                const n = Number(this.count.trim());
                if (this.count.trim() === "" || !Number.isFinite(n)) { this.msg = { text: "Not a number.", kind: "error" }; return; }
                if (n > 2147483647) { this.msg = { text: "At most 2147483647.", kind: "error" }; return; }
                this.left = Math.max(0, Math.floor(n)); this.all = this.left; this.p = [0, 0];
                if (!this.anchors.length) this.left = 0;
            }
        }
        drawing() { return this.left > 0; }
        advance(max) {
            const n = Math.min(max, this.left);
            for (let i = 0; i < n; i++) {
                const a = this.anchors[Math.floor(Math.random() * this.anchors.length)];
                this.p = [Math.floor((this.p[0] + a[0]) / 2), Math.floor((this.p[1] + a[1]) / 2)];
                this.set(this.p[0], this.p[1], this.colour);
            }
            this.left -= n;
            if (!this.left) this.anchors = [];
            return this.drawing();
        }
        done() { return this.all - this.left; }
        total() { return this.all; }
        cancel() { this.left = 0; }
        chooseColour(t) { this.colour = colours[t]; }
        clear() { this.px.fill(255); }
        width() { return W; }
        height() { return H; }
        pixels() { return this.px; }
        takeMessage() { const m = this.msg; this.msg = { text: "", kind: "" }; return m; }
        anchorCount() { return this.anchors.length; }
    }
    return Promise.resolve({
        Session, layout: () => layout, clientSize: () => ({ width: 10560, height: 8430 }), twipsPerPixel: () => 15,
        colourItems: () => Object.keys(colours), text: (k) => texts[k],
    });
}
