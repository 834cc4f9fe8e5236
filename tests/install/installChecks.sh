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
# one per line, sorted. The command-line tool with its manual page and shell
# completions, the package's copyright file and changelog, and the player that
# comes with Sorvane as the build in $build holds it (none in a build without
# it); with a desktop id the wizard too, with its manual page, desktop entry, metainfo
# and icon, scalable and at each size of the icon theme; lintian's overrides
# where either is there.
installed_files() {
    local id=${1:-} size player=$build/share/sorvane/player
    {
        echo bin/sorvane-cli
        echo share/man/man1/sorvane-cli.1.gz
        echo share/bash-completion/completions/sorvane-cli
        echo share/zsh/vendor-completions/_sorvane-cli
        echo share/fish/vendor_completions.d/sorvane-cli.fish
        echo share/doc/sorvane/copyright
        echo share/doc/sorvane/changelog.gz
        if [ -n "$id" ] || [ -d "$player" ]; then
            echo share/lintian/overrides/sorvane
        fi
        if [ -d "$player" ]; then
            (cd "$player" && find . -type f | sed 's|^\./|share/sorvane/player/|')
        fi
        if [ -n "$id" ]; then
            echo bin/sorvane
            echo share/man/man1/sorvane.1.gz
            echo "share/applications/$id.desktop"
            echo "share/metainfo/$id.metainfo.xml"
            echo "share/icons/hicolor/scalable/apps/$id.svg"
            for size in 16 22 24 32 48 64 128 256; do
                echo "share/icons/hicolor/${size}x${size}/apps/$id.png"
            done
        fi
    } | LC_ALL=C sort
}
