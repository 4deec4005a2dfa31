#include "platform/qt/qt_services.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QImageWriter>
#include <QLabel>
#include <QLineEdit>
#include <QMimeDatabase>
#include <QPrintDialog>
#include <QPrinter>
#include <QSettings>

namespace chaos {

QStringList exactPictureSuffixes() {
    // Each writes the 24-bit colour of every pixel as it is; the others Qt can
    // write shrink the picture (ico, cur), drop its colours (pbm, pgm, xbm) or
    // change pixels (jpg).
    const QList<QByteArray> writable = QImageWriter::supportedImageFormats();
    QStringList suffixes;
    for (const char* format : {"png", "bmp", "ppm", "xpm"})
        if (writable.contains(format))
            suffixes << QString::fromLatin1(format);
    return suffixes;
}

QString withoutTrailingDots(const QString& chosen) {
    const QString name = QFileInfo(chosen).fileName();
    if (name.count('.') == name.size())
        return chosen;
    QString stem = chosen;
    while (stem.endsWith('.'))
        stem.chop(1);
    return stem;
}

QString pictureFileName(const QString& chosen, const QString& suffix) {
    const QString stem = withoutTrailingDots(chosen);
    return QFileInfo(stem).suffix().isEmpty() ? stem + "." + suffix : stem;
}

namespace {

// Tells a file's type and icon from its name alone. Qt's own provider reads
// a file whose name says nothing to guess its type, in the window's thread,
// and reading some files (/proc/kmsg) never ends.
class NameOnlyIcons : public QFileIconProvider {
public:
    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo& info) const override {
        if (!info.isFile())
            return QFileIconProvider::icon(info);
        const QIcon themed = QIcon::fromTheme(mimeType(info).iconName());
        return themed.isNull() ? QFileIconProvider::icon(File) : themed;
    }
    QString type(const QFileInfo& info) const override {
        if (!info.isFile())
            return QFileIconProvider::type(info);
        const QMimeType mime = mimeType(info);
        return mime.comment().isEmpty() ? mime.name() : mime.comment();
    }

private:
    static QMimeType mimeType(const QFileInfo& info) {
        return QMimeDatabase().mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
    }
};

// A base made before the dialog and gone after it: the dialog's file model
// asks the icon provider from a thread until the dialog is gone.
struct IconsOwner {
    NameOnlyIcons icons;
};

// While it lives, every file dialog that opens tells types by names alone:
// the print dialog's "..." button opens one of Qt's own.
class NameOnlyIconsEverywhere : public QObject {
public:
    NameOnlyIconsEverywhere() { QCoreApplication::instance()->installEventFilter(this); }
    ~NameOnlyIconsEverywhere() override { QCoreApplication::instance()->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Polish)
            if (auto* dialog = qobject_cast<QFileDialog*>(watched); dialog && dialog->iconProvider() != &icons)
                dialog->setIconProvider(&icons);
        return false;
    }
    // The models that complete a typed file name (the print dialog's output file).
    void nameOnly(QObject* dialog) {
        for (auto* model : dialog->findChildren<QFileSystemModel*>())
            model->setIconProvider(&icons);
    }

private:
    NameOnlyIcons icons;
};

// Qt's own file dialog (the fixes below need its widgets), reading no file's
// contents, saying why a name is too long, and taking "trail." for "trail".
class PictureFileDialog : private IconsOwner, public QFileDialog {
public:
    // `tooLongText`: %1 the most bytes a name can have, %2 the name's.
    PictureFileDialog(QWidget* parent, const QString& caption, const QString& tooLongText)
        : QFileDialog(parent, caption), tooLongText(tooLongText) {
        setOption(QFileDialog::DontUseNativeDialog);
        setIconProvider(&icons);
        nameEdit = findChild<QLineEdit*>("fileNameEdit");
        tooLong = new QLabel(this);
        tooLong->setObjectName("tooLong");
        tooLong->setWordWrap(true);
        tooLong->hide();
        if (auto* grid = qobject_cast<QGridLayout*>(layout()))
            grid->addWidget(tooLong, grid->rowCount(), 0, 1, grid->columnCount());
        if (nameEdit)
            connect(nameEdit, &QLineEdit::textChanged, this, [this] { explainLength(); });
        connect(this, &QFileDialog::directoryEntered, this, [this] { explainLength(); });
    }

    void accept() override {
        // Qt adds the default suffix after the dot ("trail..png").
        if (nameEdit)
            nameEdit->setText(withoutTrailingDots(nameEdit->text()));
        QFileDialog::accept();
    }

private:
    // Qt's dialog only greys out Save when a name has more characters than
    // the folder allows; the limit is in bytes.
    void explainLength() {
        const QString text = nameEdit->text();
        const qsizetype slash = text.lastIndexOf('/');
        const QByteArray name = QFile::encodeName(pictureFileName(text.mid(slash + 1), defaultSuffix()));  // as it will be saved
        const QString folder = slash < 0 ? directory().absolutePath() : directory().absoluteFilePath(text.left(slash + 1));
        long most = ::pathconf(QFile::encodeName(folder).constData(), _PC_NAME_MAX);
        if (most <= 0)
            most = 255;
        tooLong->setText(tooLongText.arg(most).arg(name.size()));
        tooLong->setVisible(name.size() > most);
    }

    QString tooLongText;
    QLineEdit* nameEdit = nullptr;
    QLabel* tooLong = nullptr;
};

// The system's print dialog, with file dialogs that tell types by names alone
// while it is open.
struct EverywhereOwner {
    NameOnlyIconsEverywhere icons;
};
class PrinterDialog : private EverywhereOwner, public QPrintDialog {
public:
    PrinterDialog(QPrinter* printer, QWidget* parent) : QPrintDialog(printer, parent) { icons.nameOnly(this); }
};

} // namespace

QtPictureDialogs::QtPictureDialogs() {
    // Qt's file dialog stores its last folder and view in the user's settings
    // ("QtProject.conf") when it closes, even when cancelled; a folder that
    // can never be made stores nothing, and reading from it finds nothing.
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, "/dev/null/chaosgame-keeps-no-settings");
}

void QtPictureDialogs::saveFileName(QWidget* parent, const QString& suggested, const QString& suffix, const RuntimeTexts& texts,
                                    std::function<void(const QString&)> chosen) {
    QStringList patterns;
    for (const QString& suffix : exactPictureSuffixes())
        patterns << "*." + suffix;
    auto* dialog = new PictureFileDialog(parent, QString::fromUtf8(texts.saveTitle), QString::fromUtf8(texts.nameTooLong));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    // A name without a suffix takes `suffix`, before the dialog checks
    // whether that file exists.
    dialog->setDefaultSuffix(suffix);
    dialog->setNameFilter(QString::fromUtf8(texts.pictureFiles).arg(patterns.join(' ')));
    dialog->selectFile(suggested);
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog, chosen = std::move(chosen)](int result) {
        dialog->deleteLater();
        const QStringList files = dialog->selectedFiles();
        chosen(result == QDialog::Accepted && !files.isEmpty() ? files.first() : QString());
    });
    dialog->open();
}

void QtPictureDialogs::setUpPrinter(QWidget* parent, QPrinter& printer, std::function<void(bool)> done) {
    auto* dialog = new PrinterDialog(&printer, parent);
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog, done = std::move(done)](int result) {
        dialog->deleteLater();
        done(result == QDialog::Accepted);
    });
    dialog->open();
}

} // namespace chaos
