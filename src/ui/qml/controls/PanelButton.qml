import QtQuick
import QtQuick.Controls.Basic

// The panel's ordinary button; `prominent` makes it the mint call to action.
Button {
    id: control

    property bool prominent: false
    property bool large: false

    font: large ? Theme.headline : Theme.calloutSemibold
    padding: large ? 12 : 7
    leftPadding: large ? 20 : 12
    rightPadding: large ? 20 : 12
    opacity: enabled ? 1.0 : 0.42
    activeFocusOnTab: true
    // Return presses the button that has the focus, as Space does.
    Keys.onReturnPressed: control.clicked()
    Keys.onEnterPressed: control.clicked()

    contentItem: Text {
        text: control.text
        font: control.font
        color: control.prominent ? Theme.textOnMint : Theme.primaryText
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }
    background: Rectangle {
        implicitHeight: control.large ? 40 : 30
        radius: control.large ? 10 : 7
        color: {
            if (control.prominent)
                return control.down ? Qt.darker(Theme.mint, 1.15)
                                    : control.hovered ? Qt.lighter(Theme.mint, 1.08) : Theme.mint
            return control.down || control.hovered ? Theme.controlFillHovered : Theme.controlFill
        }

        FocusRing {
            visible: control.visualFocus
            controlRadius: parent.radius
        }
    }
}
