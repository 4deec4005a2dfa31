#include "window/form2.h"

#include "fakes.h"
#include "platform/qt/surface_widget.h"

#include <QAccessible>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <memory>

using namespace chaos;

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;

// What the services were asked, in order: messages and program end; the
// picture dialogs answer as the test says.
struct Services : testing::FakeMessages, testing::FakeEnd, PictureDialogs {
    std::vector<std::string> log;
    QString saveAs;                        // the file the save dialog chooses; empty: cancel
    QString suggested;                     // what the save dialog was offered
    std::function<bool(QPrinter&)> print;  // sets up the printer; none: cancel
    QString saveFileName(QWidget*, const QString& offered) override {
        suggested = offered;
        return saveAs;
    }
    bool setUpPrinter(QWidget*, QPrinter& printer) override { return print && print(printer); }
    void show(const std::string& text, MessageKind kind) override {
        FakeMessages::show(text, kind);
        log.push_back("message");
    }
    void end() override {
        FakeEnd::end();
        log.push_back("end");
    }
};

int countPixels(const QImage& image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == colour;
    return n;
}

} // namespace

class Form2Test : public QObject {
    Q_OBJECT

    std::unique_ptr<Services> services;
    std::unique_ptr<Form2> form;

    // A press on the surface at a drawing-area pixel.
    void press(Qt::MouseButton button, QPoint pixel, Qt::KeyboardModifiers keys = {}) {
        QTest::mousePress(form->box, button, keys, pixel + QPoint(SurfaceWidget::kBorder, SurfaceWidget::kBorder));
    }
    QImage surfaceImage() const { return form->box->image(); }
    void drawTriangle() {
        for (QPoint p : {QPoint(50, 400), QPoint(500, 400), QPoint(275, 30)})
            press(Qt::LeftButton, p);
        press(Qt::RightButton, {10, 10});
    }
    void key(QWidget* to, Qt::Key k, Qt::KeyboardModifiers keys = {}, int times = 1) {
        for (int i = 0; i < times; ++i)
            QTest::keyClick(to, k, keys);
    }
    void chooseColour(const QString& item) {
        const auto found = form->col->findItems(item, Qt::MatchExactly);
        QVERIFY(!found.isEmpty());
        const QRect rect = form->col->visualItemRect(found.first());
        QTest::mouseClick(form->col->viewport(), Qt::LeftButton, {}, rect.center());
    }

private slots:
    void init() {
        services = std::make_unique<Services>();
        form = std::make_unique<Form2>(Form2::Services{*services, *services, *services});
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    void cleanup() { form.reset(); }

    void windowIsFixedAtItsSize() {
        QCOMPARE(form->windowTitle(), QString("Form2"));
        QCOMPARE(form->size(), QSize(704, 562));
        QCOMPARE(form->minimumSize(), form->maximumSize());
    }

    void controlsStandWhereTheLayoutSays_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("text");
        QTest::newRow("box") << "box" << QRect(8, 16, 553, 481) << "";
        QTest::newRow("Command1") << "Command1" << QRect(592, 248, 97, 25) << "Clear Screen";
        QTest::newRow("sel") << "sel" << QRect(592, 40, 81, 21) << "10000";
        QTest::newRow("Command2") << "Command2" << QRect(592, 280, 97, 25) << "Exit";
        QTest::newRow("Label1") << "Label1" << QRect(592, 24, 121, 33) << "Complexity: (# of dots)";
        QTest::newRow("col") << "col" << QRect(592, 88, 57, 95) << "";
        QTest::newRow("Label2") << "Label2" << QRect(592, 72, 105, 25) << "Choose color of dots";
        QTest::newRow("Label3") << "Label3" << QRect(24, 520, 345, 65)
                                << "Left-Click to select anchor points ( you can select as many as you want)   "
                                   "Right-Click to draw the midpoints";
    }
    void controlsStandWhereTheLayoutSays() {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, text);
        auto* widget = form->findChild<QWidget*>(name);
        QVERIFY(widget);
        QCOMPARE(widget->parentWidget(), form.get());
        QCOMPARE(widget->geometry(), geometry);
        if (auto* label = qobject_cast<QLabel*>(widget))
            QCOMPARE(label->text(), text);
        else if (auto* button = qobject_cast<QPushButton*>(widget))
            QCOMPARE(button->text(), text);
        else if (auto* combo = qobject_cast<QComboBox*>(widget))
            QCOMPARE(combo->currentText(), text);
        QVERIFY2(!widget->accessibleName().isEmpty() || qobject_cast<QLabel*>(widget), qPrintable(name));
    }

    void startsEmptyBlackAndUnchosen() {
        QCOMPARE(form->col->count(), 6);
        const QStringList items = {"Red", "Blue", "Black", "White", "Cyan", "Yellow"};
        for (int i = 0; i < 6; ++i)
            QCOMPARE(form->col->item(i)->text(), items[i]);
        QVERIFY(form->col->selectedItems().isEmpty());
        QVERIFY(form->sel->isEditable());
        QCOMPARE(form->sel->count(), 0);
        QCOMPARE(form->dotColor, Color{0});
        QCOMPARE(form->anchors.count(), 0);
        QCOMPARE(form->anchors.stored(), 0);
        QCOMPARE(countPixels(surfaceImage(), kWhite), 551 * 479);
    }

    void labelsNameTheirControls() {
        QCOMPARE(form->Label1->buddy(), form->sel);
        QCOMPARE(form->Label2->buddy(), form->col);
        QCOMPARE(form->box->accessibleDescription(), form->Label3->text());
        // The controls cover the labels that reach down over them.
        QVERIFY(form->childAt(600, 45) == form->sel || form->sel->isAncestorOf(form->childAt(600, 45)));
        QVERIFY(form->childAt(600, 90) == form->col || form->col->isAncestorOf(form->childAt(600, 90)));
    }

    void tabMovesThroughTheControlsInOrder() {
        QApplication::setActiveWindow(form.get());
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        form->box->setFocus();
        const QList<QWidget*> order = {form->Command1, form->sel, form->Command2, form->col, form->box};
        for (QWidget* next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* focus = QApplication::focusWidget();
            QVERIFY2(focus == next || next->isAncestorOf(focus), qPrintable(next->objectName()));
        }
    }

    void shortCaptionsReadWhole() {
        for (QWidget* w : {static_cast<QWidget*>(form->Label2), static_cast<QWidget*>(form->Command1),
                           static_cast<QWidget*>(form->Command2)}) {
            const QString text = qobject_cast<QLabel*>(w) ? qobject_cast<QLabel*>(w)->text()
                                                          : qobject_cast<QPushButton*>(w)->text();
            QVERIFY2(w->fontMetrics().horizontalAdvance(text) <= w->width() - 2, qPrintable(text));
        }
        // Label2's text shows above the list that covers its lower part.
        QVERIFY(form->Label2->fontMetrics().height() <= form->col->y() - form->Label2->y());
    }

    void leftPressesMarkAnchorsWithRedCircles_data() {
        QTest::addColumn<Qt::KeyboardModifiers>("keys");
        QTest::addColumn<bool>("placed");
        QTest::newRow("plain") << Qt::KeyboardModifiers() << true;
        QTest::newRow("shift alone") << Qt::KeyboardModifiers(Qt::ShiftModifier) << false;
        QTest::newRow("ctrl") << Qt::KeyboardModifiers(Qt::ControlModifier) << true;
        QTest::newRow("shift+ctrl") << Qt::KeyboardModifiers(Qt::ShiftModifier | Qt::ControlModifier) << true;
    }
    void leftPressesMarkAnchorsWithRedCircles() {
        QFETCH(Qt::KeyboardModifiers, keys);
        QFETCH(bool, placed);
        press(Qt::LeftButton, {100, 200}, keys);
        QCOMPARE(form->anchors.count(), placed ? 1 : 0);
        const QImage image = surfaceImage();
        QCOMPARE(image.pixel(105, 200), placed ? qRgb(255, 0, 0) : kWhite);
        QCOMPARE(image.pixel(100, 195), placed ? qRgb(255, 0, 0) : kWhite);
        QCOMPARE(image.pixel(100, 200), kWhite);
        if (placed) {
            QCOMPARE(form->anchors.x(1), 1500);
            QCOMPARE(form->anchors.y(1), 3000);
        }
    }

    void middlePressDoesNothing() {
        press(Qt::MiddleButton, {100, 200});
        QCOMPARE(form->anchors.stored(), 0);
        QCOMPARE(countPixels(surfaceImage(), kWhite), 551 * 479);
    }

    void rightPressDrawsTheCloudInsideTheTriangle() {
        const QPoint a(50, 400), b(500, 400), c(275, 30);
        for (QPoint p : {a, b, c})
            press(Qt::LeftButton, p);
        press(Qt::RightButton, {10, 10}, Qt::ShiftModifier);
        QCOMPARE(form->anchors.count(), 0);
        const QImage image = surfaceImage();
        const int black = countPixels(image, qRgb(0, 0, 0));
        QVERIFY2(black > 3000 && black <= 10000, qPrintable(QString::number(black)));
        // All but the first few dots lie in the triangle (a pixel's slack).
        auto side = [](QPoint p, QPoint q, QPoint r) {
            return (q.x() - p.x()) * (r.y() - p.y()) - (q.y() - p.y()) * (r.x() - p.x());
        };
        int outside = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) == qRgb(0, 0, 0)) {
                    const QPoint p(x, y);
                    const bool in = side(a, b, p) <= 600 && side(b, c, p) <= 600 && side(c, a, p) <= 600;
                    outside += !in;
                }
        QVERIFY2(outside <= 10, qPrintable(QString::number(outside)));
    }

    void chosenColourPaintsTheNextDots_data() {
        QTest::addColumn<QStringList>("choices");
        QTest::addColumn<QRgb>("dots");
        QTest::newRow("none") << QStringList() << qRgb(0, 0, 0);
        QTest::newRow("blue") << QStringList{"Blue"} << qRgb(0, 0, 255);
        QTest::newRow("white then red") << QStringList{"White", "Red"} << qRgb(255, 0, 0);
        QTest::newRow("cyan") << QStringList{"Cyan"} << qRgb(0, 255, 255);
        QTest::newRow("yellow") << QStringList{"Yellow"} << qRgb(255, 255, 0);
        QTest::newRow("black") << QStringList{"Blue", "Black"} << qRgb(0, 0, 0);
    }
    void chosenColourPaintsTheNextDots() {
        QFETCH(QStringList, choices);
        QFETCH(QRgb, dots);
        for (const auto& item : choices)
            chooseColour(item);
        press(Qt::LeftButton, {100, 100});
        press(Qt::LeftButton, {300, 100});
        press(Qt::LeftButton, {200, 300});
        form->sel->setEditText("500");
        press(Qt::RightButton, {0, 0});
        const QImage image = surfaceImage();
        QVERIFY(countPixels(image, dots) > 200);
        QCOMPARE(image.pixel(100, 95), qRgb(255, 0, 0));  // circles stay red (a point no dot reaches)
    }

    void colourCanBeChosenWithTheKeyboard() {
        QApplication::setActiveWindow(form.get());
        form->col->setFocus();
        // Focus rests on the first item without choosing it; Down moves on.
        QCOMPARE(form->dotColor, Color{0});
        QTest::keyClick(form->col, Qt::Key_Down);
        QCOMPARE(form->col->selectedItems().value(0)->text(), QString("Blue"));
        QCOMPARE(form->dotColor, Color{0xFF0000});
        QTest::keyClick(form->col, Qt::Key_Up);
        QCOMPARE(form->dotColor, Color{0x0000FF});
        QTest::keyClick(form->col, Qt::Key_End);
        QCOMPARE(form->dotColor, Color{0x00FFFF});
    }

    void colourNamesMatchExactly() {
        form->col->item(0)->setText("red");
        chooseColour("Blue");
        chooseColour("red");
        QCOMPARE(form->dotColor, Color{0xFF0000});
    }

    void clearScreenWipesTheSurfaceButKeepsTheAnchors() {
        for (QPoint p : {QPoint(100, 100), QPoint(300, 100), QPoint(200, 300)})
            press(Qt::LeftButton, p);
        form->sel->setEditText("123");
        chooseColour("Blue");
        QTest::mouseClick(form->Command1, Qt::LeftButton);
        QCOMPARE(countPixels(surfaceImage(), kWhite), 551 * 479);
        QCOMPARE(form->anchors.count(), 3);
        QCOMPARE(form->sel->currentText(), QString("123"));
        QCOMPARE(form->dotColor, Color{0xFF0000});
        press(Qt::RightButton, {0, 0});
        QCOMPARE(countPixels(surfaceImage(), qRgb(255, 0, 0)), 0);  // the circles are gone
        QVERIFY(countPixels(surfaceImage(), qRgb(0, 0, 255)) > 50);
    }

    void exitThanksTheUserThenEnds() {
        QTest::mouseClick(form->Command2, Qt::LeftButton);
        QCOMPARE(services->log, (std::vector<std::string>{"message", "end"}));
        QCOMPARE(services->shown[0].text, std::string("Thank you for drawing with Chaos Game."));
        QCOMPARE(services->shown[0].kind, MessageKind::Information);
    }

    void badCountShowsAMessageAndKeepsTheAnchors_data() {
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("says");
        QTest::newRow("letters") << "abc" << "must be a number";
        QTest::newRow("empty") << "" << "must be a number";
        QTest::newRow("too many") << "5e9" << "At most 2147483647 dots";
    }
    void badCountShowsAMessageAndKeepsTheAnchors() {
        QFETCH(QString, count);
        QFETCH(QString, says);
        press(Qt::LeftButton, {100, 100});
        form->sel->setEditText(count);
        press(Qt::RightButton, {0, 0});
        QCOMPARE(services->shown.size(), std::size_t{1});
        QVERIFY(QString::fromStdString(services->shown[0].text).contains(says));
        QCOMPARE(form->anchors.count(), 1);
        QCOMPARE(countPixels(surfaceImage(), qRgb(0, 0, 0)), 0);
        form->sel->setEditText("10");
        press(Qt::RightButton, {0, 0});
        QCOMPARE(form->anchors.count(), 0);
        QVERIFY(countPixels(surfaceImage(), qRgb(0, 0, 0)) > 0);
    }

    void oneAnchorTooManyShowsAMessageAndKeepsTheRest() {
        for (int i = 0; i < AnchorStore::kMaxAnchors; ++i)
            emit form->box->mouseDown(1, 0, float(i % 500 * 15), float(i / 500 * 15));
        QVERIFY(services->shown.empty());
        press(Qt::LeftButton, {10, 10});
        QCOMPARE(services->shown.size(), std::size_t{1});
        QCOMPARE(services->shown[0].text, std::string("Too many anchor points: at most 32767 can be placed."));
        QCOMPARE(form->anchors.count(), 32767);
        form->sel->setEditText("1000");
        press(Qt::RightButton, {0, 0});
        QCOMPARE(form->anchors.count(), 0);
    }

    // The picture commands

    void savedPictureIsTheSurfacePixelForPixel() {
        drawTriangle();
        QTemporaryDir dir;
        services->saveAs = dir.filePath("triangle");  // no suffix: a PNG file
        key(form->box, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(services->suggested.endsWith("/chaos-game.png"));
        const QImage saved(dir.filePath("triangle.png"), "PNG");
        QCOMPARE(saved.convertToFormat(QImage::Format_RGB32), surfaceImage());
        QVERIFY(services->shown.empty());
        key(form->col, Qt::Key_S, Qt::ControlModifier);  // from any control; starts where it was saved
        QCOMPARE(services->suggested, dir.filePath("triangle.png"));
    }

    void failedSaveSaysWhyWritesNothingAndKeepsThePicture_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("why");
        QTest::newRow("folder that is a file") << "file/picture.png" << "";
        QTest::newRow("unknown format") << "picture.xyz" << "cannot be saved as .xyz";
    }
    void failedSaveSaysWhyWritesNothingAndKeepsThePicture() {
        QFETCH(QString, name);
        QFETCH(QString, why);
        drawTriangle();
        const QImage before = surfaceImage();
        QTemporaryDir dir;
        QFile file(dir.filePath("file"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        services->saveAs = dir.filePath(name);
        key(form->box, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(services->shown.size(), std::size_t{1});
        const QString message = QString::fromStdString(services->shown[0].text);
        QVERIFY2(message.contains(QDir::toNativeSeparators(dir.filePath(name))) && message.contains(why), qPrintable(message));
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{"file"});
        QCOMPARE(surfaceImage(), before);
    }

    void copyPutsThePictureOnTheClipboardButTheCountBoxCopiesItsText() {
        drawTriangle();
        key(form->box, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), surfaceImage());
        QLineEdit* count = form->sel->lineEdit();
        QApplication::setActiveWindow(form.get());
        count->setFocus();
        count->selectAll();
        key(count, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("10000"));
        count->deselect();
        key(count, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), surfaceImage());
    }

    void printsOnePageToAPdfFile() {
        drawTriangle();
        QTemporaryDir dir;
        const QString pdf = dir.filePath("triangle.pdf");
        services->print = [&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        };
        key(form->box, Qt::Key_P, Qt::ControlModifier);
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString content = QString::fromLatin1(file.readAll());
        QVERIFY(content.startsWith("%PDF"));
        QCOMPARE(content.count(QRegularExpression("/Type\\s*/Page\\b")), 1);
        QVERIFY(services->shown.empty());
    }

    // Keys act on the surface as the mouse does at the keyboard point.
    void keyboardPlacesAndDrawsAsTheMouseDoes_data() {
        QTest::addColumn<Qt::Key>("place");
        QTest::addColumn<Qt::Key>("draw");
        QTest::addColumn<Qt::KeyboardModifiers>("drawKeys");
        QTest::newRow("space, shift+F10") << Qt::Key_Space << Qt::Key_F10 << Qt::KeyboardModifiers(Qt::ShiftModifier);
        QTest::newRow("return, menu") << Qt::Key_Return << Qt::Key_Menu << Qt::KeyboardModifiers();
    }
    void keyboardPlacesAndDrawsAsTheMouseDoes() {
        QFETCH(Qt::Key, place);
        QFETCH(Qt::Key, draw);
        QFETCH(Qt::KeyboardModifiers, drawKeys);
        press(Qt::LeftButton, {100, 200});
        const QImage byMouse = surfaceImage();
        form->Command1->click();
        // From the centre (275, 239) to (100, 200).
        key(form->box, Qt::Key_Left, Qt::ShiftModifier, 17);
        key(form->box, Qt::Key_Left, {}, 5);
        key(form->box, Qt::Key_Up, Qt::ShiftModifier, 3);
        key(form->box, Qt::Key_Up, {}, 9);
        key(form->box, place);
        QCOMPARE(surfaceImage(), byMouse);
        QCOMPARE(form->anchors.count(), 2);
        QCOMPARE(form->anchors.x(2), form->anchors.x(1));
        QCOMPARE(form->anchors.y(2), form->anchors.y(1));
        key(form->box, Qt::Key_Right, Qt::ShiftModifier, 20);
        key(form->box, place);
        key(form->box, draw, drawKeys);
        QCOMPARE(form->anchors.count(), 0);
        QVERIFY(countPixels(surfaceImage(), qRgb(0, 0, 0)) > 100);
    }

    void returnPressesTheFocusedButton() {
        press(Qt::LeftButton, {100, 100});
        key(form->Command1, Qt::Key_Return);
        QCOMPARE(countPixels(surfaceImage(), kWhite), 551 * 479);
        key(form->Command2, Qt::Key_Enter);
        QCOMPARE(services->log, (std::vector<std::string>{"message", "end"}));
    }

    void helpListsTheKeysAndQuitClosesWithoutAMessage() {
        key(form->box, Qt::Key_F1);
        QCOMPARE(services->shown.size(), std::size_t{1});
        QCOMPARE(services->shown[0].kind, MessageKind::Information);
        for (const char* part : {"Left-click", "Right-click", "Arrow keys", "Shift+F10", "Ctrl+S", "Ctrl+P", "Ctrl+Q"})
            QVERIFY2(services->shown[0].text.find(part) != std::string::npos, part);
        key(form->sel, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!form->isVisible());
        QCOMPARE(services->shown.size(), std::size_t{1});
    }

    void everyControlHasAnAccessibleName() {
        const std::pair<QWidget*, QString> table[] = {
            {form->box, "Drawing surface"}, {form->Command1, "Clear Screen"}, {form->sel, "Number of dots"},
            {form->sel->lineEdit(), "Number of dots"}, {form->Command2, "Exit"}, {form->col, "Dot colour"},
        };
        for (const auto& [widget, name] : table) {
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
            QVERIFY(accessible);
            QCOMPARE(accessible->text(QAccessible::Name), name);
        }
    }

    // A long draw shows its progress; Esc stops it, keeping the dots and
    // anchors, wherever the keyboard is.
    void escapeCancelsALongDraw_data() {
        QTest::addColumn<bool>("toDialog");
        QTest::newRow("progress dialog") << true;
        QTest::newRow("window") << false;
    }
    void escapeCancelsALongDraw() {
        QFETCH(bool, toDialog);
        press(Qt::LeftButton, {100, 100});
        press(Qt::LeftButton, {400, 100});
        form->sel->setEditText("2147483647");
        bool sawDialog = false, controlsOff = false, keyboardThere = false;
        QTimer::singleShot(800, form.get(), [&] {
            QProgressDialog* dialog = form->progressView().progressDialog();
            sawDialog = dialog && dialog->isVisible();
            controlsOff = !form->Command1->isEnabled() && !form->box->isEnabled() && !form->col->isEnabled();
            for (QAction* command : form->actions())
                controlsOff = controlsOff && !command->isEnabled();
            QWidget* keyboard = toDialog ? static_cast<QWidget*>(dialog) : form.get();
            if (dialog) {
                keyboard->activateWindow();
                keyboardThere = QTest::qWaitFor([&] { return QApplication::activeWindow() == keyboard; });
                QTest::keyClick(keyboard, Qt::Key_Escape);
            }
        });
        press(Qt::RightButton, {0, 0});
        QVERIFY(sawDialog);
        QVERIFY(controlsOff);
        QVERIFY(keyboardThere);
        QVERIFY(form->Command1->isEnabled() && form->box->isEnabled());
        QCOMPARE(form->anchors.count(), 2);
        QVERIFY(!form->progressView().showing());
        QVERIFY(services->shown.empty());
        QVERIFY(countPixels(surfaceImage(), qRgb(0, 0, 0)) > 100);
    }

    void closingDuringALongDrawStopsItThenCloses() {
        press(Qt::LeftButton, {100, 100});
        form->sel->setEditText("2147483647");
        QTimer::singleShot(800, form.get(), [&] { form->close(); });
        QElapsedTimer timer;
        timer.start();
        press(Qt::RightButton, {0, 0});
        QVERIFY(timer.elapsed() < 5000);
        QVERIFY(!form->isVisible());
        QCOMPARE(form->anchors.count(), 1);
    }
};

QTEST_MAIN(Form2Test)
#include "form2_test.moc"
