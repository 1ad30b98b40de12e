import QtQuick

// A small spinning arc for the busy indicator, in the panel's colours.
Item {
    implicitWidth: 20
    implicitHeight: 20

    Canvas {
        id: arc
        anchors.fill: parent
        onWidthChanged: requestPaint()
        onHeightChanged: requestPaint()
        onPaint: {
            const context = getContext("2d")
            context.reset()
            context.lineWidth = 2.2
            context.lineCap = "round"
            context.strokeStyle = Theme.withAlpha(Theme.primaryText, 0.18)
            context.beginPath()
            context.arc(width / 2, height / 2, width / 2 - 2, 0, 2 * Math.PI)
            context.stroke()
            context.strokeStyle = Theme.mint
            context.beginPath()
            context.arc(width / 2, height / 2, width / 2 - 2, -Math.PI / 2, Math.PI / 3)
            context.stroke()
        }
        RotationAnimator on rotation {
            from: 0
            to: 360
            duration: 900
            loops: Animation.Infinite
            running: arc.visible
        }
    }
}
