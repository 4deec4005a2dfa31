// Looks at a real X screen for the real-window test and the screenshot:
//   screen_probe save FILE X Y W H         saves that part of the screen as PNG
//   screen_probe check OX OY W H R AX AY BX BY CX CY
//       with the W x H drawing area's top-left at screen (OX, OY) and three
//       anchors at drawing-area pixels A, B, C: checks a red circle of radius
//       R round each anchor and black dots filling the triangle ABC and
//       nothing else
//   screen_probe same FILE OX OY W H       checks that the picture in FILE
//       (or on the clipboard, for FILE "clipboard") is the W x H drawing
//       area at screen (OX, OY), pixel for pixel
//   screen_probe frame OX OY W H T        checks the blank W x H drawing area
//       at screen (OX, OY) inside an exact frame: every pixel of the area's
//       edges white, the frame round it one colour, at least T and at most
//       T + 1 pixels thick, with the window's background beyond it
//   screen_probe close WINDOW              asks the window to close, as a
//       window manager's close button does
//   screen_probe cross OX OY PX PY         succeeds if the keyboard point's
//       crosshair (black arms edged in white) shows at drawing-area pixel P
//   screen_probe find W H                  prints "X Y", the top-left of the
//       first blank W x H drawing area on screen: white, with no white pixel
//       round it (where a compositor placed the window); fails if none
//   screen_probe changed FILE N            succeeds if at least N pixels of
//       the screen differ from the screenshot in FILE (a window came or went)
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <X11/Xlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int closeWindow(unsigned long window) {
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 2;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XCloseDisplay(display);
    return 0;
}

QImage grab() {
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

long side(QPoint p, QPoint q, QPoint r) {
    return long(q.x() - p.x()) * (r.y() - p.y()) - long(q.y() - p.y()) * (r.x() - p.x());
}

int check(QRect area, int radius, QPoint a, QPoint b, QPoint c) {
    const QImage screen = grab();
    const QPoint origin = area.topLeft();
    int faults = 0;
    // Dots may cover the circle's pixels inside the triangle, but not half
    // of them: at least 14 of the 40 near the ring at radius 5.
    for (QPoint anchor : {a, b, c}) {
        int red = 0, ring = 0;
        for (int dy = -radius - 1; dy <= radius + 1; ++dy)
            for (int dx = -radius - 1; dx <= radius + 1; ++dx) {
                const bool onRing = std::abs(std::hypot(dx, dy) - radius) < 0.75;
                ring += onRing;
                red += onRing && screen.pixel(origin + anchor + QPoint(dx, dy)) == qRgb(255, 0, 0);
            }
        if (red * 40 < 14 * ring || screen.pixel(origin + anchor) == qRgb(255, 0, 0)) {
            std::printf("no red circle round anchor (%d, %d): %d red pixels on its ring\n", anchor.x(), anchor.y(), red);
            ++faults;
        }
    }
    const long orientation = side(a, b, c) > 0 ? 1 : -1;
    int inside = 0, outside = 0;
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x) {
            if (screen.pixel(origin + QPoint(x, y)) != qRgb(0, 0, 0))
                continue;
            const QPoint p(x, y);
            const long slack = 120L * radius;  // about a pixel from each edge
            const bool in = orientation * side(a, b, p) >= -slack && orientation * side(b, c, p) >= -slack &&
                            orientation * side(c, a, p) >= -slack;
            (in ? inside : outside)++;
        }
    std::printf("dots inside the triangle: %d, outside: %d\n", inside, outside);
    if (inside < 3000 || outside > 10)
        ++faults;
    return faults == 0 ? 0 : 1;
}

int same(const char* file, QRect area) {
    const QPoint origin = area.topLeft();
    const QImage saved = std::strcmp(file, "clipboard") == 0 ? QGuiApplication::clipboard()->image()
                                                             : QImage(QString::fromLocal8Bit(file));
    if (saved.size() != area.size()) {
        std::printf("%s is %d x %d pixels, not %d x %d\n", file, saved.width(), saved.height(), area.width(), area.height());
        return 1;
    }
    const QImage screen = grab();
    int differing = 0, drawn = 0;
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x) {
            const QRgb pixel = saved.pixel(x, y);
            differing += pixel != screen.pixel(origin + QPoint(x, y));
            drawn += pixel != qRgb(255, 255, 255);
        }
    std::printf("%s: %d drawn pixels, %d differ from the screen\n", file, drawn, differing);
    return differing == 0 && drawn > 3000 ? 0 : 1;
}

int cross(QPoint origin, QPoint point) {
    const QImage screen = grab();
    int marked = 0;
    for (QPoint arm : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)})
        for (int distance : {3, 4}) {
            const QPoint at = origin + point + arm * distance, edge(arm.y(), arm.x());
            marked += screen.pixel(at) == qRgb(0, 0, 0) && screen.pixel(at + edge) == qRgb(255, 255, 255) &&
                      screen.pixel(at - edge) == qRgb(255, 255, 255);
        }
    std::printf("keyboard point at (%d, %d): %d of 8 crosshair pixels\n", point.x(), point.y(), marked);
    return marked == 8 ? 0 : 1;
}

