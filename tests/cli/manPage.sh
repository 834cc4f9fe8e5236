#!/usr/bin/env bash
# The manual page and `sorvane-cli --help` describe the same tool: the same
# commands with the same synopsis lines, the same options, the help's examples;
# and the page renders without a warning. The README's command-line section
# opens with the same synopsis lines.
#   manPage.sh SORVANE_CLI MAN_PAGE README
set -euo pipefail
cli=$1
page=$2
readme=$3
failed=0

fail() {
    echo "FAIL: $*" >&2
    failed=1
}

# The page's source with roff's escaped hyphens as plain ones.
page_text=$(sed 's/\\-/-/g; s/\\%//g' "$page")
help_text=$("$cli" --help)

# Every option-looking word (-h, --script-dir) of a text, one per line, sorted.
options_in() {
    grep -oE '(^|[][ (=|,])--?[a-z][a-z-]*' | sed 's/^[^-]*//' | sort -u
}

# The help's own synopsis lines of the commands: "convert [--no-backup] ...".
help_synopses=$(awk '/^Commands:/ {on = 1; next} /^[^ ]/ {on = 0} on && /^  sorvane-cli / {sub(/^  sorvane-cli /, ""); print}' <<<"$help_text")
page_synopses=$(sed -n 's/^\.SS "\(.*\)"$/\1/p' <<<"$page_text")
[ "$help_synopses" = "$page_synopses" ] ||
    fail "the page's command headings differ from the help's synopses:"$'\n'"$(diff <(echo "$help_synopses") <(echo "$page_synopses"))"

# The README's synopsis: the indented lines that open its command-line section.
readme_synopses=$(awk '/^## Command-line tool/ {on = 1; next} on && /^    sorvane-cli / {sub(/^    sorvane-cli /, ""); print; next} on && /^$/ {next} {on = 0}' "$readme" | grep -v '^--help')
[ "$help_synopses" = "$readme_synopses" ] ||
    fail "the README's synopsis differs from the help's:"$'\n'"$(diff <(echo "$help_synopses") <(echo "$readme_synopses"))"

# Options: every one that the general help or a command's own help names has
# a paragraph of its own in the page (the tag line after .TP), and no other.
all_help=$help_text
for command in $(cut -d' ' -f1 <<<"$help_synopses"); do
    all_help+=$'\n'$("$cli" "$command" --help)
done
help_options=$(options_in <<<"$all_help")
page_options=$(awk '/^\.TP/ {getline; print}' <<<"$page_text" | options_in)
[ "$help_options" = "$page_options" ] ||
    fail "options differ between --help (<) and the page's paragraphs (>):"$'\n'"$(diff <(echo "$help_options") <(echo "$page_options"))"

# The help's examples are among the page's.
while IFS= read -r example; do
    grep -qxF "$example" <<<"$page_text" || fail "the help's example is not in the page: $example"
done < <(awk '/^Examples:/ {on = 1; next} /^$/ {on = 0} on {sub(/^  /, ""); print}' <<<"$help_text")

warnings=$(groff -man -ww -z "$page" 2>&1)
[ -z "$warnings" ] || fail "groff warns about the page:"$'\n'"$warnings"

exit $failed
