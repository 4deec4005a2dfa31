"use strict";
// The page's side of Chaos Game. The module holds every rule, text and place;
// this lays Form2 out from its layout table, turns mouse, touch and keys into
// the session's presses, runs long draws in slices so that the page keeps
// answering, and shows the session's messages in modal dialogs.
(function () {
    const SLICE_MS = 8;                 // work between two looks at the input
    const FIRST_SLICE_DOTS = 200000;    // a 10000-dot draw ends in the first slice
    const MAX_SLICE_DOTS = 1e8;
    const PROGRESS_DELAY_MS = 500;      // a draw shows its progress once it has run this long...
    const PROGRESS_INTERVAL_MS = 40;    // ...and then refreshes it this often
    const KEY_STEP = 1;                 // pixels an arrow key moves the keyboard point
    const SHIFT_KEY_STEP = 10;          // with Shift held
    const CROSS_GAP = 2;                // the crosshair's arms run from this distance of the point...
    const CROSS_ARM = 6;                // ...to this one, leaving the point's own pixel in view
    const PRINT_BLOCK = 4;              // printed image pixels per picture pixel, each way
    const TAP_SLOP = 10;                // CSS pixels a finger may move and still tap
    const LONG_PRESS_MS = 600;          // a finger held this long draws, where the browser does not say so first
    const LEFT = 1, RIGHT = 2, MIDDLE = 4;              // the session's buttons
    const SHIFT = 1, CTRL = 2, ALT = 4;                 // and its modifier bits

    const $ = (id) => document.getElementById(id);
    const form = $("form");
    const box = $("box");
    const picture = $("picture");
    const keyLayer = $("keypoint");
    const sel = $("sel");
    const col = $("col");
    const messageDialog = $("message");
    const progressDialog = $("progress");

    // An embind vector or a plain array, as an array.
    const asArray = (v) => (Array.isArray(v) ? v : Array.from({ length: v.size() }, (_, i) => v.get(i)));

    // (The module's texts are not there when the module is not: this one line is the page's own.)
    new Promise((resolve) => resolve(createChaosGame())).then(start).catch((error) => {
        $("loading").textContent = "Chaos Game cannot start in this browser: " + error;
    });

    function start(M) {
        const session = new M.Session();
        const twipsPerPixel = M.twipsPerPixel();
        const px = (twips) => twips / twipsPerPixel + "px";  // one CSS pixel per pixel
        const width = session.width();
        const height = session.height();
        const isMac = /Mac|iPhone|iPad/.test(navigator.platform);

        let draw = null;        // the running draw
        let ended = false;      // after Exit
        let keyboardUser = false;
        let keyPoint = { x: Math.floor(width / 2), y: Math.floor(height / 2) };
        let touch = null;       // a finger on the surface: a tap or a long press to be
        let menuFromSurface = false;  // the coming context menu is a right press's on the surface
        let messages = Promise.resolve();

        // --- Form2 -----------------------------------------------------------
        const client = M.clientSize();
        form.style.width = px(client.width);
        form.style.height = px(client.height);
        for (const place of asArray(M.layout())) {
            const control = $(place.name === "sel" ? "selFrame" : place.name);
            Object.assign(control.style, {
                left: px(place.left), top: px(place.top), width: px(place.width), height: px(place.height),
            });
            if (place.name === "sel")
                sel.value = place.text;
            else if (place.text)
                control.textContent = place.text;
        }
        picture.width = keyLayer.width = width;
        picture.height = keyLayer.height = height;
        // The frame is what the surface's place leaves around the drawing area.
        box.style.borderWidth = (box.offsetWidth - width) / 2 + "px";
        const context = picture.getContext("2d", { willReadFrequently: true });
        const keyContext = keyLayer.getContext("2d");

        box.setAttribute("aria-label", M.text("surfaceName"));
        box.setAttribute("aria-describedby", "Label3");
        sel.setAttribute("aria-label", M.text("countName"));
        col.setAttribute("aria-label", M.text("colourName"));
        for (const item of asArray(M.colourItems()))
            col.add(new Option(item, item));
        col.selectedIndex = -1;
        $("messageTitle").textContent = $("progressTitle").textContent = M.text("title");
        $("messageOk").textContent = M.text("ok");
        $("progressCancel").textContent = M.text("cancel");
        session.setCountText(sel.value);
        $("loading").remove();

        // --- the picture -----------------------------------------------------
        function blit() {
            const bytes = session.pixels();
            const rgba = bytes instanceof Uint8ClampedArray ? bytes
                : new Uint8ClampedArray(bytes.buffer, bytes.byteOffset, bytes.length);
            context.putImageData(new ImageData(rgba, width, height), 0, 0);
        }

        // Shows the message the last call into the session raised, if any.
        function report() {
            const message = session.takeMessage();
            return message && message.text ? showMessage(message.text, message.kind) : Promise.resolve();
        }

        function act(call) {
            call();
            blit();
            report();
        }

        function busy() {
            return ended || draw !== null || messageDialog.open;
        }

        // A press on the drawing area at a position in pixels (fractions kept).
        function pressAt(button, shift, x, y) {
            if (busy())
                return;
            session.press(button, shift, x * twipsPerPixel, y * twipsPerPixel);
            if (button === RIGHT && session.drawing())
                startDraw();
            else {
                blit();
                report();
            }
        }

        // --- long draws ------------------------------------------------------
        // The draw advances in slices of about SLICE_MS, the number of dots per
        // slice following the measured speed; between slices the page takes
        // input, so Cancel and Esc answer at once. The first slice runs here, in
        // the event handler, so that a short draw is on the canvas at once.
        const channel = new MessageChannel();
        channel.port1.onmessage = slice;

        function startDraw() {
            draw = { started: performance.now(), refreshed: 0, dots: FIRST_SLICE_DOTS, focus: document.activeElement };
            slice();
            if (draw)
                form.inert = true;  // as the desktop disables its controls
        }

        function slice() {
            if (!draw)
                return;
            const begin = performance.now();
            let going;
            try {
                going = session.advance(draw.dots);
            } catch (error) {  // the module failed: stop, and say so rather than stay busy
                endDraw();
                return showMessage(String(error), "error");
            }
            const now = performance.now();
            const took = now - begin;
            draw.dots = Math.max(1000, Math.min(MAX_SLICE_DOTS,
                Math.round(took > 0.5 ? draw.dots * SLICE_MS / took : draw.dots * 2)));
            if (!going)
                return endDraw();
            if (now - draw.started >= PROGRESS_DELAY_MS && now - draw.refreshed >= PROGRESS_INTERVAL_MS) {
                draw.refreshed = now;
                blit();
                showProgress();
            }
            channel.port2.postMessage(null);
        }

        function showProgress() {
            const format = (n) => n.toLocaleString();
            const done = session.done(), total = session.total();
            $("progressText").textContent = M.text("progress").replace("%1", format(done)).replace("%2", format(total));
            const bar = $("progressBar");
            bar.max = total;
            bar.value = done;
            if (!progressDialog.open) {
                progressDialog.showModal();
                $("progressCancel").focus();
            }
        }

        function cancelDraw() {
            if (!draw)
                return;
            session.cancel();
            endDraw();
        }

        function endDraw() {
            const focus = draw.focus;
            draw = null;
            if (progressDialog.open)
                progressDialog.close();
            form.inert = false;
            if (focus && focus !== document.body && document.activeElement !== focus)
                focus.focus({ preventScroll: true });
            blit();
            report();
        }

        $("progressCancel").addEventListener("click", cancelDraw);
        progressDialog.addEventListener("cancel", (event) => {
            event.preventDefault();
            cancelDraw();
        });

        // --- messages --------------------------------------------------------
        // A modal dialog with OK; the promise settles once it is dismissed.
        function showMessage(text, kind) {
            messages = messages.then(() => new Promise((resolve) => {
                $("messageText").textContent = text;
                messageDialog.dataset.kind = kind === "error" ? "error" : "information";
                messageDialog.addEventListener("close", () => resolve(), { once: true });
                messageDialog.showModal();
                $("messageOk").focus();
            }));
            return messages;
        }
        $("messageOk").addEventListener("click", () => messageDialog.close());

        // --- the controls ----------------------------------------------------
        sel.addEventListener("input", () => session.setCountText(sel.value));
        // The list of the count box is empty: its arrow only takes the focus.
        $("selFrame").querySelector(".arrow").addEventListener("mousedown", (event) => {
            event.preventDefault();
            sel.focus();
        });
        col.addEventListener("change", () => act(() => session.chooseColour(col.value)));
        $("Command1").addEventListener("click", () => act(() => session.clear()));
        $("Command2").addEventListener("click", () => {
            if (!busy())
                showMessage(M.text("goodbye"), "information").then(endProgram);
        });

        // After Exit the picture stays, nothing answers any more, and one line
        // says how to start again.
        function endProgram() {
            ended = true;
            form.inert = true;
            const line = $("ended");
            line.textContent = M.text("ended");
            line.hidden = false;
            line.scrollIntoView({ block: "nearest" });
            paintKeyPoint();
        }

        // --- mouse and touch on the surface ----------------------------------
        const modifiers = (event) => (event.shiftKey ? SHIFT : 0) | (event.ctrlKey ? CTRL : 0) | (event.altKey ? ALT : 0);

        // Where an event lands in the drawing area, in its pixels: CSS pixels
        // from the canvas's corner, the scale of a narrow window undone.
        function pointOf(event) {
            const rect = picture.getBoundingClientRect();
            return {
                x: (event.clientX - rect.left) * width / rect.width,
                y: (event.clientY - rect.top) * height / rect.height,
            };
        }
        const inside = (p) => p.x >= 0 && p.x < width && p.y >= 0 && p.y < height;

        // Presses come as pointer events, whose positions keep fractions of a
        // CSS pixel; a button pressed while another is held comes as a move.
        const buttons = { 0: [LEFT, 1], 1: [MIDDLE, 4], 2: [RIGHT, 2] };  // the session's button, its bit in `buttons`
        function mousePress(event) {
            const [button] = buttons[event.button] || [];
            if (!button || ended)
                return;
            box.focus({ preventScroll: true });
            menuFromSurface ||= button === RIGHT;
            const at = pointOf(event);
            if (inside(at))  // the frame is not part of the drawing area
                pressAt(button, modifiers(event), at.x, at.y);
        }
        // No text selection, no autoscroll, no browser action for a modified
        // click: a press is the surface's alone.
        box.addEventListener("mousedown", (event) => event.preventDefault());
        box.addEventListener("auxclick", (event) => event.preventDefault());

        // A tap places an anchor where the finger went down; a long press
        // draws, as a right press does: when the browser offers its context
        // menu for the touch, or after LONG_PRESS_MS where it offers none.
        function touchDown(event) {
            event.preventDefault();  // no mouse events made up from the touch
            const at = pointOf(event);
            if (touch || !inside(at))
                return;
            touch = { id: event.pointerId, x: event.clientX, y: event.clientY, at, used: false,
                      timer: setTimeout(longPress, LONG_PRESS_MS) };
            box.focus({ preventScroll: true });
        }
        function longPress() {
            if (touch && !touch.used) {
                touch.used = true;
                pressAt(RIGHT, 0, touch.at.x, touch.at.y);
            }
        }
        // The finger's touch, once it is lifted or lost.
        function touchOver(event) {
            if (!touch || event.pointerId !== touch.id)
                return null;
            const over = touch;
            clearTimeout(over.timer);
            touch = null;
            return over;
        }
        box.addEventListener("pointerdown", (event) => (event.pointerType === "touch" ? touchDown(event) : mousePress(event)));
        box.addEventListener("pointermove", (event) => {
            const [, bit] = buttons[event.button] || [];
            if (event.pointerType !== "touch" && bit && event.buttons & bit)
                mousePress(event);
        });
        // (On the document: a draw the touch started makes the surface inert.)
        document.addEventListener("pointermove", (event) => {
            if (touch && event.pointerId === touch.id &&
                Math.hypot(event.clientX - touch.x, event.clientY - touch.y) > TAP_SLOP) {
                touch.used = true;
                clearTimeout(touch.timer);
            }
        }, true);
        document.addEventListener("pointerup", (event) => {
            const tap = touchOver(event);
            if (tap && !tap.used)
                pressAt(LEFT, modifiers(event), tap.at.x, tap.at.y);
        }, true);
        document.addEventListener("pointercancel", touchOver, true);
        box.addEventListener("contextmenu", (event) => {
            event.preventDefault();  // the surface has no context menu
            longPress();
        });
        // The context menu of a right press or of the menu key comes after the
        // press, and may land on what the press brought up (a message, an
        // inert form): it is the surface's all the same. Any other press or
        // key forgets it.
        document.addEventListener("contextmenu", (event) => {
            if (draw || menuFromSurface)
                event.preventDefault();
            menuFromSurface = false;
        }, true);

        // --- the keyboard point ----------------------------------------------
        // A crosshair on its own layer over the picture, shown while the
        // surface has the focus and the keyboard is in use.
        function paintKeyPoint() {
            keyContext.clearRect(0, 0, width, height);
            if (ended || !keyboardUser || document.activeElement !== box)
                return;
            const { x, y } = keyPoint;
            const arm = CROSS_ARM - CROSS_GAP;
            // The arms' pixels as the desktop sets them: from 5 to 2 pixels
            // before the point and from 3 to 6 after it. Dark arms over light
            // ones, so that the crosshair shows on any colour.
            for (const [colour, thick] of [["#fff", 3], ["#000", 1]]) {
                keyContext.fillStyle = colour;
                const side = (thick - 1) / 2;
                keyContext.fillRect(x + CROSS_GAP + 1, y - side, arm, thick);
                keyContext.fillRect(x - CROSS_ARM + 1, y - side, arm, thick);
                keyContext.fillRect(x - side, y + CROSS_GAP + 1, thick, arm);
                keyContext.fillRect(x - side, y - CROSS_ARM + 1, thick, arm);
            }
        }
        box.addEventListener("focus", paintKeyPoint);
        box.addEventListener("blur", paintKeyPoint);
        const keyboardKeys = new Set(["Tab", "ArrowLeft", "ArrowRight", "ArrowUp", "ArrowDown", " ", "Enter"]);
        document.addEventListener("keydown", (event) => {
            menuFromSurface = false;
            if (keyboardKeys.has(event.key) && !keyboardUser) {
                keyboardUser = true;
                paintKeyPoint();
            }
        }, true);
        document.addEventListener("pointerdown", () => {
            menuFromSurface = false;
            if (keyboardUser) {
                keyboardUser = false;
                paintKeyPoint();
            }
        }, true);

        const moves = { ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1] };
        box.addEventListener("keydown", (event) => {
            if (busy())
                return;
            const plain = !event.ctrlKey && !event.altKey && !event.metaKey;
            const step = event.shiftKey ? SHIFT_KEY_STEP : KEY_STEP;
            if (moves[event.key] && plain) {
                const [dx, dy] = moves[event.key];
                keyPoint = {
                    x: Math.min(Math.max(keyPoint.x + dx * step, 0), width - 1),
                    y: Math.min(Math.max(keyPoint.y + dy * step, 0), height - 1),
                };
                paintKeyPoint();
            } else if ((event.key === " " || event.key === "Enter") && plain)
                pressAt(LEFT, 0, keyPoint.x, keyPoint.y);
            else if (event.key === "ContextMenu" || (event.key === "F10" && event.shiftKey && plain)) {
                menuFromSurface = true;
                pressAt(RIGHT, 0, keyPoint.x, keyPoint.y);
            }
            else
                return;
            event.preventDefault();
        });

        // --- commands --------------------------------------------------------
        function savePicture() {
            picture.toBlob((png) => {
                const link = document.createElement("a");
                link.href = URL.createObjectURL(png);
                link.download = M.text("saveName");
                link.click();
                setTimeout(() => URL.revokeObjectURL(link.href), 60000);
            }, "image/png");
        }

        // The PNG is made while the browser writes, within the key's user
        // activation; a browser that refuses says so in a message.
        function copyPicture() {
            const png = new Promise((resolve, reject) =>
                picture.toBlob((blob) => (blob ? resolve(blob) : reject(new Error("no picture"))), "image/png"));
            let writing;
            try {
                writing = navigator.clipboard.write([new ClipboardItem({ "image/png": png })]);
            } catch (error) {
                writing = Promise.reject(error);
            }
            writing.catch(() => showMessage(M.text("copyRefused"), "error"));
        }

        // The print style shows this image alone (for the browser's own Print
        // menu too), each pixel a block of PRINT_BLOCK x PRINT_BLOCK, so that
        // the picture stays sharp however the printing path scales it.
        const printed = $("printPicture");
        const preparePrint = () => {
            const blocks = document.createElement("canvas");
            blocks.width = width * PRINT_BLOCK;
            blocks.height = height * PRINT_BLOCK;
            const scaled = blocks.getContext("2d");
            scaled.imageSmoothingEnabled = false;
            scaled.drawImage(picture, 0, 0, blocks.width, blocks.height);
            printed.src = blocks.toDataURL("image/png");
        };
        window.addEventListener("beforeprint", preparePrint);
        function printPicture() {
            preparePrint();
            printed.decode().then(() => window.print(), () => window.print());
        }

        const showHelp = () => showMessage(M.text("help"), "information");

        // Each command's key: the platform's command key with a letter, or F1.
        const commands = [
            { letter: "s", run: savePicture },
            { letter: "c", run: copyPicture },
            { letter: "p", run: printPicture },
            { key: "F1", run: showHelp },
        ];
        function commandOf(event) {
            if (event.altKey || event.shiftKey)
                return null;
            const command = isMac ? event.metaKey && !event.ctrlKey : event.ctrlKey && !event.metaKey;
            const letter = /^[a-z]$/i.test(event.key) ? event.key.toLowerCase()
                : event.code.startsWith("Key") ? event.code.slice(3).toLowerCase() : "";
            return commands.find((c) => (c.key ? !command && !event.metaKey && !event.ctrlKey && event.key === c.key
                : command && letter === c.letter)) || null;
        }

        document.addEventListener("keydown", (event) => {
            if (ended)
                return;
            if (event.key === "Escape" && draw && !progressDialog.open) {
                event.preventDefault();
                return cancelDraw();
            }
            const command = commandOf(event);
            if (!command)
                return;
            // In the count box, the copy key copies selected text as in any text field.
            const textSelected = document.activeElement === sel && sel.selectionStart !== sel.selectionEnd;
            if (command.run === copyPicture && (textSelected || busy()))
                return;
            event.preventDefault();
            if (!busy() && !event.repeat)  // a held Ctrl+S downloads once
                command.run();
        });

        // --- keeping the picture, fitting the window -------------------------
        document.addEventListener("visibilitychange", () => {
            if (!document.hidden)
                blit();
        });
        window.addEventListener("pageshow", blit);
        picture.addEventListener("contextrestored", blit);

        // A window narrower than the form shows it whole, scaled down.
        const fit = $("fit");
        const formWidth = client.width / twipsPerPixel;
        const formHeight = client.height / twipsPerPixel;
        function fitForm() {
            const scale = Math.min(1, document.documentElement.clientWidth / formWidth);
            form.style.transform = scale < 1 ? `scale(${scale})` : "";
            fit.style.width = formWidth * scale + "px";
            fit.style.height = formHeight * scale + "px";
        }
        window.addEventListener("resize", fitForm);
        fitForm();

        blit();
        box.focus({ preventScroll: true });
    }
})();
