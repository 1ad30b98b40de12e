#include "ui/windows/QuickObjects.h"

#include <QCursor>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QScreen>
#include <QUrl>

namespace velunora {

QObject* createUiObject(QQmlEngine& engine, const QString& typeName,
                        const QVariantMap& initialProperties) {
    QQmlComponent component(&engine);
    component.setData(QStringLiteral("import Velunora.Ui\n%1 {}\n").arg(typeName).toUtf8(), QUrl());
    // Qt 6.4 crashes creating a component that failed to load instead of returning null.
    QObject* object =
        component.isReady() ? component.createWithInitialProperties(initialProperties) : nullptr;
    if (object == nullptr) {
        qWarning("%s: %s", qPrintable(typeName), qPrintable(component.errorString()));
    }
    return object;
}

void giveScreenRoom(QQuickWindow& window) {
    const QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr) {
        return;
    }
    // The window manager's title bar, which is not the window's own.
    constexpr int titleBar = 40;
    const QSize room = screen->availableGeometry().size() - QSize(0, titleBar);
    window.setProperty("availableSize", QSizeF(room));
}

} // namespace velunora
