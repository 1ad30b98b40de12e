// velunora-sync: the tray app.
#include "sync/Logging.h"
#include "sync/Settings.h"
#include "ui/app/AppServices.h"
#include "texts/Translations.h"
#include "ui/app/SingleInstance.h"
#include "ui/app/TerminationSignals.h"
#include "ui/app/VelunoraSyncApp.h"

#include <QApplication>
#include <QIcon>
#include <QQmlEngineExtensionPlugin>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
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

} // namespace

int main(int argc, char** argv) {
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
