import QtQuick
import QtQuick.Layouts
import Velunora.Ui

// Last night at a glance, from the published history: its date, hours of use against the four
// hours, AHI and leak, then the last thirty days as one line and a strip of bars.
ColumnLayout {
    id: root

    required property NightsHistory history
    signal historyRequested()

    spacing: 6

    RowLayout {
        spacing: 8
        Layout.fillWidth: true
        Text {
            objectName: "lastNightDate"
            text: root.history.lastNightDate
            font: Theme.caption2Bold
            color: Theme.secondaryText
            elide: Text.ElideRight
            Layout.fillWidth: true
        }
        LinkButton {
            objectName: "historyButton"
            text: qsTr("Historique\u2026")
            onClicked: root.historyRequested()
        }
    }

    RowLayout {
        spacing: 14
        Layout.fillWidth: true
        RowLayout {
            spacing: 5
            Text {
                objectName: "lastNightHours"
                text: root.history.lastNightHours
                font: Theme.title3
                color: Theme.primaryText
                Accessible.name: qsTr("Utilisation : %1").arg(text)
            }
            SymbolIcon {
                objectName: "complianceTick"
                visible: root.history.lastNightCompliant
                name: "checkmark"
                color: Theme.mint
                size: 14
                Accessible.role: Accessible.Graphic
                Accessible.name: qsTr("Au moins 4 h")
            }
        }
        ColumnLayout {
            spacing: 1
            Layout.fillWidth: true
            Text {
                objectName: "lastNightAHI"
                text: qsTr("IAH %1").arg(root.history.lastNightAHI)
                font: Theme.caption
                color: Theme.primaryText
            }
            Text {
                objectName: "lastNightLeak"
                visible: root.history.lastNightLeak !== ""
                text: qsTr("Fuite (95e centile) %1").arg(root.history.lastNightLeak)
                font: Theme.caption
                color: Theme.secondaryText
            }
        }
    }

    // Hours of use per day, the four hours dashed.
    ChartPlot {
        objectName: "recentStrip"
        values: root.history.recentHours
        bars: true
        yMaximum: 10
        threshold: 4
        color: Theme.mint
        belowColor: Theme.orange
        thresholdColor: Theme.withAlpha(Theme.primaryText, 0.45)
        implicitHeight: 28
        Layout.fillWidth: true
        Accessible.role: Accessible.Chart
        Accessible.name: root.history.recentSummary
    }
    Text {
        objectName: "recentSummary"
        text: root.history.recentSummary
        font: Theme.caption
        color: Theme.secondaryText
        wrapMode: Text.Wrap
        Layout.fillWidth: true
    }
}
