import QtQuick
import QtTest
import Velunora.Ui
import Velunora.Preview

// The rules of the tray panel that a user relies on, on the real controller over services in
// memory.
TestCase {
    id: testCase
    name: "Panel"
    width: 400
    height: 700
    visible: true
    when: windowShown

    Component {
        id: panelComponent
        SyncMenuView {
            width: 360
        }
    }
    Component {
        id: sessionComponent
        PreviewSession {}
    }

    // Panels go before their sessions, so that no binding reads a controller that is gone.
    property var createdPanels: []
    function cleanup() {
        for (const pair of createdPanels) {
            pair.panel.destroy()
            pair.session.destroy()
        }
        createdPanels = []
    }

    function makePanel(settings) {
        const session = sessionComponent.createObject(testCase, settings || {}) as PreviewSession
        const panel = panelComponent.createObject(testCase, { controller: session.controller })
        createdPanels.push({ panel: panel, session: session })
        verify(panel !== null)
        waitForRendering(panel)
        return { panel: panel, controller: session.controller, session: session }
    }

    // The sync the controller runs on the session's card, to its end.
    function syncToTheEnd(made) {
        made.controller.startSync()
        tryCompare(made.controller.status, "kindName", "success", 20000)
    }

    function item(panel, name) {
        const found = findChild(panel, name)
        verify(found !== null, "no item " + name)
        return found
    }

    function test_withoutACardSyncIsOffWhateverTheStatus() {
        for (const kind of ["needsFolder", "success", "failed", "resetComplete"]) {
            const made = makePanel()
            made.session.showStatus(kind)
            verify(item(made.panel, "noCardSection").visible)
            verify(!item(made.panel, "cardSection").visible)
            verify(!item(made.panel, "syncButton").enabled, kind)
            compare(item(made.panel, "chooseCardButton").text, "Choisir une carte\u2026")
        }
    }

    function test_busyStatusesDisableWhatMustWait() {
        const made = makePanel({ cardInserted: true })
        verify(item(made.panel, "syncButton").enabled)
        verify(item(made.panel, "resetButton").enabled)
        verify(!item(made.panel, "progressIndicator").active)

        made.session.showStatus("syncing")
        verify(!item(made.panel, "syncButton").enabled)
        verify(!item(made.panel, "resetButton").enabled)
        verify(item(made.panel, "progressIndicator").active)

        made.session.showStatus("resetting")
        verify(item(made.panel, "syncButton").enabled, "a sync may be asked for during a reset")
        verify(!item(made.panel, "resetButton").enabled)
        verify(item(made.panel, "progressIndicator").active)
    }

    function test_aCardNeedingAccessSaysSoAndStillSyncs() {
        const made = makePanel({ cardInserted: true, cardReadable: false })
        compare(item(made.panel, "cardBadge").text, "CARTE SD \u00c0 AUTORISER")
        verify(item(made.panel, "accessExplanation").visible)
        compare(item(made.panel, "chooseCardButton").text, "Autoriser l\u2019acc\u00e8s\u2026")
        verify(item(made.panel, "syncButton").enabled)

        made.session.grantCardAccess()
        compare(item(made.panel, "cardBadge").text, "CARTE SD D\u00c9TECT\u00c9E")
        verify(!item(made.panel, "accessExplanation").visible)
        compare(item(made.panel, "chooseCardButton").text, "Choisir une carte\u2026")
    }

    function test_theFailureLineComesAndGoesWithTheStatus() {
        const made = makePanel()
        const line = item(made.panel, "failureLine")
        verify(!line.visible)
        made.session.showStatus("failed", "Le r\u00e9seau est indisponible.")
        verify(line.visible)
        compare(line.text, "Le r\u00e9seau est indisponible.")
        made.session.showStatus("syncing")
        verify(!line.visible)
    }

    function test_theExportLinkNeedsASyncSinceLaunch() {
        const made = makePanel({ cardInserted: true })
        verify(!item(made.panel, "revealExportButton").visible)
        syncToTheEnd(made)
        verify(item(made.panel, "revealExportButton").visible)
        waitForRendering(made.panel)
        mouseClick(item(made.panel, "revealExportButton"))
        compare(made.session.reveals, 1, "the file browser was asked to show the export")
    }

    // Last night appears once something is published and leads to the history.
    function test_lastNightAppearsWithTheFirstSyncAndOpensTheHistory() {
        const made = makePanel({ cardInserted: true })
        const block = item(made.panel, "lastNightView")
        verify(!block.visible, "nothing is published yet")
        syncToTheEnd(made)
        tryVerify(() => block.visible, 5000)
        verify(item(made.panel, "lastNightHours").text.indexOf(" h ") > 0)
        compare(item(made.panel, "recentStrip").values.length, 30)
        const history = signalSpy.createObject(testCase, { target: made.panel, signalName: "historyRequested" }) as SignalSpy
        waitForRendering(made.panel)
        mouseClick(item(made.panel, "historyButton"))
        compare(history.count, 1)
    }

    function test_switchesMirrorTheControllerEvenWhenRefused() {
        const made = makePanel({ refusesLaunchAtLogin: true })
        const automatic = item(made.panel, "automaticImportRowSwitch")
        const login = item(made.panel, "launchAtLoginRowSwitch")
        verify(automatic.checked)
        verify(!login.checked)

        mouseClick(automatic)
        compare(made.session.setting("automatic-card-import"), false)
        verify(!automatic.checked)
        made.controller.setAutomaticCardImport(true)
        verify(automatic.checked, "the switch follows the controller after a click")

        mouseClick(login)
        compare(made.session.autostartRequests, ["register"])
        verify(!login.checked, "a refused change springs back")
    }

    function test_ejectIsOfferedForARemovableCardWhileNothingRuns() {
        const made = makePanel({ cardFolderChosen: true })
        const eject = item(made.panel, "ejectCardButton")
        verify(!eject.visible, "a folder of this computer")
        made.session.insertCard()
        verify(eject.visible)
        mouseClick(eject)
        compare(made.session.ejections, 1)
        made.session.showStatus("syncing")
        verify(!eject.enabled)
    }

    function test_buttonsCallTheController() {
        const made = makePanel({ cardInserted: true, confirmsReset: false })
        mouseClick(item(made.panel, "syncButton"))
        // The reset waits for the sync: the next buttons once it is done.
        tryCompare(made.controller.status, "kindName", "success", 20000)
        mouseClick(item(made.panel, "chooseCardButton"))
        mouseClick(item(made.panel, "resetButton"))
        compare([made.session.storeSaves, made.session.folderChoices, made.session.resetQuestions],
                [1, 1, 1], "a sync, the folder chooser, the reset question")

        const review = signalSpy.createObject(testCase, { target: made.panel, signalName: "reviewOnboardingRequested" }) as SignalSpy
        mouseClick(item(made.panel, "reviewOnboardingButton"))
        compare(review.count, 1)
    }

    // Tab reaches each switch and each link, and the focus shows on it, the mint of a switch
    // that is on included; each link is a target of its own, not a 6 px gap from the next.
    function test_keyboardFocusShowsAndLinksAreSeparateTargets() {
        const made = makePanel({ lastSync: new Date(), lastSyncNights: 412, lastSyncNewNights: 1 })
        made.panel.Window.window.requestActivate()
        tryCompare(made.panel.Window, "active", true)
        const automatic = item(made.panel, "automaticImportRowSwitch")
        verify(automatic.checked)
        const ring = item(automatic, "focusRing")
        verify(!ring.visible)
        for (let presses = 0; presses < 20 && !automatic.activeFocus; ++presses)
            keyClick(Qt.Key_Tab)
        verify(automatic.activeFocus, "Tab reaches the switch")
        verify(ring.visible)
        verify(ring.width > automatic.width && ring.height > automatic.height,
               "the ring lies outside the switch")

        const links = ["revealExportButton", "resetButton", "settingsButton",
                       "reviewOnboardingButton"].map(name => item(made.panel, name))
        for (let index = 0; index < links.length; ++index) {
            verify(links[index].height >= 24, links[index].objectName + " is too small")
            if (index > 0) {
                const previous = links[index - 1].mapToItem(made.panel, 0, 0).y
                                 + links[index - 1].height
                verify(links[index].mapToItem(made.panel, 0, 0).y >= previous)
            }
        }
    }

    // The success fades after a while; the line below the status keeps when it was, in the
    // user's words, and moves on to "hier" at midnight.
    function test_theLastSyncLine() {
        const made = makePanel()
        const line = item(made.panel, "lastSyncLine")
        verify(!line.visible)
        line.locale = Qt.locale("fr_FR")
        line.followsClock = false
        line.now = new Date(2026, 11, 8, 9, 30)
        // A controller that remembers a sync at 08:12, as after a relaunch.
        const synced = createTemporaryObject(sessionComponent, testCase, {
            lastSync: new Date(2026, 11, 8, 8, 12), lastSyncNights: 412, lastSyncNewNights: 1 })
        made.panel.controller = synced.controller
        verify(line.visible)
        compare(line.text, "Derni\u00e8re synchronisation : aujourd\u2019hui \u00e0 08:12")
        line.now = new Date(2026, 11, 9, 0, 1)
        compare(line.text, "Derni\u00e8re synchronisation : hier \u00e0 08:12")
        line.now = new Date(2026, 11, 20, 7, 0)
        compare(line.text, "Derni\u00e8re synchronisation : le 8 d\u00e9cembre \u00e0 08:12")
        line.now = new Date(2027, 0, 2, 7, 0)
        compare(line.text, "Derni\u00e8re synchronisation : le 8 d\u00e9cembre 2026 \u00e0 08:12")
        synced.controller.confirmReset()
        tryCompare(synced.controller.status, "kindName", "resetComplete", 20000)
        verify(!line.visible, "a reset forgets it")
        made.panel.controller = made.controller
    }

    Component {
        id: windowComponent
        PanelWindow {}
    }

    // Without a tray, the panel is the app's only window: closing it must end the app, not
    // leave it running out of reach, and it says how to get the icon. By the tray, as a popup
    // or as the ordinary window Wayland leaves us, closing only hides it. On a screen smaller
    // than the panel (1280 x 800 at scale 2) the window fits and scrolls to its last row.
    function test_theWindowInEachTrayMode() {
        const session = createTemporaryObject(sessionComponent, testCase)
        for (const mode of [{ besideTray: false, trayPresent: false, noTrayAdvice: "advice" },
                            { besideTray: true, trayPresent: true, noTrayAdvice: "" },
                            { besideTray: false, trayPresent: true, noTrayAdvice: "" }]) {
            const window = createTemporaryObject(windowComponent, testCase,
                                                 Object.assign({ controller: session.controller },
                                                               mode))
            const quits = createTemporaryObject(signalSpy, testCase,
                                                { target: window, signalName: "quitRequested" })
            window.show()
            waitForRendering(window.contentItem)
            compare(item(window.contentItem, "noTrayAdvice").visible, !mode.trayPresent)
            verify(!item(window.contentItem, "panelScrollBar").visible)
            window.close()
            compare(quits.count, mode.trayPresent ? 0 : 1, JSON.stringify(mode))
        }

        const small = createTemporaryObject(windowComponent, testCase,
                                            { controller: session.controller, besideTray: false,
                                              trayPresent: false, noTrayAdvice: "advice",
                                              availableHeight: 380 })
        small.show()
        waitForRendering(small.contentItem)
        verify(small.height <= 380, "taller than the screen: " + small.height)
        verify(item(small.contentItem, "panelScrollBar").visible)
        const quit = item(small.contentItem, "quitButton")
        let scroller = quit
        while (scroller && scroller.contentY === undefined)
            scroller = scroller.parent
        scroller.contentY = scroller.contentHeight - scroller.height
        const bottom = quit.mapToItem(small.contentItem, 0, quit.height).y
        verify(bottom <= small.height, "Quitter out of reach: " + bottom + " > " + small.height)
    }

    Component {
        id: signalSpy
        SignalSpy {}
    }
}
