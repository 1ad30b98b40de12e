#!/usr/bin/env bash
# Two computers (two users' settings, exports and caches) publish into one store folder that a
# sync client carries between them, each running `velunora-card sync` at the same moment, round
# after round: both succeed, and the store ends with the nights of both cards.
set -uo pipefail
card_tool="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
status=0

"$card_tool" generate "$work/card-one" --nights 3 --seed 1 --first-night 2024-01-01 >/dev/null
"$card_tool" generate "$work/card-two" --nights 4 --seed 2 --first-night 2024-02-01 >/dev/null
for computer in one two; do
    mkdir -p "$work/$computer/config/Velunora"
    printf '[General]\ncloud-folder=%s\n' "$work/store" >"$work/$computer/config/Velunora/Velunora Sync.conf"
done

sync_on() { # computer
    XDG_CONFIG_HOME="$work/$1/config" XDG_DATA_HOME="$work/$1/data" XDG_CACHE_HOME="$work/$1/cache" \
        TMPDIR="$work/$1" "$card_tool" sync "$work/card-$1" >"$work/$1/out" 2>&1
}

for round in 1 2 3 4 5; do
    rm -rf "$work/store" "$work/one/data" "$work/two/data"
    sync_on one &
    first=$!
    sync_on two &
    second=$!
    wait "$first" || { echo "round $round: the first computer failed"; cat "$work/one/out"; status=1; }
    wait "$second" || { echo "round $round: the second computer failed"; cat "$work/two/out"; status=1; }
    nights="$(/usr/bin/python3 -c 'import json,sys; print(len(json.load(open(sys.argv[1]))["nights"]))' \
        "$work/store/current-oscar-snapshot/payload.json" 2>&1)"
    if [ "$nights" != 7 ]; then
        echo "round $round: the store holds $nights nights instead of 7"
        status=1
    fi
done
grep -q "nuits synchronisées, dont" "$work/one/out" "$work/two/out" ||
    { echo "the news of the sync is missing:"; cat "$work/one/out" "$work/two/out"; status=1; }
exit $status
