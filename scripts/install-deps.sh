#!/usr/bin/env bash
# The one list of Debian packages the project needs to build, test, fuzz and benchmark.
set -euo pipefail

packages=(
    build-essential
    cmake
    ninja-build
    pkg-config
    clang
    libclang-rt-14-dev
    clang-format
    libgtest-dev
    libgmock-dev
    libbenchmark-dev
    libsimdjson-dev
    libicu-dev
    tzdata
    locales
    # the sync layer and the command-line sync
    qt6-base-dev
    qt6-base-dev-tools
    qcoro-qt6-dev
    qtkeychain-qt6-dev
    # the tray app: Qt Quick with its controls and test module, SVG for the icons, and
    # the pinned typeface of the panel and of its screenshots
    qt6-declarative-dev
    qt6-declarative-dev-tools
    # Qt's own texts (the folder dialog's) in the user's language, and Qt's translation tools
    # for ours
    qt6-translations-l10n
    qt6-l10n-tools
    qt6-tools-dev
    qt6-svg-dev
    qml6-module-qtquick
    # the app on a Wayland session without XWayland, and the off-screen platform that draws the
    # report for the command line and the pictures of the views
    qt6-wayland
    qt6-qpa-plugins
    # the desktop's own folder chooser, through the XDG desktop portal
    qt6-xdgdesktopportal-platformtheme
    qml6-module-qtquick-controls
    qml6-module-qtquick-templates
    qml6-module-qtquick-layouts
    qml6-module-qtquick-window
    qml6-module-qtqml-workerscript
    qml6-module-qttest
    # what qmllint knows of QtQml's own types (Qt's enums, the models), which the library
    # carries built in and does not install without them
    qml6-module-qtqml
    qml6-module-qtqml-models
    fonts-inter
    # a stand-in of CloudKit Web Services for the iCloud store's tests
    python3
    # what reads the clinic's report back in its test: its text, its pages, its first page drawn
    poppler-utils
    # real WebDAV servers for the cloud store's tests: Apache's mod_dav, and rclone's, which
    # keeps no dead properties and ignores conditional writes
    apache2
    rclone
    # a private bus and a UDisks2 stand-in for the volume tests
    dbus-daemon
    python3-dbusmock
    # a virtual display for the tray test of the whole app
    xvfb
    x11-utils
    # an XEmbed tray that starts after the app, and a window manager for what only one enforces
    trayer
    openbox
    # reads the screenshots back, to check their wording
    tesseract-ocr
    tesseract-ocr-fra
    tesseract-ocr-eng
)

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ "${#missing[@]}" -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
