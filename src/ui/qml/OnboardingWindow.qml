import QtQuick
import QtQuick.Window

// The onboarding's window: dark, 790 x 590, never larger, never smaller than 720 x 540.
Window {
    id: window

    required property QtObject controller
    signal finishRequested()

    width: 790
    height: 590
    minimumWidth: 720
    minimumHeight: 540
    maximumWidth: 790
    maximumHeight: 590
    color: Theme.windowBackground
    flags: Qt.Window | Qt.WindowTitleHint | Qt.WindowCloseButtonHint | Qt.WindowMinimizeButtonHint

    MacOnboardingView {
        objectName: "onboardingView"
        anchors.fill: parent
        controller: window.controller
        onFinish: window.finishRequested()
    }
}
