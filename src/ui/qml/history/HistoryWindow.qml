import QtQuick
import QtQuick.Window
import Velunora.Ui

// The history in a window of its own, in the panel's look.
Window {
    id: window

    required property NightsHistory history
    signal reportRequested()

    title: qsTr("Historique des nuits")
    color: Theme.panelBackground
    width: view.implicitWidth
    height: view.implicitHeight
    minimumWidth: 760
    minimumHeight: 600

    HistoryView {
        id: view
        anchors.fill: parent
        history: window.history
        onReportRequested: window.reportRequested()
    }

    Shortcut {
        sequence: "Escape"
        onActivated: window.close()
    }
}
