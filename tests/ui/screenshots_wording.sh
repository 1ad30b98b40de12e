#!/usr/bin/env bash
# Reads back, by OCR, every picture the screenshot program draws in both languages: none may
# name the Mac, macOS, the Finder or the menu bar, which this app does not run on or have.
# Skips (77) where Tesseract or its French and English data are not installed.
set -euo pipefail
screenshots="$1"

if ! command -v tesseract >/dev/null ||
    ! tesseract --list-langs 2>/dev/null | grep -qx fra ||
    ! tesseract --list-langs 2>/dev/null | grep -qx eng; then
    echo "Tesseract with its French and English data is not installed"
    exit 77
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
status=0
for language in fr en; do
    QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software \
        "$screenshots" "$work/$language" --language "$language" >/dev/null
    ocr_language=$([ "$language" = fr ] && echo fra || echo eng)
    # The tray strips hold symbols only.
    pictures=()
    for picture in "$work/$language"/*.png; do
        case "$(basename "$picture")" in tray-*) ;; *) pictures+=("$picture") ;; esac
    done
    if [ "${#pictures[@]}" -lt 20 ]; then
        echo "only ${#pictures[@]} pictures in $language"
        status=1
    fi
    for picture in "${pictures[@]}"; do
        text="$(OMP_THREAD_LIMIT=1 tesseract "$picture" - -l "$ocr_language" 2>/dev/null)"
        # A picture read as nothing would pass whatever it shows.
        if [ "$(printf '%s' "$text" | tr -cd '[:alpha:]' | wc -c)" -lt 20 ]; then
            echo "$language/$(basename "$picture"): nothing read"
            status=1
        fi
        if found="$(printf '%s\n' "$text" |
            grep -inE '\bmacs?\b|mac ?os|finder|barre des menus|menu ?bar')"; then
            echo "$language/$(basename "$picture"): $found"
            status=1
        fi
    done
done
exit $status
