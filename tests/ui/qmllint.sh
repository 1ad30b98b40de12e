#!/bin/sh
# qmllint.sh QMLLINT UI_BUILD_DIR TEST_MODULES_DIR FILE...: every file as qmllint reads it, with
# the app's modules (whose qmltypes describe the controller's types), the tests' own module, and
# the views found through the module's resources, as the app loads them from one folder. Any
# warning fails.
qmllint=$1
modules=$2
testModules=$3
shift 3
output=$("$qmllint" -I "$modules" -I "$testModules" \
    --resource "$modules/.rcc/qmake_Velunora_Ui.qrc" \
    --resource "$modules/.rcc/velunora_ui_qml_raw_qml_0.qrc" \
    --resource "$modules/.rcc/qmake_Velunora_Preview.qrc" \
    "$@" 2>&1)
status=$?
if [ "$status" -ne 0 ] || [ -n "$output" ]; then
    printf '%s\n' "$output"
    echo "qmllint: exit $status"
    exit 1
fi
echo "qmllint: $# files, no warning"
