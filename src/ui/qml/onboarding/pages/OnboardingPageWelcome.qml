import QtQuick
import QtQuick.Layouts

// First page: what the utility does, as the chain card → computer → phone.
OnboardingContent {
    id: root

    // Leans the arrows forward; the view flips it to make them pulse.
    property bool arrowsForward: false
    // Where the nights go ("icloud", "webdav" or "local"): the page says so, through the key of
    // each store.
    property string store: "local"

    eyebrow: qsTr("BIENVENUE DANS VELUNORA SYNC")
    title: store === "icloud" ? qsTr("Le lien discret entre votre appareil et votre iPhone.", "icloud")
         : store === "webdav" ? qsTr("Le lien discret entre votre appareil et votre serveur.")
         : qsTr("Le lien discret entre votre appareil et cet ordinateur.")
    message: store === "icloud" ? qsTr("Velunora Sync travaille en arri\u00e8re-plan et transmet automatiquement les nouvelles nuits vers votre espace iCloud priv\u00e9.")
           : store === "webdav" ? qsTr("Velunora Sync travaille en arri\u00e8re-plan et transmet automatiquement les nouvelles nuits vers votre serveur.")
           : qsTr("Velunora Sync travaille en arri\u00e8re-plan et range automatiquement les nouvelles nuits dans un dossier de cet ordinateur.")

    OnboardingPagePanel {
        objectName: "deviceChain"
        padding: 26
        Layout.fillWidth: true

        RowLayout {
            spacing: 18
            Layout.alignment: Qt.AlignHCenter

            DeviceNode {
                symbol: "sdcard.fill"
                title: qsTr("Carte SD")
                color: Theme.purple
            }
            AnimatedArrow {
                objectName: "firstArrow"
                active: root.arrowsForward
                Layout.alignment: Qt.AlignTop
                Layout.topMargin: (68 - height) / 2
            }
            DeviceNode {
                symbol: "macbook"
                title: qsTr("Cet ordinateur")
                color: Theme.mint
            }
            AnimatedArrow {
                objectName: "secondArrow"
                active: root.arrowsForward
                Layout.alignment: Qt.AlignTop
                Layout.topMargin: (68 - height) / 2
            }
            DeviceNode {
                symbol: "iphone"
                title: "Velunora"
                color: Theme.cyan
            }
        }
    }
}
