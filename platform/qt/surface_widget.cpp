#include "platform/qt/surface_widget.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>

namespace chaos {

SurfaceWidget::SurfaceWidget(int frame, QWidget* parent) : QWidget(parent), border(frame) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_StaticContents);
    setFocusPolicy(Qt::StrongFocus);
}

void SurfaceWidget::showPicture(const Picture& picture) {
    shown = picture;
    update();
}

void SurfaceWidget::setMarks(const Screen::Mark* first, std::size_t count) {
    marks.assign(first, first + count);
    update();
}

void SurfaceWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    // Drawn pixel for pixel; on a high-density screen each pixel is scaled
    // up without smoothing, so dots and circles stay crisp.
    const QRect area = rect().adjusted(border, border, -border, -border);
    const QRect dirty = event->rect() & area;
    if (shown.pixels)
        painter.drawImage(dirty, view(shown), dirty.translated(-border, -border));
    else
        painter.fillRect(dirty, Qt::white);  // (the window shows its picture once it is built)
    painter.setPen(hasFocus() ? palette().color(QPalette::Highlight) : palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setClipRect(area);
    for (const Screen::Mark& mark : marks)
        painter.fillRect(mark.x + border, mark.y + border, mark.width, mark.height,
                         QColor(mark.color & 0xFF, (mark.color >> 8) & 0xFF, (mark.color >> 16) & 0xFF));
}

void SurfaceWidget::mousePressEvent(QMouseEvent* event) {
    std::int16_t button = 0;
    switch (event->button()) {
    case Qt::LeftButton: button = kLeftButton; break;
    case Qt::RightButton: button = kRightButton; break;
    case Qt::MiddleButton: button = kMiddleButton; break;
    default: return;
    }
    setFocus(Qt::MouseFocusReason);
    const Qt::KeyboardModifiers keys = event->modifiers();
    const auto shift = static_cast<std::int16_t>((keys & Qt::ShiftModifier ? kShift : 0) |
                                                 (keys & Qt::ControlModifier ? kCtrl : 0) |
                                                 (keys & Qt::AltModifier ? kAlt : 0));
    const QPointF at = event->position() - QPointF(border, border);
    emit mouseDown(button, shift, at.x(), at.y());
}

} // namespace chaos
