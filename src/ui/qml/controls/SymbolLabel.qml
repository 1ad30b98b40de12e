import QtQuick
import QtQuick.Layouts

// A symbol followed by its text, like a menu label.
RowLayout {
    id: root

    property alias symbol: icon.name
    property alias text: label.text
    property color color: Theme.primaryText
    property font font: Theme.caption
    property bool wraps: false

    spacing: 6

    SymbolIcon {
        id: icon
        color: root.color
        size: root.font.pixelSize + 2
        Layout.alignment: root.wraps ? Qt.AlignTop : Qt.AlignVCenter
        Layout.topMargin: root.wraps ? 1 : 0
    }
    Text {
        id: label
        color: root.color
        font: root.font
        wrapMode: root.wraps ? Text.Wrap : Text.NoWrap
        Layout.fillWidth: root.wraps
    }
}
