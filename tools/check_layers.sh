#!/usr/bin/env bash
# Checks that every include in src/ points down the layers that src/layers.txt names (the same
# file the build reads for its include roots): a folder's sources include their own folder and
# the folders listed for it; "*" (app) may include anything. Tests, benchmarks and fuzzers may
# include anything. This check also runs where the build cannot make include roots (no symbolic
# links) and names the offending line. Exits 1 on a wrong-way include or a folder missing from
# the file, 2 when run outside the project.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
src="$root/src"
[[ -d "$src" ]] || { echo "check_layers: no src/ under $root" >&2; exit 2; }

layers="$src/layers.txt"
[[ -f "$layers" ]] || { echo "check_layers: no $layers" >&2; exit 2; }
allowed() { # folder -> the folders it may include, "*" for anything, empty when not listed
    local line
    line="$(grep -E "^$1:" "$layers" || true)"
    [[ -n "$line" ]] || return 0
    line="${line#*:}"
    if [[ "$line" == *'*'* ]]; then echo "*"; else echo "$1 $line"; fi
}

status=0
for dir in "$src"/*/; do
    folder="$(basename "$dir")"
    may="$(allowed "$folder")"
    if [[ -z "$may" ]]; then
        echo "src/$folder: not named in src/layers.txt" >&2
        status=1
        continue
    fi
    [[ "$may" == "*" ]] && continue
    while IFS= read -r hit; do
        file="${hit%%:*}"
        rest="${hit#*:}"
        line="${rest%%:*}"
        target="$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*)".*/\1/' <<<"${rest#*:}")"
        [[ "$target" == */* ]] || continue # same-folder or generated (moc_*.cpp) includes
        top="${target%%/*}"
        if [[ " $may " != *" $top "* ]]; then
            echo "${file#"$root"/}:$line: $folder may not include $target ($folder sees: $may)" >&2
            status=1
        fi
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' -r "$dir" --include='*.h' --include='*.cpp' || true)
done

if [[ $status -ne 0 ]]; then
    echo "check_layers: wrong-way includes found (dependencies must point down the layers)" >&2
else
    echo "check_layers: every include in src/ points down the layers"
fi
exit $status
