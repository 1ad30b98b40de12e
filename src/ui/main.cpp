// velunora-sync: the tray app.
#include "sync/Logging.h"
#include "sync/Settings.h"
#include "texts/Translations.h"
#include "ui/app/AppServices.h"
#include "ui/app/SingleInstance.h"
#include "ui/app/TerminationSignals.h"
#include "ui/app/VelunoraSyncApp.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QQmlEngineExtensionPlugin>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <optional>
#include <string>
#include <unistd.h>

Q_IMPORT_QML_PLUGIN(Velunora_UiPlugin)

namespace {

// Milliseconds since the kernel started this process (10 ms resolution), so that the start-up
// figure includes loading the libraries.
double millisecondsSinceProcessStart() {
    std::string text(1024, '\0');
    const int descriptor = ::open("/proc/self/stat", O_RDONLY | O_CLOEXEC);
    const ssize_t length = descriptor < 0 ? -1 : ::read(descriptor, text.data(), text.size() - 1);
    if (descriptor >= 0) {
        ::close(descriptor);
    }
    if (length <= 0) {
        return -1.0;
    }
    text.resize(static_cast<std::size_t>(length));
    // Field 22, counted after the command name, which may hold spaces and ends with ')'.
    const auto close = text.rfind(')');
    if (close == std::string::npos) {
        return -1.0;
    }
    const char* cursor = text.c_str() + close + 2;
    for (int field = 3; field < 22 && cursor != nullptr; ++field) {
        cursor = std::strchr(cursor, ' ');
        cursor = cursor != nullptr ? cursor + 1 : nullptr;
    }
    if (cursor == nullptr) {
        return -1.0;
    }
    const double startTicks = std::strtod(cursor, nullptr);
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double ticksPerSecond = static_cast<double>(sysconf(_SC_CLK_TCK));
    return (static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9 -
            startTicks / ticksPerSecond) *
           1000.0;
}

// Answers --help and --version, and refuses options the app does not know, before anything
// needs a display or reaches the running instance. Nothing when the app is to start.
std::optional<int> answerCommandLine(int argc, char** argv) {
    QCoreApplication probe(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velunora-sync"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELUNORA_VERSION));
    velunora::installQtTranslations(QLocale::system());
    velunora::installAppTranslations(QLocale::system());
    QCommandLineParser parser;
    // "-platform xcb" is Qt's option, not "-p -l -a …".
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QCoreApplication::translate(
        "CommandLine", "Velunora Sync : importe les nuits de la carte SD d’un appareil de PPC "
                       "ResMed et les publie pour l’app du téléphone. Vit dans la zone de "
                       "notification ; lancé une seconde fois, affiche son panneau."));
    // Ours rather than Qt's, whose descriptions have no French.
    const QCommandLineOption help(
        {QStringLiteral("h"), QStringLiteral("help")},
        QCoreApplication::translate("CommandLine", "Affiche cette aide et s’arrête."));
    const QCommandLineOption version(
        {QStringLiteral("v"), QStringLiteral("version")},
        QCoreApplication::translate("CommandLine", "Affiche la version et s’arrête."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption({QStringLiteral("verbose"),
                      QCoreApplication::translate(
                          "CommandLine", "Écrit le détail de ce que fait l’app sur la sortie "
                                         "d’erreur, pour signaler un problème.")});
    QCommandLineOption startupTime(QStringLiteral("print-startup-time"));
    startupTime.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(startupTime);
    // Qt's own options (-platform, -style…) are left to the application object.
    if (!parser.parse(QCoreApplication::arguments())) {
        const QStringList unknown = parser.unknownOptionNames();
        const bool onlyQtOptions =
            std::all_of(unknown.begin(), unknown.end(), [](const QString& name) {
                return name == QStringLiteral("platform") || name == QStringLiteral("style") ||
                       name == QStringLiteral("display") || name == QStringLiteral("reverse") ||
                       name == QStringLiteral("qwindowgeometry") ||
                       name == QStringLiteral("qwindowtitle");
            });
        if (unknown.isEmpty() || !onlyQtOptions) {
            std::fprintf(stderr, "%s\n\n",
                         qPrintable(QCoreApplication::translate("CommandLine", "velunora-sync : %1")
                                        .arg(parser.errorText())));
            std::fputs(qPrintable(parser.helpText()), stderr);
            return 2;
        }
    }
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("velunora-sync %s\n", VELUNORA_VERSION);
        return 0;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    if (const std::optional<int> answered = answerCommandLine(argc, argv)) {
        return *answered;
    }
    // The desktop's own folder chooser (GNOME's, KDE's, or the sandbox's) through the XDG desktop
    // portal where one runs; the portal theme leaves everything else to the desktop's usual
    // theme, and Qt's own chooser stays where no portal answers. A theme the user names wins.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORMTHEME")) {
        qputenv("QT_QPA_PLATFORMTHEME", "xdgdesktopportal");
    }
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Velunora"));
    QCoreApplication::setApplicationName(QStringLiteral("Velunora Sync"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Velunora Sync"));
    QGuiApplication::setDesktopFileName(QStringLiteral("velunora-sync"));
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/velunora/icons/velunora-sync.svg")));
    velunora::installQtTranslations(QLocale::system());
    velunora::installAppTranslations(QLocale::system());
    // The app lives in the tray: closing a window never ends it by itself (without a tray, the
    // panel window asks to quit when it is closed).
    QApplication::setQuitOnLastWindowClosed(false);
    // Our own look everywhere, whatever style the desktop picks.
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    // Flat shapes, text and small images: Qt Quick's software renderer draws them as well, and
    // repaints only what changed, where OpenGL redraws the whole window for every frame of the
    // onboarding's pulsing arrows (a third of a core on a machine without a GPU driver). It also
    // spares the GL context at start. QT_QUICK_BACKEND still chooses otherwise.
    if (!qEnvironmentVariableIsSet("QT_QUICK_BACKEND")) {
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    }

    // The log's debug lines, for a bug report.
    if (QCoreApplication::arguments().contains(QStringLiteral("--verbose"))) {
        velunora::enableVerboseLogging();
    }

    velunora::SingleInstance instance;
    if (!instance.becomePrimaryOrActivateOther()) {
        return 0;
    }

    // The one place where the app's real services are built and handed down.
    velunora::installQtLocalization();
    velunora::VelunoraSyncApp app(
        velunora::makeAppEnvironment(std::make_shared<velunora::SettingsFile>()));
    QObject::connect(&instance, &velunora::SingleInstance::activationRequested, &app,
                     &velunora::VelunoraSyncApp::showPanel);
    if (QCoreApplication::arguments().contains(QStringLiteral("--print-startup-time"))) {
        QObject::connect(&app, &velunora::VelunoraSyncApp::firstShown, [] {
            std::fprintf(stderr, "velunora-sync: visible %.0f ms after the process started\n",
                         millisecondsSinceProcessStart());
        });
    }
    velunora::TerminationSignals termination;
    QObject::connect(&termination, &velunora::TerminationSignals::terminationRequested,
                     &application, &QCoreApplication::quit, Qt::QueuedConnection);
    app.start();
    const int status = QApplication::exec();
    // An import or a publication still running on another thread would hold the process until
    // it ends, seconds after the user asked to quit. Nothing of it needs to finish: the card is
    // only read, every publication replaces its file whole or not at all, the settings are
    // written as they change, and the next sync sweeps the temporary files left behind.
    if (app.hasWorkInFlight()) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
