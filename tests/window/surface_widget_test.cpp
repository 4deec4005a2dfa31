#include "platform/qt/surface_widget.h"

#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <map>
#include <set>

using chaos::SurfaceWidget;

// Runs at scale 1 and, as a second test, with QT_SCALE_FACTOR=2.
class SurfaceWidgetTest : public QObject {
    Q_OBJECT

private:
    static SurfaceWidget* makeSurface(QWidget* parent) {
        auto* surface = new SurfaceWidget({120, 240, 8295, 7215}, parent);
        surface->setGeometry(8, 16, 553, 481);
        return surface;
    }

private slots:
    void drawingAreaIsInsideTheBorder() {
        QWidget window;
        SurfaceWidget* surface = makeSurface(&window);
        QCOMPARE(surface->surface().pixelWidth(), 551);
        QCOMPARE(surface->surface().pixelHeight(), 479);
        QCOMPARE(surface->image().size(), QSize(551, 479));
    }

    void pressesArriveInTwipsWithButtonAndModifiers_data() {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<Qt::KeyboardModifiers>("keys");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<int>("Button");
        QTest::addColumn<int>("Shift");
        QTest::addColumn<float>("X");
        QTest::addColumn<float>("Y");
        QTest::newRow("left") << Qt::LeftButton << Qt::KeyboardModifiers() << QPoint(1, 1) << 1 << 0 << 0.f << 0.f;
        QTest::newRow("right") << Qt::RightButton << Qt::KeyboardModifiers() << QPoint(101, 51) << 2 << 0 << 1500.f << 750.f;
        QTest::newRow("middle") << Qt::MiddleButton << Qt::KeyboardModifiers() << QPoint(11, 21) << 4 << 0 << 150.f << 300.f;
        QTest::newRow("shift") << Qt::LeftButton << Qt::KeyboardModifiers(Qt::ShiftModifier) << QPoint(2, 2) << 1 << 1 << 15.f << 15.f;
        QTest::newRow("ctrl") << Qt::LeftButton << Qt::KeyboardModifiers(Qt::ControlModifier) << QPoint(2, 2) << 1 << 2 << 15.f << 15.f;
        QTest::newRow("alt") << Qt::LeftButton << Qt::KeyboardModifiers(Qt::AltModifier) << QPoint(2, 2) << 1 << 4 << 15.f << 15.f;
        QTest::newRow("shift+ctrl+alt") << Qt::RightButton
                                        << Qt::KeyboardModifiers(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)
                                        << QPoint(551, 479) << 2 << 7 << 8250.f << 7170.f;
    }
    void pressesArriveInTwipsWithButtonAndModifiers() {
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
        QTEST(spy[0][2].toFloat(), "X");
        QTEST(spy[0][3].toFloat(), "Y");
    }

