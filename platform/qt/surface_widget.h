#pragma once

#include "platform/host.h"
#include "platform/raster_surface.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <vector>

namespace chaos {

// The drawing surface on screen: a raster image inside a frame. Drawing goes
// into the image, so a repaint, an expose or un-minimising shows it again;
// the screen is updated when the window asks, never per dot. Marks (the
// keyboard point's crosshair) are painted over the picture, never into it.
class SurfaceWidget : public QWidget {
    Q_OBJECT

public:
    SurfaceWidget(RasterSurface& raster, int frame, QWidget* parent = nullptr);

    int frame() const { return border; }
    // A copy of what is drawn, one pixel per image pixel.
    QImage image() const { return view().convertToFormat(QImage::Format_RGB32); }
    void setMarks(const Screen::Mark* marks, std::size_t count);
    bool showsMarks() const { return !marks.empty(); }

signals:
    // A button went down: Button 1 left, 2 right, 4 middle; Shift 1 Shift,
    // 2 Ctrl, 4 Alt added together; x, y in pixels from the drawing area's
    // top-left (outside it: on the frame).
    void mouseDown(std::int16_t button, std::int16_t shift, double x, double y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    // The raster's pixels (red, green, blue, 255 in memory) as an image.
    QImage view() const {
        return QImage(reinterpret_cast<const uchar*>(raster.bits()), raster.pixelWidth(), raster.pixelHeight(),
                      raster.pixelWidth() * 4, QImage::Format_RGBX8888);
    }

    RasterSurface& raster;
    int border;
    std::vector<Screen::Mark> marks;
};

} // namespace chaos
