import QtQuick
import QtQuick.Layouts
import Velunora.Ui

// Last page: the two preferences, the same ones as in the tray panel.
OnboardingContent {
    id: root

    required property SyncController controller


    eyebrow: qsTr("TOUT EST PR\u00caT")
    title: qsTr("Les prochaines nuits arriveront toutes seules.")
    message: qsTr("Vous pourrez toujours rouvrir Velunora Sync depuis son ic\u00f4ne en forme de lune, dans la barre de votre bureau, ou depuis la liste de vos applications.")

    OnboardingPagePanel {
        padding: 20
        spacing: 14
        Layout.fillWidth: true

        SettingToggle {
            objectName: "automaticImportToggle"
            symbol: "sdcard.fill"
            title: qsTr("Import automatique")
            detail: qsTr("Synchroniser d\u00e8s qu\u2019une carte compatible est ins\u00e9r\u00e9e")
            isOn: root.controller.automaticCardImport
            Layout.fillWidth: true
            onToggledTo: (enabled) => root.controller.setAutomaticCardImport(enabled)
        }
        Rectangle {
            implicitHeight: 1
            color: Theme.onboardingDivider
            Layout.fillWidth: true
            // Starts under the texts, past the symbol tile and its gap.
            Layout.leftMargin: 52
        }
        SettingToggle {
            objectName: "launchAtLoginToggle"
            symbol: "power"
            title: qsTr("Ouvrir \u00e0 la connexion")
            detail: qsTr("Lancer discr\u00e8tement Velunora Sync avec votre session")
            isOn: root.controller.launchAtLogin
            Layout.fillWidth: true
            onToggledTo: (enabled) => root.controller.setLaunchAtLogin(enabled)
        }
    }
}
