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
exit $status
