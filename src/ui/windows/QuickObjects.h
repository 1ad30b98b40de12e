#pragma once

#include <QString>
#include <QVariantMap>

class QObject;
class QQmlEngine;

namespace velunora {

// An instance of one of the app's QML types (module Velunora.Ui), with its required properties
// given; nothing, with the reason logged, when it cannot be built. The caller owns it.
QObject* createUiObject(QQmlEngine& engine, const QString& typeName,
                        const QVariantMap& initialProperties = {});

} // namespace velunora
