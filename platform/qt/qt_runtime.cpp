#include "platform/qt/qt_runtime.h"

#include "platform/qt/picture.h"
#include "platform/qt/qt_keys.h"
#include "platform/raster_surface.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QWindow>

#include <algorithm>
#include <climits>
#include <memory>
#include <utility>

namespace chaos {

namespace {

// The window: it asks its events before it closes.
class FormWindow : public QWidget {
public:
    explicit FormWindow(WindowEvents& events) : events(events) {}

protected:
    void closeEvent(QCloseEvent* event) override {
        if (events.closeRequested())
            event->accept();
        else
            event->ignore();
    }

private:
    WindowEvents& events;
};

// The count box as assistive technology sees it: named by its accessible
// name, with its text as its value. (Qt names an editable combo box on Linux
// by its text, so that the count box would be announced as "10000".)
class CountBoxAccessible : public QAccessibleWidget {
public:
    explicit CountBoxAccessible(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return static_cast<QComboBox*>(widget())->currentText();
        return QAccessibleWidget::text(t);
    }
};

// The count box: its widest text shows whole in the box's width, narrowed
// as far as it needs to be (Qt's line edit keeps 2 pixels each side and one
// for the caret).
class CountBox : public QComboBox {
public:
    CountBox(const QString& widest, QWidget* parent) : QComboBox(parent), widest(widest) {}

protected:
    void resizeEvent(QResizeEvent* event) override {
        QComboBox::resizeEvent(event);
        QLineEdit* edit = lineEdit();
        QFont font = this->font();
        const int room = edit->width() - 2 * 2 - 1;
        for (int stretch = 99; QFontMetrics(font).horizontalAdvance(widest) > room && stretch >= 50; --stretch)
            font.setStretch(stretch);
        edit->setFont(font);
    }

private:
    QString widest;
};

QAccessibleInterface* countBoxAccessible(const QString&, QObject* object) {
    auto* box = qobject_cast<QComboBox*>(object);
    return box && dynamic_cast<FormWindow*>(box->parent()) ? new CountBoxAccessible(box) : nullptr;
}

// The Menu key's name: the X server sends it both as a key and as a
// context-menu request.
const std::string kMenuKey = keyNameOf(Qt::Key_Menu);

QString qt(const std::string& text) { return QString::fromStdString(text); }

} // namespace

QtRuntime::QtRuntime(PictureDialogs& dialogs) : pictures(*this, dialogs) {
    static const bool accessibleCountBox = (QAccessible::installFactory(countBoxAccessible), true);
    static_cast<void>(accessibleCountBox);
}

QtRuntime::~QtRuntime() {
    events = nullptr;  // a dialog closed as the window goes tells nobody
    qApp->removeEventFilter(this);
    progress.close();
    delete form;
}

void QtRuntime::build(const ShownForm& shown, const RuntimeTexts& runtimeTexts, WindowEvents& windowEvents) {
    events = &windowEvents;
    texts = &runtimeTexts;
    form = new FormWindow(windowEvents);
    form->setWindowTitle(QString::fromStdString(shown.caption));
    QFont font = form->font();
    font.setPixelSize(shown.fontPixels);
    form->setFont(font);
    form->setFixedSize(shown.width, shown.height);
    progress.widest = qt(shown.progressWidest);
    controls.assign(shown.controls.size(), nullptr);
    for (const int row : shown.creation)
        controls[static_cast<std::size_t>(row)] = make(shown, row);
    for (std::size_t row = 0; row < shown.controls.size(); ++row)
        if (const int named = shown.controls[row].names; named >= 0)
            static_cast<QLabel*>(controls[row])->setBuddy(control(named));
    for (std::size_t i = 1; i < shown.tabbing.size(); ++i)
        QWidget::setTabOrder(control(shown.tabbing[i - 1]), control(shown.tabbing[i]));
    if (box && shown.describedBy >= 0)
        box->setAccessibleDescription(QString::fromStdString(shown.controls[static_cast<std::size_t>(shown.describedBy)].text));
    if (!shown.tabbing.empty())
        control(shown.tabbing.front())->setFocus();
    listen();
    events->exposed();
}

QWidget* QtRuntime::make(const ShownForm& shown, int row) {
    const ShownControl& c = shown.controls[static_cast<std::size_t>(row)];
    QWidget* widget = nullptr;
    switch (c.kind) {
    case ControlKind::Label: widget = makeLabel(c); break;
    case ControlKind::Surface: widget = makeSurface(shown); break;
    case ControlKind::Button: widget = makeButton(c, row); break;
    case ControlKind::CountBox: widget = makeCountBox(c); break;
    case ControlKind::List: widget = makeList(c, row); break;
    }
    widget->setObjectName(QString::fromStdString(c.name));
    widget->setAccessibleName(QString::fromStdString(c.accessibleName));
    widget->setGeometry(c.left, c.top, c.width, c.height);
    if (std::find(shown.tabbing.begin(), shown.tabbing.end(), row) == shown.tabbing.end())
        widget->setFocusPolicy(Qt::NoFocus);
    return widget;
}

QWidget* QtRuntime::makeLabel(const ShownControl& c) {
    auto* label = new QLabel(QString::fromStdString(c.text), form);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    return label;
}

QWidget* QtRuntime::makeSurface(const ShownForm& shown) {
    box = new SurfaceWidget(shown.surfaceFrame, shown.frameColor, shown.focusColor, form);
    connect(box, &SurfaceWidget::mouseDown, this,
            [this](std::int16_t button, std::int16_t shift, double x, double y) { events->surfaceDown(button, shift, x, y); });
    connect(box, &SurfaceWidget::densityChanged, this, [this](double ratio) {
        if (events)
            events->densityChanged(ratio);
    });
    return box;
}

QWidget* QtRuntime::makeButton(const ShownControl& c, int row) {
    auto* button = new QPushButton(QString::fromStdString(c.text), form);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, row] { events->clicked(row); });
    return button;
}

