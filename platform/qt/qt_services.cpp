#include "platform/qt/qt_services.h"

#include <QCoreApplication>
#include <QLocale>
#include <QMessageBox>
#include <QProgressDialog>

namespace chaos {

void QtMessageBox::show(const std::string& text, MessageKind kind) {
    QMessageBox box(kind == MessageKind::Error ? QMessageBox::Warning : QMessageBox::Information,
                    kProgramName, QString::fromStdString(text), QMessageBox::Ok, parent);
    box.exec();
}

void QtProgramEnd::end() {
    QCoreApplication::exit(0);
}

QtProgressView::~QtProgressView() {
    delete dialog;
}

void QtProgressView::show(std::uint64_t totalDots) {
    total = totalDots;
    cancelled = false;
    setBusy(true);
    dialog = new QProgressDialog(window);
    dialog->setWindowTitle(kProgramName);
    dialog->setCancelButtonText(QCoreApplication::translate("Form2", "Cancel"));
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    dialog->setMinimumDuration(0);
    dialog->setRange(0, static_cast<int>(std::min<std::uint64_t>(total, INT_MAX)));
    // Cancel, Esc and closing the dialog all stop the draw.
    QObject::connect(dialog, &QProgressDialog::canceled, [this] { cancelled = true; });
    QObject::connect(dialog, &QDialog::rejected, [this] { cancelled = true; });
    dialog->show();
    dialog->raise();
    dialog->activateWindow();  // so that Esc reaches it at once
}

bool QtProgressView::update(std::uint64_t done) {
    if (dialog) {
        const QLocale locale;
        dialog->setLabelText(QCoreApplication::translate("Form2", "Drawing dots: %1 of %2")
                                 .arg(locale.toString(static_cast<qulonglong>(done)),
                                      locale.toString(static_cast<qulonglong>(total))));
        dialog->setValue(static_cast<int>(std::min<std::uint64_t>(done, INT_MAX)));
    }
    surface->repaint();
    QCoreApplication::processEvents();
    return !cancelled;
}

void QtProgressView::hide() {
    delete dialog;
    dialog = nullptr;
    setBusy(false);
}

} // namespace chaos
