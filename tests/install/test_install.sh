#!/usr/bin/env bash
# An install into a staging tree holds exactly the programs, the charts module and the desktop
# files, and the build tree has the help document beside the window program.
# Usage: test_install.sh BUILD_DIR SOURCE_DIR WITH_TALLY VEV_DIR
set -euo pipefail
build=$1 source=$2 with_tally=$3 vev_dir=$4
here=$(dirname "$0")
. "$here/expected_files.sh"

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR="$stage/root" cmake --install "$build" --prefix /usr >"$stage/install.log"

(cd "$stage/root" && find . -type f -o -type l | sed 's|^\.||' | LC_ALL=C sort) >"$stage/actual"
expected_files "$with_tally" >"$stage/expected"
if ! diff -u "$stage/expected" "$stage/actual"; then
    echo "FAIL: the installed files differ from the expected list" >&2
    exit 1
fi

root=$stage/root/usr
for program in vev $([ "$with_tally" = 1 ] && echo vev-tally) ../lib/vev/vev_charts.so; do
    [ "$program" = "${program%.so}" ] && [ ! -x "$root/bin/$program" ] &&
        { echo "FAIL: $program is not executable" >&2; exit 1; }
    # Installed programs use the system's libraries, not a run path into the build or prefix.
    if readelf -d "$root/bin/$program" | grep -E 'RPATH|RUNPATH'; then
        echo "FAIL: installed $program keeps a run path" >&2
        exit 1
    fi
done
for file in share/applications/vev.desktop share/mime/packages/vev.xml share/vev/vev.htm \
    share/man/man1/vev.1; do
    perms=$(stat -c %a "$root/$file")
    [ "$perms" = 644 ] || { echo "FAIL: $file has mode $perms" >&2; exit 1; }
done
cmp "$source/packaging/vev.htm" "$root/share/vev/vev.htm"

# The installed companion runs from its installed place.
if [ "$with_tally" = 1 ]; then
    "$root/bin/vev-tally" --version >"$stage/version" 2>&1 ||
        { echo "FAIL: installed vev-tally --version failed" >&2; cat "$stage/version" >&2; exit 1; }
    grep -q 1.11 "$stage/version" || { echo "FAIL: version text: $(cat "$stage/version")" >&2; exit 1; }
    # Its report comes from the installed charts module, found beside the installed programs.
    cp "$source/examples/満足度調査.dat" "$source/examples/追加集計1.csv" "$stage"
    (unset VEV_CHARTS_MODULE
     "$root/bin/vev-tally" report "$stage/満足度調査.dat" "$stage/report.pdf" >"$stage/report" 2>&1) ||
        { echo "FAIL: installed vev-tally report failed" >&2; cat "$stage/report" >&2; exit 1; }
    head -c 5 "$stage/report.pdf" | grep -q '%PDF-' || { echo "FAIL: no PDF report" >&2; exit 1; }
fi

# The window program finds its help document beside itself in the build tree.
cmp "$source/packaging/vev.htm" "$vev_dir/vev.htm" ||
    { echo "FAIL: no current vev.htm beside the built vev in $vev_dir" >&2; exit 1; }
echo "install layout ok"
