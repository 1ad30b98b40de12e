import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts

// One labelled entry of the settings forms, in the panel's look.
ColumnLayout {
    id: root

    property alias label: caption.text
    property alias text: field.text
    property alias placeholderText: field.placeholderText
    property alias echoMode: field.echoMode
    property alias field: field

    spacing: 4
    Layout.fillWidth: true

    Text {
        id: caption
        font: Theme.captionSemibold
        color: Theme.secondaryText
    }
    TextField {
        id: field
        objectName: root.objectName + "Field"
        font: Theme.callout
        color: Theme.primaryText
        placeholderTextColor: Theme.withAlpha(Theme.secondaryText, 0.7)
        selectByMouse: true
        Layout.fillWidth: true
        background: Rectangle {
            implicitHeight: 30
            radius: 7
            color: Theme.controlFill
            border.width: field.activeFocus ? 2 : 1
            border.color: field.activeFocus ? Theme.withAlpha(Theme.mint, 0.7) : Theme.panelBorder
        }
    }
}
