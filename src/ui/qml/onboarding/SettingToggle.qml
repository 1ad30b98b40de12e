import QtQuick
import QtQuick.Layouts

// One preference of the last onboarding page. `isOn` is the controller's value and
// `toggledTo` what the user asked for, so the row always agrees with the tray panel.
RowLayout {
    id: root

    property string symbol
    property string title
    property string detail
    property bool isOn: false
    signal toggledTo(bool enabled)


    spacing: 18

    Rectangle {
        implicitWidth: 34
        implicitHeight: 34
        radius: 9
        color: Theme.settingTileFill
        Layout.alignment: Qt.AlignVCenter

        SymbolIcon {
            anchors.centerIn: parent
            name: root.symbol
            color: Theme.mint
            size: 17
        }
    }
    ColumnLayout {
        spacing: 3
        Layout.fillWidth: true
        Text {
            text: root.title
            font: Theme.headline
            color: Theme.primaryText
            elide: Text.ElideRight
            Layout.fillWidth: true
        }
        Text {
            text: root.detail
            font: Theme.caption
            color: Theme.secondaryText
            wrapMode: Text.Wrap
            Layout.fillWidth: true
        }
    }
    PanelSwitch {
        objectName: root.objectName + "Switch"
        value: root.isOn
        Layout.alignment: Qt.AlignVCenter
        onToggledTo: (enabled) => root.toggledTo(enabled)
    }
}
