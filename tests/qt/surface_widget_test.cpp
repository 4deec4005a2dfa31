#include "platform/qt/surface_widget.h"

#include "platform/raster_surface.h"
#include "facts.h"
#include "window/form2.h"

#include "qt/press.h"

#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <set>
#include <vector>

using chaos::RasterSurface;
using chaos::Screen;
using chaos::SurfaceWidget;
using chaos::testing::kAreaHeight;
using chaos::testing::kAreaWidth;
using chaos::testing::kSurfacePlace;

// Runs at scale 1 and, as further tests, with QT_SCALE_FACTOR 1.5 and 2.
class SurfaceWidgetTest : public QObject {
    Q_OBJECT

private:
    RasterSurface raster{kSurfacePlace, kAreaWidth, kAreaHeight};
    std::vector<std::uint32_t> pixels;  // a picture at another density

    // The screen's ratio, and the drawing area on it in device pixels: from
    // floor(frame x ratio), its size the area's twips at the screen's dpi,
    // rounded down.
    static qreal ratio() { return qEnvironmentVariableIsSet("QT_SCALE_FACTOR") ? qgetenv("QT_SCALE_FACTOR").toDouble() : 1.0; }
    static int atDpi(int logical, int dpi) { return logical * chaos::kTwipsPerPixel * dpi / chaos::kTwipsPerInch; }
    static QRect deviceArea(const SurfaceWidget* surface) {
        const int frame = surface->frame(), inset = int(std::floor(frame * ratio())), dpi = chaos::dpiOf(ratio());
        return {inset, inset, atDpi(surface->width() - 2 * frame, dpi), atDpi(surface->height() - 2 * frame, dpi)};
    }
    // A white picture covering the surface's area at `dpi`, with a dot in
    // each corner and one in the middle.
    chaos::Picture pictureAt(const SurfaceWidget* surface, int dpi) {
        const int w = atDpi(surface->width() - 2 * surface->frame(), dpi), h = atDpi(surface->height() - 2 * surface->frame(), dpi);
        pixels.assign(std::size_t(w) * h, 0xFFFFFFFF);
        for (const auto& [x, y, color] : {std::tuple{0, 0, 0xFF000000u}, {w - 1, 0, 0xFF0000FFu}, {0, h - 1, 0xFFFF0000u},
                                          {w - 1, h - 1, 0xFF000000u}, {w / 2, h / 2, 0xFF0000FFu}})
            pixels[std::size_t(y) * w + x] = color;
        return {pixels.data(), w, h, dpi};
    }

    SurfaceWidget* makeSurface(QWidget* parent) {
        raster.Cls();
        auto* surface = new SurfaceWidget(1, chaos::kFrameColor, chaos::kFocusColor, parent);
        surface->showPicture({raster.bits(), raster.pixelWidth(), raster.pixelHeight()});
        const chaos::ShownControl& box = chaos::Form2::description().controls[chaos::kBox];  // the window's place for it
        surface->setGeometry(box.left, box.top, box.width, box.height);
        return surface;
    }
    // The device pixel on screen at the middle of a picture pixel.
    static QRgb onScreen(const QImage& screen, const QRect& area, QSize picture, int px, int py) {
        return screen.pixel(area.x() + int((px + 0.5) * area.width() / picture.width()),
                            area.y() + int((py + 0.5) * area.height() / picture.height()));
    }
    static QImage grabbed(SurfaceWidget* surface) {
        const QPixmap shot = surface->grab();
        return shot.toImage().convertToFormat(QImage::Format_RGB32);
    }

private slots:
    void drawingAreaIsInsideTheFrame() {
        QWidget window;
        SurfaceWidget* surface = makeSurface(&window);
        QCOMPARE(surface->image().size(), QSize(kAreaWidth, kAreaHeight));
    }