QWidget* QtRuntime::makeCountBox(const ShownControl& c) {
    auto* sel = new CountBox(QString::fromStdString(c.widest), form);
    sel->setEditable(true);
    sel->setInsertPolicy(QComboBox::NoInsert);
    sel->setEditText(QString::fromStdString(c.text));
    sel->lineEdit()->setAccessibleName(QString::fromStdString(c.accessibleName));  // the part that takes the focus
    return sel;
}

QWidget* QtRuntime::makeList(const ShownControl& c, int row) {
    auto* list = new QListWidget(form);
    for (const std::string& item : c.items)
        list->addItem(QString::fromStdString(item));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setCurrentRow(-1);
    list->clearSelection();
    connect(list, &QListWidget::itemSelectionChanged, this, [this, row] { events->chosen(row); });
    return list;
}

// Every key and press of the application comes to eventFilter first; the
// screen's density is watched; the focus is told.
void QtRuntime::listen() {
    qApp->installEventFilter(this);
    if (box)
        box->checkRatio();  // before the window is first shown
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (events)
            events->focusChanged(rowOf(now));
    });
}

int QtRuntime::rowOf(const QObject* object) const {
    for (const QObject* o = object; o; o = o->parent())
        if (o->parent() == form) {  // the window's child that holds it
            const auto at = std::find(controls.begin(), controls.end(), o);
            return at == controls.end() ? -1 : static_cast<int>(at - controls.begin());
        }
    return -1;
}

// Every key and press in the window goes to the window first: a key the
// window takes goes no further; a press is told before the control has it.
bool QtRuntime::eventFilter(QObject* watched, QEvent* event) {
    if (!form || !watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != form)
        return false;
    switch (event->type()) {
    case QEvent::Show:
        if (watched == form && !watchingScreen)
            watchScreen();
        return false;
    case QEvent::MouseButtonPress: events->pointerDown(); return false;
    case QEvent::KeyPress: return keyPressed(watched, static_cast<QKeyEvent*>(event));
    case QEvent::KeyRelease:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Menu)
            menu = Menu::None;
        return false;
    case QEvent::ContextMenu:
        return static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard && menuRequested(watched);
    default: return false;  // (Qt's other events are none of the window's)
    }
}

