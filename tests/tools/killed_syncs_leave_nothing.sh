#!/usr/bin/env bash
# Twenty command-line syncs killed (SIGKILL) at random points, then one that ends: no copy of the
# nights is left anywhere but where it belongs (no temporary file, no half-written sibling), and
# every night is published.
set -uo pipefail
card_tool="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache" \
    TMPDIR="$work/tmp"
mkdir -p "$TMPDIR"
"$card_tool" generate "$work/card" --nights 30 --seed 4 >/dev/null

# A card that gains a night now and then, so that the syncs killed write as well as read.
mv "$work/card/DATALOG" "$work/days"
mkdir "$work/card/DATALOG"
mapfile -t days < <(ls "$work/days")
next=0
for kill in $(seq 20); do
    if (( kill % 2 == 1 && next < ${#days[@]} )); then
        mv "$work/days/${days[$next]}" "$work/card/DATALOG/"
        next=$((next + 1))
    fi
    "$card_tool" sync "$work/card" >/dev/null 2>&1 &
    pid=$!
    sleep "0.$(printf '%03d' $((RANDOM % 700)))"
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
done
"$card_tool" sync "$work/card" >"$work/out" 2>&1 || { echo "the last sync failed:"; cat "$work/out"; exit 1; }

status=0
leftovers="$(cd "$work" && find config data cache tmp -type f \
    ! -path 'config/Velunora/Velunora Sync.conf' \
    ! -path 'data/LunexaSync/lunexa-snapshot.json' \
    ! -path 'data/velunora-sync/publication.lock' \
    ! -path 'data/velunora-sync/cloud/.current-oscar-snapshot.lock' \
    ! -path 'data/velunora-sync/cloud/current-oscar-snapshot/record.json' \
    ! -path 'data/velunora-sync/cloud/current-oscar-snapshot/payload.json' \
    ! -path 'cache/velunora-sync/card-*.cache')"
if [ -n "$leftovers" ]; then
    echo "left behind by the killed syncs:"
    echo "$leftovers"
    status=1
fi
folders="$(cd "$work" && find data/velunora-sync/cloud -mindepth 1 -type d ! -name current-oscar-snapshot)"
if [ -n "$folders" ]; then
    echo "folders left in the store: $folders"
    status=1
fi
grep -q "^$next nuits synchronisées" "$work/out" ||
    { echo "expected $next nights:"; cat "$work/out"; status=1; }
exit $status
