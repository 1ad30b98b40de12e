import QtQuick

// Where one page of the onboarding view sits: it enters from the trailing edge as the current
// page and slides out towards the leading edge as the page being left; otherwise hidden.
Item {
    required property int index
    required property int currentPage
    // -1 when no page is being left.
    required property int leavingPage
    // 0 when a page change starts, 1 when the new page has settled.
    required property real transitionProgress
    readonly property bool entering: index === currentPage
    readonly property bool leaving: index === leavingPage && !entering

    objectName: entering ? "currentPage" : leaving ? "leavingPage" : ""
    width: parent.width
    height: parent.height
    visible: entering || leaving
    x: entering ? (1 - transitionProgress) * width
                : leaving ? -transitionProgress * width : 0
    opacity: entering ? transitionProgress : leaving ? 1 - transitionProgress : 0
}