// Another screen, or the screen's density changed (Xft.dpi).
void QtRuntime::watchScreen() {
    watchingScreen = true;
    const auto watch = [this](QScreen* screen) {
        if (box)
            box->checkRatio();
        if (screen)
            connect(screen, &QScreen::logicalDotsPerInchChanged, box, &SurfaceWidget::checkRatio, Qt::UniqueConnection);
    };
    connect(form->windowHandle(), &QWindow::screenChanged, this, watch);
    watch(form->windowHandle()->screen());
}

bool QtRuntime::keyPressed(QObject* watched, QKeyEvent* event) {
    const int row = rowOf(watched);
    const auto* text = row >= 0 ? qobject_cast<QComboBox*>(controls[static_cast<std::size_t>(row)]) : nullptr;
    const bool selected = text && text->lineEdit() && text->lineEdit()->hasSelectedText();
    const KeyPress key = keyPressOf(*event);
    if (key.key == kMenuKey && menu == Menu::FromRequest)
        return true;  // the same press, told as a context-menu request first
    const bool taken = events->keyDown(row, key, selected);
    menu = taken && key.key == kMenuKey ? Menu::FromKey : Menu::None;
    return taken;
}

// The usual keyboard right-click. The X server sends the Menu key as a
// context-menu request and as the key, in either order: one press.
bool QtRuntime::menuRequested(QObject* watched) {
    if (menu == Menu::FromKey)
        return true;
    const bool taken = events->keyDown(rowOf(watched), {kMenuKey}, false);
    menu = taken ? Menu::FromRequest : Menu::None;
    return taken;
}

void QtRuntime::SurfaceScreen::showPicture(const Picture& picture) {
    runtime.box->showPicture(picture);
}

void QtRuntime::SurfaceScreen::showMarks(const Mark* marks, std::size_t count) {
    runtime.box->setMarks(marks, count);
}

std::string QtRuntime::FormControls::text(int control) const {
    auto* box = qobject_cast<QComboBox*>(runtime.control(control));
    return box ? box->currentText().toStdString() : std::string();
}

int QtRuntime::FormControls::chosenRow(int control) const {
    auto* list = qobject_cast<QListWidget*>(runtime.control(control));
    const auto chosen = list ? list->selectedItems() : QList<QListWidgetItem*>();
    return chosen.isEmpty() ? -1 : list->row(chosen.first());
}

void QtRuntime::FormControls::focus(int control) {
    if (control >= 0)
        runtime.control(control)->setFocus(Qt::OtherFocusReason);
}

void QtRuntime::FormControls::setBusy(bool busy) {
    for (QWidget* control : runtime.controls)
        if (control->focusPolicy() != Qt::NoFocus)
            control->setEnabled(!busy);
}

std::string QtRuntime::FormControls::keyName(const std::string& key, std::int16_t shift) const {
    return qtKeyText(key, shift);
}

void QtRuntime::Messages::show(const std::string& text, MessageKind kind) {
    auto* message = new QMessageBox(kind == MessageKind::Error ? QMessageBox::Warning : QMessageBox::Information,
                                    QCoreApplication::applicationName(), qt(text), QMessageBox::Ok, runtime.form);
    QObject::connect(message, &QDialog::finished, &runtime, [this, message] {
        message->deleteLater();
        if (runtime.events)
            runtime.events->dialogClosed();
    });
    message->open();
}

void QtRuntime::Progress::close() {
    delete dialog;
    dialog = nullptr;
}

