#include "ui/QuickObjects.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QUrl>

namespace velunora {

QObject* createQuickObject(QQmlEngine& engine, const QString& module, const QString& typeName,
                           const QVariantMap& initialProperties) {
    QQmlComponent component(&engine);
    component.setData(QStringLiteral("import %1\n%2 {}\n").arg(module, typeName).toUtf8(), QUrl());
    QObject* object = component.createWithInitialProperties(initialProperties);
    if (object == nullptr) {
        qWarning("%s: %s", qPrintable(typeName), qPrintable(component.errorString()));
    }
    return object;
}

QObject* createUiObject(QQmlEngine& engine, const QString& typeName,
                        const QVariantMap& initialProperties) {
    return createQuickObject(engine, QStringLiteral("Velunora.Ui"), typeName, initialProperties);
}

} // namespace velunora
