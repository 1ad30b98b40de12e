#!/usr/bin/env bash
# The command-line tool answers --help and refuses unknown options in every command, and never
# takes either for a folder to write into or read.
set -uo pipefail
card_tool="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
status=0
expect() { # expected-status description command...
    local expected="$1" description="$2"
    shift 2
    "$@" >"$work/out" 2>"$work/err"
    local actual=$?
    if [ "$actual" -ne "$expected" ]; then
        echo "$description: status $actual, expected $expected"
        cat "$work/out" "$work/err"
        status=1
    fi
}
for command in detect import generate sync reset sign-in sign-out report; do
    expect 0 "$command --help" "$card_tool" "$command" --help
    grep -q "Utilisation" "$work/out" || { echo "$command --help: no usage on stdout"; status=1; }
    expect 2 "$command --bogus" "$card_tool" "$command" --bogus
    grep -q "option inconnue « --bogus »" "$work/err" ||
        { echo "$command --bogus: not named"; status=1; }
done
expect 0 "generate DOSSIER -h" "$card_tool" generate demo -h
expect 2 "import with an unknown option after --json" "$card_tool" import demo --json out.json -x
if [ -n "$(ls -A "$work" | grep -v -e '^out$' -e '^err$')" ]; then
    echo "something was written: $(ls -A "$work")"
    status=1
fi
expect 0 "a real demo card" "$card_tool" generate demo --nights 1 --seed 3
[ -d demo/DATALOG ] || { echo "the demo card was not written"; status=1; }

# What a newcomer types by mistake is named, and nothing is written or erased by it.
said() { grep -q -- "$1" "$work/err" || { echo "not said: «$1»: $(cat "$work/err")"; status=1; }; }
mkdir papers && echo "letter" >papers/letter.txt
expect 1 "generate into a folder that holds files" "$card_tool" generate papers
said "« papers » n’est pas vide"
[ "$(ls papers)" = letter.txt ] || { echo "a card was written among the files"; status=1; }
expect 0 "generate --force" "$card_tool" generate papers --force --nights 1
expect 1 "import a missing folder" "$card_tool" import "$work/nowhere"
said "« $work/nowhere » n’existe pas"
expect 2 "an unknown command" "$card_tool" synchronise demo
said "commande inconnue « synchronise »"

# Any language but French gets English, from the same catalogue; `help COMMAND` gives one
# command, and an unknown one is named.
expect 0 "--help in English" env LC_ALL=C.UTF-8 "$card_tool" --help
grep -q "^Usage: velunora-card COMMAND" "$work/out" && grep -q "^Exit codes: 0 success, 1 failure, 2 wrong use" "$work/out" ||
    { echo "no English help: $(head -3 "$work/out")"; status=1; }
expect 1 "a missing folder in English" env LANG=de_DE.UTF-8 "$card_tool" import "$work/nowhere"
said "The folder “$work/nowhere” does not exist."
expect 0 "help for one command" "$card_tool" help generate
[ "$(grep -c '^  [a-z]' "$work/out")" = 1 ] && grep -q "^  generate DOSSIER" "$work/out" ||
    { echo "help generate: $(cat "$work/out")"; status=1; }
expect 2 "help for an unknown command" "$card_tool" help synchronise
said "commande inconnue « synchronise »"

# reset from a script: nothing is erased without --yes.
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
expect 0 "a sync to erase later" "$card_tool" sync demo
published="$XDG_DATA_HOME/LunexaSync/lunexa-snapshot.json"
expect 2 "reset without a terminal and without --yes" "$card_tool" reset </dev/null
said "ajoutez --yes"
[ -f "$published" ] || { echo "reset without --yes erased the export"; status=1; }
expect 0 "reset --yes" "$card_tool" reset --yes </dev/null
[ ! -e "$published" ] || { echo "reset --yes left the export"; status=1; }
exit $status
