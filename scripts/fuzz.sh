#!/usr/bin/env bash
# Runs the libFuzzer targets of build/fuzz/fuzz.
#
#   scripts/fuzz.sh smoke          about 30 seconds in all, shared between the targets
#   scripts/fuzz.sh long SECONDS   each target for SECONDS seconds
#
# Builds the `fuzz` preset first (clang, ASan, UBSan). Each target keeps its corpus in
# build/fuzz/corpus/<target> (never committed), seeded from the real card beside the project
# when it is there, or from fuzz/seeds/<target> when the project keeps seeds for it; a target
# with a dictionary in fuzz/dicts/<target>.dict gets it. Crash reproducers land in
# build/fuzz/artifacts/<target>/.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/fuzz"
card="$root/../shared/cards/airsense10"

usage() {
    echo "usage: $0 smoke | long SECONDS" >&2
    exit 2
}

mode="${1:-}"
case "$mode" in
smoke) [[ $# -eq 1 ]] || usage ;;
long) [[ $# -eq 2 && "$2" =~ ^[0-9]+$ && "$2" -gt 0 ]] || usage ;;
*) usage ;;
esac

cd "$root"
if [[ ! -f "$build/CMakeCache.txt" ]]; then
    cmake --preset fuzz
fi
cmake --build --preset fuzz

mapfile -t targets < <(find "$build/fuzz" -maxdepth 1 -type f -name 'fuzz_*' -perm -u+x | sort)
if [[ ${#targets[@]} -eq 0 ]]; then
    echo "no fuzz targets in $build/fuzz" >&2
    exit 1
fi

if [[ "$mode" == smoke ]]; then
    # The smoke run stays near 30 seconds however many targets there are.
    seconds=$((30 / ${#targets[@]}))
    ((seconds >= 2)) || seconds=2
else
    seconds="$2"
fi

seed() {
    local name="$1" corpus="$2"
    mkdir -p "$corpus"
    [[ -z "$(ls -A "$corpus")" ]] || return 0
    if [[ -d "$root/fuzz/seeds/$name" ]]; then
        # A target of our own documents starts from the seeds kept beside it.
        cp "$root/fuzz/seeds/$name"/* "$corpus/"
    elif [[ -d "$card" ]]; then
        # Flat names: the card's folders hold files of the same name.
        find "$card" -type f ! -name LICENSE -print0 |
            while IFS= read -r -d '' file; do
                cp "$file" "$corpus/$(echo "${file#"$card"/}" | tr '/' '_')"
            done
    fi
}

status=0
for target in "${targets[@]}"; do
    name="$(basename "$target")"
    corpus="$build/corpus/$name"
    artifacts="$build/artifacts/$name"
    log="$build/logs/$name.log"
    seed "$name" "$corpus"
    mkdir -p "$artifacts" "$build/logs"
    # Tokens of a text format that mutations rarely assemble byte by byte.
    dictionary=()
    if [[ -f "$root/fuzz/dicts/$name.dict" ]]; then
        dictionary=(-dict="$root/fuzz/dicts/$name.dict")
    fi
    echo "== $name: $seconds s"
    if "$target" "$corpus" "${dictionary[@]}" -max_total_time="$seconds" -max_len=65536 \
        -timeout=10 -print_final_stats=1 -artifact_prefix="$artifacts/" >"$log" 2>&1; then
        result=ok
    else
        result="FAILED (see $log and $artifacts)"
        status=1
    fi
    runs="$(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -Eo '[0-9]+$' | tail -1)"
    echo "   ${runs:-?} executions, corpus $(ls "$corpus" | wc -l) files: $result"
done
exit "$status"
