#!/usr/bin/env bash
# Every text of the sources has its translation in both catalogues: Qt's lupdate, run on the
# sources as the build runs it, must find nothing new, nothing vanished and nothing unfinished.
# Catches a text added or changed in the code without its Linux French wording and its English.
set -euo pipefail
lupdate="$1"
source_dir="$2"
shift 2

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$source_dir/src/ui"
mapfile -t sources < <(find .. \( -name '*.cpp' -o -name '*.h' -o -name '*.qml' \) |
    grep -v -e '/screenshots/' -e '/PreviewController\.qml$' | LC_ALL=C sort)
status=0
for catalogue in translations/velunora_fr.ts translations/velunora_en.ts; do
    cp "$catalogue" "$work/"
    copy="$work/$(basename "$catalogue")"
    "$lupdate" "$@" "${sources[@]}" -ts "$copy" >"$work/lupdate.log" 2>&1
    if ! cmp -s "$catalogue" "$copy"; then
        echo "$catalogue does not match the sources (run the update_translations target):"
        diff "$catalogue" "$copy" | head -40 || true
        status=1
    fi
    if grep -n -e 'type="unfinished"' -e 'type="vanished"' -e 'type="obsolete"' "$copy"; then
        echo "$catalogue has texts without a translation"
        status=1
    fi
done
exit "$status"
