#!/usr/bin/env bash
# Runs every fuzz target for SECONDS on a copy of its seeds (test data and examples).
# Usage: fuzz/run.sh BUILD_DIR SECONDS. Exits non-zero when any target reports a crash, a leak
# or a sanitizer finding; the reproducer is kept under BUILD_DIR/fuzz/artifacts/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:?usage: fuzz/run.sh BUILD_DIR SECONDS}" && pwd)"
seconds="${2:?usage: fuzz/run.sh BUILD_DIR SECONDS}"
artifacts="$build/fuzz/artifacts"
mkdir -p "$artifacts"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

seed() { # seed TARGET PATTERN...
    local target="$1"; shift
    mkdir -p "$work/$target"
    local pattern file
    shopt -s nullglob
    for pattern in "$@"; do
        for file in $pattern; do
            [ -f "$file" ] && cp "$file" "$work/$target/$(basename "$file" | md5sum | cut -c1-16)-$(basename "$file")"
        done
    done
    if [ -d "$root/fuzz/corpus/$target" ]; then cp "$root/fuzz/corpus/$target"/* "$work/$target/" 2>/dev/null || true; fi
    shopt -u nullglob
}

seed fuzz_data_file "$root/tests/data/*.dat" "$root/tests/data/*/*.dat" "$root/examples/*.dat"
seed fuzz_tally_file "$root/tests/data/*.csv" "$root/tests/data/*/*.csv" "$root/examples/*.csv"

# The targets are single-threaded: they run side by side, each on its own core.
run_target() { # run_target TARGET: 0 when it ran clean, its log in $work/TARGET.log
    local target="$1" exe="$build/fuzz/$1"
    if [ ! -x "$exe" ]; then
        echo "fuzz/run.sh: $exe is not built" >"$work/$target.log"
        return 1
    fi
    local dict=()
    [ -f "$root/fuzz/$target.dict" ] && dict=("-dict=$root/fuzz/$target.dict")
    (cd "$work" && "$exe" "$work/$target" "${dict[@]}" -max_total_time="$seconds" \
        -timeout=20 -rss_limit_mb=2048 -detect_leaks=1 -print_final_stats=1 \
        -artifact_prefix="$artifacts/$target-" >"$work/$target.log" 2>&1)
}

targets=(fuzz_data_file fuzz_tally_file)
pids=()
for target in "${targets[@]}"; do
    echo "== $target for ${seconds}s ($(ls "$work/$target" | wc -l) seeds)"
    run_target "$target" &
    pids+=($!)
done
status=0
for i in "${!targets[@]}"; do
    target="${targets[$i]}"
    if ! wait "${pids[$i]}"; then
        echo "fuzz/run.sh: $target failed; see $artifacts and the log below" >&2
        tail -n 60 "$work/$target.log" >&2
        status=1
    else
        echo "== $target"
        grep -E '^(stat::number_of_executed_units|stat::new_units_added)' "$work/$target.log" || true
    fi
done
exit $status