    // The one-pixel border is not part of the drawing area.
    void pressesOnTheBorderDoNothing() {
        QWidget window;
        SurfaceWidget* surface = makeSurface(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy spy(surface, &SurfaceWidget::mouseDown);
        // Not (0, 0): to QTest that means the widget's centre.
        for (QPoint at : {QPoint(0, 100), QPoint(552, 100), QPoint(100, 0), QPoint(100, 480), QPoint(552, 480)})
            for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton})
                QTest::mousePress(surface, button, {}, at);
        QCOMPARE(spy.count(), 0);
    }

    // The arrow keys move the keyboard point by a pixel, by ten with Shift,
    // never off the area; Space, Return and Enter press there as the left
    // button, the Menu key and Shift+F10 as the right one.
    void keysActAtTheKeyboardPoint() {
        QWidget window;
        SurfaceWidget* surface = makeSurface(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy spy(surface, &SurfaceWidget::mouseDown);
        QCOMPARE(surface->keyboardPoint(), QPoint(275, 239));
        QTest::keyClick(surface, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(surface, Qt::Key_Up);
        QCOMPARE(surface->keyboardPoint(), QPoint(285, 238));
        for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Menu})
            QTest::keyClick(surface, key);
        QTest::keyClick(surface, Qt::Key_F10, Qt::ShiftModifier);
        QTest::keyClick(surface, Qt::Key_F10);  // F10 alone is not a right press
        QCOMPARE(spy.count(), 5);
        const int buttons[] = {1, 1, 1, 2, 2};
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(static_cast<int>(spy[i][0].value<std::int16_t>()), buttons[i]);
            QCOMPARE(static_cast<int>(spy[i][1].value<std::int16_t>()), 0);
            QCOMPARE(spy[i][2].toFloat(), 285.f * 15);
            QCOMPARE(spy[i][3].toFloat(), 238.f * 15);
        }
        for (int i = 0; i < 60; ++i) {
            QTest::keyClick(surface, Qt::Key_Left, Qt::ShiftModifier);
            QTest::keyClick(surface, Qt::Key_Down, Qt::ShiftModifier);
        }
        QCOMPARE(surface->keyboardPoint(), QPoint(0, 478));
    }

    // The keyboard point shows only while the keyboard drives the surface,
    // as a focus ring only keyboard users see; never in the picture.
    void keyboardPointShowsOnlyForTheKeyboard_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<bool>("shows");
        QTest::newRow("focus at start") << "" << false;
        QTest::newRow("clicks") << "click rightclick" << false;
        QTest::newRow("tab") << "tab" << true;
        QTest::newRow("shift+tab") << "backtab" << true;
        QTest::newRow("click, arrow") << "click left" << true;
        QTest::newRow("space") << "space" << true;
        QTest::newRow("other key") << "a" << false;
        QTest::newRow("arrow, click") << "left click" << false;
        QTest::newRow("tab, click on the frame") << "tab frame" << false;
        QTest::newRow("arrow, focus away and back") << "left away back" << true;
    }
    void keyboardPointShowsOnlyForTheKeyboard() {
        QFETCH(QString, steps);
        QFETCH(bool, shows);
        QWidget window;
        SurfaceWidget* surface = makeSurface(&window);
        auto* other = new QWidget(&window);
        other->setFocusPolicy(Qt::StrongFocus);
        surface->surface().Circle(4125, 3585, 150, 0x0000FF);  // around the keyboard point
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        surface->setFocus(Qt::OtherFocusReason);
        const QImage picture = surface->image();
        const std::map<QString, std::function<void()>> act = {
            {"click", [&] { QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(20, 20)); }},
            {"rightclick", [&] { QTest::mouseClick(surface, Qt::RightButton, {}, QPoint(20, 20)); }},
            {"frame", [&] { QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(0, 20)); }},
            {"tab", [&] { other->setFocus(); surface->setFocus(Qt::TabFocusReason); }},
            {"backtab", [&] { other->setFocus(); surface->setFocus(Qt::BacktabFocusReason); }},
            {"left", [&] { QTest::keyClick(surface, Qt::Key_Left); }},
            {"space", [&] { QTest::keyClick(surface, Qt::Key_Space); }},
            {"a", [&] { QTest::keyClick(surface, Qt::Key_A); }},
            {"away", [&] { other->setFocus(Qt::OtherFocusReason); }},
            {"back", [&] { surface->setFocus(Qt::ActiveWindowFocusReason); }},
        };
        for (const QString& step : steps.split(' ', Qt::SkipEmptyParts))
            act.at(step)();
        QCOMPARE(surface->showsKeyboardPoint(), shows);
        // On screen: the picture alone, or with the crosshair over it.
        const QPixmap shot = surface->grab();
        const qreal scale = shot.devicePixelRatio();
        const QImage screen = shot.toImage().convertToFormat(QImage::Format_RGB32);
        int differ = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                differ += screen.pixel(int((x + SurfaceWidget::kBorder) * scale), int((y + SurfaceWidget::kBorder) * scale)) !=
                          picture.pixel(x, y);
        QCOMPARE(differ > 0, shows);
        QCOMPARE(surface->image(), picture);  // what is saved, copied and printed
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

    // On screen, each drawn pixel shows in its exact colour at its place
    // inside the border, crisp at any scale, and again after being hidden.
    void screenShowsTheRasterCrisply() {
        QWidget window;
        SurfaceWidget* surface = makeSurface(&window);
        surface->surface().PSet(30, 45, 0x000000);      // pixel (2, 3)
        surface->surface().Circle(1500, 1500, 75, 0x0000FF);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (int round = 0; round < 2; ++round) {
            const QPixmap shot = surface->grab();
            const qreal scale = shot.devicePixelRatio();
            QCOMPARE(scale, qEnvironmentVariableIsSet("QT_SCALE_FACTOR") ? qgetenv("QT_SCALE_FACTOR").toDouble() : 1.0);
            const QImage image = shot.toImage().convertToFormat(QImage::Format_RGB32);
            auto at = [&](int px, int py) {  // a drawing-area pixel's first device pixel
                return image.pixel(int((px + SurfaceWidget::kBorder) * scale), int((py + SurfaceWidget::kBorder) * scale));
            };
            QCOMPARE(at(2, 3), qRgb(0, 0, 0));
            QCOMPARE(at(105, 100), qRgb(255, 0, 0));
            QCOMPARE(at(100, 100), qRgb(255, 255, 255));
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
