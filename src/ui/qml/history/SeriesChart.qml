import QtQuick
import QtQuick.Layouts
import Velunora.Ui

// One signal of a night over its hours, with its name above.
ColumnLayout {
    id: root

    property string title
    property alias points: plot.points
    property alias xMaximum: plot.xMaximum
    property alias color: plot.color
    property alias marks: plot.marks

    spacing: 2
    Layout.fillWidth: true
    Accessible.role: Accessible.Chart
    Accessible.name: title

    Text {
        text: root.title
        font: Theme.caption2
        color: Theme.secondaryText
    }
    RowLayout {
        spacing: 6
        Layout.fillWidth: true
        ChartPlot {
            id: plot
            lineWidth: 1
            autoRange: true
            markColor: Theme.destructive
            Layout.fillWidth: true
            Layout.preferredHeight: 52
        }
        // The range drawn, since it follows the night's values.
        ColumnLayout {
            spacing: 0
            Layout.preferredWidth: 28
            Layout.fillHeight: true
            Text {
                text: Math.round(plot.shownMaximum)
                font: Theme.caption2
                color: Theme.secondaryText
            }
            Item { Layout.fillHeight: true }
            Text {
                text: Math.round(plot.shownMinimum)
                font: Theme.caption2
                color: Theme.secondaryText
            }
        }
    }
}
