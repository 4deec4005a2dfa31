"use strict";
// What the user does, told to the Program: the focus, keys, and presses of
// the mouse and of a finger on the surface. `state.busy`: a long draw holds
// the form.

// The focus, wherever it goes.
function listenFocus(ui, program) {
    const focusChanged = () => program.focusChanged(ui.rowOf(document.activeElement));
    document.addEventListener("focusin", focusChanged);
    document.addEventListener("focusout", focusChanged);
}

// The Program takes the keys it acts on; the platform's command key is
// Ctrl, or Command on a Mac. A key it took opens no context menu after it.
function listenKeys(layout, ui, program, state) {
    const { shift: SHIFT, ctrl: CTRL, alt: ALT, meta: META } = layout.input;
    const isMac = /Mac|iPhone|iPad/.test(navigator.platform);
    document.addEventListener("keydown", (event) => {
        state.fromSurface = false;
        const focused = document.activeElement;
        const shift = (event.shiftKey ? SHIFT : 0) | (event.altKey ? ALT : 0) |
            ((isMac ? event.metaKey : event.ctrlKey) ? CTRL : 0) | ((isMac ? event.ctrlKey : event.metaKey) ? META : 0);
        const textSelected = focused instanceof HTMLTextAreaElement && focused.selectionStart !== focused.selectionEnd;
        // (A key the engine leaves unnamed goes by its place: WebKitGTK names no Shift+Tab.)
        const key = event.key === "Unidentified" ? event.code : event.key;
        if (program.keyDown(ui.rowOf(focused), key, event.code, shift, event.repeat, textSelected)) {
            event.preventDefault();
            state.fromSurface = true;
        }
    });
}

// Mouse presses on the surface come as pointer events, whose positions keep
// fractions of a CSS pixel; a button pressed while another is held comes as
// a move. No text selection, no autoscroll, no browser action for a
// modified click: a press is the surface's alone.
function listenMouse(layout, ui, canvas, program, state) {
    const { left: LEFT, right: RIGHT, middle: MIDDLE } = layout.input;
    const buttons = { 0: [LEFT, 1], 1: [MIDDLE, 4], 2: [RIGHT, 2] };  // the Program's button, its bit in `buttons`
    document.addEventListener("pointerdown", () => {
        state.fromSurface = false;
        program.pointerDown();
    }, true);
    function mousePress(event) {
        const [button] = buttons[event.button] || [];
        if (!button)
            return;
        ui.box.focus({ preventScroll: true });
        state.fromSurface ||= button === RIGHT;
        const at = canvas.pointOf(event);
        program.surfaceDown(button, shiftOf(layout, event), at.x, at.y);
    }
    ui.box.addEventListener("mousedown", (event) => event.preventDefault());
    ui.box.addEventListener("auxclick", (event) => event.preventDefault());
    ui.box.addEventListener("pointerdown", (event) => event.pointerType !== "touch" && mousePress(event));
    ui.box.addEventListener("pointermove", (event) => {
        const [, bit] = buttons[event.button] || [];
        if (event.pointerType !== "touch" && bit && event.buttons & bit)
            mousePress(event);
    });
}

// The mask of the mouse's modifiers.
function shiftOf(layout, event) {
    const { shift: SHIFT, ctrl: CTRL, alt: ALT } = layout.input;
    return (event.shiftKey ? SHIFT : 0) | (event.ctrlKey ? CTRL : 0) | (event.altKey ? ALT : 0);
}

// A tap places an anchor where the finger went down; a long press draws, as
// a right press does: when the browser offers its context menu for the
// touch, or after touch.longPressMs where it offers none. The window's
// table says which press each is, and the times and distances.
function listenTouch(layout, ui, canvas, program, state) {
    const { touch } = layout;
    let finger = null;  // a finger on the surface: a tap or a long press to be
    const press = (button, shift, at) => program.surfaceDown(button, shift, at.x, at.y);
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
    ui.box.addEventListener("pointerdown", (event) => {
        if (event.pointerType !== "touch")
            return;
        event.preventDefault();  // no mouse events made up from the touch
        if (finger)
            return;
        finger = { id: event.pointerId, x: event.clientX, y: event.clientY, at: canvas.pointOf(event), used: false,
                   timer: setTimeout(longPress, touch.longPressMs) };
        ui.box.focus({ preventScroll: true });
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
            press(touch.tap, shiftOf(layout, event), tap.at);
    }, true);
    document.addEventListener("pointercancel", touchOver, true);
    ui.box.addEventListener("contextmenu", (event) => {
        event.preventDefault();  // the surface has no context menu
        longPress();
    });
    // The context menu of a right press or of a key comes after it, and may
    // land on what it brought up (a message, an inert form): it is the
    // surface's all the same. Any other press or key forgets it.
    document.addEventListener("contextmenu", (event) => {
        if (state.busy || state.fromSurface)
            event.preventDefault();
        state.fromSurface = false;
    }, true);
}
