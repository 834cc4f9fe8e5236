# Shared by the install checks (sourced): a scratch folder that is removed at
# the end, how a check reports a fault, and what an install must put under its
# prefix.

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

failed=0
fail() {
    echo "FAIL: $*" >&2
    failed=1
}

# installed_files [DESKTOP_ID]: every file an install puts under the prefix,
# one per line, sorted. The command-line tool always; with a desktop id the
# wizard too, with its desktop entry, metainfo and icon at each size of the
# icon theme.
installed_files() {
    local id=${1:-} size
    {
        echo bin/sorvane-cli
        echo share/man/man1/sorvane-cli.1
        if [ -n "$id" ]; then
            echo bin/sorvane
            echo "share/applications/$id.desktop"
            echo "share/metainfo/$id.metainfo.xml"
            for size in 16 22 24 32 48 64 128 256; do
                echo "share/icons/hicolor/${size}x${size}/apps/$id.png"
            done
        fi
    } | LC_ALL=C sort
}
