#pragma once

#include "platform/raster_surface.h"
#include "window/layout.h"

#include <QImage>
#include <QPoint>
#include <QWidget>

#include <cstdint>

namespace chaos {

// The drawing surface on screen: a raster image inside a one-pixel border.
// Drawing goes into the image, so a repaint, an expose or un-minimising shows
// it again; the screen is updated when the owner asks, never per dot.
//
// With the keyboard focus it shows a keyboard point, a small crosshair over
// the picture (never part of it), that the arrow keys move; Space or Return
// there acts as a left press, and the Menu key or Shift+F10 as a right press.
class SurfaceWidget : public QWidget {
    Q_OBJECT

public:
    static constexpr int kBorder = kSurfaceFrame;  // pixels

    // placement: the widget's rectangle in the window, in twips.
    explicit SurfaceWidget(RasterSurface::Placement placement, QWidget* parent = nullptr);

    RasterSurface& surface() { return raster; }
    // A copy of what is drawn, one pixel per image pixel.
    QImage image() {
        raster.settle();
        return view.copy();
    }
    // The drawing-area pixel the keyboard acts on.
    QPoint keyboardPoint() const { return keyPoint; }

signals:
    // A button went down: Button 1 left, 2 right, 4 middle; Shift 1 Shift,
    // 2 Ctrl, 4 Alt added together; X, Y in twips from the drawing area's top-left.
    void mouseDown(std::int16_t button, std::int16_t shift, float x, float y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // A press at a drawing-area position in pixels.
    void pressAt(std::int16_t button, std::int16_t shift, QPointF pixel);
    void paintKeyboardPoint(QPainter& painter) const;

    RasterSurface raster;
    QImage view;  // shares the raster's pixels
    QPoint keyPoint;
};

} // namespace chaos
