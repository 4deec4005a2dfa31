#include "platform/qt/qt_runtime.h"

#include "fakes.h"
#include "qt/press.h"
#include "platform/qt/picture.h"
#include "platform/qt/qt_keys.h"
#include "platform/qt/qt_services.h"
#include "platform/qt/surface_widget.h"
#include "window/form2.h"
#include "facts.h"

#include <QAccessible>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QPointer>
#include <QTimer>
#include <QToolButton>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstring>
#include <memory>
#include <optional>

#include <sys/resource.h>

using namespace chaos;
using chaos::testing::kAreaPixels;

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;

// The picture dialogs answer as the test says, at once.
struct Dialogs : PictureDialogs {
    QString saveAs;                        // the file the save dialog chooses; empty: cancel
    QString suggested;                     // what the save dialog was offered
    std::function<bool(QPrinter&)> print;  // sets up the printer; none: cancel
    void saveFileName(QWidget*, const QString& offered, const QString&, const RuntimeTexts&,
                      std::function<void(const QString&)> chosen) override {
        suggested = offered;
        chosen(saveAs);
    }
    void setUpPrinter(QWidget*, QPrinter& printer, std::function<void(bool)> done) override {
        done(print && print(printer));
    }
};

// Keeps what every message box says as it shows, and answers it with OK
// from the event loop.
class Answerer : public QObject, public testing::FakeMessages {
public:
    Answerer() { qApp->installEventFilter(this); }
    ~Answerer() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (auto* box = qobject_cast<QMessageBox*>(watched); box && event->type() == QEvent::Show) {
            shown.push_back({box->text().toStdString(),
                             box->icon() == QMessageBox::Warning ? MessageKind::Error : MessageKind::Information});
            QMetaObject::invokeMethod(box, &QDialog::accept, Qt::QueuedConnection);
        }
        return false;
    }
};

// Runs `act` with every file this process writes limited to `bytes`: a write
// past it fails with EFBIG ("File too large") as on a full disk.
template <typename Act>
void withFileSizeLimit(rlim_t bytes, Act act) {
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, old.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
    act();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldSignal);
}

QStringList filesIn(const QString& dir) {
    return QDir(dir).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden);
}

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int countPixels(const QImage& image, QRgb color) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == color;
    return n;
}

} // namespace

class Form2Test : public QObject {
    Q_OBJECT

    std::unique_ptr<Dialogs> services;
    std::unique_ptr<Answerer> messages;
    testing::FakeHost ends;  // the program's end, which would leave every later event loop at once
    std::unique_ptr<QtRuntime> runtime;
    std::unique_ptr<Form2> form;
    QWidget* window = nullptr;
    SurfaceWidget* box = nullptr;
    QPushButton* Command1 = nullptr;
    QComboBox* sel = nullptr;
    QPushButton* Command2 = nullptr;
    QLabel* Label1 = nullptr;
    QListWidget* col = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;

