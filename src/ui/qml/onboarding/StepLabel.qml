import QtQuick
import QtQuick.Layouts

// One entry of the onboarding's step list: a numbered circle, a check once the step is
// behind the user, and the step's title.
RowLayout {
    id: root

    property int number: 1
    property string title
    property bool isCurrent: false
    property bool isDone: false


    spacing: 12

    Rectangle {
        implicitWidth: 27
        implicitHeight: 27
        radius: width / 2
        color: root.isCurrent ? Theme.mint : Theme.idleStepFill
        Behavior on color { ColorAnimation { duration: 180 } }

        SymbolIcon {
            objectName: "stepCheck"
            anchors.centerIn: parent
            visible: root.isDone
            name: "checkmark"
            color: Theme.mint
            size: 13
        }
        Text {
            objectName: "stepNumber"
            anchors.centerIn: parent
            visible: !root.isDone
            text: root.number
            font: Theme.captionBold
            color: root.isCurrent ? Theme.textOnMint : Theme.secondaryText
        }
    }
    Text {
        text: root.title
        font: root.isCurrent ? Theme.calloutSemibold : Theme.callout
        color: root.isCurrent ? Theme.primaryText : Theme.secondaryText
        elide: Text.ElideRight
        Layout.fillWidth: true
    }
}
