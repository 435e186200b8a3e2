# The files an install with the prefix /usr holds, one path a line, sorted.
# Usage: expected_files WITH_TALLY
expected_files() {
    {
        echo /usr/bin/vev
        echo /usr/lib/vev/vev_charts.so
        [ "$1" = 1 ] && echo /usr/bin/vev-tally
        echo /usr/share/applications/vev.desktop
        echo /usr/share/icons/hicolor/scalable/apps/vev.svg
        echo /usr/share/man/man1/vev-tally.1
        echo /usr/share/man/man1/vev.1
        echo /usr/share/mime/packages/vev.xml
        echo /usr/share/vev/vev.htm
    } | LC_ALL=C sort
}
