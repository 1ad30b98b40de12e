import QtQuick

// The chevron leading from one gesture to the next.
SymbolIcon {
    name: "chevron.right"
    color: Theme.secondaryText
    size: Theme.captionBold.pixelSize
}
