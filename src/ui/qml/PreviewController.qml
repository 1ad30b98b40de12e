import QtQuick

// A stand-in with the controller's properties and operations, for the screenshots and the
// interface tests: it records the calls and changes only what it is told to.
QtObject {
    property var status: ({ kindName: "needsFolder", title: "En attente d\u2019une carte SD", failureText: "", symbolName: "moon.stars" })
    property bool hasDetectedCard: false
    property string detectedCardName: ""
    property string detectedCardPath: ""
    property bool cardNeedsAccess: false
    property bool canEjectCard: false
    property bool hasLastSync: false
    property var lastSync: hasLastSync ? new Date() : undefined
    property string lastSyncSummary: hasLastSync ? "412 nuits synchronis\u00e9es, dont 1 nouvelle" : ""
    property bool automaticCardImport: true
    property bool notificationsEnabled: true
    property bool launchAtLogin: false
    // Whether a switch's change is accepted, as a refused login item is not.
    property bool refusesLaunchAtLogin: false
    property string localExportPath: "/home/marie/.local/share/LunexaSync/lunexa-snapshot.json"

    // Where the nights go, with the store choice's properties and operations.
    property QtObject storeChoice: QtObject {
        property string kind: "local"
        property bool iCloudOffered: true
        property bool signedInToICloud: false
        property string iCloudAccountName: ""
        property string webDAVAddress: ""
        property string webDAVUser: ""
        property string localFolder: "/home/marie/.local/share/velunora-sync/cloud"
        property string outcome: ""
        property bool outcomeIsFailure: false
        property bool working: false
        property var calls: []
        function record(name) { calls = calls.concat([name]) }
        function refresh() { record("refresh") }
        function useLocalStore(folder) { record("useLocalStore:" + folder); kind = "local" }
        function chooseLocalFolder() { record("chooseLocalFolder") }
        function useWebDAVStore(address, user, password) {
            record("useWebDAVStore:" + address + ":" + user + ":" + password)
            kind = "webdav"
            webDAVAddress = address
            webDAVUser = user
        }
        function testWebDAVConnection(address, user, password) {
            record("testWebDAVConnection:" + address + ":" + user + ":" + password)
        }
        function useICloudStore() { record("useICloudStore"); kind = "icloud" }
        function signInToICloud() { record("signInToICloud"); signedInToICloud = true }
        function signOutOfICloud() { record("signOutOfICloud"); signedInToICloud = false }
    }

    property var calls: []
    function record(name) { calls = calls.concat([name]) }

    function chooseCard() { record("chooseCard") }
    function ejectCard() { record("ejectCard") }
    function startSync() { record("startSync") }
    function confirmReset() { record("confirmReset") }
    function revealLocalExport() { record("revealLocalExport") }
    function setNotificationsEnabled(enabled) {
        record("setNotificationsEnabled:" + enabled)
        notificationsEnabled = enabled
    }
    function setAutomaticCardImport(enabled) {
        record("setAutomaticCardImport:" + enabled)
        automaticCardImport = enabled
    }
    function setLaunchAtLogin(enabled) {
        record("setLaunchAtLogin:" + enabled)
        if (!refusesLaunchAtLogin)
            launchAtLogin = enabled
    }
}
