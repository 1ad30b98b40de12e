import QtQuick
import QtQuick.Window
import Velunora.Ui

// The settings in a window of their own, in the panel's look.
Window {
    id: window

    required property SyncController controller

    title: qsTr("R\u00e9glages")
    color: Theme.panelBackground
    width: view.implicitWidth
    height: view.implicitHeight
    minimumWidth: view.implicitWidth
    minimumHeight: view.implicitHeight

    SettingsView {
        id: view
        anchors.fill: parent
        controller: window.controller
        onCloseRequested: window.close()
    }

    Shortcut {
        sequence: "Escape"
        onActivated: window.close()
    }
}