    // A press on the surface at a drawing-area pixel.
    void press(Qt::MouseButton button, QPoint pixel, Qt::KeyboardModifiers keys = {}) {
        pressInWindow(box, pixel + QPoint(box->frame(), box->frame()), button, keys);
    }
    QImage surfaceImage() const { return box->image(); }
    void drawTriangle() {
        for (QPoint p : {QPoint(50, 400), QPoint(500, 400), QPoint(275, 30)})
            press(Qt::LeftButton, p);
        press(Qt::RightButton, {10, 10});
    }
    void key(QWidget* to, Qt::Key k, Qt::KeyboardModifiers keys = {}, int times = 1) {
        for (int i = 0; i < times; ++i)
            QTest::keyClick(to, k, keys);
    }
    // The real print dialog, answered by the test's own poll: whether a printer was chosen.
    static bool printerChosen(QPrinter& printer) {
        std::optional<bool> chosen;
        QtPictureDialogs().setUpPrinter(nullptr, printer, [&](bool c) { chosen = c; });
        if (!QTest::qWaitFor([&] { return chosen.has_value(); }))
            return true;  // not answered
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // the dialog gone, before the printer
        return *chosen;
    }
    void chooseColor(const QString& item) {
        const auto found = col->findItems(item, Qt::MatchExactly);
        QVERIFY(!found.isEmpty());
        const QRect rect = col->visualItemRect(found.first());
        QTest::mouseClick(col->viewport(), Qt::LeftButton, {}, rect.center());
    }

private slots:
    void init() {
        services = std::make_unique<Dialogs>();
        messages = std::make_unique<Answerer>();
        runtime = std::make_unique<QtRuntime>(*services);
        const Host qt = runtime->host();
        form = std::make_unique<Form2>(
            Host{qt.screen, qt.controls, qt.messages, qt.progress, qt.scheduler, qt.clock, qt.pictures, ends});
        ends.log.clear();
        runtime->build(Form2::description(), kRuntimeTexts, *form);
        window = runtime->window();
        box = runtime->surface();
        Command1 = qobject_cast<QPushButton*>(runtime->control(kCommand1));
        sel = qobject_cast<QComboBox*>(runtime->control(kSel));
        Command2 = qobject_cast<QPushButton*>(runtime->control(kCommand2));
        Label1 = qobject_cast<QLabel*>(runtime->control(kLabel1));
        col = qobject_cast<QListWidget*>(runtime->control(kCol));
        Label2 = qobject_cast<QLabel*>(runtime->control(kLabel2));
        Label3 = qobject_cast<QLabel*>(runtime->control(kLabel3));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
    }
    void cleanup() {
        runtime.reset();
        form.reset();
        messages.reset();
    }

    void windowIsFixedAtItsSize() {
        QCOMPARE(window->windowTitle(), QString("Form2"));
        QCOMPARE(window->size(), QSize(704, 562));
        QCOMPARE(window->minimumSize(), window->maximumSize());
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
        auto* widget = window->findChild<QWidget*>(name);
        QVERIFY(widget);
        QCOMPARE(widget->parentWidget(), window);
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
        QCOMPARE(col->count(), int(std::size(kColorItems)));
        for (int i = 0; i < col->count(); ++i)
            QCOMPARE(col->item(i)->text(), QString(kColorItems[i]));
        QVERIFY(col->selectedItems().isEmpty());
        QVERIFY(sel->isEditable());
        QCOMPARE(sel->count(), 0);
        QCOMPARE(form->dotColor, Color{0});
        QCOMPARE(form->anchors.count(), 0);
        QCOMPARE(form->anchors.stored(), 0);
        QCOMPARE(countPixels(surfaceImage(), kWhite), kAreaPixels);
    }

    void labelsNameTheirControls() {
        QCOMPARE(Label1->buddy(), sel);
        QCOMPARE(Label2->buddy(), col);
        QCOMPARE(box->accessibleDescription(), Label3->text());
        // The controls cover the labels that reach down over them.
        QVERIFY(window->childAt(600, 45) == sel || sel->isAncestorOf(window->childAt(600, 45)));
        QVERIFY(window->childAt(600, 90) == col || col->isAncestorOf(window->childAt(600, 90)));
    }

    void tabMovesThroughTheControlsInOrder() {
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        box->setFocus();
        const QList<QWidget*> order = {Command1, sel, Command2, col, box};
        for (QWidget* next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* focus = QApplication::focusWidget();
            QVERIFY2(focus == next || next->isAncestorOf(focus), qPrintable(next->objectName()));
        }
    }

    // Qt names every key the window's table acts on, and back.
    void everyKeyOfTheTableHasAQtKey() {
        for (const auto& row : kKeys)
            if (*row.key) {
                QVERIFY2(qtKeyOf(row.key) != 0, row.key);
                QCOMPARE(keyNameOf(qtKeyOf(row.key)), std::string(row.key));
            }
        QCOMPARE(keyNameOf(Qt::Key_Backtab), std::string("Tab"));
        QCOMPARE(keyNameOf(Qt::Key_F12), std::string("F12"));
        QCOMPARE(keyNameOf(Qt::Key_Home), std::string("Home"));
    }

