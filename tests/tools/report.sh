#!/usr/bin/env bash
# The report for the clinic as a patient makes it: from a generated card of four months of varied
# use, the figures printed, the PDF (its text and its first page drawn) and the CSV agree with
# each other and with the nights; four months span more pages; every wrong use and failure says what
# went wrong and leaves no file behind.
set -uo pipefail
card_tool="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
export XDG_DATA_HOME="$work/data"
status=0
fail() { echo "FAIL: $*"; status=1; }

"$card_tool" generate card --nights 120 --varied --seed 11 --first-night 2026-06-08 >/dev/null ||
    fail "generate"
"$card_tool" import card --json snap.json >/dev/null || fail "import"

# The last 30 days: the figures, the PDF and the CSV.
"$card_tool" report --snapshot snap.json --from 2026-09-06 --to 2026-10-05 --pdf month.pdf \
    --csv month.csv >out 2>err || { fail "report of 30 days"; cat out err; }
compliant=$(sed -n 's/^  Jours d’au moins 4 h : \([0-9]*\) sur 30.*/\1/p' out)
[ -n "$compliant" ] || fail "the figures name no days of at least 4 h: $(cat out)"
pdftotext -layout month.pdf month.txt || fail "pdftotext"
grep -q "Relevé d’utilisation" month.txt || fail "the PDF has no title"
grep -q "Du 6 septembre 2026 au 5 octobre 2026 (30 jours)" month.txt || fail "the PDF names no period"
serial=$(grep -o '"serialNumber":"[0-9]*"' snap.json | head -1 | cut -d'"' -f4)
grep -q "numéro de série $serial" month.txt || fail "the PDF names no serial number $serial"
grep -Eq "Jours d’au moins 4 h +$compliant sur 30" month.txt ||
    fail "the PDF does not say $compliant days of at least 4 h"
[ "$(pdfinfo month.pdf | sed -n 's/^Pages: *//p')" = 2 ] || fail "30 days are not on two pages"
pdftoppm -r 40 -png -f 1 -l 1 month.pdf page || fail "pdftoppm"
[ -s page-1.png ] || fail "the first page was not drawn"
python3 - "$compliant" <<'PY' || fail "the CSV does not agree"
import csv, json, sys
rows = list(csv.DictReader(open("month.csv", newline="")))
assert rows, "no night"
assert all("2026-09-06" <= r["date"] <= "2026-10-05" for r in rows), "a night outside the period"
assert sum(r["compliant"] == "yes" for r in rows) == int(sys.argv[1]), "compliant nights"
assert all(("," not in r["hours"]) and float(r["hours"]) > 0 for r in rows), "hours"
nights = [n for n in json.load(open("snap.json"))["nights"]]
assert len(rows) < len(nights), "only the period's nights"
PY

# The same report for an English reader: English words and figures, in the PDF too.
env LC_ALL=C.UTF-8 "$card_tool" report --snapshot snap.json --from 2026-09-06 --to 2026-10-05 \
    --pdf month-en.pdf >out 2>err || { fail "report in English"; cat out err; }
grep -q "^  Days of at least 4 h: $compliant of 30" out || fail "the English figures: $(cat out)"
pdftotext -layout month-en.pdf month-en.txt && grep -q "From 6 September 2026 to 5 October 2026 (30 days)" month-en.txt ||
    fail "the English PDF names no period: $(head -5 month-en.txt)"

# Four months span more pages; the default period is the 30 days up to the newest night.
"$card_tool" report --snapshot snap.json --from 2026-06-08 --to 2026-10-05 --pdf long.pdf >/dev/null ||
    fail "report of four months"
[ "$(pdfinfo long.pdf | sed -n 's/^Pages: *//p')" -ge 3 ] || fail "four months of nights fit too few pages"
"$card_tool" report --snapshot snap.json >out 2>&1 || fail "report without a period"
grep -q "(30 jours)" out || fail "the default period is not 30 days: $(head -1 out)"

expect() { # expected-status description pattern command...
    local expected="$1" description="$2" pattern="$3"
    shift 3
    "$@" >out 2>err
    local actual=$?
    [ "$actual" -eq "$expected" ] || fail "$description: status $actual, expected $expected"
    grep -q -- "$pattern" err || fail "$description: «$pattern» not said: $(cat err)"
}
expect 2 "--from after --to" "--from est après" \
    "$card_tool" report --snapshot snap.json --from 2026-10-05 --to 2026-09-06
expect 2 "an impossible date" "2026-02-30" "$card_tool" report --snapshot snap.json --from 2026-02-30
expect 2 "a missing value" "--pdf" "$card_tool" report --snapshot snap.json --pdf
expect 1 "a missing snapshot" "$work/nowhere.json" "$card_tool" report --snapshot "$work/nowhere.json"
echo '{"nights": 3}' >broken.json
expect 1 "a broken snapshot" "broken.json" "$card_tool" report --snapshot broken.json
expect 1 "nothing published yet" "Aucune nuit publiée" "$card_tool" report
expect 1 "an unwritable folder" "$work/absent/r.pdf" \
    "$card_tool" report --snapshot snap.json --pdf "$work/absent/r.pdf"
[ ! -e absent ] || fail "a folder was made for the report"
ls -a | grep -q '^\.\?month.pdf.\+' && fail "a temporary file was left: $(ls -a)"
exit $status
