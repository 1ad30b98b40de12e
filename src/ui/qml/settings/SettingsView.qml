import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Velunora.Ui

// The settings: where the nights are published (one form per store), where the local export
// is, and the panel's two switches. Reads the controller and its store choice, calls them.
Item {
    id: root

    required property SyncController controller
    readonly property CloudStoreChoice choice: controller.storeChoice
    readonly property string statusKind: controller.status.kindName
    // No store change while a sync or a reset works on the store.
    readonly property bool busy: statusKind === "syncing" || statusKind === "resetting"
    // The form shown: the store chosen, until the user picks another to look at.
    property string shownStore: choice.kind
    signal closeRequested()

    implicitWidth: 480
    implicitHeight: sections.implicitHeight + 2 * Theme.panelPadding

    ColumnLayout {
        id: sections
        x: Theme.panelPadding + 4
        y: Theme.panelPadding
        width: root.width - 2 * x
        spacing: 14

        Text {
            text: qsTr("O\u00f9 publier les nuits")
            font: Theme.headline
            color: Theme.primaryText
        }
        ColumnLayout {
            spacing: 6
            Layout.fillWidth: true
            ButtonGroup { id: stores }
            StoreOption {
                objectName: "iCloudOption"
                visible: root.choice.iCloudOffered
                text: "iCloud"
                detail: qsTr("Votre iCloud priv\u00e9, que lit l\u2019app Velunora de votre iPhone.")
                current: root.choice.kind === "icloud"
                checked: root.shownStore === "icloud"
                ButtonGroup.group: stores
                onClicked: root.shownStore = "icloud"
                Layout.fillWidth: true
            }
            StoreOption {
                objectName: "webDAVOption"
                text: qsTr("Nextcloud ou WebDAV")
                detail: qsTr("Votre propre serveur, en https.")
                current: root.choice.kind === "webdav"
                checked: root.shownStore === "webdav"
                ButtonGroup.group: stores
                onClicked: root.shownStore = "webdav"
                Layout.fillWidth: true
            }
            StoreOption {
                objectName: "localOption"
                text: qsTr("Sur cet ordinateur")
                detail: qsTr("Un dossier de cet ordinateur, sans compte ni serveur.")
                current: root.choice.kind === "local"
                checked: root.shownStore === "local"
                ButtonGroup.group: stores
                onClicked: root.shownStore = "local"
                Layout.fillWidth: true
            }
        }

        Rectangle {
            color: Theme.onboardingPanelFill
            radius: 10
            Layout.fillWidth: true
            implicitHeight: forms.implicitHeight + 28
            ColumnLayout {
                id: forms
                x: 14
                y: 14
                width: parent.width - 28
                ICloudForm {
                    objectName: "iCloudForm"
                    visible: root.shownStore === "icloud"
                    choice: root.choice
                    locked: root.busy
                }
                WebDAVForm {
                    objectName: "webDAVForm"
                    visible: root.shownStore === "webdav"
                    choice: root.choice
                    locked: root.busy
                }
                LocalFolderForm {
                    objectName: "localForm"
                    visible: root.shownStore === "local"
                    choice: root.choice
                    locked: root.busy
                }
            }
        }

        RowLayout {
            spacing: 8
            visible: root.choice.working || root.choice.outcome.length > 0
            Layout.fillWidth: true
            Loader {
                active: root.choice.working
                visible: active
                sourceComponent: BusyIndicator {
                    implicitWidth: 16
                    implicitHeight: 16
                    padding: 0
                    running: true
                    contentItem: ProgressRing {}
                }
            }
            SymbolLabel {
                objectName: "outcome"
                visible: text.length > 0
                symbol: root.choice.outcomeIsFailure ? "exclamationmark.triangle.fill" : "checkmark"
                color: root.choice.outcomeIsFailure ? Theme.orange : Theme.mint
                text: root.choice.outcome
                font: Theme.caption
                wraps: true
                Layout.fillWidth: true
            }
        }

        Divider {}

        ColumnLayout {
            spacing: 4
            Layout.fillWidth: true
            Text {
                text: qsTr("Export local")
                font: Theme.captionSemibold
                color: Theme.secondaryText
            }
            MiddleElidedText {
                objectName: "localExportPath"
                fullText: root.controller.localExportPath
                font: Theme.caption
                color: Theme.primaryText
                maximumLines: 2
                Layout.fillWidth: true
            }
            LinkButton {
                text: qsTr("Afficher l\u2019export local")
                onClicked: root.controller.revealLocalExport()
            }
        }

        PreferenceRow {
            objectName: "settingsAutomaticImportRow"
            text: qsTr("Importer automatiquement les cartes SD")
            value: root.controller.automaticCardImport
            onToggledTo: (enabled) => root.controller.setAutomaticCardImport(enabled)
        }
        // After a sync that a card's insertion started: how it went, and the card's ejection.
        PreferenceRow {
            objectName: "settingsNotificationsRow"
            text: qsTr("Notifier la fin des importations automatiques")
            enabled: root.controller.automaticCardImport
            value: root.controller.notificationsEnabled
            onToggledTo: (enabled) => root.controller.setNotificationsEnabled(enabled)
        }
        PreferenceRow {
            objectName: "settingsLaunchAtLoginRow"
            text: qsTr("Ouvrir \u00e0 la connexion")
            value: root.controller.launchAtLogin
            onToggledTo: (enabled) => root.controller.setLaunchAtLogin(enabled)
        }

        RowLayout {
            Layout.fillWidth: true
            Item { Layout.fillWidth: true }
            PanelButton {
                objectName: "closeSettingsButton"
                text: qsTr("Fermer")
                onClicked: root.closeRequested()
            }
        }
    }
}