int frame(QRect area, int thick) {
    const QImage screen = grab();
    int faults = 0;
    const auto fault = [&](const char* what, QPoint at) {
        if (faults++ < 5)
            std::printf("%s at (%d, %d): #%06x\n", what, at.x(), at.y(), screen.pixel(at) & 0xFFFFFF);
    };
    const QRgb white = qRgb(255, 255, 255), line = screen.pixel(area.topLeft() - QPoint(1, 1));
    const QRect ring = area.adjusted(-1, -1, 1, 1);
    for (int x = ring.left(); x <= ring.right(); ++x)
        for (int y = ring.top(); y <= ring.bottom(); ++y) {
            const QPoint at(x, y);
            const bool edge = x == ring.left() || x == ring.right() || y == ring.top() || y == ring.bottom();
            const bool inner = x == area.left() || x == area.right() || y == area.top() || y == area.bottom();
            if (edge && screen.pixel(at) != line)
                fault("not the frame's colour", at);
            else if (!edge && inner && screen.pixel(at) != white)
                fault("not the blank picture", at);
        }
    // Outward from the middle of each side: the frame, then the background.
    const QPoint middle = area.center();
    QRgb background = 0;
    for (const auto& [from, step] : {std::pair{QPoint(area.left() - 1, middle.y()), QPoint(-1, 0)},
                                     {QPoint(area.right() + 1, middle.y()), QPoint(1, 0)},
                                     {QPoint(middle.x(), area.top() - 1), QPoint(0, -1)},
                                     {QPoint(middle.x(), area.bottom() + 1), QPoint(0, 1)}}) {
        int width = 0;
        while (width < thick + 2 && screen.pixel(from + step * width) == line)
            ++width;
        const QPoint beyond = from + step * width;
        if (width < thick || width > thick + 1)
            fault("a frame of another width ends", beyond);
        if (background == 0)
            background = screen.pixel(beyond);
        if (screen.pixel(beyond) != background || background == qRgb(0, 0, 0))
            fault("not the window's background", beyond);
    }
    std::printf("frame round the %d x %d area at (%d, %d): %d faults\n", area.width(), area.height(), area.x(), area.y(), faults);
    return faults == 0 ? 0 : 1;
}

int find(QSize size) {
    const QImage screen = grab();
    const QRgb white = qRgb(255, 255, 255);
    const auto whiteAt = [&](int x, int y) { return screen.valid(x, y) && screen.pixel(x, y) == white; };
    const auto blank = [&](QPoint at) {
        for (int y = at.y(); y < at.y() + size.height(); ++y)
            for (int x = at.x(); x < at.x() + size.width(); ++x)
                if (!whiteAt(x, y))
                    return false;
        for (int x = at.x() - 1; x <= at.x() + size.width(); ++x)
            if (whiteAt(x, at.y() - 1) || whiteAt(x, at.y() + size.height()))
                return false;
        for (int y = at.y(); y < at.y() + size.height(); ++y)
            if (whiteAt(at.x() - 1, y) || whiteAt(at.x() + size.width(), y))
                return false;
        return true;
    };
    for (int y = 0; y + size.height() <= screen.height(); ++y)
        for (int x = 0; x + size.width() <= screen.width(); ++x)
            if (!whiteAt(x - 1, y) && whiteAt(x, y) && !whiteAt(x, y - 1) && blank({x, y})) {
                std::printf("%d %d\n", x, y);
                return 0;
            }
    return 1;
}

int changed(const char* file, long least) {
    const QImage before = QImage(QString::fromLocal8Bit(file)).convertToFormat(QImage::Format_RGB32);
    const QImage screen = grab();
    long differing = 0;
    for (int y = 0; y < std::min(before.height(), screen.height()); ++y)
        for (int x = 0; x < std::min(before.width(), screen.width()); ++x)
            differing += before.pixel(x, y) != screen.pixel(x, y);
    return differing >= least ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc == 3 && std::strcmp(argv[1], "close") == 0)
        return closeWindow(std::strtoul(argv[2], nullptr, 0));
    QGuiApplication app(argc, argv);
    auto arg = [&](int i) { return std::atoi(argv[i]); };
    if (argc == 7 && std::strcmp(argv[1], "save") == 0)
        return grab().copy(arg(3), arg(4), arg(5), arg(6)).save(argv[2]) ? 0 : 1;
    if (argc == 7 && std::strcmp(argv[1], "same") == 0)
        return same(argv[2], {arg(3), arg(4), arg(5), arg(6)});
    if (argc == 6 && std::strcmp(argv[1], "cross") == 0)
        return cross({arg(2), arg(3)}, {arg(4), arg(5)});
    if (argc == 7 && std::strcmp(argv[1], "frame") == 0)
        return frame({arg(2), arg(3), arg(4), arg(5)}, arg(6));
    if (argc == 13 && std::strcmp(argv[1], "check") == 0)
        return check({arg(2), arg(3), arg(4), arg(5)}, arg(6), {arg(7), arg(8)}, {arg(9), arg(10)}, {arg(11), arg(12)});
    if (argc == 4 && std::strcmp(argv[1], "find") == 0)
        return find({arg(2), arg(3)});
    if (argc == 4 && std::strcmp(argv[1], "changed") == 0)
        return changed(argv[2], std::atol(argv[3]));
    std::fprintf(stderr, "usage: screen_probe save FILE X Y W H | check OX OY W H R AX AY BX BY CX CY | same FILE OX OY W H | frame OX OY W H T | close WINDOW | cross OX OY PX PY | find W H | changed FILE N\n");
    return 2;
}