    void shortCaptionsReadWhole() {
        for (QWidget* w : {static_cast<QWidget*>(Label2), static_cast<QWidget*>(Command1),
                           static_cast<QWidget*>(Command2)}) {
            const QString text = qobject_cast<QLabel*>(w) ? qobject_cast<QLabel*>(w)->text()
                                                          : qobject_cast<QPushButton*>(w)->text();
            QVERIFY2(w->fontMetrics().horizontalAdvance(text) <= w->width() - 2, qPrintable(text));
        }
        // Label2's text shows above the list that covers its lower part.
        QVERIFY(Label2->fontMetrics().height() <= col->y() - Label2->y());
        // The largest count shows whole, the caret after it: not scrolled.
        QLineEdit* count = sel->lineEdit();
        count->setText("2147483647");
        count->end(false);
        count->repaint();
        QCOMPARE(count->cursorPositionAt({0, count->height() / 2}), 0);
        QCOMPARE(count->cursorPositionAt({count->width() - 1, count->height() / 2}), 10);
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
        QCOMPARE(countPixels(surfaceImage(), kWhite), kAreaPixels);
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

    void chosenColorPaintsTheNextDots_data() {
        QTest::addColumn<QStringList>("choices");
        QTest::addColumn<QRgb>("dots");
        // (Every row's colour: the toolkit-free window's tests.)
        QTest::newRow("none") << QStringList() << qRgb(0, 0, 0);
        QTest::newRow("white then red") << QStringList{"White", "Red"} << qRgb(255, 0, 0);
    }
    void chosenColorPaintsTheNextDots() {
        QFETCH(QStringList, choices);
        QFETCH(QRgb, dots);
        for (const auto& item : choices)
            chooseColor(item);
        press(Qt::LeftButton, {100, 100});
        press(Qt::LeftButton, {300, 100});
        press(Qt::LeftButton, {200, 300});
        sel->setEditText("500");
        press(Qt::RightButton, {0, 0});
        const QImage image = surfaceImage();
        QVERIFY(countPixels(image, dots) > 200);
        QCOMPARE(image.pixel(100, 95), qRgb(255, 0, 0));  // circles stay red (a point no dot reaches)
    }

    void colourCanBeChosenWithTheKeyboard() {
        QApplication::setActiveWindow(window);
        col->setFocus();
        // Focus rests on the first item without choosing it; Down moves on, End to the last.
        QCOMPARE(form->dotColor, Color{0});
        QTest::keyClick(col, Qt::Key_Down);
        QCOMPARE(col->selectedItems().value(0)->text(), QString("Blue"));
        QCOMPARE(form->dotColor, Color{0xFF0000});
        QTest::keyClick(col, Qt::Key_Up);
        QCOMPARE(form->dotColor, Color{0x0000FF});
        QTest::keyClick(col, Qt::Key_End);
        QCOMPARE(form->dotColor, kColorValues[std::size(kColorValues) - 1]);
    }

    void exitThanksTheUserThenEnds() {
        QTest::mouseClick(Command2, Qt::LeftButton);
        QTRY_COMPARE(ends.log, std::vector<std::string>{"end"});
        QCOMPARE(messages->shown[0].text, std::string("Thank you for drawing with Chaos Game."));
        QCOMPARE(messages->shown[0].kind, MessageKind::Information);
    }

    // The picture commands

    void savedPictureIsTheSurfacePixelForPixel() {
        drawTriangle();
        QTemporaryDir dir;
        services->saveAs = dir.filePath("triangle.");  // no suffix: a PNG file, without a second dot
        key(box, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(services->suggested.endsWith("/chaos-game.png"));
        const QImage saved(dir.filePath("triangle.png"), "PNG");
        QCOMPARE(saved.convertToFormat(QImage::Format_RGB32), surfaceImage());
        QVERIFY(messages->shown.empty());
        key(col, Qt::Key_S, Qt::ControlModifier);  // from any control; starts where it was saved
        QCOMPARE(services->suggested, dir.filePath("triangle.png"));
    }

    // Failures leave the old file byte for byte, no temporary file, the
    // picture on the surface, and a message with the system's reason.
    void failedSaveOrPrintSaysWhyWritesNothingAndKeepsThePicture_data() {
        QTest::addColumn<Qt::Key>("command");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("existing");
        QTest::addColumn<int>("limit");  // bytes a file may have; 0: no limit
        QTest::addColumn<QString>("why");
        const QString tooLarge = QString::fromLocal8Bit(std::strerror(EFBIG));
        QTest::newRow("folder that is a file") << Qt::Key_S << "file/picture.png" << false << 0 << "";
        QTest::newRow("format that changes pixels") << Qt::Key_S << "picture.jpg" << false << 0
            << "only .png, .bmp, .ppm, .xpm files keep every pixel of the picture, .jpg files do not";
        QTest::newRow("unknown format, old file") << Qt::Key_S << "keep.xyz" << true << 0 << ".xyz files do not";
        for (const char* format : {"png", "bmp", "pdf"}) {
            const Qt::Key command = QByteArray(format) == "pdf" ? Qt::Key_P : Qt::Key_S;
            QTest::addRow("%s over an old file, disk full", format) << command << QString("keep.") + format << true << 4096 << tooLarge;
            QTest::addRow("%s new, disk full", format) << command << QString("new.") + format << false << 4096 << tooLarge;
        }
    }
    void failedSaveOrPrintSaysWhyWritesNothingAndKeepsThePicture() {
        QFETCH(Qt::Key, command);
        QFETCH(QString, name);
        QFETCH(bool, existing);
        QFETCH(int, limit);
        QFETCH(QString, why);
        drawTriangle();
        const QImage before = surfaceImage();
        QTemporaryDir dir;
        QFile file(dir.filePath("file"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const QString path = dir.filePath(name);
        const QByteArray old = existing ? QByteArray("the old file, to be kept") : QByteArray();
        QFile oldFile(path);
        QVERIFY(!existing || (oldFile.open(QIODevice::WriteOnly) && oldFile.write(old) == old.size() && oldFile.flush()));
        services->saveAs = path;
        services->print = [&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path);
            return true;
        };
        withFileSizeLimit(limit ? limit : RLIM_INFINITY, [&] { key(box, command, Qt::ControlModifier); });
        QCOMPARE(messages->shown.size(), std::size_t{1});
        const QString message = QString::fromStdString(messages->shown[0].text);
        QVERIFY2(message.contains(QDir::toNativeSeparators(path)) && message.contains(why), qPrintable(message));
        QStringList expected{"file"};
        if (existing)
            expected << name;
        expected.sort();
        QCOMPARE(filesIn(dir.path()), expected);
        QCOMPARE(contentOf(path), old);
        QCOMPARE(surfaceImage(), before);
    }

    // Each offered format gives back every pixel; the others are refused.
    void savesOnlyInFormatsThatKeepEveryPixel_data() {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<bool>("kept");
        for (const char* suffix : {"png", "bmp", "ppm", "xpm"})
            QTest::newRow(suffix) << suffix << true;
        for (const char* suffix : {"jpg", "jpeg", "ico", "cur", "pbm", "pgm", "xbm", "gif"})
            QTest::newRow(suffix) << suffix << false;
    }
    void savesOnlyInFormatsThatKeepEveryPixel() {
        QFETCH(QString, suffix);
        QFETCH(bool, kept);
        QCOMPARE(exactPictureSuffixes().contains(suffix), kept);
        drawTriangle();
        chooseColor("Blue");
        drawTriangle();
        QTemporaryDir dir;
        services->saveAs = dir.filePath("picture." + suffix);
        key(box, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(messages->shown.empty(), kept);
        QCOMPARE(filesIn(dir.path()).size(), kept ? 1 : 0);
        if (kept)
            QCOMPARE(QImage(services->saveAs).convertToFormat(QImage::Format_RGB32), surfaceImage());
    }

    // The real save dialog: what a typed name gives, what it explains, and
    // that it neither stores settings nor reads files to tell their type.
    void saveDialogNamesTheFileAndStoresNothing_data() {
        QTest::addColumn<QString>("typed");  // empty: cancel
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<int>("tooLong");  // the bytes of a name too long, as saved; 0: none
        QTest::newRow("cancel") << "" << "" << 0;
        QTest::newRow("ending in a dot") << "trail." << "trail.png" << 0;
        QTest::newRow("no suffix") << "plain" << "plain.png" << 0;
        QTest::newRow("255 bytes with .png") << QString(251, 'x') << QString(251, 'x') + ".png" << 0;
        QTest::newRow("256 bytes with .png") << QString(252, 'x') << "" << 256;
        QTest::newRow("300 bytes") << QString(300, 'x') + ".bmp" << "" << 304;
    }
    void saveDialogNamesTheFileAndStoresNothing() {
        QFETCH(QString, typed);
        QFETCH(QString, chosen);
        QFETCH(int, tooLong);
        static const QTemporaryDir home;  // the user's folder from here on
        QTemporaryDir dir;
        qputenv("HOME", home.path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", home.filePath(".config").toLocal8Bit());
        QFile unnamed(dir.filePath("unnamed"));  // a PNG file whose name does not say so
        QVERIFY(unnamed.open(QIODevice::WriteOnly) && unnamed.write("\x89PNG\r\n\x1a\n") == 8);
        unnamed.close();
        QtPictureDialogs dialogs;
        QString typeSeen, explained;
        QPointer<QFileDialog> answered;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            poll.stop();
            answered = dialog;
            typeSeen = dialog->iconProvider()->type(QFileInfo(unnamed));
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText(typed);
            if (auto* label = dialog->findChild<QLabel*>("tooLong"); label && label->isVisible())
                explained = label->text();
            chosen.isEmpty() ? dialog->reject() : static_cast<QDialog*>(dialog)->accept();
        });
        poll.start(10);
        std::optional<QString> result;
        dialogs.saveFileName(nullptr, dir.filePath(kSaveName), "png", kRuntimeTexts, [&](const QString& r) { result = r; });
        QVERIFY(!result);
        QTRY_VERIFY(result && !answered);  // answered, closed and gone (its settings stored, if any)
        QCOMPARE(*result, chosen.isEmpty() ? QString() : dir.filePath(chosen));
        QCOMPARE(QFileIconProvider().type(QFileInfo(unnamed)), QString("PNG image"));  // Qt's own reads it
        QVERIFY2(typeSeen != "PNG image", qPrintable(typeSeen));
        QCOMPARE(explained, tooLong ? QString("This name is too long: a name can have at most 255 bytes here, "
                                              "this one has %1.").arg(tooLong) : QString());
        QCOMPARE(filesIn(home.path()), QStringList());
    }

    // The print dialog's "..." button opens Qt's own file dialog: it too
    // tells a file's type by its name alone.
    void printDialogsFileBrowserReadsNoFile() {
        QTemporaryDir dir;
        QFile unnamed(dir.filePath("unnamed"));  // a PNG file whose name does not say so
        QVERIFY(unnamed.open(QIODevice::WriteOnly) && unnamed.write("\x89PNG\r\n\x1a\n") == 8);
        unnamed.close();
        QString typeSeen;
        bool browsed = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* files = qobject_cast<QFileDialog*>(modal)) {
                typeSeen = files->iconProvider()->type(QFileInfo(unnamed));
                files->reject();
            } else if (auto* browse = modal ? modal->findChild<QToolButton*>("fileBrowser") : nullptr;
                       browse && browse->isEnabled() && !browsed) {
                browsed = true;
                QTimer::singleShot(0, browse, &QToolButton::click);  // it waits for its dialog
            } else if (modal && !typeSeen.isEmpty()) {
                poll.stop();
                static_cast<QDialog*>(modal)->reject();
            }
        });
        poll.start(10);
        QPrinter printer;
        printer.setOutputFileName(dir.filePath("page.pdf"));
        QVERIFY(!printerChosen(printer));
        QVERIFY2(!typeSeen.isEmpty() && typeSeen != "PNG image", qPrintable(typeSeen));
    }

