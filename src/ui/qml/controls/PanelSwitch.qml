import QtQuick
import QtQuick.Controls.Basic

// A mint switch that always shows the controller's value: `value` is what it displays and
// `toggledTo` says what the user asked for. A refused change springs back by itself.
Switch {
    id: control

    property bool value: false
    signal toggledTo(bool enabled)

    checked: value
    onToggled: {
        const requested = checked
        // The user's click broke the binding: show the controller's value again, whatever
        // the operation decides.
        checked = Qt.binding(() => control.value)
        control.toggledTo(requested)
    }

    padding: 0
    activeFocusOnTab: true
    implicitWidth: 38
    implicitHeight: 22

    indicator: Rectangle {
        implicitWidth: 38
        implicitHeight: 22
        x: control.leftPadding
        y: (control.height - height) / 2
        radius: height / 2
        color: control.checked ? Theme.mint : Theme.switchOffFill
        Behavior on color { ColorAnimation { duration: 120 } }

        FocusRing {
            objectName: "focusRing"
            visible: control.visualFocus
            controlRadius: parent.radius
        }

        Rectangle {
            width: 18
            height: 18
            radius: 9
            y: 2
            x: control.checked ? parent.width - width - 2 : 2
            color: Theme.switchKnob
            Behavior on x { NumberAnimation { duration: 140; easing.type: Easing.OutCubic } }
        }
    }
    contentItem: Item {}
}
