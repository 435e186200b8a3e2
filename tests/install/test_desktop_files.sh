#!/usr/bin/env bash
# The desktop entry, the MIME package, the icon and the man pages are valid, and the MIME
# database built from the package recognises survey files by their first line.
# Usage: test_desktop_files.sh PACKAGING_DIR
set -euo pipefail
dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Desktop entry: no errors or warnings (hints are fine), and the keys the desktop relies on.
desktop-file-validate "$dir/vev.desktop" >"$work/validate" 2>&1 || { cat "$work/validate" >&2; fail "desktop-file-validate"; }
if grep -E 'error|warning' "$work/validate"; then fail "desktop-file-validate complains"; fi
for line in 'Exec=vev %f' 'Icon=vev' 'MimeType=application/x-vev-survey;' 'Categories=Office;' \
    'Terminal=false' 'Type=Application' 'Name=VEV'; do
    grep -qxF "$line" "$dir/vev.desktop" || fail "vev.desktop lacks '$line'"
done
grep -q '^Name\[ja\]=' "$dir/vev.desktop" || fail "vev.desktop lacks Name[ja]"
grep -q '^Comment\[ja\]=' "$dir/vev.desktop" || fail "vev.desktop lacks Comment[ja]"

# XML files are well-formed.
xmllint --noout "$dir/vev.xml" "$dir/vev.svg"

# The MIME package builds a database with a low-weight *.dat glob and both magic strings.
mkdir -p "$work/data/mime/packages"
# The package alone: the full system database takes seconds to build.
cp "$dir/vev.xml" "$work/data/mime/packages/"
update-mime-database "$work/data/mime" >/dev/null 2>&1 || fail "update-mime-database rejects vev.xml"
grep -qxF '10:application/x-vev-survey:*.dat' "$work/data/mime/globs2" || fail "glob *.dat weight 10 missing"
grep -qaF 'VEV v' "$work/data/mime/magic" || fail "magic 'VEV v' missing"
grep -qaF 'ANK' "$work/data/mime/magic" || fail "magic 'ANK' missing"

# With gio at hand, files without the .dat extension are told apart by their first line.
if command -v gio >/dev/null; then
    printf 'VEV v1.11  \r\nLunch survey\r\n' >"$work/survey"
    printf 'ANK\r\nOld survey\r\n' >"$work/old_survey"
    printf 'Just some notes\nVEV v1.11\n' >"$work/notes"
    type_of() {
        XDG_DATA_HOME="$work/data" XDG_DATA_DIRS="$work/data" \
            gio info -a standard::content-type "$1" 2>/dev/null |
            sed -n 's/^ *standard::content-type: *//p'
    }
    [ "$(type_of "$work/survey")" = application/x-vev-survey ] || fail "'VEV v' file: $(type_of "$work/survey")"
    [ "$(type_of "$work/old_survey")" = application/x-vev-survey ] || fail "'ANK' file: $(type_of "$work/old_survey")"
    [ "$(type_of "$work/notes")" != application/x-vev-survey ] || fail "a text file mentioning VEV later is taken for a survey"
fi

# Man pages format without warnings.
for page in vev.1 vev-tally.1; do
    groff -man -ww -z -Tutf8 "$dir/$page" 2>"$work/groff" || fail "groff fails on $page"
    if [ -s "$work/groff" ]; then cat "$work/groff" >&2; fail "groff warns on $page"; fi
    grep -q '^\.SH NAME' "$dir/$page" || fail "$page has no NAME section"
done
echo "desktop files ok"
