#include "platform/qt/qt_runtime.h"
#include "platform/thread_pool.h"
#include "window/form2.h"
#include "window/texts.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QRegularExpression>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

constexpr const char* kCommand = "chaosgame";

[[noreturn]] void refuse(const QString& line) {
    std::fprintf(stderr, "%s: %s\n", kCommand, qPrintable(line));
    std::exit(EXIT_FAILURE);
}

// Qt names an unknown option without its dashes: name it as it was written.
QString parseError(const QCommandLineParser& parser) {
    if (parser.unknownOptionNames().isEmpty())
        return parser.errorText();
    const QString name = parser.unknownOptionNames().first();
    for (const QString& argument : QCoreApplication::arguments().mid(1)) {
        const QString written = argument.section('=', 0, 0);
        if (written == "-" + name || written == "--" + name)
            return QString(chaos::kUnknownOptionText).arg(written);
    }
    return parser.errorText();
}

// The command line, read before anything touches the window system, so that
// --help and --version need no display. The options of Qt itself (-platform,
// -style, ...) are let through for QApplication, which takes them.
void readCommandLine(int argc, char* argv[]) {
    QCoreApplication::setApplicationName(kCommand);
    QCoreApplication::setApplicationVersion(CHAOS_VERSION);
    QCommandLineParser parser;
    parser.setApplicationDescription(chaos::kCommandDescription);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({"h", "help"}, chaos::kHelpOptionText);
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
    if (!parser.parse(QCoreApplication::arguments()))
        refuse(parseError(parser));
    if (!parser.positionalArguments().isEmpty())
        refuse(QString(chaos::kUnexpectedArgumentText).arg(parser.positionalArguments().first()));
    if (parser.isSet(help))
        parser.showHelp(EXIT_SUCCESS);
    if (parser.isSet("version"))
        parser.showVersion();
}

// While the window system starts, Qt's messages are held back. If it cannot
// start, one line says what failed and the program ends with status 1,
// instead of Qt's report and an abort; otherwise the messages go out as usual.
std::vector<std::pair<QtMsgType, QString>> heldBack;

// From Qt's messages: a platform plugin that is not there, or a display that
// does not answer, named as Qt tried it (so -display wins over DISPLAY).
QString startFailure(const QString& fatal) {
    static const QRegularExpression notFound(R"re(Could not find the Qt platform plugin "([^"]*)")re"),
        noDisplay("^could not connect to display ?(.*)$"),
        notLoaded(R"re(Could not load the Qt platform plugin "([^"]*)")re"),
        available(R"(Available platform plugins are: ([^\n]*)\.)");
    for (const auto& [type, message] : heldBack) {
        if (const auto plugin = notFound.match(message); plugin.hasMatch()) {
            const auto list = available.match(fatal);
            return QString(chaos::kNoPluginText).arg(plugin.captured(1)) +
                   (list.hasMatch() ? QString(chaos::kPluginsText).arg(list.captured(1)) : QString());
        }
        if (const auto display = noDisplay.match(message); display.hasMatch()) {
            if (const QString name = display.captured(1).trimmed(); !name.isEmpty())
                return QString(chaos::kNoDisplayText).arg(name);
            return qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ? chaos::kNoDisplaySetText : chaos::kNoXDisplaySetText;
        }
        if (const auto plugin = notLoaded.match(message); plugin.hasMatch())
            return QString(chaos::kPluginNotStartedText).arg(plugin.captured(1));
    }
    return fatal.section('\n', 0, 0);
}

void holdBack(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtFatalMsg) {
        heldBack.emplace_back(type, message);
        return;
    }
    std::fprintf(stderr, "%s: %s\n", kCommand, qPrintable(startFailure(message)));
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
    // A file that would grow past the user's size limit (ulimit -f) is then
    // refused with an error that a save reports, instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    readCommandLine(argc, argv);

    const QtMessageHandler usual = qInstallMessageHandler(holdBack);
    QApplication app(argc, argv);
    qInstallMessageHandler(usual);
    for (const auto& [type, message] : heldBack)
        qt_message_output(type, QMessageLogContext(), message);

    QApplication::setApplicationName(chaos::kTitle);
    QGuiApplication::setDesktopFileName(kCommand);
    QApplication::setWindowIcon(programIcon());

    chaos::QtPictureDialogs dialogs;
    chaos::QtRuntime runtime(dialogs);
    // Long draws run on every core; the pool outlives the window, whose
    // draw's segments it runs (Qt is never touched from its threads).
    chaos::ThreadPool cores;
    chaos::Host host = runtime.host();
    host.workers = &cores;
    chaos::Form2 form(host);
    runtime.build(chaos::Form2::description(), chaos::kRuntimeTexts, form);
    runtime.window()->show();
    return QApplication::exec();
}
