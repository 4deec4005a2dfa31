"use strict";
// The page's side of Chaos Game. The module's Program holds every rule, text
// and place; this builds Form2 from its layout table, tells the Program what
// the user does (mouse, touch, keys, clicks, focus), and does what it asks
// through `page`: the canvas, the dialogs, downloads, the clipboard, printing
// and the event loop's calls.
(function () {
    const $ = (id) => document.getElementById(id);
    const form = $("form");
    const messageDialog = $("message");
    const progressDialog = $("progress");

    // (The module's texts are not there when the module is not: this one line is the page's own.)
    new Promise((resolve) => resolve(createChaosGame())).then(start).catch((error) => {
        $("loading").textContent = "Chaos Game cannot start in this browser: " + error;
    });

    function start(M) {
        const layout = M.Program.form();
        const { texts, touch, print } = layout;
        // The Program's mouse buttons and modifier bits.
        const { left: LEFT, right: RIGHT, middle: MIDDLE, shift: SHIFT, ctrl: CTRL, alt: ALT, meta: META } = layout.input;
        const px = (pixels) => pixels + "px";
        const isMac = /Mac|iPhone|iPad/.test(navigator.platform);

        // --- Form2 -----------------------------------------------------------
        // Each row's control is an element of its name, made in the order the
        // table gives (what comes later covers what it overlaps); its place is
        // the form's child that holds it. Only the rows in tab order take the focus.
        const element = (tag, attributes = {}) => Object.assign(document.createElement(tag), attributes);
        let picture = null, keyLayer = null;
        const makers = {
            label: (row) => element("div", { id: row.name, className: "label", textContent: row.text }),
            surface(row) {
                const box = element("div", { id: row.name });
                box.setAttribute("role", "application");
                picture = element("canvas", { id: "picture" });
                keyLayer = element("canvas", { id: "keypoint" });
                keyLayer.setAttribute("aria-hidden", "true");
                box.append(picture, keyLayer);
                return box;
            },
            // (The caption in a span the mouse passes through: a click then
            // starts the engine's Tab order at the button, not inside it,
            // and Shift+Tab leaves it in WebKit too.)
            button: (row) => element("button", { id: row.name, type: "button" }).appendChild(
                element("span", { textContent: row.text })).parentElement,
            // A one-line text area, not an <input>: WebKit's input keeps at
            // most 524288 characters, and a count of any length must reach the
            // Program whole. It is kept to one line below, as an input.
            countBox(row) {
                const field = element("textarea", { id: row.name, rows: 1, spellcheck: false, value: row.text });
                for (const [name, value] of [["wrap", "off"], ["role", "combobox"], ["aria-expanded", "false"], ["autocomplete", "off"]])
                    field.setAttribute(name, value);
                const arrow = element("span", { className: "arrow" });
                arrow.setAttribute("aria-hidden", "true");
                const frame = element("div", { id: row.name + "Frame" });
                frame.append(field, arrow);
                return frame;
            },
            list(row) {
                const list = element("select", { id: row.name, size: row.items.length });
                for (const item of row.items)
                    list.add(new Option(item, item));
                list.selectedIndex = -1;
                return list;
            },
        };
        const placed = [];
        for (const r of layout.creation) {
            placed[r] = makers[layout.controls[r].kind](layout.controls[r]);
            form.append(placed[r]);
        }
        const controls = layout.controls.map((row, r) => placed[r].querySelector("textarea") || placed[r]);
        form.style.width = px(layout.width);
        form.style.height = px(layout.height);
        document.body.style.fontSize = px(layout.fontPixels);
        const box = controls[layout.controls.findIndex((row) => row.kind === "surface")];
        const widest = (layout.controls.find((row) => row.kind === "countBox") || { widest: "" }).widest;
        let width = layout.areaWidth, height = layout.areaHeight;
        let pictureDpi = layout.logicalDpi;  // the density of the picture shown
        picture.width = keyLayer.width = width;
        picture.height = keyLayer.height = height;
        box.style.borderWidth = layout.surfaceFrame + "px";
        box.setAttribute("aria-describedby", layout.controls[layout.describedBy].name);
        const firstFocus = controls[layout.tabbing[0]];
        layout.controls.forEach((row, r) => {
            Object.assign(placed[r].style, { left: px(row.left), top: px(row.top), width: px(row.width), height: px(row.height) });
            if (row.accessibleName)
                controls[r].setAttribute("aria-label", row.accessibleName);
            if (layout.tabbing.includes(r))
                controls[r].tabIndex = 0;
            if (row.names >= 0)
                controls[row.names].setAttribute("aria-describedby", row.name);
        });
        const rowOf = (element) => controls.indexOf(element);
        const context = picture.getContext("2d", { willReadFrequently: true });
        const keyContext = keyLayer.getContext("2d");
        $("messageTitle").textContent = texts.title;
        $("messageOk").textContent = texts.ok;

        let program = null;
        let busy = false;             // a long draw holds the form
        let finger = null;            // a finger on the surface: a tap or a long press to be
        let menuFromSurface = false;  // the coming context menu is the surface's
        let progressText = "", progressSized = false;
        const printed = $("printPicture");
        let printTimer = 0;           // the print image is to follow the picture
        const channel = new MessageChannel();
        channel.port1.onmessage = () => program.tick();

        // --- what the Program asks of the page -------------------------------
        const page = {
            text: (row) => controls[row].value,
            chosenRow: (row) => controls[row].selectedIndex,
            focus: (row) => controls[row].focus({ preventScroll: true }),
            setBusy(on) {
                busy = on;
                form.inert = on;  // as the desktop disables its controls
            },
            // The Program's picture, at the size and density it has now.
            showPicture(pixels, pictureWidth, pictureHeight, dpi) {
                if (pictureWidth !== width || pictureHeight !== height || dpi !== pictureDpi) {
                    picture.width = keyLayer.width = width = pictureWidth;
                    picture.height = keyLayer.height = height = pictureHeight;
                    pictureDpi = dpi;
                    placePicture();
                }
                context.putImageData(new ImageData(pixels, width, height), 0, 0);
                printStale();
            },
            showMarks(marks) {
                keyContext.clearRect(0, 0, width, height);
                for (const m of marks) {
                    keyContext.fillStyle = `rgb(${m.red}, ${m.green}, ${m.blue})`;
                    keyContext.fillRect(m.x, m.y, m.width, m.height);
                }
            },
            // A modal dialog with OK (the Program shows one at a time).
            showMessage(text, kind) {
                $("messageText").textContent = text;
                messageDialog.dataset.kind = kind;
                messageDialog.addEventListener("close", () => program.dialogClosed(), { once: true });
                messageDialog.showModal();
                $("messageOk").focus();
            },
            showProgress(title, text, cancel) {
                $("progressTitle").textContent = title;
                $("progressCancel").textContent = cancel;
                progressText = text;
                progressDialog.style.width = "";
                progressSized = false;
                progressDialog.showModal();
                $("progressCancel").focus();
            },
            updateProgress(done, total) {
                const line = (n) => progressText.replace("%1", n.toLocaleString()).replace("%2", total.toLocaleString());
                // One size, that of the widest line, so that the dialog stays put, centred.
                if (!progressSized) {
                    $("progressText").textContent = line(total);
                    progressDialog.style.width = progressDialog.getBoundingClientRect().width + "px";
                    progressSized = true;
                }
                $("progressText").textContent = line(done);
                const bar = $("progressBar");
                bar.max = total;
                bar.value = done;
            },
            hideProgress: () => progressDialog.close(),
            callSoon: () => channel.port2.postMessage(null),
            // The download is the save dialog: over once the browser has the file, or could not make it.
            savePicture(command, fileName, pixels, pictureWidth, pictureHeight, dpi) {
                page.showPicture(pixels, pictureWidth, pictureHeight, dpi);
                picture.toBlob((png) => {
                    program.dialogClosed();
                    if (!png)
                        return program.pictureFailed(command);
                    const link = document.createElement("a");
                    link.href = URL.createObjectURL(png);
                    link.download = fileName;
                    link.click();
                    setTimeout(() => URL.revokeObjectURL(link.href), layout.downloadKeptMs);
                }, "image/png");
            },
            // The PNG is made while the browser writes, within the key's user activation.
            copyPicture(command, pixels, pictureWidth, pictureHeight, dpi) {
                page.showPicture(pixels, pictureWidth, pictureHeight, dpi);
                const png = new Promise((resolve, reject) =>
                    picture.toBlob((blob) => (blob ? resolve(blob) : reject(new Error("no picture"))), "image/png"));
                let writing;
                try {
                    writing = navigator.clipboard.write([new ClipboardItem({ "image/png": png })]);
                } catch (error) {
                    writing = Promise.reject(error);
                }
                writing.catch(() => program.pictureFailed(command));
            },
            // The engine lays the printed page out at once: the image is
            // decoded and in a frame before the dialog opens.
            printPicture(command, pixels, pictureWidth, pictureHeight, dpi) {
                page.showPicture(pixels, pictureWidth, pictureHeight, dpi);
                preparePrint();
                const frame = () => new Promise((resolve) => requestAnimationFrame(resolve));
                printed.decode().catch(() => {}).then(frame).then(frame).then(() => window.print())
                    .finally(() => program.dialogClosed());
            },
            // After Exit the picture stays, nothing answers any more, and one
            // line says how to start again.
            end() {
                form.inert = true;
                page.showMarks([]);
                const line = $("ended");
                line.textContent = texts.ended;
                line.hidden = false;
                line.scrollIntoView({ block: "nearest" });
            },
        };
        program = new M.Program(page);

        // --- the screen's density ----------------------------------------------
        // The Program hears the screen's device pixel ratio before it first
        // shows the picture, and again whenever it changes (another screen,
        // the browser's zoom): a media query of the ratio it has stops
        // matching, and one of the new ratio takes its place.
        let screenDpi = layout.logicalDpi;  // the density the Program was told, as it takes it
        function densityChanged() {
            const ratio = devicePixelRatio;
            matchMedia(`(resolution: ${ratio}dppx)`).addEventListener("change", densityChanged, { once: true });
            screenDpi = M.dpiOf(ratio);
            program.densityChanged(ratio);
            placePicture();
            fitForm();
        }

        // The canvases cover the drawing area: the picture's pixels at its
        // density. Where that is the screen's, one picture pixel is one device
        // pixel: the engine's size of the canvas in device pixels, where it
        // says it, corrects the CSS size by what its pixel snapping took.
        let nudge = { x: 0, y: 0, tries: 0 };
        const exact = () => pictureDpi === layout.logicalDpi * devicePixelRatio;
        function placePicture() {
            nudge = { x: 0, y: 0, tries: 0 };
            sizeCanvases();
        }
        function sizeCanvases() {
            const scale = layout.logicalDpi / pictureDpi;
            for (const canvas of [picture, keyLayer]) {
                canvas.style.width = width * scale + nudge.x + "px";
                canvas.style.height = height * scale + nudge.y + "px";
            }
        }
        const devicePixels = new ResizeObserver(([entry]) => {
            const size = entry.devicePixelContentBoxSize && entry.devicePixelContentBoxSize[0];
            if (!size || !exact() || nudge.tries >= 3 || (size.inlineSize === width && size.blockSize === height))
                return;
            nudge.tries++;
            nudge.x += (width - size.inlineSize) / devicePixelRatio;
            nudge.y += (height - size.blockSize) / devicePixelRatio;
            sizeCanvases();
        });
        try {
            devicePixels.observe(picture, { box: "device-pixel-content-box" });
        } catch (error) {
            // (WebKit: the CSS size alone, its product with the ratio rounded by the engine.)
        }

        // The print style shows this image alone (for the browser's own Print
        // menu too), each pixel a block of up to print.block x print.block, so that
        // the picture stays sharp however the printing path scales it.
        // It follows the picture a moment after it last changed (a long
        // draw's refreshes make no image each), so that it is ready, decoded,
        // when the browser prints.
        function printStale() {
            clearTimeout(printTimer);
            printTimer = setTimeout(preparePrint, print.delayMs);
        }
        function preparePrint() {
            if (!printTimer && printed.src)
                return;  // up to date
            clearTimeout(printTimer);
            printTimer = 0;
            const blocks = document.createElement("canvas");
            const block = Math.max(1, Math.min(print.block, Math.floor(Math.sqrt(print.pixels / (width * height)))));
            blocks.width = width * block;
            blocks.height = height * block;
            const scaled = blocks.getContext("2d");
            scaled.imageSmoothingEnabled = false;
            scaled.drawImage(picture, 0, 0, blocks.width, blocks.height);
            printed.src = blocks.toDataURL("image/png");
        }
        window.addEventListener("beforeprint", preparePrint);

        // --- the controls and dialogs ----------------------------------------
        layout.controls.forEach((row, r) => {
            if (row.kind === "button")
                controls[r].addEventListener("click", () => program.clicked(r));
            else if (row.kind === "list")
                controls[r].addEventListener("change", () => program.chosen(r));
        });
        // The list of the count box is empty: its arrow only takes the focus.
        for (const arrow of form.querySelectorAll(".arrow"))
            arrow.addEventListener("mousedown", (event) => {
                event.preventDefault();
                arrow.parentElement.querySelector("textarea").focus();
            });
        // The count box is a text area kept to one line, as an <input> is:
        // no line break typed, a pasted one becomes a space, and the Tab key
        // that brings the focus in selects the whole text.
        let tabbing = false;
        document.addEventListener("keydown", (event) => { tabbing = event.key === "Tab"; }, true);
        document.addEventListener("pointerdown", () => { tabbing = false; }, true);
        for (const field of form.querySelectorAll("textarea")) {
            field.addEventListener("beforeinput", (event) => {
                if (event.inputType === "insertLineBreak" || event.inputType === "insertParagraph")
                    event.preventDefault();
            });
            field.addEventListener("input", () => {
                const oneLine = (text) => text.replace(/\r\n|[\r\n]/g, " ");
                if (/[\r\n]/.test(field.value)) {
                    const caret = oneLine(field.value.slice(0, field.selectionEnd)).length;
                    field.value = oneLine(field.value);
                    field.setSelectionRange(caret, caret);
                }
            });
            field.addEventListener("focus", () => {
                if (tabbing) {
                    field.select();
                    setTimeout(() => field.select());  // (WebKit places the caret after the focus event)
                }
                tabbing = false;
            });
        }
        const focusChanged = () => program.focusChanged(rowOf(document.activeElement));
        document.addEventListener("focusin", focusChanged);
        document.addEventListener("focusout", focusChanged);
        $("messageOk").addEventListener("click", () => messageDialog.close());
        $("progressCancel").addEventListener("click", () => program.progressCancelled());
        progressDialog.addEventListener("cancel", (event) => {
            event.preventDefault();
            program.progressCancelled();
        });

        // --- keys --------------------------------------------------------------
        // The Program takes the keys it acts on; the platform's command key is
        // Ctrl, or Command on a Mac.
        document.addEventListener("keydown", (event) => {
            menuFromSurface = false;
            const focused = document.activeElement;
            const shift = (event.shiftKey ? SHIFT : 0) | (event.altKey ? ALT : 0) |
                ((isMac ? event.metaKey : event.ctrlKey) ? CTRL : 0) | ((isMac ? event.ctrlKey : event.metaKey) ? META : 0);
            const textSelected = focused instanceof HTMLTextAreaElement && focused.selectionStart !== focused.selectionEnd;
            // (A key the engine leaves unnamed goes by its place: WebKitGTK names no Shift+Tab.)
            const key = event.key === "Unidentified" ? event.code : event.key;
            if (program.keyDown(rowOf(focused), key, event.code, shift, event.repeat, textSelected)) {
                event.preventDefault();
                menuFromSurface = true;  // nor does the menu that may follow a key the Program took open
            }
        });

        // --- mouse and touch on the surface ----------------------------------
        document.addEventListener("pointerdown", () => {
            menuFromSurface = false;
            program.pointerDown();
        }, true);
        const shiftOf = (event) => (event.shiftKey ? SHIFT : 0) | (event.ctrlKey ? CTRL : 0) | (event.altKey ? ALT : 0);

        // Where an event lands in the drawing area, in the screen's device
        // pixels (at the density the Program was told), fractions kept: CSS
        // pixels from the canvas's corner, the scale of a narrow window undone.
        // Unscaled, the canvas's corner is where the engine puts it, on a
        // device pixel: the position is counted from that pixel, in whole
        // numbers where the event's are (Firefox gives whole CSS pixels), so
        // that a press on a pixel's edge is in that pixel.
        function pointOf(event) {
            const rect = picture.getBoundingClientRect();
            const perCss = screenDpi / layout.logicalDpi;
            if (!form.style.transform) {
                const corner = (at) => Math.round(at * devicePixelRatio) * perCss / devicePixelRatio;
                return { x: event.clientX * perCss - corner(rect.left), y: event.clientY * perCss - corner(rect.top) };
            }
            const scale = parseFloat(picture.style.width) / rect.width;
            return { x: (event.clientX - rect.left) * scale * perCss, y: (event.clientY - rect.top) * scale * perCss };
        }
        const press = (button, shift, at) => program.surfaceDown(button, shift, at.x, at.y);

        // Presses come as pointer events, whose positions keep fractions of a
        // CSS pixel; a button pressed while another is held comes as a move.
        const buttons = { 0: [LEFT, 1], 1: [MIDDLE, 4], 2: [RIGHT, 2] };  // the Program's button, its bit in `buttons`
        function mousePress(event) {
            const [button] = buttons[event.button] || [];
            if (!button)
                return;
            box.focus({ preventScroll: true });
            menuFromSurface ||= button === RIGHT;
            press(button, shiftOf(event), pointOf(event));
        }
        // No text selection, no autoscroll, no browser action for a modified
        // click: a press is the surface's alone.
        box.addEventListener("mousedown", (event) => event.preventDefault());
        box.addEventListener("auxclick", (event) => event.preventDefault());

        // A tap places an anchor where the finger went down; a long press
        // draws, as a right press does: when the browser offers its context
        // menu for the touch, or after touch.longPressMs where it offers none.
        function touchDown(event) {
            event.preventDefault();  // no mouse events made up from the touch
            if (finger)
                return;
            finger = { id: event.pointerId, x: event.clientX, y: event.clientY, at: pointOf(event), used: false,
                       timer: setTimeout(longPress, touch.longPressMs) };
            box.focus({ preventScroll: true });
        }
        function longPress() {
            if (finger && !finger.used) {
                finger.used = true;
                press(touch.longPress, 0, finger.at);
            }
        }
        // The finger's touch, once it is lifted or lost.
        function touchOver(event) {
            if (!finger || event.pointerId !== finger.id)
                return null;
            const over = finger;
            clearTimeout(over.timer);
            finger = null;
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
            if (finger && event.pointerId === finger.id &&
                Math.hypot(event.clientX - finger.x, event.clientY - finger.y) > touch.slop) {
                finger.used = true;
                clearTimeout(finger.timer);
            }
        }, true);
        document.addEventListener("pointerup", (event) => {
            const tap = touchOver(event);
            if (tap && !tap.used)
                press(touch.tap, shiftOf(event), tap.at);
        }, true);
        document.addEventListener("pointercancel", touchOver, true);
        box.addEventListener("contextmenu", (event) => {
            event.preventDefault();  // the surface has no context menu
            longPress();
        });
        // The context menu of a right press or of a key comes after it, and
        // may land on what it brought up (a message, an inert form): it is
        // the surface's all the same. Any other press or key forgets it.
        document.addEventListener("contextmenu", (event) => {
            if (busy || menuFromSurface)
                event.preventDefault();
            menuFromSurface = false;
        }, true);

        // --- keeping the picture, fitting the window -------------------------
        // The count box shows its widest text whole: a text wider than the
        // box has its letters closer, as far as the widest one needs.
        const measure = document.createElement("canvas").getContext("2d");
        function fitText(field) {
            const style = getComputedStyle(field);
            measure.font = `${style.fontSize} ${style.fontFamily}`;
            const room = field.clientWidth - parseFloat(style.paddingLeft) - parseFloat(style.paddingRight);
            const over = measure.measureText(widest).width - room;
            field.style.letterSpacing = over > 0 && measure.measureText(field.value).width > room
                ? -Math.ceil(over / widest.length * 10) / 10 + "px" : "";
        }
        document.addEventListener("visibilitychange", () => {
            if (!document.hidden)
                program.exposed();
        });
        window.addEventListener("pageshow", () => program.exposed());
        picture.addEventListener("contextrestored", () => program.exposed());

        // A window narrower than the form shows it whole, scaled down.
        const fit = $("fit");
        const formWidth = layout.width;
        const formHeight = layout.height;
        // (The room is the viewport's width as it is, fractions and all, and
        // the scaled form's size is rounded down to whole device pixels: a
        // zoomed viewport may be 666.67 CSS pixels wide, its clientWidth 667.)
        let fittedTo = 0;  // the room the form was last fitted into
        function fitForm() {
            const room = fittedTo = document.documentElement.getBoundingClientRect().width;
            const scale = Math.min(1, Math.floor(room / formWidth * 1e6) / 1e6);
            const whole = (size) => Math.floor(size * devicePixelRatio) / devicePixelRatio;
            form.style.transform = scale < 1 ? `scale(${scale})` : "";
            fit.style.width = (scale < 1 ? whole(formWidth * scale) : formWidth) + "px";
            fit.style.height = (scale < 1 ? whole(formHeight * scale) : formHeight) + "px";
        }
        window.addEventListener("resize", fitForm);
        // (A vertical scroll bar that comes with the fitted form takes its
        // room: fit again, smaller. Where that makes it go, the form stays so,
        // rather than coming and going, until the window's size changes.)
        new ResizeObserver(() => {
            if (document.documentElement.getBoundingClientRect().width < fittedTo)
                fitForm();
        }).observe(document.documentElement);
        fitForm();

        for (const [r, field] of controls.entries())
            if (layout.controls[r].kind === "countBox") {
                field.addEventListener("input", () => fitText(field));
                fitText(field);
            }
        $("loading").remove();
        densityChanged();
        program.exposed();
        firstFocus.focus({ preventScroll: true });
    }
})();
