// The app's shell needs a GUI application; the tests draw off screen, with the style pinned.
#include <QApplication>
#include <QQmlEngineExtensionPlugin>
#include <QQuickStyle>
#include <gtest/gtest.h>

Q_IMPORT_QML_PLUGIN(Velunora_UiPlugin)

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    qputenv("QT_QUICK_BACKEND", "software");
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Velunora Tests"));
    QCoreApplication::setApplicationName(QStringLiteral("Velunora Sync UI Tests"));
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
