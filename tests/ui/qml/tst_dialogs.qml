import QtQuick
import QtTest
import Velunora.Ui

// The question before the published data is erased: its texts, its buttons in their order, and
// that only the erasing button says yes: Return at once cancels, Return once the focus is on the
// erasing button erases.
TestCase {
    id: testCase
    name: "ResetConfirmation"
    when: windowShown

    Component {
        id: dialogComponent
        ResetConfirmationDialog {}
    }

    function openDialog() {
        const dialog = createTemporaryObject(dialogComponent, testCase)
        dialog.show()
        waitForRendering(dialog.contentItem)
        // Keys go to the active window: on a loaded X display the new one may not be yet.
        dialog.requestActivate()
        tryVerify(() => dialog.active, 10000, "the question takes the keyboard")
        return dialog
    }

    function test_textsAndButtonOrder() {
        const dialog = openDialog()
        compare(findChild(dialog.contentItem, "resetQuestion").text,
                "R\u00e9initialiser toutes les donn\u00e9es Velunora ?")
        const erase = findChild(dialog.contentItem, "eraseButton")
        const cancel = findChild(dialog.contentItem, "cancelButton")
        compare(erase.text, "Effacer les donn\u00e9es publi\u00e9es et locales")
        compare(cancel.text, "Annuler")
        verify(erase.mapToItem(null, 0, 0).y < cancel.mapToItem(null, 0, 0).y, "the erasing button comes first")
        verify(cancel.activeFocus, "the default is to cancel")
    }

    function test_onlyTheErasingAnswerErases_data() {
        return [
            { tag: "erase button", act: "erase", erases: true },
            { tag: "Return at once", act: "return", erases: false },
            { tag: "Tab to the erasing button, then Return", act: "tab-return", erases: true },
            { tag: "Annuler", act: "cancel", erases: false },
            { tag: "Escape", act: "escape", erases: false },
            { tag: "window closed", act: "close", erases: false },
        ]
    }

    function test_onlyTheErasingAnswerErases(data) {
        const dialog = openDialog()
        const answers = createTemporaryObject(spyComponent, testCase, { target: dialog, signalName: "answered" })
        if (data.act === "erase")
            mouseClick(findChild(dialog.contentItem, "eraseButton"))
        else if (data.act === "cancel")
            mouseClick(findChild(dialog.contentItem, "cancelButton"))
        else if (data.act === "return")
            keyClick(Qt.Key_Return)
        else if (data.act === "tab-return") {
            keyClick(Qt.Key_Backtab)
            verify(findChild(dialog.contentItem, "eraseButton").activeFocus)
            keyClick(Qt.Key_Return)
        }
        else if (data.act === "escape")
            keyClick(Qt.Key_Escape)
        else
            dialog.close()
        compare(answers.count, 1)
        compare(dialog.erase, data.erases)
        verify(!dialog.visible)
    }

    Component {
        id: spyComponent
        SignalSpy {}
    }
}
