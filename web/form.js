"use strict";
// Form2's controls, made from the module's form as shown: each row an
// element of its name, made in the table's order (what comes later covers
// what it overlaps) and placed in pixels; only the rows of the tab order
// take the focus. A count box is a one-line text area that shows its widest
// text whole; a form wider than the window is scaled down to fit it.

const element = (tag, properties = {}, attributes = {}) => {
    const made = Object.assign(document.createElement(tag), properties);
    for (const [name, value] of Object.entries(attributes))
        made.setAttribute(name, value);
    return made;
};

const controlMakers = {
    label: (row) => element("div", { id: row.name, className: "label", textContent: row.text }),
    surface: (row) => {
        const box = element("div", { id: row.name }, { role: "application" });
        box.append(element("canvas", { id: "picture" }), element("canvas", { id: "keypoint" }, { "aria-hidden": "true" }));
        return box;
    },
    // (The caption in a span the mouse passes through: a click then starts
    // the engine's Tab order at the button, not inside it, and Shift+Tab
    // leaves it in WebKit too.)
    button: (row) => {
        const button = element("button", { id: row.name, type: "button" });
        button.append(element("span", { textContent: row.text }));
        return button;
    },
    // A one-line text area, not an <input>: WebKit's input keeps at most
    // 524288 characters, and a count of any length must reach the Program
    // whole. keepOneLine keeps it to one line, as an input.
    countBox: (row) => {
        const frame = element("div", { id: row.name + "Frame" });
        frame.append(element("textarea", { id: row.name, rows: 1, spellcheck: false, value: row.text },
                             { wrap: "off", role: "combobox", "aria-expanded": "false", autocomplete: "off" }),
                     element("span", { className: "arrow" }, { "aria-hidden": "true" }));
        return frame;
    },
    list: (row) => {
        const list = element("select", { id: row.name, size: row.items.length });
        for (const item of row.items)
            list.add(new Option(item, item));
        list.selectedIndex = -1;
        return list;
    },
};

// Makes the form's controls in `form`; what the other parts need of them.
function buildForm(layout, form) {
    const px = (pixels) => pixels + "px";
    const placed = [];
    for (const r of layout.creation) {
        placed[r] = controlMakers[layout.controls[r].kind](layout.controls[r]);
        form.append(placed[r]);
    }
    const controls = placed.map((frame) => frame.querySelector("textarea") || frame);
    Object.assign(form.style, { width: px(layout.width), height: px(layout.height) });
    document.body.style.fontSize = px(layout.fontPixels);
    document.documentElement.style.setProperty("--frame", layout.frameColor);
    document.documentElement.style.setProperty("--focus", layout.focusColor);
    layout.controls.forEach((row, r) => {
        Object.assign(placed[r].style, { left: px(row.left), top: px(row.top), width: px(row.width), height: px(row.height) });
        if (row.accessibleName)
            controls[r].setAttribute("aria-label", row.accessibleName);
        if (layout.tabbing.includes(r))
            controls[r].tabIndex = 0;
        if (row.names >= 0)
            controls[row.names].setAttribute("aria-describedby", row.name);
    });
    const box = controls[layout.controls.findIndex((row) => row.kind === "surface")];
    box.style.borderWidth = layout.surfaceFrame + "px";
    box.setAttribute("aria-describedby", layout.controls[layout.describedBy].name);
    return {
        form, controls, box,
        picture: box.querySelector("#picture"),
        keyLayer: box.querySelector("#keypoint"),
        rowOf: (element) => controls.indexOf(element),
        firstFocus: controls[layout.tabbing[0]],
        countBoxes: controls.filter((control, r) => layout.controls[r].kind === "countBox"),
    };
}

// The buttons and lists tell the Program when they are used.
function listenControls(layout, ui, program) {
    layout.controls.forEach((row, r) => {
        if (row.kind === "button")
            ui.controls[r].addEventListener("click", () => program.clicked(r));
        else if (row.kind === "list")
            ui.controls[r].addEventListener("change", () => program.chosen(r));
    });
}

// The count box is a text area kept to one line, as an <input> is: no line
// break typed, a pasted one becomes a space, and the Tab key that brings the
// focus in selects the whole text. Its list is empty: its arrow only takes
// the focus.
function keepOneLine(ui) {
    for (const arrow of ui.form.querySelectorAll(".arrow"))
        arrow.addEventListener("mousedown", (event) => {
            event.preventDefault();
            arrow.parentElement.querySelector("textarea").focus();
        });
    let tabbing = false;
    document.addEventListener("keydown", (event) => { tabbing = event.key === "Tab"; }, true);
    document.addEventListener("pointerdown", () => { tabbing = false; }, true);
    const oneLine = (text) => text.replace(/\r\n|[\r\n]/g, " ");
    for (const field of ui.countBoxes) {
        field.addEventListener("beforeinput", (event) => {
            if (event.inputType === "insertLineBreak" || event.inputType === "insertParagraph")
                event.preventDefault();
        });
        field.addEventListener("input", () => {
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
}

// The count box shows its widest text whole: a text wider than the box has
// its letters closer, as far as the widest one needs.
function fitWidestText(layout, ui) {
    const measure = document.createElement("canvas").getContext("2d");
    function fitText(field, widest) {
        const style = getComputedStyle(field);
        measure.font = `${style.fontSize} ${style.fontFamily}`;
        const room = field.clientWidth - parseFloat(style.paddingLeft) - parseFloat(style.paddingRight);
        const over = measure.measureText(widest).width - room;
        field.style.letterSpacing = over > 0 && measure.measureText(field.value).width > room
            ? -Math.ceil(over / widest.length * 10) / 10 + "px" : "";
    }
    for (const field of ui.countBoxes) {
        const widest = layout.controls[ui.rowOf(field)].widest;
        field.addEventListener("input", () => fitText(field, widest));
        fitText(field, widest);
    }
}

// A window narrower than the form shows it whole, scaled down. (The room is
// the viewport's width as it is, fractions and all, and the scaled form's
// size is rounded down to whole device pixels: a zoomed viewport may be
// 666.67 CSS pixels wide, its clientWidth 667.) Returns the fitting, for a
// change of the screen's density.
function fitToWindow(layout, form, fit) {
    let fittedTo = 0;  // the room the form was last fitted into
    function fitForm() {
        const room = fittedTo = document.documentElement.getBoundingClientRect().width;
        const scale = Math.min(1, Math.floor(room / layout.width * 1e6) / 1e6);
        const whole = (size) => Math.floor(size * devicePixelRatio) / devicePixelRatio;
        form.style.transform = scale < 1 ? `scale(${scale})` : "";
        fit.style.width = (scale < 1 ? whole(layout.width * scale) : layout.width) + "px";
        fit.style.height = (scale < 1 ? whole(layout.height * scale) : layout.height) + "px";
    }
    window.addEventListener("resize", fitForm);
    // (A vertical scroll bar that comes with the fitted form takes its room:
    // fit again, smaller. Where that makes it go, the form stays so, rather
    // than coming and going, until the window's size changes.)
    new ResizeObserver(() => {
        if (document.documentElement.getBoundingClientRect().width < fittedTo)
            fitForm();
    }).observe(document.documentElement);
    fitForm();
    return fitForm;
}
