#include "tools/HeadlessSync.h"

#include "sync/SyncController.h"

#include <QCoreApplication>
#include <cstdio>
#include <qcoro/qcorotask.h>

namespace velunora {
namespace {

void printStatus(const Status& status) {
    std::printf("%s\n", status.title().toStdString().c_str());
    if (status.kind() == Status::Kind::failed) {
        std::fprintf(stderr, "%s\n", status.failureText().toStdString().c_str());
    }
}

void nameApplication() {
    QCoreApplication::setOrganizationName(QStringLiteral("Velunora"));
    QCoreApplication::setApplicationName(QStringLiteral("Velunora Sync"));
}

} // namespace

int runHeadlessSync(int argc, char** argv, const char* cardFolder) {
    QCoreApplication application(argc, argv);
    nameApplication();
    SyncController& controller = SyncController::shared();
    if (!controller.adoptCardFolder(cardFolder)) {
        printStatus(controller.status());
        return 1;
    }
    QCoro::waitFor(controller.sync());
    printStatus(controller.status());
    if (controller.status().kind() == Status::Kind::success) {
        std::printf("Export local : %s\n", controller.localExport().snapshotFileURL().c_str());
        return 0;
    }
    return 1;
}

int runHeadlessReset(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    nameApplication();
    SyncController& controller = SyncController::shared();
    // Typing the command is the confirmation.
    QCoro::waitFor(controller.reset());
    printStatus(controller.status());
    return controller.status().kind() == Status::Kind::resetComplete ? 0 : 1;
}

} // namespace velunora
