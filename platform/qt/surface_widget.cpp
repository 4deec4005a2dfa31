#include "platform/qt/surface_widget.h"

#include "platform/qt/qt_keys.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>

#include <cmath>

namespace chaos {

namespace {

// Presses are kept to this fraction of a device pixel: finer than any window
// system tells them (Wayland: 1/256 of a logical pixel), coarse enough that
// the round trip through logical pixels (67 / 1.5 * 1.5) lands on the pixel.
constexpr double kPressGrid = 1024;

QColor qtColor(Color color) { return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF); }

} // namespace

SurfaceWidget::SurfaceWidget(int frame, Color frameColor, Color focusColor, QWidget* parent)
    : QWidget(parent), border(frame), frameColor(qtColor(frameColor)), focusColor(qtColor(focusColor)) {
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

void SurfaceWidget::noteRatio(double ratio) {
    if (ratio == seenRatio)
        return;
    seenRatio = ratio;
    emit densityChanged(ratio);
}

// The widget covers device coordinates [o, o + size x ratio) of its window,
// o = its logical place x ratio; the whole device pixels in it are its own.
SurfaceWidget::DeviceLayout SurfaceWidget::deviceLayout(double ratio) const {
    const QPointF o = QPointF(window() == this ? QPoint() : mapTo(window(), QPoint())) * ratio;
    const QPointF end = o + QPointF(width(), height()) * ratio;
    const QPoint first(int(std::ceil(o.x() - 1e-6)), int(std::ceil(o.y() - 1e-6)));
    const QPoint last(int(std::floor(end.x() + 1e-6)), int(std::floor(end.y() + 1e-6)));
    const QPoint beyond(int(std::ceil(end.x() - 1e-6)), int(std::ceil(end.y() - 1e-6)));
    DeviceLayout layout;
    layout.whole = QRect(QPoint(0, 0), QSize(last.x() - first.x(), last.y() - first.y()));
    layout.touched = QRect(QPoint(0, 0), QSize(beyond.x() - first.x(), beyond.y() - first.y()));
    layout.offset = QPointF(first) - o;
    const int dpi = dpiOf(ratio);
    const int inset = int(std::floor(border * ratio + 1e-6));
    const auto pixels = [&](int logical) { return logical * kTwipsPerPixel * dpi / kTwipsPerInch; };
    layout.area = QRect(inset, inset, pixels(width() - 2 * border), pixels(height() - 2 * border)) & layout.whole;
    return layout;
}

void SurfaceWidget::paintEvent(QPaintEvent*) {
    const double ratio = devicePixelRatioF();
    noteRatio(ratio);
    const DeviceLayout layout = deviceLayout(ratio);
    QPainter painter(this);
    // From here on in device pixels, from the first whole one.
    painter.setWorldTransform(QTransform::fromScale(1 / ratio, 1 / ratio).translate(layout.offset.x(), layout.offset.y()));
    const QRect& area = layout.area;
    if (shown.pixels) {
        // One picture pixel per device pixel at the screen's density; else
        // scaled to the area: crisp when enlarged, smoothed when made smaller.
        const QImage picture = view(shown);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, picture.width() > area.width());
        if (picture.size() == area.size())
            painter.drawImage(area.topLeft(), picture);
        else
            painter.drawImage(area, picture);
    } else {
        painter.fillRect(area, Qt::white);  // (the window shows its picture once it is built)
    }
    const QColor frame = hasFocus() ? focusColor : frameColor;
    const QRect& whole = layout.whole;
    if (layout.touched != whole && parentWidget()) {
        const QColor background = parentWidget()->palette().color(parentWidget()->backgroundRole());
        painter.fillRect(QRect(whole.right() + 1, 0, layout.touched.width() - whole.width(), layout.touched.height()), background);
        painter.fillRect(QRect(0, whole.bottom() + 1, layout.touched.width(), layout.touched.height() - whole.height()), background);
    }
    painter.fillRect(QRect(whole.left(), whole.top(), whole.width(), area.top()), frame);
    painter.fillRect(QRect(whole.left(), area.bottom() + 1, whole.width(), whole.bottom() - area.bottom()), frame);
    painter.fillRect(QRect(whole.left(), area.top(), area.left(), area.height()), frame);
    painter.fillRect(QRect(area.right() + 1, area.top(), whole.right() - area.right(), area.height()), frame);
    painter.setClipRect(area);
    if (marks.empty() || !shown.pixels)
        return;
    // Marks are in picture pixels: at the picture's place and scale, over
    // the device pixels that show those picture pixels.
    painter.translate(area.topLeft());
    painter.scale(double(area.width()) / shown.width, double(area.height()) / shown.height);
    for (const Screen::Mark& mark : marks)
        painter.fillRect(QRectF(mark.x, mark.y, mark.width, mark.height), qtColor(mark.color));
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
    const auto shift = static_cast<std::int16_t>(shiftOf(event->modifiers()) & ~kMeta);  // (a press's mask has no Meta)
    const double ratio = devicePixelRatioF();
    noteRatio(ratio);
    const DeviceLayout layout = deviceLayout(ratio);
    // Qt rounds a widget's press to whole logical pixels; the window's own
    // position of it (the scene position) keeps what the window system told,
    // on X11 and on Wayland alike.
    const QPointF window = event->scenePosition() - QPointF(mapTo(this->window(), QPoint()));
    const QPointF at = window * ratio - layout.offset - QPointF(layout.area.topLeft());
    const auto onGrid = [](double v) { return std::round(v * kPressGrid) / kPressGrid; };
    emit mouseDown(button, shift, onGrid(at.x()), onGrid(at.y()));
}

} // namespace chaos
