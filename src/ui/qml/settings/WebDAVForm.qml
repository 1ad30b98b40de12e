import QtQuick
import QtQuick.Layouts
import Velunora.Ui

// The WebDAV form: the server's address, the user and the password (kept in the desktop's
// keyring), a connection test, and the choice.
ColumnLayout {
    id: root

    required property CloudStoreChoice choice
    property bool locked: false

    spacing: 10
    Layout.fillWidth: true

    SettingsField {
        id: address
        objectName: "webDAVAddress"
        label: qsTr("Adresse du dossier sur le serveur")
        text: root.choice.webDAVAddress
        placeholderText: "https://cloud.example.org/remote.php/dav/files/marie/Velunora"
    }
    SettingsField {
        id: user
        objectName: "webDAVUser"
        label: qsTr("Identifiant")
        text: root.choice.webDAVUser
    }
    SettingsField {
        id: password
        objectName: "webDAVPassword"
        label: qsTr("Mot de passe")
        echoMode: TextInput.Password
        placeholderText: root.choice.kind === "webdav" ? qsTr("Inchang\u00e9 (gard\u00e9 dans le trousseau)") : ""
    }
    RowLayout {
        spacing: 8
        Layout.fillWidth: true
        PanelButton {
            objectName: "testConnectionButton"
            text: qsTr("Tester la connexion")
            enabled: !root.choice.working && address.text.length > 0
            onClicked: root.choice.testWebDAVConnection(address.text, user.text, password.text)
        }
        Item { Layout.fillWidth: true }
        PanelButton {
            objectName: "useWebDAVButton"
            text: root.choice.kind === "webdav" ? qsTr("Enregistrer") : qsTr("Publier sur ce serveur")
            prominent: true
            enabled: !root.choice.working && !root.locked && address.text.length > 0
            onClicked: {
                root.choice.useWebDAVStore(address.text, user.text, password.text)
                password.text = ""
            }
        }
    }
}
