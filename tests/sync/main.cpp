// The sync layer needs an application object and its event loop: every test runs inside one.
#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Velunora Tests"));
    QCoreApplication::setApplicationName(QStringLiteral("Velunora Sync Tests"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
