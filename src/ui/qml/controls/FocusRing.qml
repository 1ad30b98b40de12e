import QtQuick

// The keyboard focus shown around a control, outside it, so that it reads on any fill
// (a switch that is on is mint, like an inner border would be).
Rectangle {
    property real controlRadius: 0

    anchors.fill: parent
    anchors.margins: -3
    radius: controlRadius + 3
    color: "transparent"
    border.width: 2
    border.color: Theme.focusRing
}
