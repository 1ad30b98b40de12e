import QtQuick
import QtQuick.Window
import Velunora.Ui

// The history in a window of its own, in the panel's look.
Window {
    id: window

    required property NightsHistory history
    signal reportRequested()

    // The room the screen leaves, which the app gives; none in tests and pictures. The whole
    // window shrinks alike on a screen too small for it.
    property size availableSize: Qt.size(0, 0)
    readonly property real fit: availableSize.width > 0 && availableSize.height > 0
                                ? Math.min(1, availableSize.width / 760, availableSize.height / 600)
                                : 1

    title: qsTr("Historique des nuits")
    color: Theme.panelBackground
    width: Math.min(view.implicitWidth, availableSize.width > 0 ? availableSize.width / fit : 100000) * fit
    height: Math.min(view.implicitHeight, availableSize.height > 0 ? availableSize.height / fit : 100000) * fit
    minimumWidth: 760 * fit
    minimumHeight: 600 * fit

    HistoryView {
        id: view
        width: window.width / window.fit
        height: window.height / window.fit
        scale: window.fit
        transformOrigin: Item.TopLeft
        history: window.history
        onReportRequested: window.reportRequested()
    }

    Shortcut {
        sequence: "Escape"
        onActivated: window.close()
    }
}
