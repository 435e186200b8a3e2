#!/usr/bin/env bash
# The help document parses as HTML without complaint and its own links resolve.
# Usage: test_help_document.sh VEV_HTM
set -euo pipefail
doc=$1
out=$(xmllint --html --noout "$doc" 2>&1) || { echo "$out" >&2; echo "FAIL: xmllint" >&2; exit 1; }
if [ -n "$out" ]; then echo "$out" >&2; echo "FAIL: xmllint complains" >&2; exit 1; fi
python3 "$(dirname "$0")/check_help.py" "$doc"
