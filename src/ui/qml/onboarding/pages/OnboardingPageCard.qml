import QtQuick
import QtQuick.Layouts

// Second page: the three gestures of taking the card out of the device safely.
OnboardingContent {
    eyebrow: qsTr("UNE FOIS VOTRE NUIT TERMIN\u00c9E")
    title: qsTr("Ins\u00e9rez simplement la carte SD dans cet ordinateur.")
    message: qsTr("Avant de la retirer de l\u2019appareil, arr\u00eatez le traitement, d\u00e9branchez l\u2019alimentation puis sortez doucement la carte.")

    RowLayout {
        objectName: "gestures"
        spacing: 10
        Layout.fillWidth: true
        // The cards fill the row's height, not the page's.
        Layout.fillHeight: false

        GestureCard {
            number: "1"
            symbol: "power"
            title: qsTr("Arr\u00eater")
            detail: qsTr("Attendez l\u2019arr\u00eat du souffle")
            // Equal shares of the row, whatever the lengths of their texts.
            Layout.fillWidth: true
            Layout.preferredWidth: 1
            Layout.minimumWidth: 0
            Layout.fillHeight: true
        }
        GestureConnector {}
        GestureCard {
            number: "2"
            symbol: "cable.connector"
            title: qsTr("D\u00e9brancher")
            detail: qsTr("Retirez l\u2019alimentation")
            // Equal shares of the row, whatever the lengths of their texts.
            Layout.fillWidth: true
            Layout.preferredWidth: 1
            Layout.minimumWidth: 0
            Layout.fillHeight: true
        }
        GestureConnector {}
        GestureCard {
            number: "3"
            symbol: "sdcard.fill"
            title: qsTr("Ins\u00e9rer")
            detail: qsTr("Placez la carte dans l\u2019ordinateur")
            // Equal shares of the row, whatever the lengths of their texts.
            Layout.fillWidth: true
            Layout.preferredWidth: 1
            Layout.minimumWidth: 0
            Layout.fillHeight: true
        }
    }
}
