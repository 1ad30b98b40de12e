import QtQuick
import QtQuick.Layouts

Rectangle {
    implicitHeight: 1
    Layout.fillWidth: true
    color: Theme.divider
}
