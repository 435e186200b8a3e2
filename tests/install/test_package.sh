#!/usr/bin/env bash
# cpack builds a Debian package whose files are exactly those of an install with the prefix
# /usr, with its dependencies found from the programs and the CJK fonts recommended.
# Usage: test_package.sh BUILD_DIR SOURCE_DIR WITH_TALLY
set -euo pipefail
build=$1 with_tally=$3
here=$(dirname "$0")
. "$here/expected_files.sh"
fail() { echo "FAIL: $*" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The package is made in a folder of its own so that the build tree is left as it was.
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack -G DEB"; }
shopt -s nullglob
debs=("$work"/out/vev_*.deb)
[ ${#debs[@]} = 1 ] || { ls -R "$work/out" >&2; fail "expected one vev_*.deb, found ${#debs[@]}"; }
deb=${debs[0]}

# Files: the package holds the install's files, nothing more and nothing less.
dpkg-deb -c "$deb" >"$work/listing"
awk '$1 !~ /^d/ { sub(/^\./, "", $6); print $6 }' "$work/listing" | LC_ALL=C sort >"$work/actual"
expected_files "$with_tally" >"$work/expected"
diff -u "$work/expected" "$work/actual" || fail "package files differ from the install"
grep -q '^-rwxr-xr-x .* \./usr/bin/vev$' "$work/listing" || fail "vev is not executable in the package"

# Control fields.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = vev ] || fail "Package: $(field Package)"
[ "$(field Version)" = 1.11 ] || fail "Version: $(field Version)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Section)" ] || fail "no Section"
field Description | grep -q . || fail "no Description"
field Recommends | grep -q 'fonts-noto-cjk' || fail "Recommends: $(field Recommends)"
depends=$(field Depends)
# Qt Charts only through the charts module: its dependencies are found too.
for library in libqt6widgets6 libqt6core6 libqt6charts6 libc6; do
    grep -q "$library" <<<"$depends" || fail "Depends lacks $library: $depends"
done
echo "debian package ok: $(basename "$deb")"
