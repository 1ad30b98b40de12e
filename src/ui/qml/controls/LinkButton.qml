import QtQuick
import QtQuick.Controls.Basic

// A text-only action of the panel; `destructive` paints it red.
AbstractButton {
    id: control

    property bool destructive: false
    property color tint: destructive ? Theme.destructive : Theme.mint

    font: Theme.callout
    // A row of at least 24 px, so that each link is an easy target of its own.
    topPadding: 4
    bottomPadding: 4
    leftPadding: 0
    rightPadding: 0
    opacity: enabled ? 1.0 : 0.42
    activeFocusOnTab: true
    // Return presses the button that has the focus, as Space does.
    Keys.onReturnPressed: control.clicked()
    Keys.onEnterPressed: control.clicked()
    hoverEnabled: true

    contentItem: Text {
        text: control.text
        font.family: control.font.family
        font.pixelSize: control.font.pixelSize
        font.underline: control.hovered
        color: control.down ? Qt.darker(control.tint, 1.2) : control.tint
    }
    background: Item {
        FocusRing {
            visible: control.visualFocus
            controlRadius: 3
        }
    }
}
