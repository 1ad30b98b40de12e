import QtQuick
import QtQuick.Window
import Velunora.Ui

// The onboarding's window: dark, 790 x 590, never larger, never smaller than 720 x 540.
Window {
    id: window

    required property SyncController controller
    signal finishRequested()

    width: 790
    height: 590
    minimumWidth: 720
    minimumHeight: 540
    maximumWidth: 790
    maximumHeight: 590
    color: Theme.windowBackground
    flags: Qt.Window | Qt.WindowTitleHint | Qt.WindowCloseButtonHint | Qt.WindowMinimizeButtonHint

    // The window moves when its background is dragged, as on a window without a title bar.
    DragHandler {
        target: null
        grabPermissions: PointerHandler.TakeOverForbidden
        onActiveChanged: {
            if (active)
                window.startSystemMove()
        }
    }

    OnboardingView {
        objectName: "onboardingView"
        anchors.fill: parent
        controller: window.controller
        onFinish: window.finishRequested()
    }
}
