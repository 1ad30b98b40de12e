pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Layouts
import Velunora.Ui

// The published nights over a period: hours of use and AHI per day, the period's figures, the
// list of nights and the chosen night in detail. Reads the history; never changes a night.
Item {
    id: root

    required property NightsHistory history
    signal reportRequested()

    implicitWidth: 1180
    implicitHeight: 760

    RowLayout {
        anchors.fill: parent
        anchors.margins: 18
        spacing: 18

        // The period: its figures, then its nights.
        ColumnLayout {
            spacing: 10
            Layout.preferredWidth: 250
            Layout.minimumWidth: 250
            Layout.maximumWidth: 250
            Layout.fillHeight: true

            Text {
                text: qsTr("Historique des nuits")
                font: Theme.title3
                color: Theme.primaryText
            }
            RowLayout {
                objectName: "periodChoice"
                spacing: 6
                Repeater {
                    model: [
                        { days: 30, label: qsTr("30 jours") },
                        { days: 90, label: qsTr("90 jours") },
                        { days: 365, label: qsTr("1 an") },
                        { days: 0, label: qsTr("Tout") }
                    ]
                    PanelButton {
                        required property var modelData
                        objectName: "period" + modelData.days
                        text: modelData.label
                        prominent: root.history.periodDays === modelData.days
                        checkable: true
                        checked: prominent
                        Accessible.name: qsTr("Période : %1").arg(modelData.label)
                        onClicked: root.history.periodDays = modelData.days
                    }
                }
            }
            ListView {
                id: nightList
                objectName: "nightList"
                model: root.history.nights
                clip: true
                focus: true
                activeFocusOnTab: true
                keyNavigationEnabled: true
                highlightMoveDuration: 0
                Layout.fillWidth: true
                Layout.fillHeight: true
                Accessible.role: Accessible.List
                Accessible.name: qsTr("Nuits de la période")
                currentIndex: root.history.nights.rowOfNight(root.history.selectedNight)
                onCurrentIndexChanged: {
                    if (currentIndex >= 0)
                        root.history.selectedNight = root.history.nights.nightAt(currentIndex)
                }
                delegate: Item {
                    id: row
                    required property int index
                    required property string date
                    required property string hours
                    required property string ahi
                    required property bool compliant
                    width: nightList.width
                    height: 26
                    Accessible.role: Accessible.ListItem
                    // The chosen night, brighter while the list has the keyboard.
                    Rectangle {
                        anchors.fill: parent
                        radius: 6
                        visible: row.ListView.isCurrentItem
                        color: Theme.withAlpha(Theme.mint, nightList.activeFocus ? 0.22 : 0.12)
                    }
                    Accessible.name: qsTr("%1 : %2, IAH %3").arg(row.date).arg(row.hours).arg(row.ahi)
                    MouseArea {
                        anchors.fill: parent
                        onClicked: {
                            nightList.currentIndex = row.index
                            nightList.forceActiveFocus()
                        }
                    }
                    RowLayout {
                        anchors.fill: parent
                        anchors.leftMargin: 8
                        anchors.rightMargin: 8
                        spacing: 8
                        Text {
                            text: row.date
                            font: Theme.caption
                            color: Theme.primaryText
                            Layout.fillWidth: true
                        }
                        Text {
                            text: row.hours
                            font: Theme.captionSemibold
                            color: row.compliant ? Theme.primaryText : Theme.orange
                            horizontalAlignment: Text.AlignRight
                            Layout.preferredWidth: 56
                        }
                        Text {
                            text: row.ahi
                            font: Theme.caption
                            color: Theme.secondaryText
                            horizontalAlignment: Text.AlignRight
                            Layout.preferredWidth: 56
                        }
                    }
                }
            }
        }

        // The charts of the period, then the chosen night.
        ColumnLayout {
            spacing: 8
            Layout.fillWidth: true
            Layout.fillHeight: true

            RowLayout {
                Layout.fillWidth: true
                Text {
                    text: qsTr("Heures d\u2019utilisation par nuit")
                    font: Theme.calloutSemibold
                    color: Theme.primaryText
                    Layout.fillWidth: true
                }
                PanelButton {
                    objectName: "reportButton"
                    text: qsTr("Rapport\u2026")
                    Accessible.description: qsTr("Enregistre le rapport PDF et le tableau CSV de la période pour le médecin")
                    onClicked: root.reportRequested()
                }
            }
            AxisChart {
                objectName: "hoursChart"
                values: root.history.dayHours
                bars: true
                yMaximum: root.history.hoursMaximum
                threshold: 4
                unit: qsTr("h")
                color: Theme.mint
                belowColor: Theme.orange
                accessibleName: qsTr("Heures d\u2019utilisation par nuit, trait à 4 h")
                Layout.fillWidth: true
                Layout.preferredHeight: 120
            }
            RowLayout {
                Layout.fillWidth: true
                Layout.leftMargin: 40
                Text {
                    objectName: "periodStart"
                    text: root.history.periodStart
                    font: Theme.caption2
                    color: Theme.secondaryText
                    Layout.fillWidth: true
                }
                Text {
                    text: root.history.periodEnd
                    font: Theme.caption2
                    color: Theme.secondaryText
                }
            }
            Text {
                text: qsTr("IAH par nuit")
                font: Theme.calloutSemibold
                color: Theme.primaryText
            }
            AxisChart {
                objectName: "ahiChart"
                values: root.history.dayAHI
                yMaximum: root.history.ahiMaximum
                threshold: 5
                unit: qsTr("/h")
                color: Theme.cyan
                accessibleName: qsTr("IAH par nuit, trait à 5 par heure")
                Layout.fillWidth: true
                Layout.preferredHeight: 80
            }
            Divider {}
            Text {
                objectName: "selectedTitle"
                text: root.history.selectedTitle
                font: Theme.headline
                color: Theme.primaryText
            }
            Flow {
                id: nightFigures
                objectName: "selectedFigures"
                spacing: 3
                Layout.fillWidth: true
                Repeater {
                    model: root.history.selectedFigures
                    delegate: Row {
                        required property string label
                        required property string value
                        readonly property bool wide: label === qsTr("Sessions")
                        width: wide ? nightFigures.width : (nightFigures.width - 3) / 2
                        spacing: 6
                        Text {
                            text: parent.label
                            width: parent.wide ? implicitWidth : parent.width * 0.6
                            font: Theme.caption
                            color: Theme.secondaryText
                            elide: Text.ElideRight
                        }
                        Text {
                            text: parent.value
                            width: parent.width - x
                            font: Theme.captionSemibold
                            color: Theme.primaryText
                            elide: Text.ElideRight
                        }
                    }
                }
            }
            ColumnLayout {
                objectName: "nightSeries"
                visible: root.history.selectedHasSeries
                spacing: 2
                Layout.fillWidth: true
                Layout.fillHeight: true
                SeriesChart {
                    title: qsTr("Pression (cmH\u2082O)")
                    points: root.history.pressurePoints
                    xMaximum: root.history.selectedSpanHours
                    color: Theme.mint
                }
                SeriesChart {
                    title: qsTr("Fuite (L/min)")
                    points: root.history.leakPoints
                    xMaximum: root.history.selectedSpanHours
                    color: Theme.orange
                }
                SeriesChart {
                    title: qsTr("Débit (L/min), événements marqués")
                    points: root.history.flowPoints
                    xMaximum: root.history.selectedSpanHours
                    color: Theme.cyan
                    marks: root.history.eventTimes
                }
            }
            Text {
                visible: !root.history.selectedHasSeries && root.history.selectedNight >= 0
                text: qsTr("Les courbes de pression, de fuite et de débit sont gardées pour les dernières nuits seulement.")
                font: Theme.caption
                color: Theme.secondaryText
                wrapMode: Text.Wrap
                Layout.fillWidth: true
            }
            Item { Layout.fillHeight: !root.history.selectedHasSeries }
        }

        // The figures of the period, as the report gives them.
        ColumnLayout {
            spacing: 6
            Layout.preferredWidth: 320
            Layout.minimumWidth: 320
            Layout.maximumWidth: 320
            Layout.fillHeight: true
            Text {
                objectName: "periodText"
                text: root.history.periodText
                font: Theme.caption
                color: Theme.secondaryText
                wrapMode: Text.Wrap
                Layout.fillWidth: true
            }
            Column {
                objectName: "periodFigures"
                spacing: 5
                Layout.fillWidth: true
                Repeater {
                    model: root.history.periodFigures
                    Row {
                        required property string label
                        required property string value
                        width: parent.width
                        spacing: 8
                        Text {
                            text: parent.label
                            width: 150
                            font: Theme.caption
                            color: Theme.secondaryText
                            wrapMode: Text.Wrap
                        }
                        Text {
                            text: parent.value
                            width: parent.width - 158
                            font: Theme.captionSemibold
                            color: Theme.primaryText
                            wrapMode: Text.Wrap
                        }
                    }
                }
            }
            Item { Layout.fillHeight: true }
        }
    }
}
