import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import QtQuick.Window
import Velunora.Ui

// The onboarding window's content: the step list on the left, the current page on the right
// and the navigation bar below it. Only "Retour" and "Continuer" change the page; the step
// list and the dots merely show where the user is.
FocusScope {
    id: root

    required property SyncController controller
    signal finish()

    property int page: 0
    readonly property int pageCount: 4
    // Set once the view is first on screen; from then on the welcome arrows pulse.
    property bool isAnimating: false

    // The page being left during a transition, -1 otherwise.
    property int leavingPage: -1
    // 0 when a page change starts, 1 when the new page has settled.
    property real transitionProgress: 1
    readonly property bool arrowsPulsing: arrowPulse.running
    // Flips of the arrows each time the welcome page comes on screen: enough to catch the eye,
    // then the window rests, and a window left open costs nothing.
    property int pulseFlips: 8
    property int flipsLeft: 0
    readonly property bool welcomeOnScreen: isAnimating && onScreen
                                            && (page === 0 || leavingPage === 0)
    onWelcomeOnScreenChanged: if (welcomeOnScreen) flipsLeft = pulseFlips


    readonly property bool onScreen: Window.window !== null && Window.visibility !== Window.Hidden
                                     && Window.visibility !== Window.Minimized

    objectName: "onboardingView"
    implicitWidth: 790
    implicitHeight: 590
    focus: true

    function goBack() {
        if (page === 0)
            finish()
        else
            showPage(page - 1)
    }
    function goForward() {
        if (page === pageCount - 1)
            finish()
        else
            showPage(page + 1)
    }
    function showPage(index) {
        pageSpring.stop()
        transitionProgress = 0
        leavingPage = page
        page = index
        pageSpring.start()
    }

    onOnScreenChanged: if (onScreen) isAnimating = true
    Component.onCompleted: if (onScreen) isAnimating = true

    // The right-hand button is the default one, whichever control has the focus: a shortcut
    // comes before the focused control, which on most desktops would press itself on Return.
    Shortcut {
        sequences: ["Return", "Enter"]
        // Only where the keyboard works in this view.
        enabled: root.activeFocus
        onActivated: root.goForward()
    }

    // The page spring: response T = 0.42 s, damping fraction ζ = 0.85, i.e. for a unit mass
    // stiffness k = (2π/T)² ≈ 223.8 /s² and damping c = 4πζ/T ≈ 25.4 /s. SpringAnimation
    // integrates v += spring·Δx − damping·v; x += v·h in fixed steps of h = 16 ms, so
    // spring = k·h ≈ 3.58 and damping = c·h ≈ 0.41 (within its 0–1 range).
    SpringAnimation {
        id: pageSpring
        target: root
        property: "transitionProgress"
        from: 0
        to: 1
        spring: Math.pow(2 * Math.PI / 0.42, 2) * 0.016
        damping: 4 * Math.PI * 0.85 / 0.42 * 0.016
        mass: 1
        epsilon: 0.001
        onStopped: {
            if (root.transitionProgress === 1)
                root.leavingPage = -1
        }
    }

    // Flips the arrows of the welcome page every 1.4 s; each arrow eases over 1.2 s, so they
    // rest briefly at each end. Stopped whenever the page or the window is out of sight, and
    // after a few flips, back where they started.
    Timer {
        id: arrowPulse
        interval: 1400
        repeat: true
        triggeredOnStart: true
        running: root.welcomeOnScreen && (root.flipsLeft > 0 || welcomePage.arrowsForward)
        onTriggered: {
            welcomePage.arrowsForward = !welcomePage.arrowsForward
            root.flipsLeft = Math.max(0, root.flipsLeft - 1)
        }
    }

    Rectangle {
        anchors.fill: parent
        color: Theme.windowBackground
    }

    // Sidebar
    Item {
        id: sidebar
        width: 220
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        anchors.left: parent.left
        clip: true

        // A diagonal gradient from corner to corner: a vertical one, turned so that its
        // axis runs from the top-leading to the bottom-trailing corner.
        Rectangle {
            readonly property real diagonal: Math.sqrt(sidebar.width * sidebar.width
                                                       + sidebar.height * sidebar.height)
            width: diagonal
            height: diagonal
            anchors.centerIn: parent
            rotation: -Math.atan2(sidebar.width, sidebar.height) * 180 / Math.PI
            gradient: Gradient {
                GradientStop { position: 0; color: Theme.sidebarTopLeading }
                GradientStop { position: 1; color: Theme.sidebarBottomTrailing }
            }
        }

        ColumnLayout {
            anchors.fill: parent
            anchors.leftMargin: 24
            anchors.rightMargin: 20
            anchors.topMargin: 30
            anchors.bottomMargin: 26
            spacing: 0

            RowLayout {
                spacing: 11
                Layout.fillWidth: true

                Rectangle {
                    implicitWidth: 46
                    implicitHeight: 46
                    radius: 13
                    color: Theme.withAlpha(Theme.mint, 0.16)
                    SymbolIcon {
                        anchors.centerIn: parent
                        name: "moon.stars.fill"
                        color: Theme.mint
                        size: Theme.title2.pixelSize + 1
                    }
                }
                ColumnLayout {
                    spacing: 3
                    Layout.fillWidth: true
                    Text {
                        text: "Velunora"
                        font: Theme.headline
                        color: Theme.primaryText
                    }
                    Text {
                        text: qsTr("SYNC POUR LINUX")
                        font.family: Theme.caption2Bold.family
                        font.pixelSize: Theme.caption2Bold.pixelSize
                        font.weight: Theme.caption2Bold.weight
                        font.letterSpacing: 1.1
                        color: Theme.secondaryText
                    }
                }
            }

            ColumnLayout {
                objectName: "stepList"
                spacing: 22
                Layout.fillWidth: true
                Layout.topMargin: 58

                Repeater {
                    model: [qsTr("Bienvenue"), qsTr("Carte SD"), qsTr("Autorisation"), qsTr("Pr\u00eat")]
                    StepLabel {
                        required property int index
                        required property string modelData
                        objectName: "stepLabel" + number
                        number: index + 1
                        title: modelData
                        // A delegate reads the view by its id, which qmllint 6.4 cannot follow
                        // across the delegate's component (6.5's "ComponentBehavior: Bound" can).
                        // qmllint disable unqualified
                        isCurrent: root.page === index
                        // The last step is where the user stands when done: never checked.
                        isDone: root.page > index && index < root.pageCount - 1
                        // qmllint enable unqualified
                        Layout.fillWidth: true
                    }
                }
            }

            Item { Layout.fillHeight: true }

            ColumnLayout {
                spacing: 5
                Layout.fillWidth: true
                SymbolLabel {
                    symbol: "lock.shield.fill"
                    text: qsTr("Lecture seule")
                    font: Theme.captionSemibold
                    color: Theme.mint
                }
                Text {
                    text: qsTr("Votre carte SD n\u2019est jamais modifi\u00e9e.")
                    font: Theme.caption2
                    color: Theme.secondaryText
                    wrapMode: Text.Wrap
                    lineHeight: 1.15
                    Layout.fillWidth: true
                }
            }
        }
    }

    // Page area: the current page enters from the trailing edge while the one being left
    // slides out towards the leading edge, whichever way the user goes.
    Item {
        id: pageArea
        anchors.left: sidebar.right
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.bottom: navigationBar.top
        clip: true

        PageSlot {
            index: 0
            currentPage: root.page
            leavingPage: root.leavingPage
            transitionProgress: root.transitionProgress
            OnboardingPageWelcome {
                id: welcomePage
                anchors.fill: parent
                store: root.controller.storeChoice ? root.controller.storeChoice.kind : "local"
            }
        }
        PageSlot {
            index: 1
            currentPage: root.page
            leavingPage: root.leavingPage
            transitionProgress: root.transitionProgress
            OnboardingPageCard {
                anchors.fill: parent
            }
        }
        PageSlot {
            index: 2
            currentPage: root.page
            leavingPage: root.leavingPage
            transitionProgress: root.transitionProgress
            OnboardingPageAccess {
                anchors.fill: parent
                controller: root.controller
            }
        }
        PageSlot {
            index: 3
            currentPage: root.page
            leavingPage: root.leavingPage
            transitionProgress: root.transitionProgress
            OnboardingPageReady {
                anchors.fill: parent
                controller: root.controller
            }
        }
    }


    // Navigation bar
    Rectangle {
        id: navigationBar
        anchors.left: sidebar.right
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        height: 68
        color: Theme.navigationBarFill

        PlainButton {
            objectName: "leftButton"
            // Its text lines up with the pages' content, 42 in.
            anchors.left: parent.left
            anchors.leftMargin: 42 - leftPadding
            anchors.verticalCenter: parent.verticalCenter
            text: root.page === 0 ? qsTr("Plus tard") : qsTr("Retour")
            onClicked: root.goBack()
        }

        Row {
            objectName: "pageDots"
            anchors.centerIn: parent
            spacing: 6
            Repeater {
                model: root.pageCount
                Rectangle {
                    required property int index
                    objectName: "pageDot" + (index + 1)
                    // As for the steps: the view's id, past qmllint 6.4.
                    // qmllint disable unqualified
                    width: index === root.page ? 24 : 7
                    height: 7
                    radius: height / 2
                    color: index === root.page ? Theme.mint : Theme.idlePageDot
                    // qmllint enable unqualified
                    Behavior on width { NumberAnimation { duration: 260; easing.type: Easing.OutCubic } }
                    Behavior on color { ColorAnimation { duration: 200 } }
                }
            }
        }

        PanelButton {
            objectName: "rightButton"
            anchors.right: parent.right
            anchors.rightMargin: 42
            anchors.verticalCenter: parent.verticalCenter
            // Wide enough for either label, so the button does not jump on the last page.
            width: Math.max(implicitWidth, 124)
            text: root.page === root.pageCount - 1 ? qsTr("Terminer") : qsTr("Continuer")
            prominent: true
            large: true
            onClicked: root.goForward()
        }
    }

    // A borderless text button in the secondary colour, brighter under the pointer.
    component PlainButton: AbstractButton {
        id: plain
        font: Theme.body
        padding: 8
        leftPadding: 6
        rightPadding: 6
        hoverEnabled: true
        activeFocusOnTab: true
        // Return presses the button that has the focus, as Space does.
        Keys.onReturnPressed: plain.clicked()
        Keys.onEnterPressed: plain.clicked()
        contentItem: Text {
            text: plain.text
            font: plain.font
            color: plain.down ? Theme.secondaryText
                              : plain.hovered ? Theme.primaryText : Theme.secondaryText
        }
        background: Rectangle {
            radius: 7
            color: plain.hovered ? Theme.controlFill : "transparent"
            FocusRing {
                visible: plain.visualFocus
                controlRadius: parent.radius
            }
        }
    }
}
