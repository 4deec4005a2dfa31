#include "platform/qt/qt_services.h"
#include "window/form2.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// The program's icon: a triangle of dots inside three red anchor circles.
QIcon programIcon() {
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    QPainterPath outer, hole;
    outer.addPolygon(QPolygonF({{32, 8}, {56, 52}, {8, 52}, {32, 8}}));
    hole.addPolygon(QPolygonF({{32, 52}, {20, 30}, {44, 30}, {32, 52}}));
    painter.drawPath(outer.subtracted(hole));
    painter.setPen(QPen(Qt::red, 2));
    painter.setBrush(Qt::NoBrush);
    for (const QPointF centre : {QPointF(32, 8), QPointF(56, 52), QPointF(8, 52)})
        painter.drawEllipse(centre, 5, 5);
    return QIcon(pixmap);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(chaos::kProgramName);
    QGuiApplication::setDesktopFileName("chaosgame");
    QApplication::setWindowIcon(programIcon());

    chaos::QtMessageBox messages;
    chaos::QtProgramEnd programEnd;
    chaos::QtPictureDialogs dialogs;
    chaos::Form2 form({messages, programEnd, dialogs});
    messages.setParent(&form);
    form.show();
    return QApplication::exec();
}
