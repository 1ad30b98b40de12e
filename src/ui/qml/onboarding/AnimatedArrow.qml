import QtQuick

// The arrow between two devices: it leans forward and lights up while `active`, and eases
// back between the two states at its own pace.
Item {
    id: root

    property bool active: false

    implicitWidth: arrow.width
    implicitHeight: arrow.height

    SymbolIcon {
        id: arrow
        objectName: "arrowSymbol"
        name: "arrow.right"
        color: Theme.mint
        size: Theme.title3.pixelSize + 2
        opacity: root.active ? 1.0 : 0.28
        transform: Translate {
            x: root.active ? 4 : -2
            Behavior on x { NumberAnimation { duration: 1200; easing.type: Easing.InOutQuad } }
        }
        Behavior on opacity { NumberAnimation { duration: 1200; easing.type: Easing.InOutQuad } }
    }
}
