"use strict";
// The page's modal dialogs: a message with OK (the Program shows one at a
// time), the progress of a long draw with Cancel, its size that of the
// form's widest line, and the line shown once Exit has ended the program.
// `tell` has the Program's dialogClosed and progressCancelled.
function makeDialogs(layout, tell) {
    const $ = (id) => document.getElementById(id);
    const texts = layout.texts, messageDialog = $("message"), progressDialog = $("progress");
    $("messageTitle").textContent = texts.title;
    $("messageOk").textContent = texts.ok;
    $("messageOk").addEventListener("click", () => messageDialog.close());
    $("progressCancel").addEventListener("click", () => tell.progressCancelled());
    progressDialog.addEventListener("cancel", (event) => {
        event.preventDefault();
        tell.progressCancelled();
    });

    return {
        showMessage(text, kind) {
            $("messageText").textContent = text;
            messageDialog.dataset.kind = kind;
            messageDialog.addEventListener("close", () => tell.dialogClosed(), { once: true });
            messageDialog.showModal();
            $("messageOk").focus();
        },
        showProgress(title, text, cancel) {
            $("progressTitle").textContent = title;
            $("progressCancel").textContent = cancel;
            // One size, that of the widest line, so that the dialog stays put, centred.
            $("progressText").textContent = layout.progressWidest;
            progressDialog.style.width = "";
            progressDialog.showModal();
            progressDialog.style.width = progressDialog.getBoundingClientRect().width + "px";
            $("progressText").textContent = text;
            $("progressCancel").focus();
        },
        updateProgress(text, done, total) {
            $("progressText").textContent = text;
            const bar = $("progressBar");
            bar.max = total;
            bar.value = done;
        },
        hideProgress: () => progressDialog.close(),
        // After Exit one line says how to start again.
        showEnded() {
            const line = $("ended");
            line.textContent = texts.ended;
            line.hidden = false;
            line.scrollIntoView({ block: "nearest" });
        },
    };
}
