// Runs the QML tests (tst_*.qml beside this file) with the app's module and symbol images.
#include "ui/tray/SymbolImages.h"

#include <QQmlEngine>
#include <QQmlEngineExtensionPlugin>
#include <QQuickStyle>
#include <QtQuickTest>

Q_IMPORT_QML_PLUGIN(Velunora_UiPlugin)
Q_IMPORT_QML_PLUGIN(Velunora_PreviewPlugin)
Q_IMPORT_QML_PLUGIN(Velunora_TestSupportPlugin)

class QmlTestSetup : public QObject {
    Q_OBJECT

public Q_SLOTS:
    void applicationAvailable() { QQuickStyle::setStyle(QStringLiteral("Basic")); }
    void qmlEngineAvailable(QQmlEngine* engine) {
        engine->addImportPath(QStringLiteral("qrc:/"));
        engine->addImageProvider(QStringLiteral("symbol"), new velunora::SymbolImageProvider);
    }
};

QUICK_TEST_MAIN_WITH_SETUP(velunora_ui, QmlTestSetup)

#include "QmlTestMain.moc"
