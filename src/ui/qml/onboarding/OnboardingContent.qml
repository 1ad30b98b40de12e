import QtQuick
import QtQuick.Layouts

// The common layout of an onboarding page: eyebrow, title and message, then the page's own
// content (its children), with the free space left below.
Item {
    id: root

    property string eyebrow
    property string title
    property string message
    default property alias content: slot.data

    ColumnLayout {
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        anchors.leftMargin: 42
        anchors.rightMargin: 42
        anchors.topMargin: 48
        anchors.bottomMargin: 22
        spacing: 0

        Text {
            objectName: "eyebrow"
            text: root.eyebrow
            font.family: Theme.captionBold.family
            font.pixelSize: Theme.captionBold.pixelSize
            font.weight: Theme.captionBold.weight
            font.letterSpacing: 1.2
            color: Theme.mint
            elide: Text.ElideRight
            Layout.fillWidth: true
        }
        Text {
            objectName: "title"
            text: root.title
            font: Theme.title
            color: Theme.primaryText
            wrapMode: Text.Wrap
            lineHeight: 1.08
            Layout.fillWidth: true
            Layout.topMargin: 12
        }
        Text {
            objectName: "message"
            text: root.message
            font: Theme.body
            color: Theme.secondaryText
            wrapMode: Text.Wrap
            lineHeight: 1.18
            Layout.fillWidth: true
            Layout.topMargin: 14
        }
        ColumnLayout {
            id: slot
            spacing: 12
            Layout.fillWidth: true
            // Whatever the content, the free space stays below it.
            Layout.fillHeight: false
            Layout.topMargin: 28
        }
        Item { Layout.fillHeight: true }
    }
}
