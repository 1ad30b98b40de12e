#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace velunora::testing {

// Generous: the suite also runs under AddressSanitizer on a busy machine.
constexpr int busTimeout = 30000;

// The Python that has dbusmock (Debian's python3-dbusmock), which need not be the first one
// on PATH.
inline QString dbusmockPython() {
    for (const QString& candidate : {QStringLiteral("/usr/bin/python3"),
                                     QStandardPaths::findExecutable(QStringLiteral("python3"))}) {
        if (candidate.isEmpty()) {
            continue;
        }
        QProcess probe;
        probe.start(candidate, {QStringLiteral("-c"), QStringLiteral("import dbusmock")});
        if (probe.waitForFinished(30000) && probe.exitStatus() == QProcess::NormalExit &&
            probe.exitCode() == 0) {
            return candidate;
        }
    }
    return {};
}

// A private bus that stands in for the system bus for the whole test program. It is set up
// before the first test because QDBusConnection::systemBus() connects once per process, to
// whatever DBUS_SYSTEM_BUS_ADDRESS says then; it also keeps every other test off the real bus.
class PrivateSystemBus final : public ::testing::Environment {
public:
    static inline QString address;
    static inline QString python;
    static inline std::string unavailable;

    void SetUp() override {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        python = dbusmockPython();
        if (daemon.isEmpty() || python.isEmpty()) {
            unavailable = "dbus-daemon (package dbus-daemon) or python3-dbusmock is not installed";
            // Nothing may reach the real system bus all the same.
            qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/velunora-test-bus");
            return;
        }
        folder_ = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                                  QStringLiteral("/velunora-bus-XXXXXX"));
        QFile configuration(folder_->filePath(QStringLiteral("bus.conf")));
        configuration.open(QIODevice::WriteOnly);
        configuration.write(
            QStringLiteral("<busconfig>\n"
                           "  <type>session</type>\n"
                           "  <listen>unix:path=%1</listen>\n"
                           "  <auth>EXTERNAL</auth>\n"
                           "  <policy context=\"default\">\n"
                           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                           "    <allow eavesdrop=\"true\"/>\n"
                           "    <allow own=\"*\"/>\n"
                           "  </policy>\n"
                           "</busconfig>\n")
                .arg(folder_->filePath(QStringLiteral("system_bus_socket")))
                .toUtf8());
        configuration.close();
        process_.start(daemon, {QStringLiteral("--config-file=") + configuration.fileName(),
                                QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        while (!process_.canReadLine() && process_.waitForReadyRead(busTimeout)) {
        }
        address = QString::fromUtf8(process_.readLine()).trimmed();
        if (address.isEmpty()) {
            unavailable =
                "dbus-daemon did not start: " + process_.readAllStandardError().toStdString();
            qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/velunora-test-bus");
            return;
        }
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", address.toUtf8());
    }

    void TearDown() override {
        process_.terminate();
        if (!process_.waitForFinished(10000)) {
            process_.kill();
            process_.waitForFinished();
        }
    }

private:
    std::unique_ptr<QTemporaryDir> folder_;
    QProcess process_;
};

} // namespace velunora::testing
