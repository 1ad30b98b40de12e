import QtQuick
import QtTest
import Velunora.Ui
import Velunora.Preview

// The history window as a keyboard user reads it, over nights read from a generated card.
TestCase {
    id: testCase
    name: "History"
    width: 1180
    height: 760
    visible: true
    when: windowShown

    Component {
        id: viewComponent
        HistoryView {}
    }
    Component {
        id: sessionComponent
        PreviewSession {}
    }

    function test_theListFollowsTheKeyboardAndThePeriodTheButtons() {
        const session = sessionComponent.createObject(testCase) as PreviewSession
        session.publishNights(100)
        const history = session.controller.history
        const view = viewComponent.createObject(testCase, { history: history })
        waitForRendering(view)
        const list = findChild(view, "nightList")
        const nights = list.count
        verify(nights > 20 && nights <= 30, "the last 30 days: " + nights)
        compare(list.currentIndex, 0, "the newest night is chosen")
        const newest = history.selectedNight
        verify(history.selectedHasSeries, "the newest night keeps its series")

        list.forceActiveFocus()
        keyClick(Qt.Key_Down)
        compare(history.selectedNight, history.nights.nightAt(1))
        verify(history.selectedNight < newest)
        keyClick(Qt.Key_Up)
        compare(history.selectedNight, newest)

        mouseClick(findChild(view, "period90"))
        compare(history.periodDays, 90)
        verify(list.count > nights, "90 days list more nights")
        compare(history.dayHours.length, 90)
        mouseClick(findChild(view, "period0"))
        compare(history.dayHours.length, 100, "every day since the first night")
        compare(history.selectedNight, newest, "the chosen night stays chosen")

        view.destroy()
        session.destroy()
    }
}
