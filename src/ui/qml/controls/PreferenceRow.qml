import QtQuick
import QtQuick.Layouts

// One preference of the panel: its text and a switch showing the controller's value.
RowLayout {
    id: root

    property alias text: label.text
    property alias value: toggle.value
    signal toggledTo(bool enabled)

    spacing: 10
    Layout.fillWidth: true

    Text {
        id: label
        font: Theme.callout
        color: Theme.primaryText
        elide: Text.ElideRight
        Layout.fillWidth: true
    }
    PanelSwitch {
        id: toggle
        objectName: root.objectName + "Switch"
        onToggledTo: (enabled) => root.toggledTo(enabled)
    }
}
