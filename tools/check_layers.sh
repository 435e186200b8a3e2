#!/usr/bin/env bash
# Checks that every include in src/ points down the layers:
#   model                                   -> model
#   platform                                -> model, platform
#   entry, results, linked, editor, about   -> model, platform and their own folder
#   app                                     -> anything
# (tests, tools, benchmarks and fuzzers may include anything). The build enforces the same with
# an include root per folder; this check also runs where that cannot (no symbolic links) and
# names the offending line. Exits 1 on a wrong-way include, 2 when run outside the project.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
src="$root/src"
[[ -d "$src" ]] || { echo "check_layers: no src/ under $root" >&2; exit 2; }

allowed() { # folder -> the folders it may include
    case "$1" in
    model) echo "model" ;;
    platform) echo "model platform" ;;
    entry | results | linked | editor | about) echo "model platform $1" ;;
    *) echo "*" ;;
    esac
}

status=0
for dir in "$src"/*/; do
    folder="$(basename "$dir")"
    may="$(allowed "$folder")"
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
