#include "platform/qt/surface_widget.h"

#include "platform/raster_surface.h"

#include <QSignalSpy>
#include <QTest>

#include <set>

using chaos::RasterSurface;
using chaos::Screen;
using chaos::SurfaceWidget;

// Runs at scale 1 and, as a second test, with QT_SCALE_FACTOR=2.
class SurfaceWidgetTest : public QObject {
    Q_OBJECT

private:
    RasterSurface raster{{120, 240, 8295, 7215}, 551, 479};

    SurfaceWidget* makeSurface(QWidget* parent) {
        raster.Cls();
        auto* surface = new SurfaceWidget(1, parent);
        surface->showPicture({raster.bits(), raster.pixelWidth(), raster.pixelHeight()});
        surface->setGeometry(8, 16, 553, 481);
        return surface;
    }
    // A drawing-area pixel's first device pixel on screen.
    static QRgb onScreen(const QImage& screen, qreal scale, int px, int py) {
        return screen.pixel(int((px + 1) * scale), int((py + 1) * scale));
    }

private slots:
    void drawingAreaIsInsideTheFrame() {
        QWidget window;
        SurfaceWidget* surface = makeSurface(&window);
        QCOMPARE(surface->image().size(), QSize(551, 479));
    }

    // Presses arrive in drawing-area pixels, also on the frame (outside the area).
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
                                        << QPoint(551, 479) << 2 << 7 << 550. << 478.;
        QTest::newRow("left frame") << Qt::LeftButton << Qt::KeyboardModifiers() << QPoint(0, 100) << 1 << 0 << -1. << 99.;
        QTest::newRow("bottom frame") << Qt::RightButton << Qt::KeyboardModifiers() << QPoint(100, 480) << 2 << 0 << 99. << 479.;
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
        QTest::mousePress(surface, button, keys, at);
        QCOMPARE(spy.count(), 1);
        QTEST(static_cast<int>(spy[0][0].value<std::int16_t>()), "Button");
        QTEST(static_cast<int>(spy[0][1].value<std::int16_t>()), "Shift");
        QTEST(spy[0][2].toDouble(), "X");
        QTEST(spy[0][3].toDouble(), "Y");
    }

    void otherButtonsAreIgnored() {
        QWidget window;
        SurfaceWidget* surface = makeSurface(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy spy(surface, &SurfaceWidget::mouseDown);
        QTest::mousePress(surface, Qt::BackButton, {}, QPoint(10, 10));
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
            const QPixmap shot = surface->grab();
            const qreal scale = shot.devicePixelRatio();
            const QImage screen = shot.toImage().convertToFormat(QImage::Format_RGB32);
            int differ = 0;
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x)
                    differ += onScreen(screen, scale, x, y) != picture.pixel(x, y);
            QCOMPARE(differ, shown ? 4 + 3 : 0);  // the dark arm (the light one is white on white), the red one clipped at the frame
            QCOMPARE(onScreen(screen, scale, 279, 239), shown ? qRgb(0, 0, 0) : picture.pixel(279, 239));
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
            QCOMPARE(scale, qEnvironmentVariableIsSet("QT_SCALE_FACTOR") ? qgetenv("QT_SCALE_FACTOR").toDouble() : 1.0);
            const QImage image = shot.toImage().convertToFormat(QImage::Format_RGB32);
            QCOMPARE(onScreen(image, scale, 2, 3), qRgb(0, 0, 0));
            QCOMPARE(onScreen(image, scale, 105, 100), qRgb(255, 0, 0));
            QCOMPARE(onScreen(image, scale, 100, 100), qRgb(255, 255, 255));
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
