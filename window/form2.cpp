#include "window/form2.h"

#include "platform/qt/surface_widget.h"
#include "window/layout.h"
#include "window/picture.h"
#include "window/texts.h"

#include <QAccessibleWidget>
#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QStandardPaths>

#include <algorithm>
#include <functional>
#include <vector>

namespace chaos {

namespace {

QLabel* makeLabel(QWidget* parent, const char* name) {
    auto* label = new QLabel(QString::fromUtf8(placeOf(name).text), parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QPushButton* makeButton(QWidget* parent, const char* name) {
    auto* button = new QPushButton(QString::fromUtf8(placeOf(name).text), parent);
    button->setAutoDefault(false);
    button->setAccessibleName(button->text());
    button->installEventFilter(parent);  // Return and Enter press it, as Space does
    return button;
}

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

QAccessibleInterface* countBoxAccessible(const QString&, QObject* object) {
    auto* box = qobject_cast<QComboBox*>(object);
    return box && qobject_cast<Form2*>(box->parent()) ? new CountBoxAccessible(box) : nullptr;
}

QString keyName(const QAction* command) {
    return command->shortcut().toString(QKeySequence::NativeText);
}

// Where a first save starts: the user's Pictures folder, or home.
QString firstSaveName() {
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return QDir(!pictures.isEmpty() && QDir(pictures).exists() ? pictures : QDir::homePath()).filePath(kSaveName);
}

} // namespace

Form2::Form2(Services services, QWidget* parent)
    : QWidget(parent),
      services(services),
      dispatcher(services.messages) {
    static const bool accessibleCountBox = (QAccessible::installFactory(countBoxAccessible), true);
    static_cast<void>(accessibleCountBox);
    createControls();
    placeControls();
    wireEvents();
    addCommands();
}

Form2::~Form2() = default;

void Form2::createControls() {
    setWindowTitle("Form2");
    QFont small = font();
    small.setPixelSize(10);
    setFont(small);

    // Labels first, so that the controls they reach over cover them.
    Label1 = makeLabel(this, "Label1");
    Label2 = makeLabel(this, "Label2");
    Label3 = makeLabel(this, "Label3");
    Label3->setWordWrap(true);

    box = new SurfaceWidget(surfacePlacement(), this);
    box->setAccessibleName(kSurfaceName);
    box->setAccessibleDescription(Label3->text());

    sel = new QComboBox(this);
    sel->setEditable(true);
    sel->setInsertPolicy(QComboBox::NoInsert);
    sel->setEditText(placeOf("sel").text);
    sel->setAccessibleName(kCountName);
    sel->lineEdit()->setAccessibleName(sel->accessibleName());  // the part that takes the focus
    sel->lineEdit()->installEventFilter(this);
    sel->installEventFilter(this);
    Label1->setBuddy(sel);

    col = new QListWidget(this);
    for (const auto& colour : kDotColours)
        col->addItem(colour.item);
    col->setSelectionMode(QAbstractItemView::SingleSelection);
    col->setCurrentRow(-1);
    col->clearSelection();
    col->setAccessibleName(kColourName);
    Label2->setBuddy(col);

    Command1 = makeButton(this, "Command1");
    Command2 = makeButton(this, "Command2");

    const std::pair<const char*, QWidget*> named[] = {
        {"box", box}, {"Command1", Command1}, {"sel", sel}, {"Command2", Command2},
        {"Label1", Label1}, {"col", col}, {"Label2", Label2}, {"Label3", Label3}};
    for (const auto& [name, widget] : named)
        widget->setObjectName(name);
}

void Form2::placeControls() {
    setFixedSize(twipsToPixel(kClientWidth), twipsToPixel(kClientHeight));
    std::vector<const ControlPlace*> tabbing;
    for (const auto& place : kForm2Layout) {
        auto* widget = findChild<QWidget*>(place.name, Qt::FindDirectChildrenOnly);
        widget->setGeometry(twipsToPixel(place.left), twipsToPixel(place.top), twipsToPixel(place.width),
                           twipsToPixel(place.height));
        if (place.tabIndex >= 0)
            tabbing.push_back(&place);
        else
            widget->setFocusPolicy(Qt::NoFocus);
    }
    std::sort(tabbing.begin(), tabbing.end(), [](auto* a, auto* b) { return a->tabIndex < b->tabIndex; });
    for (std::size_t i = 1; i < tabbing.size(); ++i)
        setTabOrder(findChild<QWidget*>(tabbing[i - 1]->name), findChild<QWidget*>(tabbing[i]->name));
}

void Form2::wireEvents() {
    selText = std::make_unique<WidgetText>([this] { return sel->currentText(); });
    colText = std::make_unique<WidgetText>([this] {
        const auto chosen = col->selectedItems();
        return chosen.isEmpty() ? QString() : chosen.first()->text();
    });
    progress = std::make_unique<QtProgressView>(this, box, [this](bool busy) { setBusy(busy); });
    progressWatch = std::make_unique<ProgressWatch>(*progress);
    pointCloud = std::make_unique<PointCloud>(anchors, box->surface(), random, *selText, dotColor);
    pointCloud->setProgress(progressWatch.get());

    connect(box, &SurfaceWidget::mouseDown, this, [this](std::int16_t button, std::int16_t shift, float x, float y) {
        dispatcher.run([&] { pointCloud->box_MouseDown(button, shift, x, y); });
        if (closeAfterDraw)
            close();
    });
    connect(col, &QListWidget::itemSelectionChanged, this, [this] { dispatcher.run([this] { col_Click(); }); });
    connect(Command1, &QPushButton::clicked, this, [this] { dispatcher.run([this] { Command1_Click(); }); });
    connect(Command2, &QPushButton::clicked, this, [this] { dispatcher.run([this] { Command2_Click(); }); });
}

void Form2::addCommands() {
    // Each command's standard keys, or these where the platform has none.
    struct Command {
        QKeySequence::StandardKey key;
        QKeySequence otherwise;
        std::function<void()> run;
    };
    const Command table[] = {
        {QKeySequence::Save, Qt::CTRL | Qt::Key_S, [this] { savePicture(); }},
        {QKeySequence::Copy, Qt::CTRL | Qt::Key_C, [this] { copyPicture(); }},
        {QKeySequence::Print, Qt::CTRL | Qt::Key_P, [this] { printPicture(); }},
        {QKeySequence::HelpContents, Qt::Key_F1, [this] { showKeys(); }},
        {QKeySequence::Quit, Qt::CTRL | Qt::Key_Q, [this] { close(); }},  // as closing the window does
    };
    for (const auto& command : table) {
        auto* action = new QAction(this);
        action->setShortcuts(command.key);
        if (action->shortcuts().isEmpty())
            action->setShortcut(command.otherwise);
        connect(action, &QAction::triggered, this, [this, run = command.run] { dispatcher.run(run); });
        addAction(action);
    }
}

void Form2::savePicture() {
    const QString chosen = services.dialogs.saveFileName(this, lastSaved.isEmpty() ? firstSaveName() : lastSaved);
    if (chosen.isEmpty())
        return;
    const QString path = pictureFileName(chosen);
    const QString failure = chaos::savePicture(box->image(), path);
    if (!failure.isEmpty()) {
        services.messages.show(QCoreApplication::translate("Form2", "Could not save the picture in \"%1\": %2. The picture is still here.")
                                   .arg(QDir::toNativeSeparators(path), failure)
                                   .toStdString(),
                               MessageKind::Error);
        return;
    }
    lastSaved = path;
}

void Form2::copyPicture() {
    QGuiApplication::clipboard()->setImage(box->image());
}

void Form2::printPicture() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QCoreApplication::translate("Form2", "Chaos Game picture"));
    if (!services.dialogs.setUpPrinter(this, printer))
        return;
    const QString failure = chaos::printPicture(box->image(), printer);
    if (failure.isEmpty())
        return;
    const QString text = printer.outputFileName().isEmpty()
        ? QCoreApplication::translate("Form2", "Could not print the picture: %1.").arg(failure)
        : QCoreApplication::translate("Form2", "Could not print the picture to \"%1\": %2. The picture is still here.")
              .arg(QDir::toNativeSeparators(printer.outputFileName()), failure);
    services.messages.show(text.toStdString(), MessageKind::Error);
}

void Form2::showKeys() {
    // The commands' actions were added in KeyCommand's order.
    const std::string text = helpText(kDesktop, [this](KeyCommand command) {
        return keyName(actions()[static_cast<int>(command)]).toStdString();
    });
    services.messages.show(text, MessageKind::Information);
}

// Return or Enter on a button presses it. In the count box, the copy key
// copies selected text as in any text field, and the picture otherwise.
bool Form2::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        auto* button = qobject_cast<QPushButton*>(watched);
        if (button && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            button->click();
            return true;
        }
    }
    // (The combo box passes the request on to its text field, so both are watched.)
    if (event->type() == QEvent::ShortcutOverride && (watched == sel->lineEdit() || watched == sel) &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy) && !sel->lineEdit()->hasSelectedText()) {
        event->ignore();
        return true;  // not the text field's: the window's copy command takes it
    }
    return QWidget::eventFilter(watched, event);
}

void Form2::col_Click() {
    dotColor = dotColourOf(colText->Text(), dotColor);
}

void Form2::Command1_Click() {
    box->surface().Cls();
    box->update();
}

void Form2::Command2_Click() {
    services.messages.show(kGoodbyeText, MessageKind::Information);
    services.programEnd.end();
}

void Form2::setBusy(bool busy) {
    for (QWidget* control : std::initializer_list<QWidget*>{box, sel, col, Command1, Command2})
        control->setEnabled(!busy);
    for (QAction* command : actions())
        command->setEnabled(!busy);
}

// Closing the window during a long draw stops the draw first; the window
// closes once the draw has returned.
void Form2::closeEvent(QCloseEvent* event) {
    if (progress->showing()) {
        progress->cancel();
        closeAfterDraw = true;
        event->ignore();
        return;
    }
    closeAfterDraw = false;
    event->accept();
}

} // namespace chaos
