"use strict";
// The drawing surface's two canvases: the Program's picture, and the marks
// over it (the keyboard point). They cover the drawing area with the
// picture's pixels at its density. Where that is the screen's, one picture
// pixel is one device pixel: the engine's size of the canvas in device
// pixels, where it says it, corrects the CSS size by what its pixel snapping
// took.
function makeCanvas(layout, ui) {
    const c = {
        layout, ui, picture: ui.picture, keyLayer: ui.keyLayer,
        width: layout.areaWidth, height: layout.areaHeight,
        pictureDpi: layout.logicalDpi,  // the density of the picture shown
        screenDpi: layout.logicalDpi,   // the density the Program was told, as it takes it
        nudge: { x: 0, y: 0, tries: 0 },
        context: ui.picture.getContext("2d", { willReadFrequently: true }),
        keyContext: ui.keyLayer.getContext("2d"),
    };
    observeDevicePixels(c);
    resizeCanvases(c, c.width, c.height);
    return {
        picture: c.picture,
        size: () => ({ width: c.width, height: c.height }),
        show: (pixels, width, height, dpi) => showPicture(c, pixels, width, height, dpi),
        showMarks: (marks) => showMarks(c, marks),
        // The screen's density changed to `dpi`, as the Program takes it.
        screenChanged(dpi) {
            c.screenDpi = dpi;
            placePicture(c);
        },
        pointOf: (event) => pointOf(c, event),
    };
}

function resizeCanvases(c, width, height) {
    c.picture.width = c.keyLayer.width = c.width = width;
    c.picture.height = c.keyLayer.height = c.height = height;
}

function sizeCanvases(c) {
    const scale = c.layout.logicalDpi / c.pictureDpi;
    for (const canvas of [c.picture, c.keyLayer]) {
        canvas.style.width = c.width * scale + c.nudge.x + "px";
        canvas.style.height = c.height * scale + c.nudge.y + "px";
    }
}

function placePicture(c) {
    c.nudge = { x: 0, y: 0, tries: 0 };
    sizeCanvases(c);
}

function observeDevicePixels(c) {
    const exact = () => c.pictureDpi === c.layout.logicalDpi * devicePixelRatio;
    const devicePixels = new ResizeObserver(([entry]) => {
        const size = entry.devicePixelContentBoxSize && entry.devicePixelContentBoxSize[0];
        if (!size || !exact() || c.nudge.tries >= 3 || (size.inlineSize === c.width && size.blockSize === c.height))
            return;
        c.nudge.tries++;
        c.nudge.x += (c.width - size.inlineSize) / devicePixelRatio;
        c.nudge.y += (c.height - size.blockSize) / devicePixelRatio;
        sizeCanvases(c);
    });
    try {
        devicePixels.observe(c.picture, { box: "device-pixel-content-box" });
    } catch (error) {
        // (WebKit: the CSS size alone, its product with the ratio rounded by the engine.)
    }
}

// The Program's picture, at the size and density it has now.
function showPicture(c, pixels, width, height, dpi) {
    if (width !== c.width || height !== c.height || dpi !== c.pictureDpi) {
        resizeCanvases(c, width, height);
        c.pictureDpi = dpi;
        placePicture(c);
    }
    c.context.putImageData(new ImageData(pixels, c.width, c.height), 0, 0);
}

function showMarks(c, marks) {
    c.keyContext.clearRect(0, 0, c.width, c.height);
    for (const m of marks) {
        c.keyContext.fillStyle = `rgb(${m.red}, ${m.green}, ${m.blue})`;
        c.keyContext.fillRect(m.x, m.y, m.width, m.height);
    }
}

// Where an event lands in the drawing area, in the screen's device pixels
// (at the density the Program was told), fractions kept: CSS pixels from the
// canvas's corner, the scale of a narrow window undone. Unscaled, the
// canvas's corner is where the engine puts it, on a device pixel: the
// position is counted from that pixel, in whole numbers where the event's
// are (Firefox gives whole CSS pixels), so that a press on a pixel's edge is
// in that pixel.
function pointOf(c, event) {
    const rect = c.picture.getBoundingClientRect();
    const perCss = c.screenDpi / c.layout.logicalDpi;
    if (!c.ui.form.style.transform) {
        const corner = (at) => Math.round(at * devicePixelRatio) * perCss / devicePixelRatio;
        return { x: event.clientX * perCss - corner(rect.left), y: event.clientY * perCss - corner(rect.top) };
    }
    const scale = parseFloat(c.picture.style.width) / rect.width;
    return { x: (event.clientX - rect.left) * scale * perCss, y: (event.clientY - rect.top) * scale * perCss };
}
