#!/usr/bin/env bash
# The shell completions of sorvane-cli (completions/) against the program:
# each command's completion in bash, zsh and fish offers every option its
# --help lists, so that they cannot drift apart; bash's completes commands,
# options, option values and the files each argument takes, fish's the files;
# the zsh and fish files parse.
#   completions.sh SORVANE_CLI COMPLETIONS_DIR
set -euo pipefail
cli=$1
dir=$2
failed=0

fail() {
    echo "FAIL: $*" >&2
    failed=1
}

# The options of a command's help lines ("  -r, --recursive  ..."), one per line.
help_options() {
    "$cli" "$1" --help | grep -E '^ +-' | grep -oE -- '(^|[ ,])--?[a-z0-9][a-z0-9-]*' | tr -d ' ,'
    printf '%s\n' -h --help
}

# Each shell's options for a command, one per line, as that shell completes
# them. bash: the completion function on "sorvane-cli COMMAND -".
bash_options() {
    bash -c 'source "$1"; COMP_WORDS=(sorvane-cli "$2" -); COMP_CWORD=2; _sorvane_cli; printf "%s\n" "${COMPREPLY[@]}"' \
        _ "$dir/sorvane-cli.bash" "$1"
}
# zsh: the specs the command's function hands to _arguments (after its own
# flags), with their exclusion lists and repeat marks taken off: "--script-dir=[...]..."
zsh_options() {
    zsh -fc '_arguments() { while [[ $1 == -[sSC] ]]; do shift; done; print -rl -- "$@"; }; _describe() { :; }; source "$1" >/dev/null; _sorvane-cli_$2' \
        _ "$dir/_sorvane-cli" "$1" | sed -E 's/^\([^)]*\)//; s/^\*//' | grep -oE '^--?[a-z0-9][a-z0-9-]*'
}
# fish: its completions of "sorvane-cli COMMAND -" and of "... --".
fish_options() {
    fish --no-config -c 'source $argv[1]; complete -C "sorvane-cli $argv[2] -"; complete -C "sorvane-cli $argv[2] --"' \
        "$dir/sorvane-cli.fish" "$1" | cut -f1
}

for shell in bash zsh fish; do
    command -v "$shell" >/dev/null || { fail "$shell is not installed"; continue; }
done
zsh -n "$dir/_sorvane-cli" || fail "_sorvane-cli does not parse in zsh"
fish --no-config -n "$dir/sorvane-cli.fish" || fail "sorvane-cli.fish does not parse in fish"
bash -n "$dir/sorvane-cli.bash" || fail "sorvane-cli.bash does not parse in bash"

for command in convert restore generate info; do
    expected=$(help_options "$command" | sort -u)
    [ "$(wc -l <<<"$expected")" -ge 2 ] || fail "no options found in the help of $command"
    for shell in bash zsh fish; do
        offered=$("${shell}_options" "$command" | sort -u)
        missing=$(comm -23 <(echo "$expected") <(echo "$offered"))
        [ -z "$missing" ] || fail "$shell does not offer these options of $command:"$'\n'"$missing"
        extra=$(comm -13 <(echo "$expected") <(echo "$offered"))
        [ -z "$extra" ] || fail "$shell offers options that $command's help does not list:"$'\n'"$extra"
    done
done

# bash, in a folder with a movie, two pages, a text file and a subfolder:
# the command line typed so far (the cursor after its last word) and the
# completions expected, sorted.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/site"
touch "$work/intro.swf" "$work/index.htm" "$work/news.HTML" "$work/notes.txt"
check_bash() {
    local line=$1 expected=$2 got
    got=$(cd "$work" && bash -c 'source "$1"; read -ra COMP_WORDS <<<"$2"; [[ $2 == *" " ]] && COMP_WORDS+=("")
          COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _sorvane_cli; printf "%s\n" "${COMPREPLY[@]}" | LC_ALL=C sort | xargs' \
          _ "$dir/sorvane-cli.bash" "$line")
    [ "$got" = "$expected" ] || fail "bash completes '$line' to '$got', not '$expected'"
}
check_bash 'sorvane-cli ' '--help --version -h convert generate info restore'
check_bash 'sorvane-cli re' 'restore'
check_bash 'sorvane-cli convert --scr' '--script-dir'
check_bash 'sorvane-cli convert ' 'index.htm news.HTML site'
check_bash 'sorvane-cli convert --script-dir ' 'site'
check_bash 'sorvane-cli convert --files-from n' 'news.HTML notes.txt'
check_bash 'sorvane-cli generate --quality h' 'high'
check_bash 'sorvane-cli info ' 'intro.swf site'
check_bash 'sorvane-cli generate --width=' ''

# fish's page and movie arguments: folders and files of those kinds only.
check_fish() {
    local line=$1 expected=$2 got
    got=$(cd "$work" && fish --no-config -c 'source $argv[1]; complete -C $argv[2]' "$dir/sorvane-cli.fish" "$line" |
          cut -f1 | LC_ALL=C sort | xargs)
    [ "$got" = "$expected" ] || fail "fish completes '$line' to '$got', not '$expected'"
}
check_fish 'sorvane-cli convert ' 'index.htm news.HTML site/'
check_fish 'sorvane-cli info ' 'intro.swf site/'

exit $failed
