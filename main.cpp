#include "platform/qt/qt_services.h"
#include "window/form2.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

constexpr const char* kCommand = "chaosgame";

// The command line, read before anything touches the window system, so that
// --help and --version need no display. The options of Qt itself (-platform,
// -style, ...) are let through for QApplication, which takes them.
void readCommandLine(int argc, char* argv[]) {
    QCoreApplication::setApplicationName(kCommand);
    QCoreApplication::setApplicationVersion(CHAOS_VERSION);
    QCommandLineParser parser;
    parser.setApplicationDescription("Draws the chaos game's point cloud around anchor points you place.\n"
                                     "Qt's own options, such as -platform and -style, are accepted too.");
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({"h", "help"}, "Displays this help.");
    parser.addOption(help);
    parser.addVersionOption();
    const std::pair<const char*, bool> qtOptions[] = {  // name, takes a value
        {"platform", true}, {"platformpluginpath", true}, {"platformtheme", true}, {"plugin", true},
        {"qmljsdebugger", true}, {"qwindowgeometry", true}, {"qwindowicon", true}, {"qwindowtitle", true},
        {"session", true}, {"display", true}, {"geometry", true}, {"title", true}, {"style", true},
        {"stylesheet", true}, {"reverse", false}, {"widgetcount", false}, {"nograb", false},
        {"dograb", false}, {"sync", false},
    };
    for (const auto& [name, takesValue] : qtOptions) {
        QCommandLineOption option(name);
        if (takesValue)
            option.setValueName("value");
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    int coreArgc = argc;  // a core application, which opens no display, names the program in the usage
    const QCoreApplication core(coreArgc, argv);
    parser.process(QCoreApplication::arguments());  // prints and exits for --version and unknown options
    if (parser.isSet(help))
        parser.showHelp(EXIT_SUCCESS);
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "%s: Unexpected argument '%s'.\n", kCommand, qPrintable(parser.positionalArguments().first()));
        std::exit(EXIT_FAILURE);
    }
}

// While the window system starts, Qt's messages are held back. If it cannot
// start, one line says so and the program ends with status 1, instead of
// Qt's report and an abort; otherwise the messages go out as usual.
std::vector<std::pair<QtMsgType, QString>> heldBack;

void holdBack(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtFatalMsg) {
        heldBack.emplace_back(type, message);
        return;
    }
    const QByteArray x11 = qgetenv("DISPLAY"), wayland = qgetenv("WAYLAND_DISPLAY");
    if (x11.isEmpty() && wayland.isEmpty())
        std::fprintf(stderr, "%s: cannot open the display: neither DISPLAY nor WAYLAND_DISPLAY is set\n", kCommand);
    else
        std::fprintf(stderr, "%s: cannot open the display \"%s\"\n", kCommand, (x11.isEmpty() ? wayland : x11).constData());
    std::_Exit(EXIT_FAILURE);
}

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QString(":/icons/chaosgame-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace

int main(int argc, char* argv[]) {
    readCommandLine(argc, argv);

    const QtMessageHandler usual = qInstallMessageHandler(holdBack);
    QApplication app(argc, argv);
    qInstallMessageHandler(usual);
    for (const auto& [type, message] : heldBack)
        qt_message_output(type, QMessageLogContext(), message);

    QApplication::setApplicationName(chaos::kProgramName);
    QGuiApplication::setDesktopFileName(kCommand);
    QApplication::setWindowIcon(programIcon());

    chaos::QtMessageBox messages;
    chaos::QtProgramEnd programEnd;
    chaos::QtPictureDialogs dialogs;
    chaos::Form2 form({messages, programEnd, dialogs});
    messages.setParent(&form);
    form.show();
    return QApplication::exec();
}
