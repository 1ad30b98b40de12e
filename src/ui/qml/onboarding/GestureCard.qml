import QtQuick
import QtQuick.Layouts

// One numbered gesture of taking the card out of the device.
OnboardingPagePanel {
    id: root

    property string number
    property string symbol
    property string title
    property string detail

    padding: 16
    spacing: 10
    implicitHeight: Math.max(138, contentImplicitHeight + 2 * padding)

    RowLayout {
        id: header
        Layout.fillWidth: true
        Text {
            text: root.number
            font: Theme.captionBold
            color: Theme.mint
            Layout.alignment: Qt.AlignTop
        }
        Item { Layout.fillWidth: true }
        SymbolIcon {
            name: root.symbol
            color: Theme.mint
            size: Theme.title3.pixelSize + 2
        }
    }
    Text {
        text: root.title
        font: Theme.headline
        color: Theme.primaryText
        elide: Text.ElideRight
        Layout.fillWidth: true
        Layout.topMargin: 4
    }
    Text {
        text: root.detail
        font: Theme.caption
        color: Theme.secondaryText
        wrapMode: Text.Wrap
        Layout.fillWidth: true
    }
    // Free space below, so that the titles of neighbouring cards line up.
    Item { Layout.fillHeight: true }
}
