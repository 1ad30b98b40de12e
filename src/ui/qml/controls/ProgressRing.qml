import QtQuick

// A small spinner for the busy indicator, in the panel's colours: a faint ring and a mint arc
// that turns. Drawn with the scene graph alone, so it costs nothing once it is gone.
Item {
    id: root

    implicitWidth: 20
    implicitHeight: 20

    Rectangle {
        anchors.fill: parent
        anchors.margins: 1
        radius: width / 2
        color: "transparent"
        border.width: 2
        border.color: Theme.withAlpha(Theme.primaryText, 0.18)
    }

    // The arc is the ring's top-right quarter: a ring clipped to one corner, then turned.
    Item {
        id: turning
        anchors.fill: parent

        Item {
            width: parent.width / 2
            height: parent.height / 2
            x: parent.width / 2
            clip: true
            Rectangle {
                x: -parent.width + 1
                y: 1
                width: root.width - 2
                height: root.height - 2
                radius: width / 2
                color: "transparent"
                border.width: 2
                border.color: Theme.mint
            }
        }

        RotationAnimator on rotation {
            from: 0
            to: 360
            duration: 900
            loops: Animation.Infinite
            running: root.visible
        }
    }
}
