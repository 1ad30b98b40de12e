import QtQuick
import QtQuick.Controls.Basic

// One place the nights can go, as a choice among the others; `current` marks where they go now.
RadioButton {
    id: control

    property bool current: false
    property string detail

    font: Theme.calloutSemibold
    spacing: 10
    activeFocusOnTab: true

    indicator: Rectangle {
        x: control.leftPadding
        y: control.topPadding + 2
        implicitWidth: 18
        implicitHeight: 18
        radius: 9
        color: "transparent"
        border.width: control.visualFocus ? 3 : 2
        border.color: control.checked || control.visualFocus ? Theme.mint : Theme.secondaryText
        Rectangle {
            anchors.centerIn: parent
            width: 8
            height: 8
            radius: 4
            color: Theme.mint
            visible: control.checked
        }
    }
    contentItem: Column {
        leftPadding: control.indicator.width + control.spacing
        spacing: 2
        Text {
            text: control.current ? qsTr("%1 (actuel)").arg(control.text) : control.text
            font: control.font
            color: Theme.primaryText
        }
        Text {
            text: control.detail
            visible: text.length > 0
            font: Theme.caption
            color: Theme.secondaryText
            width: control.availableWidth - control.indicator.width - control.spacing
            wrapMode: Text.Wrap
        }
    }
}
