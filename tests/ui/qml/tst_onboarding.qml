import QtQuick
import QtTest
import Velunora.Ui
import Velunora.Preview

// The onboarding's navigation rules and its two pages that act on the controller, on the real
// controller over services in memory.
TestCase {
    id: testCase
    name: "Onboarding"
    width: 790
    height: 590
    visible: true
    when: windowShown

    // The view holds its session, whose controller it shows, and lets it go once the view is
    // gone, so that the view never outlives its controller.
    Component {
        id: viewHarness
        Item {
            id: viewRoot
            required property PreviewSession session
            readonly property alias view: view
            readonly property SyncController controller: session.controller
            width: 790
            height: 590
            OnboardingView {
                id: view
                anchors.fill: parent
                controller: viewRoot.session.controller
            }
            Component.onDestruction: session.destroy()
        }
    }
    Component {
        id: windowHarness
        Item {
            id: windowRoot
            required property PreviewSession session
            readonly property alias window: window
            OnboardingWindow {
                id: window
                controller: windowRoot.session.controller
            }
            Component.onDestruction: session.destroy()
        }
    }
    Component {
        id: sessionComponent
        PreviewSession {}
    }
    Component {
        id: signalSpy
        SignalSpy {}
    }

    function makeView(settings) {
        const session = sessionComponent.createObject(null, settings || {})
        const harness = createTemporaryObject(viewHarness, testCase, { session: session })
        verify(harness !== null)
        const finished = createTemporaryObject(signalSpy, testCase, { target: harness.view, signalName: "finish" })
        return { view: harness.view, controller: harness.controller, session: session,
                 finished: finished }
    }

    function item(root, name) {
        const found = findChild(root, name)
        verify(found !== null, "no item " + name)
        return found
    }

    function settle(view) {
        tryCompare(view, "leavingPage", -1)
    }

    function goToPage(view, page) {
        while (view.page < page) {
            mouseClick(item(view, "rightButton"))
            settle(view)
        }
        compare(view.page, page)
    }

    function test_navigationButtonsOnEachPage() {
        const made = makeView()
        const left = item(made.view, "leftButton")
        const right = item(made.view, "rightButton")
        const labels = [["Plus tard", "Continuer"], ["Retour", "Continuer"],
                        ["Retour", "Continuer"], ["Retour", "Terminer"]]
        for (let page = 0; page < 4; ++page) {
            compare(made.view.page, page)
            compare(left.text, labels[page][0], "left button on page " + (page + 1))
            compare(right.text, labels[page][1], "right button on page " + (page + 1))
            if (page < 3) {
                mouseClick(right)
                settle(made.view)
            }
        }
        for (let page = 3; page > 0; --page) {
            mouseClick(left)
            compare(made.view.page, page - 1)
            settle(made.view)
        }
        compare(left.text, "Plus tard")
        compare(made.finished.count, 0, "going back to the first page does not finish")
    }

    function test_plusTardAndTerminerFinish() {
        const made = makeView()
        mouseClick(item(made.view, "leftButton"))
        compare(made.finished.count, 1)
        compare(made.view.page, 0)

        goToPage(made.view, 3)
        mouseClick(item(made.view, "leftButton"))
        compare(made.finished.count, 1, "Retour only goes back")
        compare(made.view.page, 2)
        settle(made.view)

        goToPage(made.view, 3)
        mouseClick(item(made.view, "rightButton"))
        compare(made.finished.count, 2)
        compare(made.view.page, 3)
    }

    function test_returnActivatesTheRightHandButtonOnEveryPage() {
        const made = makeView()
        // Keys reach a window the user works in, the active one.
        made.view.Window.window.requestActivate()
        tryCompare(made.view.Window, "active", true)
        made.view.forceActiveFocus()
        keyClick(Qt.Key_Return)
        compare(made.view.page, 1)
        settle(made.view)
        keyClick(Qt.Key_Enter)
        compare(made.view.page, 2)
        settle(made.view)

        // A focused button of the page must not swallow it.
        mouseClick(item(made.view, "cardButton"))
        keyClick(Qt.Key_Return)
        compare(made.view.page, 3)
        settle(made.view)
        compare(made.finished.count, 0)

        mouseClick(item(made.view, "automaticImportToggleSwitch"))
        keyClick(Qt.Key_Return)
        compare(made.finished.count, 1, "Return is Terminer on the last page")
        compare(made.view.page, 3)
    }

    function test_stepListMarksTheStepsBehind() {
        // Per page, each step: C current, D done (a check instead of its number), - neither.
        const expected = ["C---", "DC--", "DDC-", "DDDC"]
        const made = makeView()
        for (let page = 0; page < 4; ++page) {
            goToPage(made.view, page)
            for (let step = 1; step <= 4; ++step) {
                const label = item(made.view, "stepLabel" + step)
                const mark = expected[page][step - 1]
                const where = "step " + step + " on page " + (page + 1)
                compare(label.isCurrent, mark === "C", where)
                compare(label.isDone, mark === "D", where)
                compare(item(label, "stepCheck").visible, mark === "D", where)
                compare(item(label, "stepNumber").visible, mark !== "D", where)
            }
        }
    }

    function test_pagesEnterFromTheTrailingEdgeBothWays() {
        const made = makeView()
        for (const step of [{ button: "rightButton", from: 0, to: 1 },
                            { button: "leftButton", from: 1, to: 0 }]) {
            mouseClick(item(made.view, step.button))
            const entering = item(made.view, "currentPage")
            const leaving = item(made.view, "leavingPage")
            compare(entering.index, step.to)
            compare(leaving.index, step.from)
            verify(entering.x > 0, "the new page starts on the trailing side")
            verify(entering.opacity < 1)
            tryVerify(() => leaving.x < -20, 5000, "the page left moves towards the leading edge")
            settle(made.view)
            compare(entering.x, 0)
            compare(entering.opacity, 1)
            verify(!leaving.visible)
        }
    }

    function test_cardPageFollowsTheDetectedCard() {
        const made = makeView()
        goToPage(made.view, 2)
        const heading = item(made.view, "cardHeading")
        const line = item(made.view, "cardLine")
        const button = item(made.view, "cardButton")
        const symbol = item(item(made.view, "cardTile"), "cardSymbol")

        compare(heading.text, "Choisissez la carte SD")
        compare(line.text, "S\u00e9lectionnez le volume qui contient les donn\u00e9es de votre appareil.")
        compare(button.text, "Choisir une carte SD\u2026")
        compare(symbol.name, "folder.badge.questionmark")
        verify(Qt.colorEqual(symbol.color, Theme.orange))
        mouseClick(button)
        compare(made.session.folderChoices, 1)

        made.session.insertCard()
        compare(made.view.page, 2, "recognising a card does not leave the page")
        compare(heading.text, "ResMed AirSense 10 AutoSet")
        compare(line.text, "La carte est reconnue et pr\u00eate \u00e0 \u00eatre synchronis\u00e9e.")
        compare(button.text, "Changer de carte\u2026")
        compare(symbol.name, "checkmark.shield.fill")
        verify(Qt.colorEqual(symbol.color, Theme.mint))
        mouseClick(button)
        compare(made.session.folderChoices, 2)

        made.session.removeCard()
        compare(heading.text, "Choisissez la carte SD")
        compare(button.text, "Choisir une carte SD\u2026")
    }

    function test_togglesMirrorTheController() {
        const made = makeView({ refusesLaunchAtLogin: true })
        goToPage(made.view, 3)
        const automatic = item(made.view, "automaticImportToggleSwitch")
        const login = item(made.view, "launchAtLoginToggleSwitch")
        verify(automatic.checked)
        verify(!login.checked)

        mouseClick(automatic)
        compare(made.session.setting("automatic-card-import"), false)
        verify(!automatic.checked)
        made.controller.setAutomaticCardImport(true)
        verify(automatic.checked, "a change made in the tray panel shows here too")

        mouseClick(login)
        compare(made.session.autostartRequests, ["register"])
        verify(!login.checked, "a refused login item springs back")
        made.session.refusesLaunchAtLogin = false
        made.controller.setLaunchAtLogin(true)
        verify(login.checked)
    }

    function test_arrowsPulseOnlyWhileTheWelcomePageIsOnScreen() {
        const window = createTemporaryObject(windowHarness, testCase, {
            session: sessionComponent.createObject(null) }).window
        const finished = createTemporaryObject(signalSpy, testCase, { target: window, signalName: "finishRequested" })
        const view = item(window.contentItem, "onboardingView")
        verify(!view.isAnimating, "nothing moves before the window is shown")
        verify(!view.arrowsPulsing)

        window.show()
        window.requestActivate()
        tryCompare(view, "activeFocus", true, 5000, "Return works as soon as the window opens")
        tryCompare(view, "isAnimating", true)
        verify(view.arrowsPulsing)
        const arrow = item(view, "firstArrow")
        tryCompare(arrow, "active", true)
        tryCompare(arrow, "active", false)

        window.hide()
        tryCompare(view, "arrowsPulsing", false)
        window.show()
        tryCompare(view, "arrowsPulsing", true)

        mouseClick(item(view, "rightButton"))
        settle(view)
        verify(!view.arrowsPulsing, "no pulse behind another page")
        mouseClick(item(view, "leftButton"))
        verify(view.arrowsPulsing)
        // Then they rest: an introduction left open draws nothing.
        view.flipsLeft = 1
        tryCompare(view, "arrowsPulsing", false, 10000)
        compare(arrow.active, false, "back where they started")

        settle(view)
        mouseClick(item(view, "leftButton"))
        compare(finished.count, 1, "Plus tard reaches the window's owner")
    }
}
