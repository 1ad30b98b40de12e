import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Velunora.Ui

// The tray panel: what the sync is doing, the card, the two preferences and the actions. It
// keeps no state: everything is read from the controller and every control calls it.
Item {
    id: root

    required property SyncController controller
    signal reviewOnboardingRequested()
    signal settingsRequested()
    signal historyRequested()
    signal quitRequested()

    readonly property string statusKind: controller.status.kindName
    readonly property bool busy: statusKind === "syncing" || statusKind === "resetting"
    // Where the nights go: "icloud", "webdav" or "local".
    readonly property string store: controller.storeChoice ? controller.storeChoice.kind : "local"

    implicitWidth: Theme.panelWidth
    implicitHeight: sections.implicitHeight + 2 * Theme.panelPadding

    ColumnLayout {
        id: sections
        x: Theme.panelPadding
        y: Theme.panelPadding
        width: root.width - 2 * Theme.panelPadding
        spacing: Theme.panelSpacing

        // Header
        RowLayout {
            spacing: 11
            Layout.fillWidth: true

            Rectangle {
                implicitWidth: 44
                implicitHeight: 44
                radius: 11
                color: Theme.withAlpha(Theme.mint, 0.14)
                SymbolIcon {
                    anchors.centerIn: parent
                    name: "moon.stars.fill"
                    color: Theme.mint
                    size: 22
                }
            }
            ColumnLayout {
                spacing: 2
                Layout.fillWidth: true
                Text {
                    text: "Velunora Sync"
                    font: Theme.headline
                    color: Theme.primaryText
                }
                Text {
                    objectName: "statusTitle"
                    text: root.controller.status.title
                    font: Theme.caption
                    color: Theme.secondaryText
                    elide: Text.ElideRight
                    Layout.fillWidth: true
                }
                // The status forgets a success after a while; this line keeps when it was.
                LastSyncText {
                    objectName: "lastSyncLine"
                    instant: root.controller.hasLastSync ? root.controller.lastSync : undefined
                    Layout.fillWidth: true
                }
                // Whether last night arrived, not only the total.
                Text {
                    objectName: "lastSyncSummaryLine"
                    visible: root.controller.hasLastSync
                    text: root.controller.lastSyncSummary
                    font: Theme.caption
                    color: Theme.secondaryText
                    wrapMode: Text.Wrap
                    Layout.fillWidth: true
                }
            }
            // Exists only while something runs: no animation costs anything when idle.
            Loader {
                objectName: "progressIndicator"
                active: root.busy
                visible: active
                sourceComponent: BusyIndicator {
                    implicitWidth: 20
                    implicitHeight: 20
                    padding: 0
                    running: true
                    contentItem: ProgressRing {}
                }
            }
        }

        Divider { visible: lastNight.visible }

        // Last night, as soon as anything is published, card or no card.
        LastNightView {
            id: lastNight
            objectName: "lastNightView"
            visible: root.controller.history.hasNights
            history: root.controller.history
            Layout.fillWidth: true
            onHistoryRequested: root.historyRequested()
        }

        Divider {}

        // Card section: no card
        ColumnLayout {
            objectName: "noCardSection"
            visible: !root.controller.hasDetectedCard
            spacing: 5
            Layout.fillWidth: true
            SymbolLabel {
                symbol: "sdcard"
                text: qsTr("Aucune carte SD d\u00e9tect\u00e9e")
                font: Theme.calloutSemibold
            }
            Text {
                text: qsTr("Ins\u00e9rez la carte SD de votre appareil de traitement : Velunora Sync l\u2019importera automatiquement.")
                font: Theme.caption
                color: Theme.secondaryText
                wrapMode: Text.Wrap
                Layout.fillWidth: true
            }
        }

        // Card section: a card
        ColumnLayout {
            objectName: "cardSection"
            visible: root.controller.hasDetectedCard
            spacing: 7
            Layout.fillWidth: true
            SymbolLabel {
                objectName: "cardBadge"
                symbol: "sdcard.fill"
                text: root.controller.cardNeedsAccess ? qsTr("CARTE SD \u00c0 AUTORISER") : qsTr("CARTE SD D\u00c9TECT\u00c9E")
                color: root.controller.cardNeedsAccess ? Theme.orange : Theme.mint
                font: Theme.caption2Bold
            }
            Text {
                objectName: "cardName"
                text: root.controller.detectedCardName
                font: Theme.calloutSemibold
                color: Theme.primaryText
                elide: Text.ElideRight
                Layout.fillWidth: true
            }
            MiddleElidedText {
                objectName: "cardPath"
                fullText: root.controller.detectedCardPath
                font: Theme.caption
                color: Theme.secondaryText
                maximumLines: 2
                Layout.fillWidth: true
            }
            // So that the card goes back into the device without a trip to the file manager.
            LinkButton {
                objectName: "ejectCardButton"
                visible: root.controller.canEjectCard
                enabled: !root.busy
                text: qsTr("Éjecter la carte")
                onClicked: root.controller.ejectCard()
            }
            Text {
                objectName: "accessExplanation"
                visible: root.controller.cardNeedsAccess
                text: qsTr("Velunora Sync a besoin de votre autorisation pour lire les donn\u00e9es de la carte.")
                font: Theme.caption
                color: Theme.secondaryText
                wrapMode: Text.Wrap
                Layout.fillWidth: true
            }
        }

        // Failure line
        SymbolLabel {
            objectName: "failureLine"
            visible: root.statusKind === "failed"
            symbol: "exclamationmark.triangle.fill"
            text: root.controller.status.failureText
            color: Theme.orange
            font: Theme.caption
            wraps: true
            Layout.fillWidth: true
        }

        // Actions
        RowLayout {
            spacing: 8
            Layout.fillWidth: true
            PanelButton {
                objectName: "chooseCardButton"
                text: root.controller.cardNeedsAccess ? qsTr("Autoriser l\u2019acc\u00e8s\u2026") : qsTr("Choisir une carte\u2026")
                onClicked: root.controller.chooseCard()
            }
            Item { Layout.fillWidth: true }
            PanelButton {
                objectName: "syncButton"
                text: qsTr("Synchroniser")
                prominent: true
                enabled: root.controller.hasDetectedCard && root.statusKind !== "syncing"
                onClicked: root.controller.startSync()
            }
        }

        PreferenceRow {
            objectName: "automaticImportRow"
            text: qsTr("Importer automatiquement les cartes SD")
            value: root.controller.automaticCardImport
            onToggledTo: (enabled) => root.controller.setAutomaticCardImport(enabled)
        }
        PreferenceRow {
            objectName: "launchAtLoginRow"
            text: qsTr("Ouvrir \u00e0 la connexion")
            value: root.controller.launchAtLogin
            onToggledTo: (enabled) => root.controller.setLaunchAtLogin(enabled)
        }

        ColumnLayout {
            objectName: "panelLinks"
            spacing: 4
            Layout.fillWidth: true
            LinkButton {
                objectName: "revealExportButton"
                visible: root.controller.hasLastSync
                text: qsTr("Afficher l\u2019export local")
                onClicked: root.controller.revealLocalExport()
            }
            LinkButton {
                objectName: "resetButton"
                text: qsTr("R\u00e9initialiser les donn\u00e9es Velunora\u2026")
                destructive: true
                enabled: !root.busy
                onClicked: root.controller.confirmReset()
            }
            LinkButton {
                objectName: "settingsButton"
                text: qsTr("R\u00e9glages\u2026")
                onClicked: root.settingsRequested()
            }
            LinkButton {
                objectName: "reviewOnboardingButton"
                text: qsTr("Revoir la pr\u00e9sentation\u2026")
                onClicked: root.reviewOnboardingRequested()
            }
        }

        Divider {}

        RowLayout {
            Layout.fillWidth: true
            Text {
                objectName: "footer"
                // Says where the nights really go, through the key of each store.
                text: root.store === "icloud" ? qsTr("Donn\u00e9es chiffr\u00e9es dans votre iCloud priv\u00e9", "icloud")
                    : root.store === "webdav" ? qsTr("Nuits publi\u00e9es sur votre serveur")
                    : qsTr("Nuits gard\u00e9es sur cet ordinateur")
                font: Theme.caption2
                color: Theme.secondaryText
                elide: Text.ElideRight
                Layout.fillWidth: true
            }
            LinkButton {
                objectName: "quitButton"
                text: qsTr("Quitter")
                tint: Theme.primaryText
                onClicked: root.quitRequested()
            }
        }
    }
}
