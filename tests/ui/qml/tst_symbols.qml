import QtQuick
import QtTest
import Velunora.Ui

// Symbols keep their size in the layout whatever the screen's scale: the image is rendered for
// the device pixels, but laid out in logical ones (run at QT_SCALE_FACTOR=2 too).
TestCase {
    id: testCase
    name: "Symbols"
    width: 300
    height: 100
    visible: true
    when: windowShown

    Component {
        id: labelComponent
        SymbolLabel {
            symbol: "sdcard.fill"
            text: "CARTE SD D\u00c9TECT\u00c9E"
        }
    }

    function test_aSymbolBesideItsTextHasTheTextsSize() {
        const label = createTemporaryObject(labelComponent, testCase)
        const icon = label.children[0]
        tryCompare(icon, "status", Image.Ready)
        const expected = label.font.pixelSize + 2
        compare(icon.width, expected, "scale " + Screen.devicePixelRatio)
        compare(icon.height, expected)
        compare(icon.sourceSize.width, Math.ceil(expected * Screen.devicePixelRatio),
                "sharp: rendered for the device pixels")
    }
}
