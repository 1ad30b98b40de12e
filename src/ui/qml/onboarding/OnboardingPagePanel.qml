import QtQuick
import QtQuick.Layouts

// The faint rounded panel that holds a page's own content; its children are laid out in a
// column inside its padding.
Rectangle {
    id: root

    default property alias contents: column.data
    property int padding: 22
    property alias spacing: column.spacing
    readonly property alias contentImplicitHeight: column.implicitHeight


    implicitWidth: column.implicitWidth + 2 * padding
    implicitHeight: column.implicitHeight + 2 * padding
    radius: 16
    color: Theme.onboardingPanelFill

    ColumnLayout {
        id: column
        anchors.fill: parent
        anchors.margins: root.padding
        spacing: 14
    }
}
