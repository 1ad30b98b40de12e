import QtQuick
import QtQuick.Layouts
import Velunora.Ui

// Third page: granting access to the card. It follows the controller live, so choosing or
// inserting a card switches it to its recognised form without leaving the page.
OnboardingContent {
    id: root

    required property SyncController controller
    readonly property bool hasCard: controller.hasDetectedCard


    eyebrow: qsTr("ACC\u00c8S \u00c0 LA CARTE")
    title: qsTr("Vous gardez le contr\u00f4le sur l\u2019acc\u00e8s.")
    message: qsTr("La premi\u00e8re fois, choisissez la racine de la carte SD. Ce choix est m\u00e9moris\u00e9 pour les prochaines insertions.")

    OnboardingPagePanel {
        spacing: 20
        Layout.fillWidth: true

        RowLayout {
            spacing: 16
            Layout.fillWidth: true

            Rectangle {
                objectName: "cardTile"
                implicitWidth: 64
                implicitHeight: 64
                radius: 16
                color: Theme.cardTileFill

                SymbolIcon {
                    objectName: "cardSymbol"
                    anchors.centerIn: parent
                    name: root.hasCard ? "checkmark.shield.fill" : "folder.badge.questionmark"
                    color: root.hasCard ? Theme.mint : Theme.orange
                    size: 35
                }
            }
            ColumnLayout {
                spacing: 5
                Layout.fillWidth: true
                Layout.alignment: Qt.AlignVCenter

                Text {
                    objectName: "cardHeading"
                    text: root.hasCard ? root.controller.detectedCardName : qsTr("Choisissez la carte SD")
                    font: Theme.headline
                    color: Theme.primaryText
                    elide: Text.ElideRight
                    Layout.fillWidth: true
                }
                Text {
                    objectName: "cardLine"
                    text: root.hasCard ? qsTr("La carte est reconnue et pr\u00eate \u00e0 \u00eatre synchronis\u00e9e.")
                                       : qsTr("S\u00e9lectionnez le volume qui contient les donn\u00e9es de votre appareil.")
                    font: Theme.callout
                    color: Theme.secondaryText
                    wrapMode: Text.Wrap
                    Layout.fillWidth: true
                }
            }
        }
        PanelButton {
            objectName: "cardButton"
            text: root.hasCard ? qsTr("Changer de carte\u2026") : qsTr("Choisir une carte SD\u2026")
            prominent: true
            large: true
            Layout.alignment: Qt.AlignLeft
            onClicked: root.controller.chooseCard()
        }
    }
}
