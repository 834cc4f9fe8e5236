# fish completion for sorvane-cli: its commands, each command's options, the
# values of --quality and --player, and the files each argument takes.

set -l commands convert restore generate info
complete -c sorvane-cli -f
complete -c sorvane-cli -n "not __fish_seen_subcommand_from $commands" -s h -l help -d 'Show the help'
complete -c sorvane-cli -n "not __fish_seen_subcommand_from $commands" -l version -d 'Show the version'
complete -c sorvane-cli -n "not __fish_seen_subcommand_from $commands" -a convert -d 'Make the Flash movies of pages written by script'
complete -c sorvane-cli -n "not __fish_seen_subcommand_from $commands" -a restore -d "Put back the pages' backups"
complete -c sorvane-cli -n "not __fish_seen_subcommand_from $commands" -a generate -d 'Write the script file of a Flash movie'
complete -c sorvane-cli -n "not __fish_seen_subcommand_from $commands" -a info -d 'Print the header of a Flash movie'

# Folders, and the files whose names end in one of the given suffixes, in any
# letter case (fish's own __fish_complete_suffix offers every other file too).
function __sorvane_cli_files
    set -l suffixes (string join '|' -- (string escape --style=regex -- $argv))
    for path in (commandline -ct)*
        if test -d $path
            echo $path/
        else if string match -qri -- "($suffixes)\$" $path
            echo $path
        end
    end
end

set -l pages '(__sorvane_cli_files .htm .html)'
set -l movies '(__sorvane_cli_files .swf)'

# Every command
complete -c sorvane-cli -n "__fish_seen_subcommand_from $commands" -s h -l help -d 'Show the help of the command'

# convert and restore: the pages
for command in convert restore
    set -l on "__fish_seen_subcommand_from $command"
    complete -c sorvane-cli -n $on -a $pages
    complete -c sorvane-cli -n $on -s r -l recursive -d 'Every folder argument stands for the pages under it'
    complete -c sorvane-cli -n $on -l exclude -x -d 'With --recursive: leave out what matches GLOB'
    complete -c sorvane-cli -n $on -l files-from -r -F -d 'Take the pages named in FILE too'
    complete -c sorvane-cli -n $on -s 0 -l null -d 'With --files-from: each name ends with a NUL byte'
    complete -c sorvane-cli -n $on -l json -d 'Print one JSON object per page'
    complete -c sorvane-cli -n $on -s q -l quiet -d 'Print neither a line per page nor the progress line'
end

# convert and generate: the Flash player
for command in convert generate
    set -l on "__fish_seen_subcommand_from $command"
    complete -c sorvane-cli -n $on -l player -x -a 'bundled (__sorvane_cli_files .js)' -d 'Load the Flash player script SRC'
    complete -c sorvane-cli -n $on -l player-dir -x -a '(__fish_complete_directories)' -d 'With --player bundled: copy the player into DIR'
end

set -l on '__fish_seen_subcommand_from convert'
complete -c sorvane-cli -n $on -l no-backup -d 'Do not copy each page to NAME_backup.EXT first'
complete -c sorvane-cli -n $on -l script-dir -x -a '(__fish_complete_directories)' -d 'Write the script files into DIR'
complete -c sorvane-cli -n $on -l force -d 'With --player bundled: replace player files that differ'
complete -c sorvane-cli -n $on -l dry-run -d 'Tell what would be converted; write nothing'
complete -c sorvane-cli -n $on -l diff -d 'Print the changes as a unified diff; write nothing'

set -l on '__fish_seen_subcommand_from restore'
complete -c sorvane-cli -n $on -l force -d 'Restore an edited page too, keeping it as NAME_edited.EXT'
complete -c sorvane-cli -n $on -l clean -d 'Then remove the backups used and unused script files'

set -l on '__fish_seen_subcommand_from generate'
complete -c sorvane-cli -n $on -a $movies
complete -c sorvane-cli -n $on -l width -x -d "The movie's width, such as 550 or 100%"
complete -c sorvane-cli -n $on -l height -x -d "The movie's height"
complete -c sorvane-cli -n $on -l name -x -d 'Its name/id in the page'
complete -c sorvane-cli -n $on -l quality -x -a 'best high low' -d "The movie's quality"
complete -c sorvane-cli -n $on -l force -d 'Replace NAME.js also when it holds other script code'
complete -c sorvane-cli -n $on -l json -d 'Print one JSON object instead of the snippet'

complete -c sorvane-cli -n '__fish_seen_subcommand_from info' -a $movies
complete -c sorvane-cli -n '__fish_seen_subcommand_from info' -l json -d 'Print the header as one JSON object'
