import QtQuick
import QtQuick.Window
import Velunora.Ui

// The window that holds the panel: a frameless popup by the tray icon that closes when it loses
// focus, or an ordinary window when the session has no tray.
Window {
    id: window

    required property SyncController controller
    property bool besideTray: true
    signal reviewOnboardingRequested()
    signal settingsRequested()
    signal historyRequested()
    signal quitRequested()

    title: "Velunora Sync"
    flags: besideTray ? (Qt.Tool | Qt.FramelessWindowHint | Qt.WindowStaysOnTopHint) : Qt.Window
    color: besideTray ? "transparent" : Theme.panelBackground
    width: panel.implicitWidth
    height: panel.implicitHeight
    minimumWidth: panel.implicitWidth
    minimumHeight: panel.implicitHeight
    maximumWidth: panel.implicitWidth
    maximumHeight: panel.implicitHeight

    onActiveChanged: {
        if (!active && besideTray)
            hide()
    }
    // Without a tray this window is the only way to the app: closing it ends the app rather
    // than leave a process that nothing shows.
    onClosing: {
        if (!besideTray)
            window.quitRequested()
    }

    Rectangle {
        anchors.fill: parent
        radius: window.besideTray ? Theme.cornerRadius : 0
        color: Theme.panelBackground
        border.width: window.besideTray ? 1 : 0
        border.color: Theme.panelBorder

        SyncMenuView {
            id: panel
            anchors.fill: parent
            controller: window.controller
            onReviewOnboardingRequested: window.reviewOnboardingRequested()
            onSettingsRequested: window.settingsRequested()
            onHistoryRequested: window.historyRequested()
            onQuitRequested: window.quitRequested()
        }
    }

    Shortcut {
        sequence: "Ctrl+H"
        enabled: window.controller.history.hasNights
        onActivated: window.historyRequested()
    }
    Shortcut {
        sequence: "Escape"
        enabled: window.besideTray
        onActivated: window.hide()
    }
}
