import QtQuick

// A path on at most `maximumLines` lines, shortened in the middle when longer: Qt elides the
// middle of single lines only.
Text {
    id: root

    property string fullText
    property int maximumLines: 2

    TextMetrics {
        id: metrics
        font: root.font
        text: root.fullText
        elide: Qt.ElideMiddle
        // A little short of the lines' width: wrapping anywhere loses part of the last line.
        elideWidth: Math.max(0, root.width * root.maximumLines * 0.94)
    }

    text: metrics.elidedText
    wrapMode: Text.WrapAnywhere
    maximumLineCount: maximumLines
}
