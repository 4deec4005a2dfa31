#include "platform/qt/surface_widget.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>

#include <algorithm>
#include <utility>

namespace chaos {

namespace {

constexpr int kKeyStep = 1;        // pixels an arrow key moves the keyboard point
constexpr int kShiftKeyStep = 10;  // with Shift held
constexpr int kCrossGap = 2;       // the crosshair's arms run from this distance of the point...
constexpr int kCrossArm = 6;       // ...to this one, leaving the point's own pixel in view

} // namespace

SurfaceWidget::SurfaceWidget(RasterSurface::Placement placement, QWidget* parent)
    : QWidget(parent),
      raster(placement, drawingAreaPixels(placement.width), drawingAreaPixels(placement.height)),
      view(reinterpret_cast<const uchar*>(raster.bits()), raster.pixelWidth(), raster.pixelHeight(),
           raster.pixelWidth() * 4, QImage::Format_RGB32),
      keyPoint(raster.pixelWidth() / 2, raster.pixelHeight() / 2) {
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
    if (showsKeyboardPoint())
        paintKeyboardPoint(painter);
}

// Dark arms over light ones, so that the crosshair shows on any colour.
void SurfaceWidget::paintKeyboardPoint(QPainter& painter) const {
    const QPointF centre = keyPoint + QPointF(kBorder + 0.5, kBorder + 0.5);
    painter.setClipRect(rect().adjusted(kBorder, kBorder, -kBorder, -kBorder));
    for (const QPen& pen : {QPen(Qt::white, 3, Qt::SolidLine, Qt::FlatCap), QPen(Qt::black, 1, Qt::SolidLine, Qt::FlatCap)}) {
        painter.setPen(pen);
        for (const QPointF direction : {QPointF(1, 0), QPointF(-1, 0), QPointF(0, 1), QPointF(0, -1)})
            painter.drawLine(centre + direction * kCrossGap, centre + direction * kCrossArm);
    }
}

void SurfaceWidget::pressAt(std::int16_t button, std::int16_t shift, QPointF pixel) {
    emit mouseDown(button, shift, static_cast<float>(pixel.x() * kTwipsPerPixel),
                   static_cast<float>(pixel.y() * kTwipsPerPixel));
    update();
}

void SurfaceWidget::mousePressEvent(QMouseEvent* event) {
    if (std::exchange(keyboardDriven, false))
        update();
    std::int16_t button = 0;
    switch (event->button()) {
    case Qt::LeftButton: button = 1; break;
    case Qt::RightButton: button = 2; break;
    case Qt::MiddleButton: button = 4; break;
    default: return;
    }
    setFocus(Qt::MouseFocusReason);
    // The border is not part of the drawing area: a press there does nothing.
    const QPointF at = event->position() - QPointF(kBorder, kBorder);
    if (!(at.x() >= 0 && at.x() < raster.pixelWidth() && at.y() >= 0 && at.y() < raster.pixelHeight()))
        return;
    const Qt::KeyboardModifiers keys = event->modifiers();
    const std::int16_t shift = static_cast<std::int16_t>((keys & Qt::ShiftModifier ? 1 : 0) |
                                                         (keys & Qt::ControlModifier ? 2 : 0) |
                                                         (keys & Qt::AltModifier ? 4 : 0));
    pressAt(button, shift, at);
}

void SurfaceWidget::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers keys = event->modifiers() & ~Qt::KeypadModifier;
    const int step = keys == Qt::ShiftModifier ? kShiftKeyStep : kKeyStep;
    QPoint move;
    switch (event->key()) {
    case Qt::Key_Left: move = {-step, 0}; break;
    case Qt::Key_Right: move = {step, 0}; break;
    case Qt::Key_Up: move = {0, -step}; break;
    case Qt::Key_Down: move = {0, step}; break;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (keys != Qt::NoModifier && keys != Qt::ShiftModifier)
            return QWidget::keyPressEvent(event);
        return keyPressAt(1);
    case Qt::Key_Menu:
        return keyPressAt(2);
    case Qt::Key_F10:
        if (keys != Qt::ShiftModifier)
            return QWidget::keyPressEvent(event);
        return keyPressAt(2);
    default:
        return QWidget::keyPressEvent(event);
    }
    if (keys != Qt::NoModifier && keys != Qt::ShiftModifier)
        return QWidget::keyPressEvent(event);
    keyPoint = {std::clamp(keyPoint.x() + move.x(), 0, raster.pixelWidth() - 1),
                std::clamp(keyPoint.y() + move.y(), 0, raster.pixelHeight() - 1)};
    keyboardDriven = true;
    update();
}

void SurfaceWidget::keyPressAt(std::int16_t button) {
    keyboardDriven = true;
    pressAt(button, 0, keyPoint);
}

// The usual keyboard right-click, where the platform turns a key into a
// context-menu request; a right press with the mouse was handled as a press.
void SurfaceWidget::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() == QContextMenuEvent::Keyboard)
        keyPressAt(2);
}

// Other ways in (a click, the window coming back) leave the point as it was.
void SurfaceWidget::focusInEvent(QFocusEvent* event) {
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
        keyboardDriven = true;
    QWidget::focusInEvent(event);
}

} // namespace chaos