void QtRuntime::Progress::show(const std::string& title, const std::string& text, const std::string& cancel) {
    dialog = new QProgressDialog(runtime.form);
    dialog->setWindowTitle(qt(title));
    dialog->setCancelButtonText(qt(cancel));
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    dialog->setMinimumDuration(0);
    // One size, holding the widest line, so that it stays where it opens,
    // centred on the window, as the numbers grow.
    dialog->setLabelText(widest);
    dialog->setFixedSize(dialog->sizeHint());
    dialog->setLabelText(qt(text));
    // Cancel, Esc and closing the dialog all stop the draw.
    QObject::connect(dialog, &QProgressDialog::canceled, &runtime, [this] { runtime.events->progressCancelled(); });
    QObject::connect(dialog, &QDialog::rejected, &runtime, [this] { runtime.events->progressCancelled(); });
    dialog->show();
    dialog->raise();
    dialog->activateWindow();  // so that Esc reaches it at once
}

void QtRuntime::Progress::update(const std::string& text, std::uint64_t done, std::uint64_t total) {
    if (!dialog)
        return;
    dialog->setRange(0, static_cast<int>(std::min<std::uint64_t>(total, INT_MAX)));
    dialog->setLabelText(qt(text));
    dialog->setValue(static_cast<int>(std::min<std::uint64_t>(done, INT_MAX)));
}

void QtRuntime::Progress::hide() {
    if (!dialog)
        return;
    dialog->disconnect(&runtime);
    dialog->deleteLater();
    dialog->hide();
    dialog = nullptr;
    if (runtime.form)
        runtime.form->activateWindow();
}

QtRuntime::EventLoop::EventLoop(QtRuntime& runtime) {
    soon.setSingleShot(true);
    soon.setInterval(0);
    QObject::connect(&soon, &QTimer::timeout, &runtime, [&runtime] { runtime.events->tick(); });
}

double QtRuntime::EventLoop::nowMs() const {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The dialog's close, then the failure's message, if any.
void QtRuntime::PictureCommands::done(int command, const QString& where, const QString& failure) {
    if (!runtime.events)
        return;
    runtime.events->dialogClosed();
    if (!failure.isEmpty())
        runtime.events->pictureFailed(command, QDir::toNativeSeparators(where).toStdString(), failure.toStdString());
}

void QtRuntime::PictureCommands::save(int command, const std::string& suggestedName, const Picture& picture) {
    QString start = lastSaved;
    if (start.isEmpty()) {  // the user's Pictures folder, or home
        const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
        start = QDir(!pictures.isEmpty() && QDir(pictures).exists() ? pictures : QDir::homePath()).filePath(qt(suggestedName));
    }
    // A name without a suffix takes that of the name the window suggests.
    const QString suffix = QFileInfo(qt(suggestedName)).suffix();
    const RuntimeTexts& texts = *runtime.texts;
    dialogs.saveFileName(runtime.form, start, suffix, texts,
                         [this, command, suffix, &texts, image = SurfaceWidget::imageOf(picture)](const QString& chosen) {
                             const QString path = chosen.isEmpty() ? QString() : pictureFileName(chosen, suffix);
                             const QString failure = path.isEmpty() ? QString() : savePicture(image, path, texts);
                             if (!path.isEmpty() && failure.isEmpty())
                                 lastSaved = path;
                             done(command, path, failure);
                         });
}

void QtRuntime::PictureCommands::copy(int, const Picture& picture) {
    QGuiApplication::clipboard()->setImage(SurfaceWidget::imageOf(picture));
}

void QtRuntime::PictureCommands::print(int command, const std::string& suggestedName, const Picture& picture) {
    // The print dialog offers the document's name, with ".pdf", for a file.
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    printer->setDocName(qt(suggestedName));
    const RuntimeTexts& texts = *runtime.texts;
    dialogs.setUpPrinter(runtime.form, *printer, [this, command, printer, &texts, image = SurfaceWidget::imageOf(picture)](bool chosen) {
        const QString failure = chosen ? printPicture(image, *printer, texts) : QString();
        done(command, printer->outputFileName(), failure);
    });
}

void QtRuntime::Ending::end() {
    QCoreApplication::exit(0);
    if (runtime.form)
        runtime.form->hide();
}

} // namespace chaos
