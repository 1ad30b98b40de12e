import QtQuick
import QtQuick.Layouts

// One device of the welcome page's chain: its symbol on a tile of its colour, its name below.
ColumnLayout {
    id: root

    property string symbol
    property string title
    property color color: Theme.mint

    spacing: 9

    Rectangle {
        implicitWidth: 68
        implicitHeight: 68
        radius: 18
        color: Theme.withAlpha(root.color, 0.12)
        Layout.alignment: Qt.AlignHCenter

        SymbolIcon {
            anchors.centerIn: parent
            name: root.symbol
            color: root.color
            size: 27
        }
    }
    Text {
        text: root.title
        font: Theme.captionSemibold
        color: Theme.primaryText
        Layout.alignment: Qt.AlignHCenter
    }
}
