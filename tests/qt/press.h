#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

// A press as the window system hands it to Qt: to the widget's window, at a
// position in that window, fractions kept; Qt passes it on to the widget,
// rounded to whole logical pixels, as it does with real presses. `at` is in
// the widget's own logical pixels.
inline void pressInWindow(QWidget* widget, QPointF at, Qt::MouseButton button, Qt::KeyboardModifiers keys = {}) {
    QWidget* window = widget->window();
    const QPointF scene = QPointF(widget->mapTo(window, QPoint())) + at;
    QMouseEvent press(QEvent::MouseButtonPress, scene, scene, window->mapToGlobal(scene), button, button, keys);
    QApplication::sendEvent(window->windowHandle(), &press);
}
