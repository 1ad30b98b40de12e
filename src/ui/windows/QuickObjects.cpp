#include "ui/windows/QuickObjects.h"

#include <QQmlComponent>
#include <QQmlEngine>
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

} // namespace velunora
