import QtQuick
import QtTest
import Velunora.Ui
import Velunora.Preview
import Velunora.TestSupport

// The settings window on the real controller over services in memory: each store's form, what
// its buttons hand over, and that a store cannot change while a sync works on the current one.
TestCase {
    id: testCase
    name: "Settings"
    width: 500
    height: 800
    visible: true
    when: windowShown

    Component {
        id: viewComponent
        SettingsView {
            width: 480
        }
    }
    Component {
        id: sessionComponent
        PreviewSession {}
    }
    RecordingWebServer {
        id: server
    }

    property var created: []
    function cleanup() {
        for (const pair of created) {
            pair.view.destroy()
            pair.session.destroy()
        }
        created = []
    }

    function makeView(store) {
        const session = sessionComponent.createObject(testCase, { store: store || "local" }) as PreviewSession
        const view = viewComponent.createObject(testCase, { controller: session.controller })
        created.push({ view: view, session: session })
        waitForRendering(view)
        return view
    }

    function sessionOf(view) {
        return created.find(pair => pair.view === view).session
    }

    function child(view, name) {
        const item = findChild(view, name)
        verify(item !== null, name)
        return item
    }

    function test_eachStoreShowsItsOwnForm() {
        const view = makeView("webdav")
        verify(child(view, "webDAVForm").visible)
        verify(!child(view, "localForm").visible)
        verify(!child(view, "iCloudForm").visible)

        mouseClick(child(view, "localOption"))
        verify(child(view, "localForm").visible)
        verify(!child(view, "webDAVForm").visible)
        compare(view.controller.storeChoice.kind, "webdav", "looking is not choosing")

        mouseClick(child(view, "iCloudOption"))
        verify(child(view, "iCloudForm").visible)
        verify(child(view, "iCloudSignInButton").visible)
        mouseClick(child(view, "iCloudSignInButton"))
        compare(sessionOf(view).signInPages, 1, "the sign-in page opens in the browser")
        sessionOf(view).returnFromSignIn("Camille Martin")
        tryVerify(() => child(view, "iCloudSignOutButton").visible)
    }

    // Return presses the button that has the focus, never another: "Fermer" closes, the sign-in
    // button signs in, and neither happens for the other.
    function test_returnPressesTheFocusedButton() {
        const view = makeView("icloud")
        const closes = createTemporaryObject(spyComponent, testCase,
                                             { target: view, signalName: "closeRequested" })
        child(view, "iCloudSignInButton").forceActiveFocus()
        keyClick(Qt.Key_Return)
        compare(sessionOf(view).signInPages, 1)
        compare(closes.count, 0)
        child(view, "closeSettingsButton").forceActiveFocus()
        keyClick(Qt.Key_Enter)
        compare(closes.count, 1)
        compare(sessionOf(view).signInPages, 1)
    }
    // The hint under the folder wraps onto lines of its own, above the button, in the window
    // as the app opens it.
    function test_theFolderHintFitsAboveItsButton() {
        const session = sessionComponent.createObject(testCase, { store: "local" }) as PreviewSession
        const window = settingsWindowComponent.createObject(
                           testCase, { controller: session.controller }) as SettingsWindow
        window.show()
        waitForRendering(window.contentItem)
        const hint = findChild(window.contentItem, "localFolderHint")
        const button = findChild(window.contentItem, "chooseLocalFolderButton")
        verify(hint.lineCount >= 2, "a hint that wraps")
        const hintBottom = hint.mapToItem(window.contentItem, 0, hint.contentHeight).y
        const buttonTop = button.mapToItem(window.contentItem, 0, 0).y
        verify(buttonTop >= hintBottom, "the button covers the hint: " + buttonTop + " < " + hintBottom)
        window.destroy()
        session.destroy()
    }
    // On a screen too small for them (1280 x 800 at scale 2: 640 x 360 once the panels and the
    // title bar are counted), the settings and the introduction shrink whole: their last
    // buttons stay on screen and still answer the pointer.
    function test_windowsFitASmallScreen() {
        const room = Qt.size(640, 360)
        const session = sessionComponent.createObject(testCase, { store: "local" }) as PreviewSession
        const settings = settingsWindowComponent.createObject(
                             testCase, { controller: session.controller, availableSize: room })
                         as SettingsWindow
        const onboarding = onboardingWindowComponent.createObject(
                               testCase, { controller: session.controller, availableSize: room })
                           as OnboardingWindow
        const closes = createTemporaryObject(spyComponent, testCase,
                                             { target: findChild(settings.contentItem, "settingsView"),
                                               signalName: "closeRequested" })
        for (const [window, last] of [[settings, "closeSettingsButton"], [onboarding, "rightButton"]]) {
            window.show()
            waitForRendering(window.contentItem)
            verify(window.width <= room.width && window.height <= room.height,
                   window.width + " x " + window.height)
            const button = findChild(window.contentItem, last)
            const corner = button.mapToItem(window.contentItem, button.width, button.height)
            verify(corner.x <= window.width + 1 && corner.y <= window.height + 1,
                   last + " off the window: " + corner.x + ", " + corner.y)
        }
        const close = findChild(settings.contentItem, "closeSettingsButton")
        mouseClick(close)
        compare(closes.count, 1, "the shrunk button still answers")
        closes.destroy()
        settings.destroy()
        onboarding.destroy()
        session.destroy()
    }
    Component {
        id: onboardingWindowComponent
        OnboardingWindow {}
    }
    Component {
        id: settingsWindowComponent
        SettingsWindow {}
    }
    Component {
        id: spyComponent
        SignalSpy {}
    }

    function test_theWebDAVFormHandsOverWhatWasTypedAndForgetsThePassword() {
        const view = makeView("local")
        mouseClick(child(view, "webDAVOption"))
        waitForRendering(view)
        const choice = view.controller.storeChoice
        const address = server.address + "/dav/Velunora"
        child(view, "webDAVAddressField").text = address
        child(view, "webDAVUserField").text = "camille"
        child(view, "webDAVPasswordField").text = "nuit-calme"
        waitForRendering(view)

        mouseClick(child(view, "testConnectionButton"))
        tryVerify(() => server.requests.length > 0, 20000)
        compare(server.requests[0], address + ":camille:nuit-calme",
                "the test runs on what was typed")
        // The server refuses: the form is free again once the test failed.
        tryCompare(choice, "working", false, 20000)
        mouseClick(child(view, "useWebDAVButton"))
        tryCompare(choice, "kind", "webdav", 20000)
        const kept = sessionOf(view).keptWebDAVPasswords
        compare(kept[kept.length - 1], address + ":camille:nuit-calme")
        compare(choice.webDAVAddress, address)
        compare(choice.webDAVUser, "camille")
        compare(child(view, "webDAVPasswordField").text, "", "no password left on screen")
    }

    function test_noStoreChangeWhileASyncRuns() {
        const view = makeView("local")
        sessionOf(view).showStatus("syncing")
        mouseClick(child(view, "webDAVOption"))
        child(view, "webDAVAddressField").text = "https://cloud.example.org/dav"
        verify(!child(view, "useWebDAVButton").enabled)
        verify(child(view, "testConnectionButton").enabled, "a test changes nothing")
    }

    function test_theNotificationsSwitch() {
        const view = makeView("local")
        const toggle = child(view, "settingsNotificationsRowSwitch")
        verify(toggle.checked)
        mouseClick(toggle)
        compare(sessionOf(view).setting("sync-notifications"), false)
        verify(!toggle.checked)
        view.controller.setAutomaticCardImport(false)
        verify(!child(view, "settingsNotificationsRow").enabled,
               "no automatic import, nothing to notify")
    }

    function test_aRefusedPasswordIsShownAsAFailure() {
        const view = makeView("webdav")
        const choice = view.controller.storeChoice
        sessionOf(view).showStoreOutcome(
            "Le serveur WebDAV a refusé l’identifiant ou le mot de passe.", true)
        const outcome = child(view, "outcome")
        verify(outcome.visible)
        compare(outcome.symbol, "exclamationmark.triangle.fill")
        compare(outcome.text, choice.outcome)
    }
}
