"use strict";
// The page's side of Chaos Game, the entry that wires its parts. The
// module's Program holds every rule, text and place: the page makes Form2
// from the form the Program hands it (form.js), tells the Program what the
// user does (input.js), and does what it asks through `page`: the canvas
// (canvas.js), the dialogs (dialogs.js), downloads, the clipboard and
// printing (printing.js), the other cores (workers.js), and the event loop's calls.
// (The module's texts are not there when the module is not: this one line is the page's own.)
new Promise((resolve) => resolve(createChaosGame())).then(startPage).catch((error) => {
    document.getElementById("loading").textContent = "Chaos Game cannot start in this browser: " + error;
});

function startPage(M) {
    const layout = M.Program.form();
    const ui = buildForm(layout, document.getElementById("form"));
    const canvas = makeCanvas(layout, ui);
    const state = { busy: false, fromSurface: false };  // a long draw holds the form; the coming context menu is the surface's
    let program = null;
    const tell = {
        dialogClosed: () => program.dialogClosed(),
        progressCancelled: () => program.progressCancelled(),
        pictureFailed: (command) => program.pictureFailed(command),
    };
    const dialogs = makeDialogs(layout, tell);
    const pictures = makePictures(layout, canvas, tell);
    const workers = makeWorkers((ticket, answer) => program.answered(ticket, answer));
    program = new M.Program(makePage(ui, canvas, dialogs, pictures, workers, state, () => program));
    listenAll(M, layout, ui, canvas, program, state);
    setTimeout(workers.start);
}

// What the Program asks of the page.
function makePage(ui, canvas, dialogs, pictures, workers, state, program) {
    const channel = new MessageChannel();
    channel.port1.onmessage = () => program().tick();
    const showPicture = (pixels, width, height, dpi) => {
        canvas.show(pixels, width, height, dpi);
        pictures.stale();
    };
    return {
        text: (row) => ui.controls[row].value,
        chosenRow: (row) => ui.controls[row].selectedIndex,
        focus: (row) => ui.controls[row].focus({ preventScroll: true }),
        setBusy(on) {
            state.busy = on;
            ui.form.inert = on;  // as the desktop disables its controls
        },
        showPicture,
        showMarks: (marks) => canvas.showMarks(marks),
        showMessage: dialogs.showMessage,
        showProgress: dialogs.showProgress,
        updateProgress: dialogs.updateProgress,
        hideProgress: dialogs.hideProgress,
        callSoon: () => channel.port2.postMessage(null),
        callAfter: (ms) => setTimeout(() => program().tick(), ms),
        workerCount: workers.count,
        sendToWorker: workers.send,
        savePicture(command, fileName, pixels, width, height, dpi) {
            showPicture(pixels, width, height, dpi);
            pictures.save(command, fileName);
        },
        copyPicture(command, pixels, width, height, dpi) {
            showPicture(pixels, width, height, dpi);
            pictures.copy(command);
        },
        printPicture(command, pixels, width, height, dpi) {
            showPicture(pixels, width, height, dpi);
            pictures.print();
        },
        // After Exit the picture stays and nothing answers any more.
        end() {
            ui.form.inert = true;
            canvas.showMarks([]);
            dialogs.showEnded();
        },
    };
}

// The Program hears the screen's device pixel ratio before it first
// shows the picture, and again whenever it changes (another screen, the
// browser's zoom): a media query of the ratio it has stops matching, and
// one of the new ratio takes its place. It hears the user, and shows
// the picture again whenever the page may have lost it.
function listenAll(M, layout, ui, canvas, program, state) {
    let fitForm = () => {};
    function densityChanged() {
        const ratio = devicePixelRatio;
        matchMedia(`(resolution: ${ratio}dppx)`).addEventListener("change", densityChanged, { once: true });
        program.densityChanged(ratio);
        canvas.screenChanged(M.dpiOf(ratio));
        fitForm();
    }
    listenControls(layout, ui, program);
    keepOneLine(ui);
    listenFocus(ui, program);
    listenKeys(layout, ui, program, state);
    listenMouse(layout, ui, canvas, program, state);
    listenTouch(layout, ui, canvas, program, state);
    document.addEventListener("visibilitychange", () => {
        if (!document.hidden)
            program.exposed();
    });
    window.addEventListener("pageshow", () => program.exposed());
    canvas.picture.addEventListener("contextrestored", () => program.exposed());
    fitForm = fitToWindow(layout, ui.form, document.getElementById("fit"));
    fitWidestText(layout, ui);
    document.getElementById("loading").remove();
    densityChanged();
    program.exposed();
    ui.firstFocus.focus({ preventScroll: true });
}
