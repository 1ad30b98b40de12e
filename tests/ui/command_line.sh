#!/usr/bin/env bash
# velunora-sync answers --help and --version at once, in the user's language, without a display
# and without starting or waking the app; an unknown option is named.
set -uo pipefail
app="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
status=0
run() { # expected-status language arguments...
    local expected="$1" language="$2"
    shift 2
    env -u DISPLAY -u WAYLAND_DISPLAY LANG="$language" LC_ALL="$language" \
        timeout 20 "$app" "$@" >"$work/out" 2>"$work/err"
    local actual=$?
    [ "$actual" -eq "$expected" ] ||
        { echo "$* ($language): status $actual, expected $expected"; cat "$work/out" "$work/err"; status=1; }
}
has() { grep -q -- "$2" "$work/$1" || { echo "not in $1: «$2»"; cat "$work/$1"; status=1; }; }
run 0 fr_FR.UTF-8 --help
has out "importe les nuits de la carte SD"
has out "Affiche cette aide et s’arrête"
run 0 en_US.UTF-8 --help
has out "imports the nights of the SD card"
has out "Shows this help and stops"
run 0 C.UTF-8 --version
has out "^velunora-sync [0-9]"
run 2 en_US.UTF-8 --bogus
has err "bogus"
exit $status
