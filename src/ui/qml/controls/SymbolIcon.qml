import QtQuick
import QtQuick.Window

// One of the app's one-colour symbols, rendered in `color` at `size`: laid out at `size` in
// logical pixels, drawn sharp for the screen's device pixels. (An Image alone would take the
// device pixels as its natural size, twice too large at a scale of 2.)
Item {
    id: root

    property string name
    property color color: Theme.primaryText
    property real size: 16
    readonly property alias status: image.status
    readonly property alias sourceSize: image.sourceSize

    implicitWidth: size
    implicitHeight: size

    Image {
        id: image
        anchors.fill: parent
        sourceSize.width: Math.ceil(root.size * Screen.devicePixelRatio)
        sourceSize.height: Math.ceil(root.size * Screen.devicePixelRatio)
        source: root.name.length > 0
                ? "image://symbol/" + root.name + "/" + root.color.toString().substring(1) : ""
        fillMode: Image.PreserveAspectFit
        smooth: true
    }
}
