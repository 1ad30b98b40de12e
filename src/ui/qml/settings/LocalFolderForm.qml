import QtQuick
import QtQuick.Layouts
import Velunora.Ui

// The form of the store on this computer: the folder, which a sync client may already carry
// to the phone, and the choice. A column rather than a layout: the hint wraps once the width
// is known, and a column follows the height it then takes.
Column {
    id: root

    required property CloudStoreChoice choice
    property bool locked: false

    spacing: 8
    Layout.fillWidth: true

    Text {
        text: qsTr("Dossier")
        font: Theme.captionSemibold
        color: Theme.secondaryText
    }
    MiddleElidedText {
        objectName: "localFolder"
        width: root.width
        fullText: root.choice.localFolder
        font: Theme.callout
        color: Theme.primaryText
        maximumLines: 2
    }
    Text {
        objectName: "localFolderHint"
        width: root.width
        text: qsTr("Choisissez un dossier qu\u2019un client de synchronisation (Nextcloud, Syncthing\u2026) porte d\u00e9j\u00e0 jusqu\u2019\u00e0 votre t\u00e9l\u00e9phone pour que l\u2019app les y trouve.")
        font: Theme.caption
        color: Theme.secondaryText
        wrapMode: Text.Wrap
    }
    RowLayout {
        spacing: 8
        width: root.width
        PanelButton {
            objectName: "chooseLocalFolderButton"
            text: qsTr("Choisir un dossier\u2026")
            enabled: !root.choice.working && !root.locked
            onClicked: root.choice.chooseLocalFolder()
        }
        Item { Layout.fillWidth: true }
        PanelButton {
            objectName: "useLocalStoreButton"
            visible: root.choice.kind !== "local"
            text: qsTr("Publier dans ce dossier")
            prominent: true
            enabled: !root.choice.working && !root.locked
            onClicked: root.choice.useLocalStore(root.choice.localFolder)
        }
    }
}
