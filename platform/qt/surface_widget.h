#pragma once

#include "platform/host.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <vector>

namespace chaos {

// The drawing surface on screen: the window's picture inside a frame. The
// picture stays the window's, so a repaint, an expose or un-minimising shows
// it again; the screen is updated when the window asks, never per dot. Marks
// (the keyboard point's crosshair) are painted over the picture, never into it.
class SurfaceWidget : public QWidget {
    Q_OBJECT

public:
    // `frame` pixels of frame on each side, in `frameColor`, or in
    // `focusColor` while the surface has the focus.
    SurfaceWidget(int frame, Color frameColor, Color focusColor, QWidget* parent = nullptr);

    int frame() const { return border; }
    // Shows `picture` from now on, until the next one.
    void showPicture(const Picture& picture);
    // A copy of the picture shown, one pixel per image pixel.
    QImage image() const { return imageOf(shown); }
    static QImage imageOf(const Picture& picture) { return view(picture).convertToFormat(QImage::Format_RGB32); }
    void setMarks(const Screen::Mark* marks, std::size_t count);
    bool showsMarks() const { return !marks.empty(); }

    // Where the widget's whole device pixels lie, at the ratio it is painted
    // at: `area` is the drawing area (the picture at the screen's density,
    // its right and bottom edges rounded down to whole device pixels), and
    // the frame fills the rest of `whole`, at least floor(frame x ratio)
    // device pixels on each side; a device pixel the widget covers in part
    // (`touched`, at fractional ratios) shows the window's background. In
    // device pixels from the first whole device pixel the widget covers.
    struct DeviceLayout {
        QRect whole, area, touched;
        QPointF offset;  // that first pixel's place in the widget's own device coordinates
    };
    DeviceLayout deviceLayout(double ratio) const;
    // Tells densityChanged if the widget's device pixel ratio is not the one
    // last told (it looks when painting and at each press too).
    void checkRatio() { noteRatio(devicePixelRatioF()); }

signals:
    // A button went down: Button 1 left, 2 right, 4 middle; Shift 1 Shift,
    // 2 Ctrl, 4 Alt added together; x, y in device pixels from the drawing
    // area's top-left (outside it: on the frame).
    void mouseDown(std::int16_t button, std::int16_t shift, double x, double y);
    // The screen's device pixel ratio differs from the one last seen.
    void densityChanged(double ratio);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void noteRatio(double ratio);

private:
    // The picture's pixels (red, green, blue, 255 in memory) as an image, not copied.
    static QImage view(const Picture& picture) {
        if (!picture.pixels)
            return {};
        return QImage(reinterpret_cast<const uchar*>(picture.pixels), picture.width, picture.height,
                      picture.width * 4, QImage::Format_RGBX8888);
    }

    Picture shown{};
    int border;
    QColor frameColor, focusColor;
    double seenRatio = 0;
    std::vector<Screen::Mark> marks;
};

} // namespace chaos
