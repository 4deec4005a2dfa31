#include "window/form2.h"

#include "platform/qt/surface_widget.h"
#include "window/layout.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>
#include <vector>

namespace chaos {

namespace {

const ControlPlace& placeOf(const char* name) {
    for (const auto& place : kForm2Layout)
        if (std::string_view(place.name) == name)
            return place;
    throw std::logic_error(std::string("no layout for ") + name);
}

RasterSurface::Placement placementOf(const ControlPlace& place) {
    return {static_cast<float>(place.left), static_cast<float>(place.top),
            static_cast<float>(place.width), static_cast<float>(place.height)};
}

QLabel* makeLabel(QWidget* parent, const char* name) {
    auto* label = new QLabel(QString::fromUtf8(placeOf(name).text), parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QPushButton* makeButton(QWidget* parent, const char* name) {
    auto* button = new QPushButton(QString::fromUtf8(placeOf(name).text), parent);
    button->setAutoDefault(false);
    button->setAccessibleName(button->text());
    return button;
}

} // namespace

Form2::Form2(Services services, QWidget* parent)
    : QWidget(parent),
      services(services),
      dispatcher(services.messages) {
    createControls();
    placeControls();
    wireEvents();
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

    box = new SurfaceWidget(placementOf(placeOf("box")), this);
    box->setAccessibleName("Drawing surface");
    box->setAccessibleDescription(Label3->text());

    sel = new QComboBox(this);
    sel->setEditable(true);
    sel->setInsertPolicy(QComboBox::NoInsert);
    sel->setEditText(placeOf("sel").text);
    sel->setAccessibleName("Number of dots");
    Label1->setBuddy(sel);

    col = new QListWidget(this);
    for (const auto& colour : kDotColours)
        col->addItem(colour.item);
    col->setSelectionMode(QAbstractItemView::SingleSelection);
    col->setCurrentRow(-1);
    col->clearSelection();
    col->setAccessibleName("Dot colour");
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

void Form2::col_Click() {
    const std::string chosen = colText->Text();
    for (const auto& colour : kDotColours)
        if (chosen == colour.item) {
            dotColor = colour.value;
            return;
        }
}

void Form2::Command1_Click() {
    box->surface().Cls();
    box->update();
}

void Form2::Command2_Click() {
    services.messages.show("Thank you for drawing with Chaos Game.", MessageKind::Information);
    services.programEnd.end();
}

void Form2::setBusy(bool busy) {
    for (QWidget* control : std::initializer_list<QWidget*>{box, sel, col, Command1, Command2})
        control->setEnabled(!busy);
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
