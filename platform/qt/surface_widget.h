#pragma once

#include "platform/raster_surface.h"

#include <QImage>
#include <QWidget>

#include <cstdint>

namespace chaos {

// The drawing surface on screen: a raster image inside a one-pixel border.
// Drawing goes into the image, so a repaint, an expose or un-minimising shows
// it again; the screen is updated when the owner asks, never per dot.
class SurfaceWidget : public QWidget {
    Q_OBJECT

public:
    static constexpr int kBorder = 1;  // pixels

    // placement: the widget's rectangle in the window, in twips.
    explicit SurfaceWidget(RasterSurface::Placement placement, QWidget* parent = nullptr);

    RasterSurface& surface() { return raster; }
    // A copy of what is drawn, one pixel per image pixel.
    QImage image() {
        raster.settle();
        return view.copy();
    }

signals:
    // A button went down: Button 1 left, 2 right, 4 middle; Shift 1 Shift,
    // 2 Ctrl, 4 Alt added together; X, Y in twips from the drawing area's top-left.
    void mouseDown(std::int16_t button, std::int16_t shift, float x, float y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    RasterSurface raster;
    QImage view;  // shares the raster's pixels
};

} // namespace chaos
