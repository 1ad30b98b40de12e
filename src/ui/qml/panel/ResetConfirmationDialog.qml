import QtQuick
import QtQuick.Layouts
import QtQuick.Window

// The question before the published data is erased. Our own window rather than the desktop's
// message box, whose buttons cannot carry these texts in this order.
Window {
    id: dialog

    // Where the nights go ("icloud", "webdav" or "local"): the question names what is erased.
    property string store: "local"
    // Set once, just before `answered`.
    property bool erase: false
    signal answered()

    title: "Velunora Sync"
    modality: Qt.ApplicationModal
    flags: Qt.Dialog
    color: Theme.panelBackground
    width: 420
    // The size the content needs, known before the window maps: the texts wrap at a width set
    // here, not by the layout (a layout takes a wrapping text's height on one line, and the
    // window manager then enforced a height too small and cut the question). No maximum height,
    // so that a later change is never refused.
    height: content.implicitHeight + 40
    minimumWidth: width
    maximumWidth: width
    minimumHeight: content.implicitHeight + 40
    readonly property real textWidth: width - 40 - 34 - 14

    property bool hasAnswered: false
    function answer(erasing) {
        if (hasAnswered)
            return
        hasAnswered = true
        erase = erasing
        answered()
        close()
    }
    onClosing: answer(false)

    ColumnLayout {
        id: content
        x: 20
        y: 20
        width: dialog.width - 40
        spacing: 12

        RowLayout {
            spacing: 14
            Layout.fillWidth: true
            SymbolIcon {
                name: "exclamationmark.triangle.fill"
                color: Theme.orange
                size: 34
                Layout.alignment: Qt.AlignTop
            }
            ColumnLayout {
                spacing: 6
                Layout.fillWidth: true
                Text {
                    objectName: "resetQuestion"
                    text: qsTr("R\u00e9initialiser toutes les donn\u00e9es Velunora ?")
                    font: Theme.headline
                    color: Theme.primaryText
                    wrapMode: Text.Wrap
                    width: dialog.textWidth
                    Layout.preferredWidth: dialog.textWidth
                }
                Text {
                    objectName: "resetExplanation"
                    text: dialog.store === "icloud" ? qsTr("Les donn\u00e9es pr\u00e9sentes dans iCloud et l\u2019export local seront supprim\u00e9es. La carte SD ne sera jamais modifi\u00e9e.", "icloud")
                        : dialog.store === "webdav" ? qsTr("Les donn\u00e9es publi\u00e9es sur votre serveur et l\u2019export local seront supprim\u00e9s. La carte SD ne sera jamais modifi\u00e9e.")
                        : qsTr("Les donn\u00e9es publi\u00e9es sur cet ordinateur et l\u2019export local seront supprim\u00e9s. La carte SD ne sera jamais modifi\u00e9e.")
                    font: Theme.callout
                    color: Theme.secondaryText
                    wrapMode: Text.Wrap
                    width: dialog.textWidth
                    Layout.preferredWidth: dialog.textWidth
                }
            }
        }
        // The erasing button first; the default (Return at once) is "Annuler", so that a key
        // pressed by habit never erases. Return answers with the button that has the focus.
        ColumnLayout {
            spacing: 8
            Layout.fillWidth: true
            Layout.topMargin: 6
            PanelButton {
                id: eraseButton
                objectName: "eraseButton"
                text: dialog.store === "icloud" ? qsTr("Effacer les donn\u00e9es iCloud et locales", "icloud")
                    : dialog.store === "webdav" ? qsTr("Effacer les donn\u00e9es du serveur et locales")
                    : qsTr("Effacer les donn\u00e9es publi\u00e9es et locales")
                prominent: true
                Layout.fillWidth: true
                onClicked: dialog.answer(true)
                Keys.onReturnPressed: dialog.answer(true)
                Keys.onEnterPressed: dialog.answer(true)
            }
            PanelButton {
                objectName: "cancelButton"
                text: qsTr("Annuler")
                focus: true
                Layout.fillWidth: true
                onClicked: dialog.answer(false)
                Keys.onReturnPressed: dialog.answer(false)
                Keys.onEnterPressed: dialog.answer(false)
            }
        }
    }

    Shortcut {
        sequence: "Escape"
        onActivated: dialog.answer(false)
    }
}
