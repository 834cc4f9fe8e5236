# bash completion for sorvane-cli: its commands, each command's options, the
# values of --quality and --player, and the files each argument takes.
# Written with bash's own compgen, so it works without the bash-completion
# package's helpers too.

# The options each command's --help lists (the test cli_completions_match_help
# checks them against the program).
_sorvane_cli_options()
{
    local page_options='-r --recursive --exclude --files-from -0 --null --json -q --quiet'
    case $1 in
        convert) echo "--no-backup --script-dir --player --player-dir --force --dry-run --diff $page_options -h --help" ;;
        restore) echo "--force --clean $page_options -h --help" ;;
        generate) echo '--width --height --name --quality --player --player-dir --force --json -h --help' ;;
        info) echo '--json -h --help' ;;
    esac
}

# Adds the names that start with $cur to COMPREPLY: folders, and files that
# match one of the given patterns (none: every file).
_sorvane_cli_paths()
{
    local pattern
    compopt -o filenames 2>/dev/null
    mapfile -t -O "${#COMPREPLY[@]}" COMPREPLY < <(compgen -d -- "$cur")
    [ $# -eq 0 ] && set -- '*'
    for pattern; do
        [ "$pattern" = dirs ] && continue
        mapfile -t -O "${#COMPREPLY[@]}" COMPREPLY < <(compgen -f -X "!$pattern" -- "$cur")
    done
}

_sorvane_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]} command=${COMP_WORDS[1]} i
    COMPREPLY=()
    # bash splits "--script-dir=site" at the '=': complete the value.
    if [ "$cur" = = ]; then
        cur=''
    elif [ "$prev" = = ] && [ "$COMP_CWORD" -ge 3 ]; then
        prev=${COMP_WORDS[COMP_CWORD - 2]}
    fi

    if [ "$COMP_CWORD" -eq 1 ]; then
        mapfile -t COMPREPLY < <(compgen -W 'convert restore generate info -h --help --version' -- "$cur")
        return
    fi

    case $prev in
        --script-dir | --player-dir) _sorvane_cli_paths dirs; return ;;
        --files-from) _sorvane_cli_paths; return ;;
        --player)
            mapfile -t COMPREPLY < <(compgen -W bundled -- "$cur")
            _sorvane_cli_paths '*.[jJ][sS]'
            return
            ;;
        --quality) mapfile -t COMPREPLY < <(compgen -W 'best high low' -- "$cur"); return ;;
        --exclude | --width | --height | --name) return ;;
    esac

    local options_ended=false
    for ((i = 2; i < COMP_CWORD; i++)); do
        [ "${COMP_WORDS[i]}" = -- ] && options_ended=true
    done
    if [[ $cur == -* ]] && ! $options_ended; then
        mapfile -t COMPREPLY < <(compgen -W "$(_sorvane_cli_options "$command")" -- "$cur")
        return
    fi
    case $command in
        convert | restore) _sorvane_cli_paths '*.[hH][tT][mM]' '*.[hH][tT][mM][lL]' ;;
        generate | info) _sorvane_cli_paths '*.[sS][wW][fF]' ;;
    esac
}
complete -F _sorvane_cli sorvane-cli
