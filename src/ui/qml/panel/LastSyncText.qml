import QtQuick

// When the last sync ended, in the user's words: today, yesterday or the date, and the time.
// `now` moves on every minute while the line is on screen, so today becomes yesterday.
Text {
    id: root

    property var instant
    property var locale: Qt.locale()
    property date now: new Date()
    // Off only where a fixed `now` is shown (tests, pictures): the clock would overwrite it.
    property bool followsClock: true

    function dayNumber(moment) {
        return Math.floor(new Date(moment.getFullYear(), moment.getMonth(), moment.getDate(), 12)
                          .getTime() / 86400000)
    }
    function describe(moment, today) {
        // Hours and minutes, in the locale's way; some short formats keep the seconds.
        const time = moment.toLocaleTimeString(
            root.locale, root.locale.timeFormat(Locale.ShortFormat).replace(/[:.]ss/, ""))
        const days = dayNumber(today) - dayNumber(moment)
        if (days === 0)
            return qsTr("Derni\u00e8re synchronisation : aujourd\u2019hui \u00e0 %1").arg(time)
        if (days === 1)
            return qsTr("Derni\u00e8re synchronisation : hier \u00e0 %1").arg(time)
        const format = moment.getFullYear() === today.getFullYear() ? "d MMMM" : "d MMMM yyyy"
        return qsTr("Derni\u00e8re synchronisation : le %1 \u00e0 %2")
            .arg(moment.toLocaleDateString(root.locale, format)).arg(time)
    }

    readonly property bool known: instant instanceof Date && !isNaN(instant.getTime())

    text: known ? describe(instant, now) : ""
    visible: known
    font: Theme.caption
    color: Theme.secondaryText
    elide: Text.ElideRight

    Timer {
        interval: 60 * 1000
        repeat: true
        running: root.followsClock && root.known && root.Window.window !== null && root.Window.window.visible
        onRunningChanged: if (running) root.now = new Date()
        onTriggered: root.now = new Date()
    }
}
