#pragma once

#include <QString>
#include <QVariantMap>

class QObject;
class QQmlEngine;
class QQuickWindow;

namespace velunora {

// An instance of one of the app's QML types (module Velunora.Ui), with its required properties
// given; nothing, with the reason logged, when it cannot be built. The caller owns it.
QObject* createUiObject(QQmlEngine& engine, const QString& typeName,
                        const QVariantMap& initialProperties = {});

// Tells `window` the room its screen leaves it (its `availableSize`, which the app's fixed-size
// windows shrink to): the screen under the pointer, less the panels and a title bar.
void giveScreenRoom(QQuickWindow& window);

} // namespace velunora
