import QtQuick
import QtQuick.Layouts
import Velunora.Ui

// The iCloud form: whether this computer is signed in, signing in and out, and the choice.
ColumnLayout {
    id: root

    required property CloudStoreChoice choice
    property bool locked: false

    spacing: 10
    Layout.fillWidth: true

    SymbolLabel {
        objectName: "iCloudAccount"
        symbol: root.choice.signedInToICloud ? "checkmark.shield.fill" : "exclamationmark.icloud"
        color: root.choice.signedInToICloud ? Theme.mint : Theme.orange
        // Whose iCloud, when the service named the account: the user can tell it is theirs.
        text: !root.choice.signedInToICloud
              ? qsTr("Pas encore connect\u00e9 \u00e0 iCloud sur cet ordinateur.")
              : root.choice.iCloudAccountName !== ""
                ? qsTr("Connect\u00e9 au compte iCloud de %1 sur cet ordinateur.").arg(root.choice.iCloudAccountName)
                : qsTr("Connect\u00e9 \u00e0 iCloud sur cet ordinateur.")
        font: Theme.callout
        wraps: true
        Layout.fillWidth: true
    }
    RowLayout {
        spacing: 8
        PanelButton {
            objectName: "iCloudSignInButton"
            visible: !root.choice.signedInToICloud
            text: qsTr("Se connecter \u00e0 iCloud\u2026")
            enabled: !root.choice.working
            onClicked: root.choice.signInToICloud()
        }
        PanelButton {
            objectName: "iCloudSignOutButton"
            visible: root.choice.signedInToICloud
            text: qsTr("Se d\u00e9connecter")
            enabled: !root.choice.working
            onClicked: root.choice.signOutOfICloud()
        }
        Item { Layout.fillWidth: true }
        PanelButton {
            objectName: "useICloudButton"
            visible: root.choice.kind !== "icloud"
            text: qsTr("Publier dans iCloud")
            prominent: true
            enabled: !root.choice.working && !root.locked
            onClicked: root.choice.useICloudStore()
        }
    }
}