    // Presses arrive in device pixels from the drawing area's top-left, also
    // on the frame (outside the area); the table's X and Y are at ratio 1.
    void pressesArriveWithButtonModifiersAndPixel_data() {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<Qt::KeyboardModifiers>("keys");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<int>("Button");
        QTest::addColumn<int>("Shift");
        QTest::addColumn<double>("X");
        QTest::addColumn<double>("Y");
        QTest::newRow("left") << Qt::LeftButton << Qt::KeyboardModifiers() << QPoint(1, 1) << 1 << 0 << 0. << 0.;
        QTest::newRow("right") << Qt::RightButton << Qt::KeyboardModifiers() << QPoint(101, 51) << 2 << 0 << 100. << 50.;
        QTest::newRow("middle") << Qt::MiddleButton << Qt::KeyboardModifiers() << QPoint(11, 21) << 4 << 0 << 10. << 20.;
        QTest::newRow("shift") << Qt::LeftButton << Qt::KeyboardModifiers(Qt::ShiftModifier) << QPoint(2, 2) << 1 << 1 << 1. << 1.;
        QTest::newRow("ctrl") << Qt::LeftButton << Qt::KeyboardModifiers(Qt::ControlModifier) << QPoint(2, 2) << 1 << 2 << 1. << 1.;
        QTest::newRow("alt") << Qt::LeftButton << Qt::KeyboardModifiers(Qt::AltModifier) << QPoint(2, 2) << 1 << 4 << 1. << 1.;
        QTest::newRow("shift+ctrl+alt") << Qt::RightButton
                                        << Qt::KeyboardModifiers(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)
                                        << QPoint(kAreaWidth, kAreaHeight) << 2 << 7 << kAreaWidth - 1. << kAreaHeight - 1.;
        QTest::newRow("left frame") << Qt::LeftButton << Qt::KeyboardModifiers() << QPoint(0, 100) << 1 << 0 << -1. << 99.;
        QTest::newRow("bottom frame") << Qt::RightButton << Qt::KeyboardModifiers() << QPoint(100, kAreaHeight + 1) << 2 << 0 << 99. << double{kAreaHeight};
    }
    void pressesArriveWithButtonModifiersAndPixel() {
        QFETCH(Qt::MouseButton, button);
        QFETCH(Qt::KeyboardModifiers, keys);
        QFETCH(QPoint, at);
        QWidget window;
        SurfaceWidget* surface = makeSurface(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy spy(surface, &SurfaceWidget::mouseDown);
        pressInWindow(surface, at, button, keys);
        QCOMPARE(spy.count(), 1);
        QTEST(static_cast<int>(spy[0][0].value<std::int16_t>()), "Button");
        QTEST(static_cast<int>(spy[0][1].value<std::int16_t>()), "Shift");
        QFETCH(double, X);
        QFETCH(double, Y);
        const QRect area = deviceArea(surface);
        QCOMPARE(spy[0][2].toDouble(), (X + 1) * ratio() - area.x());
        QCOMPARE(spy[0][3].toDouble(), (Y + 1) * ratio() - area.y());
    }

    // Qt hands a widget its press rounded to whole logical pixels; the
    // window's own position of it (the scene position) keeps the fractions
    // the window system told (Wayland: 1/256 of a logical pixel), and wins.
    void pressesTakeTheWindowsExactPosition_data() {
        QTest::addColumn<QPointF>("fraction");  // logical pixels past the rounded position
        QTest::newRow("a fraction further") << QPointF(0.375, 0.25);
        QTest::newRow("a fraction back") << QPointF(-0.125, -0.5);
        QTest::newRow("a 256th") << QPointF(1 / 256.0, -1 / 256.0);
    }
    void pressesTakeTheWindowsExactPosition() {
        QFETCH(QPointF, fraction);
        QWidget window;
        SurfaceWidget* surface = makeSurface(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy spy(surface, &SurfaceWidget::mouseDown);
        const QPoint at(40, 30);
        pressInWindow(surface, QPointF(at) + fraction, Qt::LeftButton);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(QPointF(spy[0][2].toDouble(), spy[0][3].toDouble()),
                 (QPointF(at) + fraction) * ratio() - deviceArea(surface).topLeft());
    }

    // The screen's ratio is told once, and again only when it changes.
    void densityIsToldOnce() {
        QWidget window;
        SurfaceWidget* surface = makeSurface(&window);
        QSignalSpy spy(surface, &SurfaceWidget::densityChanged);
        surface->checkRatio();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        surface->checkRatio();
        static_cast<void>(surface->grab());
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy[0][0].toDouble(), ratio());
    }

    // A picture at the screen's density shows one picture pixel per device
    // pixel; at another, it is scaled to the drawing area (crisp when
    // enlarged). Either way the frame is whole device pixels of one colour
    // round the area's exact device rectangle, hiding none of it.
    void pictureFillsTheAreaInsideAnExactFrame_data() {
        QTest::addColumn<int>("dpi");
        for (int dpi : {96, 144, 192})
            QTest::addRow("%d dpi", dpi) << dpi;
    }
    void pictureFillsTheAreaInsideAnExactFrame() {
        QFETCH(int, dpi);
        QWidget window;
        SurfaceWidget* surface = makeSurface(&window);
        const chaos::Picture picture = pictureAt(surface, dpi);
        surface->showPicture(picture);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QImage screen = grabbed(surface), image = surface->image();
        const QRect area = deviceArea(surface);
        QCOMPARE(image.size(), QSize(picture.width, picture.height));
        const QRgb frame = screen.pixel(0, 0);
        int frameFaults = 0, pictureFaults = 0;
        for (int y = 0; y < int(surface->height() * ratio()); ++y)
            for (int x = 0; x < int(surface->width() * ratio()); ++x) {
                if (!area.contains(x, y))
                    frameFaults += screen.pixel(x, y) != frame;
                else if (dpi == chaos::dpiOf(ratio()))
                    pictureFaults += screen.pixel(x, y) != image.pixel(x - area.x(), y - area.y());
            }
        QCOMPARE(frameFaults, 0);
        QCOMPARE(pictureFaults, 0);
        const chaos::Color form = surface->hasFocus() ? chaos::kFocusColor : chaos::kFrameColor;  // the form's colour
        QCOMPARE(frame, qRgb(form & 0xFF, (form >> 8) & 0xFF, (form >> 16) & 0xFF));
        if (picture.width <= area.width())  // enlarged or exact: the corner dots in the area's corners
            for (QPoint corner : {area.topLeft(), area.topRight(), area.bottomLeft(), area.bottomRight()})
                QCOMPARE(screen.pixel(corner), image.pixel(corner.x() == area.x() ? 0 : picture.width - 1,
                                                           corner.y() == area.y() ? 0 : picture.height - 1));
    }

    void otherButtonsAreIgnored() {
        QWidget window;
        SurfaceWidget* surface = makeSurface(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy spy(surface, &SurfaceWidget::mouseDown);
        pressInWindow(surface, QPoint(10, 10), Qt::BackButton);
        QCOMPARE(spy.count(), 0);
    }

    // Marks (the keyboard point) are on screen, over the picture, and never in it.
    void marksShowOverThePictureOnly() {
        QWidget window;
        SurfaceWidget* surface = makeSurface(&window);
        raster.Circle(4125, 3585, 150, 0x0000FF);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QImage picture = surface->image();
        const Screen::Mark marks[] = {{278, 238, 4, 3, 0xFFFFFF}, {278, 239, 4, 1, 0x000000}, {-3, 10, 6, 1, 0xFF0000}};
        for (bool shown : {true, false}) {
            surface->setMarks(marks, shown ? 3 : 0);
            const QImage screen = grabbed(surface);
            const QRect area = deviceArea(surface);
            int differ = 0;
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x)
                    differ += onScreen(screen, area, picture.size(), x, y) != picture.pixel(x, y);
            QCOMPARE(differ, shown ? 4 + 3 : 0);  // the dark arm (the light one is white on white), the red one clipped at the frame
            QCOMPARE(onScreen(screen, area, picture.size(), 279, 239), shown ? qRgb(0, 0, 0) : picture.pixel(279, 239));
            QCOMPARE(surface->image(), picture);  // what is saved, copied and printed
            QCOMPARE(surface->showsMarks(), shown);
        }
    }

    // On screen, each drawn pixel shows in its exact colour at its place
    // inside the frame, crisp at any scale, and again after being hidden.
    void screenShowsTheRasterCrisply() {
        QWidget window;
        SurfaceWidget* surface = makeSurface(&window);
        raster.PSet(30, 45, 0x000000);      // pixel (2, 3)
        raster.Circle(1500, 1500, 75, 0x0000FF);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (int round = 0; round < 2; ++round) {
            const QPixmap shot = surface->grab();
            const qreal scale = shot.devicePixelRatio();
            QCOMPARE(scale, ratio());
            const QImage image = shot.toImage().convertToFormat(QImage::Format_RGB32);
            const QRect area = deviceArea(surface);
            const QSize size(raster.pixelWidth(), raster.pixelHeight());
            QCOMPARE(onScreen(image, area, size, 2, 3), qRgb(0, 0, 0));
            QCOMPARE(onScreen(image, area, size, 105, 100), qRgb(255, 0, 0));
            QCOMPARE(onScreen(image, area, size, 100, 100), qRgb(255, 255, 255));
            std::set<QRgb> colours;
            for (int y = int(2 * scale); y < image.height() - int(2 * scale); ++y)
                for (int x = int(2 * scale); x < image.width() - int(2 * scale); ++x)
                    colours.insert(image.pixel(x, y));
            QCOMPARE(colours, (std::set<QRgb>{qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(255, 255, 255)}));
            window.hide();
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
        }
    }
};

QTEST_MAIN(SurfaceWidgetTest)
#include "surface_widget_test.moc"
