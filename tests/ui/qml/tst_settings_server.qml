import QtQuick
import QtTest
import Velunora.Ui
import Velunora.TestSupport

// The settings window on the real store choice, against a real WebDAV server: what the
// connection test tells the user, a refused password, and switching stores both ways.
TestCase {
    id: testCase
    name: "SettingsWithAServer"
    width: 500
    height: 800
    visible: true
    when: windowShown

    ServerSettingsFixture {
        id: serverSettings
    }
    Component {
        id: viewComponent
        SettingsView {
            width: 480
        }
    }

    function child(view, name) {
        const item = findChild(view, name)
        verify(item !== null, name)
        return item
    }

    function type(view, fields) {
        for (const name in fields)
            child(view, name + "Field").text = fields[name]
    }

    function finish(choice) {
        tryCompare(choice, "working", false, 20000)
    }

    function test_connectionTestAndSwitchingStores() {
        if (!serverSettings.start())
            skip("Apache httpd with mod_dav is not installed")
        const choice = serverSettings.storeChoice
        const controller = serverSettings.controller
        const view = viewComponent.createObject(testCase, { controller: controller })
        waitForRendering(view)
        compare(choice.kind, "local")
        mouseClick(child(view, "webDAVOption"))
        waitForRendering(view)

        type(view, { webDAVAddress: serverSettings.address, webDAVUser: serverSettings.user,
                     webDAVPassword: "oubli" })
        mouseClick(child(view, "testConnectionButton"))
        finish(choice)
        const outcome = child(view, "outcome")
        verify(outcome.visible)
        verify(choice.outcomeIsFailure)
        verify(outcome.text.indexOf("refusé") >= 0, outcome.text)
        compare(outcome.symbol, "exclamationmark.triangle.fill")
        compare(choice.kind, "local", "a test changes nothing")

        type(view, { webDAVPassword: serverSettings.password })
        mouseClick(child(view, "testConnectionButton"))
        finish(choice)
        verify(!choice.outcomeIsFailure, outcome.text)
        verify(outcome.text.indexOf("Connexion réussie") >= 0, outcome.text)

        mouseClick(child(view, "useWebDAVButton"))
        finish(choice)
        verify(!choice.outcomeIsFailure, outcome.text)
        compare(choice.kind, "webdav")
        compare(choice.webDAVAddress, serverSettings.address)
        compare(serverSettings.keptPassword(), serverSettings.password)
        compare(child(view, "webDAVPasswordField").text, "", "no password left on screen")

        mouseClick(child(view, "localOption"))
        waitForRendering(view)
        mouseClick(child(view, "useLocalStoreButton"))
        finish(choice)
        verify(!choice.outcomeIsFailure, outcome.text)
        compare(choice.kind, "local")

        view.destroy()
    }
}
