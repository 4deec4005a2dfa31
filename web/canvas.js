"use strict";
// The drawing surface's two canvases: the Program's picture, and the marks
// over it (the keyboard point). They cover the drawing area with the
// picture's pixels at its density. Where that is the screen's, one picture
// pixel is one device pixel: the engine's size of the canvas in device
// pixels, where it says it, corrects the CSS size by what its pixel snapping
// took.
function makeCanvas(layout, ui) {
    const { picture, keyLayer } = ui;
    let width = layout.areaWidth, height = layout.areaHeight;
    let pictureDpi = layout.logicalDpi;  // the density of the picture shown
    let screenDpi = layout.logicalDpi;   // the density the Program was told, as it takes it
    let nudge = { x: 0, y: 0, tries: 0 };
    const context = picture.getContext("2d", { willReadFrequently: true });
    const keyContext = keyLayer.getContext("2d");
    const exact = () => pictureDpi === layout.logicalDpi * devicePixelRatio;

    function resize(pictureWidth, pictureHeight) {
        picture.width = keyLayer.width = width = pictureWidth;
        picture.height = keyLayer.height = height = pictureHeight;
    }
    function sizeCanvases() {
        const scale = layout.logicalDpi / pictureDpi;
        for (const canvas of [picture, keyLayer]) {
            canvas.style.width = width * scale + nudge.x + "px";
            canvas.style.height = height * scale + nudge.y + "px";
        }
    }
    function placePicture() {
        nudge = { x: 0, y: 0, tries: 0 };
        sizeCanvases();
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
    resize(width, height);

    return {
        picture,
        size: () => ({ width, height }),
        // The Program's picture, at the size and density it has now.
        show(pixels, pictureWidth, pictureHeight, dpi) {
            if (pictureWidth !== width || pictureHeight !== height || dpi !== pictureDpi) {
                resize(pictureWidth, pictureHeight);
                pictureDpi = dpi;
                placePicture();
            }
            context.putImageData(new ImageData(pixels, width, height), 0, 0);
        },
        showMarks(marks) {
            keyContext.clearRect(0, 0, width, height);
            for (const m of marks) {
                keyContext.fillStyle = `rgb(${m.red}, ${m.green}, ${m.blue})`;
                keyContext.fillRect(m.x, m.y, m.width, m.height);
            }
        },
        // The screen's density changed to `dpi`, as the Program takes it.
        screenChanged(dpi) {
            screenDpi = dpi;
            placePicture();
        },
        // Where an event lands in the drawing area, in the screen's device
        // pixels (at the density the Program was told), fractions kept: CSS
        // pixels from the canvas's corner, the scale of a narrow window undone.
        // Unscaled, the canvas's corner is where the engine puts it, on a
        // device pixel: the position is counted from that pixel, in whole
        // numbers where the event's are (Firefox gives whole CSS pixels), so
        // that a press on a pixel's edge is in that pixel.
        pointOf(event) {
            const rect = picture.getBoundingClientRect();
            const perCss = screenDpi / layout.logicalDpi;
            if (!ui.form.style.transform) {
                const corner = (at) => Math.round(at * devicePixelRatio) * perCss / devicePixelRatio;
                return { x: event.clientX * perCss - corner(rect.left), y: event.clientY * perCss - corner(rect.top) };
            }
            const scale = parseFloat(picture.style.width) / rect.width;
            return { x: (event.clientX - rect.left) * scale * perCss, y: (event.clientY - rect.top) * scale * perCss };
        },
    };
}
