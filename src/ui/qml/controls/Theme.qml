pragma Singleton
import QtQuick

// Every colour, size and type style of the panel and the onboarding, named once.
QtObject {
    readonly property color mint: "#63d9cf"
    readonly property color orange: "#ff9f0a"
    readonly property color destructive: "#ff6b61"
    readonly property color primaryText: "#f3f5f6"
    readonly property color secondaryText: "#9ba5ab"
    readonly property color textOnMint: "#0b1a1a"
    readonly property color panelBackground: "#1a1e22"
    readonly property color panelBorder: Qt.rgba(1, 1, 1, 0.10)
    readonly property color divider: Qt.rgba(1, 1, 1, 0.09)
    readonly property color controlFill: Qt.rgba(1, 1, 1, 0.09)
    readonly property color controlFillHovered: Qt.rgba(1, 1, 1, 0.14)
    readonly property color windowBackground: "#121619"
    readonly property color switchOffFill: Qt.rgba(1, 1, 1, 0.16)
    readonly property color switchKnob: "#ffffff"
    readonly property color focusRing: Qt.rgba(1, 1, 1, 0.85)

    // The onboarding window.
    readonly property color sidebarTopLeading: Qt.rgba(0.055, 0.105, 0.12, 1)
    readonly property color sidebarBottomTrailing: Qt.rgba(0.055, 0.065, 0.09, 1)
    readonly property color navigationBarFill: Qt.rgba(0, 0, 0, 0.12)
    readonly property color idlePageDot: Qt.rgba(1, 1, 1, 0.16)
    readonly property color idleStepFill: Qt.rgba(1, 1, 1, 0.07)
    readonly property color onboardingPanelFill: Qt.rgba(1, 1, 1, 0.045)
    readonly property color onboardingDivider: Qt.rgba(1, 1, 1, 0.08)
    readonly property color cardTileFill: Qt.rgba(1, 1, 1, 0.055)
    readonly property color settingTileFill: Qt.rgba(mint.r, mint.g, mint.b, 0.11)
    readonly property color purple: "#bf5af2"
    readonly property color cyan: "#64d2ff"

    function withAlpha(colour, alpha) {
        return Qt.rgba(colour.r, colour.g, colour.b, alpha)
    }

    // Inter is the pinned typeface (installed with the app's packages); the desktop's sans
    // serif stands in when it is missing.
    readonly property string family: "Inter"

    readonly property font title: Qt.font({ family: family, pixelSize: 30, weight: Font.Bold })
    readonly property font title2: Qt.font({ family: family, pixelSize: 21, weight: Font.DemiBold })
    readonly property font title3: Qt.font({ family: family, pixelSize: 18, weight: Font.DemiBold })
    readonly property font headline: Qt.font({ family: family, pixelSize: 14, weight: Font.DemiBold })
    readonly property font body: Qt.font({ family: family, pixelSize: 14 })
    readonly property font callout: Qt.font({ family: family, pixelSize: 13 })
    readonly property font calloutSemibold: Qt.font({ family: family, pixelSize: 13, weight: Font.DemiBold })
    readonly property font caption: Qt.font({ family: family, pixelSize: 12 })
    readonly property font captionSemibold: Qt.font({ family: family, pixelSize: 12, weight: Font.DemiBold })
    readonly property font captionBold: Qt.font({ family: family, pixelSize: 12, weight: Font.Bold })
    readonly property font caption2: Qt.font({ family: family, pixelSize: 11 })
    readonly property font caption2Bold: Qt.font({ family: family, pixelSize: 11, weight: Font.Bold })

    readonly property int panelWidth: 360
    readonly property int panelPadding: 18
    readonly property int panelSpacing: 16
    readonly property int cornerRadius: 12
}
