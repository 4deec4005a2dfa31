"use strict";
// The picture commands: a download, the clipboard, and printing. The print
// style shows one image alone (for the browser's own Print menu too), each
// pixel a block of up to print.block x print.block, so that the picture
// stays sharp however the printing path scales it. It follows the picture a
// moment after it last changed (a long draw's refreshes make no image each),
// so that it is ready, decoded, when the browser prints. `tell` has the
// Program's dialogClosed and pictureFailed.
function makePictures(layout, canvas, tell) {
    const { print } = layout;
    const printed = document.getElementById("printPicture");
    let printTimer = 0;  // the print image is to follow the picture
    function preparePrint() {
        if (!printTimer && printed.src)
            return;  // up to date
        clearTimeout(printTimer);
        printTimer = 0;
        const { width, height } = canvas.size();
        const blocks = document.createElement("canvas");
        const block = Math.max(1, Math.min(print.block, Math.floor(Math.sqrt(print.pixels / (width * height)))));
        blocks.width = width * block;
        blocks.height = height * block;
        const scaled = blocks.getContext("2d");
        scaled.imageSmoothingEnabled = false;
        scaled.drawImage(canvas.picture, 0, 0, blocks.width, blocks.height);
        printed.src = blocks.toDataURL("image/png");
    }
    window.addEventListener("beforeprint", preparePrint);

    return {
        stale() {
            clearTimeout(printTimer);
            printTimer = setTimeout(preparePrint, print.delayMs);
        },
        // The download is the save dialog: over once the browser has the file, or could not make it.
        save(command, fileName) {
            canvas.picture.toBlob((png) => {
                tell.dialogClosed();
                if (!png)
                    return tell.pictureFailed(command);
                const link = document.createElement("a");
                link.href = URL.createObjectURL(png);
                link.download = fileName;
                link.click();
                setTimeout(() => URL.revokeObjectURL(link.href), layout.downloadKeptMs);
            }, "image/png");
        },
        // The PNG is made while the browser writes, within the key's user activation.
        copy(command) {
            const png = new Promise((resolve, reject) =>
                canvas.picture.toBlob((blob) => (blob ? resolve(blob) : reject(new Error("no picture"))), "image/png"));
            let writing;
            try {
                writing = navigator.clipboard.write([new ClipboardItem({ "image/png": png })]);
            } catch (error) {
                writing = Promise.reject(error);
            }
            writing.catch(() => tell.pictureFailed(command));
        },
        // The engine lays the printed page out at once: the image is decoded
        // and in a frame before the dialog opens.
        print() {
            preparePrint();
            const frame = () => new Promise((resolve) => requestAnimationFrame(resolve));
            printed.decode().catch(() => {}).then(frame).then(frame).then(() => window.print())
                .finally(() => tell.dialogClosed());
        },
    };
}
