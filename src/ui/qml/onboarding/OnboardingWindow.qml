import QtQuick
import QtQuick.Window
import Velunora.Ui

// The onboarding's window: dark, 790 x 590, never larger, never smaller than 720 x 540; all of it
// shrunk alike on a screen too small for that (1280 x 800 at scale 2).
Window {
    id: window

    required property SyncController controller
    signal finishRequested()
    // The room the screen leaves, which the app gives; none in tests and pictures.
    property size availableSize: Qt.size(0, 0)
    readonly property real fit: availableSize.width > 0 && availableSize.height > 0
                                ? Math.min(1, availableSize.width / 790, availableSize.height / 590)
                                : 1

    width: 790 * fit
    height: 590 * fit
    minimumWidth: 720 * fit
    minimumHeight: 540 * fit
    maximumWidth: 790 * fit
    maximumHeight: 590 * fit
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
        width: window.width / window.fit
        height: window.height / window.fit
        scale: window.fit
        transformOrigin: Item.TopLeft
        controller: window.controller
        onFinish: window.finishRequested()
    }
}