    // The print dialog's output file name is completed from the folder: the
    // completion, too, tells types by names alone (a name under /proc/ typed
    // there would otherwise block the window).
    void printDialogsNameCompletionReadsNoFile() {
        QTemporaryDir dir;
        QFile unnamed(dir.filePath("unnamed"));
        QVERIFY(unnamed.open(QIODevice::WriteOnly) && unnamed.write("\x89PNG\r\n\x1a\n") == 8);
        unnamed.close();
        QStringList types;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                poll.stop();
                for (auto* model : modal->findChildren<QFileSystemModel*>())
                    types << model->iconProvider()->type(QFileInfo(unnamed));
                static_cast<QDialog*>(modal)->reject();
            }
        });
        poll.start(10);
        QPrinter printer;
        QVERIFY(!printerChosen(printer));
        QVERIFY(!types.isEmpty());
        QVERIFY2(!types.contains("PNG image"), qPrintable(types.join(", ")));
    }

    void copyPutsThePictureOnTheClipboardButTheCountBoxCopiesItsText() {
        drawTriangle();
        key(box, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), surfaceImage());
        QLineEdit* count = sel->lineEdit();
        QApplication::setActiveWindow(window);
        count->setFocus();
        count->selectAll();
        key(count, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("10000"));
        count->deselect();
        key(count, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), surfaceImage());
    }

    // Copy and save hand over the picture as the runtime is handed it, at
    // its own size and density (the area's twips at that dpi, rounded down).
    void copyAndSaveKeepThePicturesOwnPixels_data() {
        QTest::addColumn<int>("dpi");
        for (int dpi : {96, 144, 192})
            QTest::addRow("%d dpi", dpi) << dpi;
    }
    void copyAndSaveKeepThePicturesOwnPixels() {
        QFETCH(int, dpi);
        const auto atDpi = [&](int logical) { return logical * kTwipsPerPixel * dpi / kTwipsPerInch; };
        const int w = atDpi(box->width() - 2 * box->frame()), h = atDpi(box->height() - 2 * box->frame());
        std::vector<std::uint32_t> pixels(std::size_t(w) * h, 0xFFFFFFFF);
        for (std::size_t i = 0; i < pixels.size(); i += 97)
            pixels[i] = 0xFF000000 | std::uint32_t(i * 2654435761u);
        const Picture picture{pixels.data(), w, h, dpi};
        const QImage expected = SurfaceWidget::imageOf(picture);
        QCOMPARE(expected.size(), QSize(w, h));
        runtime->host().pictures.copy(0, picture);
        QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), expected);
        QTemporaryDir dir;
        services->saveAs = dir.filePath("dense.png");
        runtime->host().pictures.save(0, "chaos-game.png", picture);
        QCOMPARE(QImage(services->saveAs).convertToFormat(QImage::Format_RGB32), expected);
    }

    // The page's image is the picture pixel for pixel, stored losslessly and
    // marked not to be smoothed when scaled.
    void printsThePictureSharpOnOnePageOfAPdfFile() {
        drawTriangle();
        chooseColor("Blue");
        drawTriangle();
        QTemporaryDir dir;
        const QString pdf = dir.filePath("triangle.pdf");
        QString offered;
        services->print = [&](QPrinter& printer) {
            offered = printer.docName();  // the print dialog offers it, with ".pdf", for a file
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        };
        key(box, Qt::Key_P, Qt::ControlModifier);
        QVERIFY(messages->shown.empty());
        QCOMPARE(offered, QString("chaos-game.pdf"));
        const QString content = QString::fromLatin1(contentOf(pdf));
        QVERIFY(content.startsWith("%PDF") && content.trimmed().endsWith("%%EOF"));
        QCOMPARE(content.count(QRegularExpression("/Type\\s*/Page\\b")), 1);
        QProcess list;  // pdfimages from poppler-utils (scripts/install-deps.sh)
        list.start("pdfimages", {"-list", pdf});
        QVERIFY2(list.waitForFinished() && list.exitCode() == 0, "pdfimages failed or is missing");
        const QStringList images = QString::fromLocal8Bit(list.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts).mid(2);
        QCOMPARE(images.size(), 1);
        const QStringList columns = images[0].simplified().split(' ');  // page num type width height color comp bpc enc interp
        QCOMPARE(columns.mid(3, 7), (QStringList{QString::number(chaos::testing::kAreaWidth),
                                                 QString::number(chaos::testing::kAreaHeight), "rgb", "3", "8", "image", "no"}));
        QCOMPARE(QProcess::execute("pdfimages", {"-png", pdf, dir.filePath("page")}), 0);
        QCOMPARE(QImage(dir.filePath("page-000.png")).convertToFormat(QImage::Format_RGB32), surfaceImage());
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
        Command1->click();
        // From the centre (275, 239) to (100, 200).
        key(box, Qt::Key_Left, Qt::ShiftModifier, 17);
        key(box, Qt::Key_Left, {}, 5);
        key(box, Qt::Key_Up, Qt::ShiftModifier, 3);
        key(box, Qt::Key_Up, {}, 9);
        key(box, place);
        QCOMPARE(surfaceImage(), byMouse);
        QCOMPARE(form->anchors.count(), 2);
        QCOMPARE(form->anchors.x(2), form->anchors.x(1));
        QCOMPARE(form->anchors.y(2), form->anchors.y(1));
        key(box, Qt::Key_Right, Qt::ShiftModifier, 20);
        key(box, place);
        key(box, draw, drawKeys);
        QCOMPARE(form->anchors.count(), 0);
        QVERIFY(countPixels(surfaceImage(), qRgb(0, 0, 0)) > 100);
    }

    // The X server sends the Menu key as a key and as a context-menu request:
    // one draw, not a second one towards the corner.
    void theMenuKeyDrawsOnce() {
        for (QPoint p : {QPoint(50, 400), QPoint(500, 400), QPoint(275, 30)})
            press(Qt::LeftButton, p);
        box->setFocus();
        QTest::keyPress(box, Qt::Key_Menu);
        QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint(10, 10), box->mapToGlobal(QPoint(10, 10)));
        QApplication::sendEvent(box, &request);
        QTest::keyRelease(box, Qt::Key_Menu);
        QCOMPARE(form->anchors.count(), 0);
        QVERIFY(countPixels(surfaceImage(), qRgb(0, 0, 0)) > 3000);
        QCOMPARE(surfaceImage().pixel(0, 0), kWhite);
        QCOMPARE(surfaceImage().pixel(0, 0), kWhite);
        for (QPoint p : {QPoint(50, 400), QPoint(500, 400), QPoint(275, 30)})  // the request first, then the key
            press(Qt::LeftButton, p);
        box->setFocus();
        QApplication::sendEvent(box, &request);
        QTest::keyPress(box, Qt::Key_Menu);
        QTest::keyRelease(box, Qt::Key_Menu);
        QCOMPARE(form->anchors.count(), 0);
        QCOMPARE(surfaceImage().pixel(0, 0), kWhite);
        QApplication::sendEvent(box, &request);  // a request of its own (a platform's keyboard menu) draws
        QCOMPARE(surfaceImage().pixel(0, 0), qRgb(0, 0, 0));
    }

    void returnPressesTheFocusedButton() {
        press(Qt::LeftButton, {100, 100});
        key(Command1, Qt::Key_Return);
        QCOMPARE(countPixels(surfaceImage(), kWhite), kAreaPixels);
        key(Command2, Qt::Key_Enter);
        QCOMPARE(messages->shown.size(), std::size_t{1});
        QTRY_COMPARE(ends.log, std::vector<std::string>{"end"});
    }

    void helpListsTheKeysAndQuitClosesWithoutAMessage() {
        key(box, Qt::Key_F1);
        QCOMPARE(messages->shown.size(), std::size_t{1});
        QCOMPARE(messages->shown[0].kind, MessageKind::Information);
        for (const char* part : {"Left-click", "Right-click", "Arrow keys", "Shift+F10", "Ctrl+S", "Ctrl+P", "Ctrl+Q"})
            QVERIFY2(messages->shown[0].text.find(part) != std::string::npos, part);
        QTRY_VERIFY(!form->busy());  // the help answered
        QCOMPARE(messages->shown[0].text, helpText(QtRuntime::kOffers));  // Qt names the keys as the window does
        key(sel, Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(ends.log, std::vector<std::string>{"end"});
        QCOMPARE(messages->shown.size(), std::size_t{1});
    }

    void everyControlHasAnAccessibleName() {
        const std::pair<QWidget*, QString> table[] = {
            {box, "Drawing surface"}, {Command1, "Clear Screen"}, {sel, "Number of dots"},
            {sel->lineEdit(), "Number of dots"}, {Command2, "Exit"}, {col, "Dot colour"},
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
        sel->setEditText("2147483647");
        press(Qt::RightButton, {0, 0});  // returns after the first half second, the draw going on
        QProgressDialog* dialog = runtime->progressDialog();
        QVERIFY(dialog && dialog->isVisible());
        QVERIFY(form->drawRunning());
        QVERIFY(!Command1->isEnabled() && !box->isEnabled() && !col->isEnabled() && !sel->isEnabled());
        QVERIFY(QTest::qWaitFor([&] { return dialog->labelText().startsWith("Drawing dots: "); }));
        // Its size is fixed, holding the widest line, centred on the window.
        const QString widest = QString::fromStdString(Form2::description().progressWidest);
        const auto* label = dialog->findChild<QLabel*>();
        QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
        QCOMPARE(widest, QString::fromStdString(progressLine(kMaxDots, kMaxDots)));
        QVERIFY(label->fontMetrics().horizontalAdvance(widest) <= label->width());
        QVERIFY((dialog->geometry().center() - window->geometry().center()).manhattanLength() <= 1);
        QWidget* keyboard = toDialog ? static_cast<QWidget*>(dialog) : window;
        keyboard->activateWindow();
        QVERIFY(QTest::qWaitFor([&] { return QApplication::activeWindow() == keyboard; }));
        QTest::keyClick(keyboard, Qt::Key_Escape);
        QVERIFY(QTest::qWaitFor([&] { return !form->drawRunning(); }, 100));
        QVERIFY(Command1->isEnabled() && box->isEnabled());
        QCOMPARE(form->anchors.count(), 2);
        QVERIFY(!runtime->progressDialog());
        QVERIFY(messages->shown.empty());
        QVERIFY(countPixels(surfaceImage(), qRgb(0, 0, 0)) > 100);
    }

    void closingDuringALongDrawStopsItThenCloses() {
        press(Qt::LeftButton, {100, 100});
        sel->setEditText("2147483647");
        QElapsedTimer timer;
        timer.start();
        press(Qt::RightButton, {0, 0});
        QVERIFY(runtime->progressDialog());
        QVERIFY(window->close());
        QVERIFY(timer.elapsed() < 5000);
        QVERIFY(!window->isVisible());
        QVERIFY(!form->drawRunning());
        QCOMPARE(form->anchors.count(), 1);
    }
};

QTEST_MAIN(Form2Test)
#include "window_test.moc"
