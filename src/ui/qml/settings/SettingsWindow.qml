import QtQuick
import QtQuick.Window
import Velunora.Ui

// The settings in a window of their own, in the panel's look.
Window {
    id: window

    required property SyncController controller

    // The room the screen leaves, which the app gives; none in tests and pictures. The whole
    // window shrinks alike on a screen too small for it.
    property size availableSize: Qt.size(0, 0)
    readonly property real fit: availableSize.width > 0 && availableSize.height > 0
                                ? Math.min(1, availableSize.width / view.implicitWidth,
                                           availableSize.height / view.implicitHeight)
                                : 1

    title: qsTr("R\u00e9glages")
    color: Theme.panelBackground
    width: view.implicitWidth * fit
    height: view.implicitHeight * fit
    minimumWidth: view.implicitWidth * fit
    minimumHeight: view.implicitHeight * fit

    SettingsView {
        id: view
        objectName: "settingsView"
        width: window.width / window.fit
        height: window.height / window.fit
        scale: window.fit
        transformOrigin: Item.TopLeft
        controller: window.controller
        onCloseRequested: window.close()
    }

    Shortcut {
        sequence: "Escape"
        onActivated: window.close()
    }
}
