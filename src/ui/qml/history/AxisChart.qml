pragma ComponentBehavior: Bound

import QtQuick
import Velunora.Ui

// A chart of one value a day with its scale on the left: 0, the threshold and the top.
Item {
    id: root

    property alias values: plot.values
    property alias bars: plot.bars
    property alias yMaximum: plot.yMaximum
    property alias threshold: plot.threshold
    property alias color: plot.color
    property alias belowColor: plot.belowColor
    property string unit
    property string accessibleName

    Accessible.role: Accessible.Chart
    Accessible.name: accessibleName

    Repeater {
        model: [0, root.threshold, root.yMaximum]
        Text {
            required property real modelData
            x: 0
            width: 34
            y: plot.y + plot.height * (1 - modelData / root.yMaximum) - height / 2
            text: Math.round(modelData) + " " + root.unit
            font: Theme.caption2
            color: Theme.secondaryText
            horizontalAlignment: Text.AlignRight
        }
    }
    Rectangle {
        x: plot.x
        y: plot.y + plot.height
        width: plot.width
        height: 1
        color: Theme.divider
    }
    ChartPlot {
        id: plot
        x: 40
        y: 6
        width: root.width - x
        height: root.height - 12
        thresholdColor: Theme.withAlpha(Theme.primaryText, 0.45)
    }
}
