import QtQuick
import QtQuick.Window

// One of the app's one-colour symbols, rendered in `color` at `size`.
Image {
    id: root

    property string name
    property color color: Theme.primaryText
    property real size: 16

    width: size
    height: size
    sourceSize: Qt.size(Math.ceil(size * Screen.devicePixelRatio),
                        Math.ceil(size * Screen.devicePixelRatio))
    source: name.length > 0 ? "image://symbol/" + name + "/" + root.color.toString().substring(1) : ""
    fillMode: Image.PreserveAspectFit
    smooth: true
}
