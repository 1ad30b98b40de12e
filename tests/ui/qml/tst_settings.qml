import QtQuick
import QtTest
import Velunora.Ui

// The settings window on a stand-in controller: each store's form, what its buttons hand over,
// and that a store cannot change while a sync works on the current one.
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
        id: controllerComponent
        PreviewController {}
    }

    property var created: []
    function cleanup() {
        for (const pair of created) {
            pair.view.destroy()
            pair.controller.destroy()
        }
        created = []
    }

    function makeView(settings, store) {
        const controller = controllerComponent.createObject(testCase, settings || {})
        controller.storeChoice.kind = store || "local"
        const view = viewComponent.createObject(testCase, { controller: controller })
        created.push({ view: view, controller: controller })
        waitForRendering(view)
        return view
    }

    function child(view, name) {
        const item = findChild(view, name)
        verify(item !== null, name)
        return item
    }

    function test_eachStoreShowsItsOwnForm() {
        const view = makeView({}, "webdav")
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
        verify(child(view, "iCloudSignOutButton").visible)
    }

    function test_theWebDAVFormHandsOverWhatWasTypedAndForgetsThePassword() {
        const view = makeView({}, "local")
        mouseClick(child(view, "webDAVOption"))
        waitForRendering(view)
        const choice = view.controller.storeChoice
        child(view, "webDAVAddressField").text = "https://cloud.example.org/dav/Velunora"
        child(view, "webDAVUserField").text = "camille"
        child(view, "webDAVPasswordField").text = "nuit-calme"
        waitForRendering(view)

        mouseClick(child(view, "testConnectionButton"))
        compare(choice.calls[choice.calls.length - 1],
                "testWebDAVConnection:https://cloud.example.org/dav/Velunora:camille:nuit-calme")
        mouseClick(child(view, "useWebDAVButton"))
        compare(choice.calls[choice.calls.length - 1],
                "useWebDAVStore:https://cloud.example.org/dav/Velunora:camille:nuit-calme")
        compare(choice.kind, "webdav")
        compare(child(view, "webDAVPasswordField").text, "", "no password left on screen")
    }

    function test_noStoreChangeWhileASyncRuns() {
        const view = makeView({ status: { kindName: "syncing", title: "", failureText: "" } }, "local")
        mouseClick(child(view, "webDAVOption"))
        child(view, "webDAVAddressField").text = "https://cloud.example.org/dav"
        verify(!child(view, "useWebDAVButton").enabled)
        verify(child(view, "testConnectionButton").enabled, "a test changes nothing")
    }

    function test_theNotificationsSwitch() {
        const view = makeView({}, "local")
        const toggle = child(view, "settingsNotificationsRowSwitch")
        verify(toggle.checked)
        mouseClick(toggle)
        compare(view.controller.calls[view.controller.calls.length - 1],
                "setNotificationsEnabled:false")
        verify(!toggle.checked)
        view.controller.automaticCardImport = false
        verify(!child(view, "settingsNotificationsRow").enabled,
               "no automatic import, nothing to notify")
    }

    function test_aRefusedPasswordIsShownAsAFailure() {
        const view = makeView({}, "webdav")
        const choice = view.controller.storeChoice
        choice.outcome = "Le serveur WebDAV a refusé l’identifiant ou le mot de passe."
        choice.outcomeIsFailure = true
        const outcome = child(view, "outcome")
        verify(outcome.visible)
        compare(outcome.symbol, "exclamationmark.triangle.fill")
        compare(outcome.text, choice.outcome)
    }
}
