import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Window
import Velunora.Ui

// The window that holds the panel: a frameless popup by the tray icon that closes when it loses
// focus, or an ordinary window where the app cannot place one (Wayland) or has no tray.
Window {
    id: window

    required property SyncController controller
    // A popup by the icon, placed by the app.
    property bool besideTray: true
    // The tray item is there: closing the window only hides it.
    property bool trayPresent: besideTray
    // Said at the top when there is no tray item: how to get one, and what closing costs.
    property string noTrayAdvice: ""
    // Of the screen the panel opens on; the content scrolls past it.
    property int availableHeight: 100000
    signal reviewOnboardingRequested()
    signal settingsRequested()
    signal historyRequested()
    signal quitRequested()

    readonly property int contentHeight: (advice.visible ? advice.implicitHeight : 0)
                                         + panel.implicitHeight
    readonly property int fittingHeight: Math.min(contentHeight,
                                                  Math.max(200, availableHeight - 12))

    title: "Velunora Sync"
    flags: besideTray ? (Qt.Tool | Qt.FramelessWindowHint | Qt.WindowStaysOnTopHint) : Qt.Window
    color: besideTray ? "transparent" : Theme.panelBackground
    width: panel.implicitWidth
    height: fittingHeight
    minimumWidth: panel.implicitWidth
    minimumHeight: fittingHeight
    maximumWidth: panel.implicitWidth
    maximumHeight: fittingHeight

    onActiveChanged: {
        if (!active && besideTray)
            hide()
    }
    // Without a tray this window is the only way to the app: closing it ends the app rather
    // than leave a process that nothing shows.
    onClosing: {
        if (!trayPresent)
            window.quitRequested()
    }

    Rectangle {
        anchors.fill: parent
        radius: window.besideTray ? Theme.cornerRadius : 0
        color: Theme.panelBackground
        border.width: window.besideTray ? 1 : 0
        border.color: Theme.panelBorder

        Flickable {
            id: scroller
            anchors.fill: parent
            clip: contentHeight > height
            contentWidth: width
            contentHeight: window.contentHeight
            boundsBehavior: Flickable.StopAtBounds
            interactive: contentHeight > height
            ScrollBar.vertical: ScrollBar {
                objectName: "panelScrollBar"
                policy: scroller.contentHeight > scroller.height ? ScrollBar.AlwaysOn
                                                                  : ScrollBar.AlwaysOff
            }

            Column {
                id: content
                width: scroller.width

                Text {
                    id: advice
                    objectName: "noTrayAdvice"
                    visible: window.noTrayAdvice.length > 0
                    text: window.noTrayAdvice
                    wrapMode: Text.Wrap
                    font: Theme.caption
                    color: Theme.secondaryText
                    width: parent.width
                    leftPadding: Theme.panelPadding
                    rightPadding: Theme.panelPadding
                    topPadding: Theme.panelPadding
                }

                SyncMenuView {
                    id: panel
                    width: parent.width
                    height: implicitHeight
                    controller: window.controller
                    onReviewOnboardingRequested: window.reviewOnboardingRequested()
                    onSettingsRequested: window.settingsRequested()
                    onHistoryRequested: window.historyRequested()
                    onQuitRequested: window.quitRequested()
                }
            }
        }
    }

    Shortcut {
        sequence: "Ctrl+H"
        enabled: window.controller.history.hasNights
        onActivated: window.historyRequested()
    }
    Shortcut {
        sequence: "Escape"
        enabled: window.trayPresent
        onActivated: window.hide()
    }
}
