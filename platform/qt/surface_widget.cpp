#include "platform/qt/surface_widget.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>

namespace chaos {

SurfaceWidget::SurfaceWidget(RasterSurface::Placement placement, QWidget* parent)
    : QWidget(parent),
      raster(placement, twipsToPixel(placement.width) - 2 * kBorder, twipsToPixel(placement.height) - 2 * kBorder),
      view(reinterpret_cast<const uchar*>(raster.bits()), raster.pixelWidth(), raster.pixelHeight(),
           raster.pixelWidth() * 4, QImage::Format_RGB32) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_StaticContents);
    setFocusPolicy(Qt::StrongFocus);
}

void SurfaceWidget::paintEvent(QPaintEvent* event) {
    raster.settle();
    QPainter painter(this);
    // Drawn pixel for pixel; on a high-density screen each pixel is scaled
    // up without smoothing, so dots and circles stay crisp.
    const QRect area = event->rect() & rect().adjusted(kBorder, kBorder, -kBorder, -kBorder);
    painter.drawImage(area, view, area.translated(-kBorder, -kBorder));
    painter.setPen(hasFocus() ? palette().color(QPalette::Highlight) : palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void SurfaceWidget::mousePressEvent(QMouseEvent* event) {
    std::int16_t button = 0;
    switch (event->button()) {
    case Qt::LeftButton: button = 1; break;
    case Qt::RightButton: button = 2; break;
    case Qt::MiddleButton: button = 4; break;
    default: return;
    }
    const Qt::KeyboardModifiers keys = event->modifiers();
    const std::int16_t shift = static_cast<std::int16_t>((keys & Qt::ShiftModifier ? 1 : 0) |
                                                         (keys & Qt::ControlModifier ? 2 : 0) |
                                                         (keys & Qt::AltModifier ? 4 : 0));
    const QPointF at = event->position() - QPointF(kBorder, kBorder);
    setFocus(Qt::MouseFocusReason);
    emit mouseDown(button, shift, static_cast<float>(at.x() * kTwipsPerPixel),
                   static_cast<float>(at.y() * kTwipsPerPixel));
    update();
}

} // namespace chaos
