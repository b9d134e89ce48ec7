# fish completion for kqtools-cli

set -l commands eval template rename recover undo sort rules version-file update help

# True when the command line has "rules ACTION" (with an argument: that action).
function __kqtools_cli_rules_action
    set -l words (commandline -opc)
    set -l seen_rules 0
    for w in $words[2..-1]
        if test $seen_rules = 1
            switch $w
                case list export import
                    test (count $argv) -eq 0; or test $argv[1] = $w
                    return
            end
        else if test "$w" = rules
            set seen_rules 1
        end
    end
    return 1
end

complete -c kqtools-cli -f
complete -c kqtools-cli -n "not __fish_seen_subcommand_from $commands" -l version -d 'Print the version'
complete -c kqtools-cli -n "not __fish_seen_subcommand_from $commands" -l help -d 'Print the help'
complete -c kqtools-cli -n "not __fish_seen_subcommand_from $commands" -l clipboard-file -r -F -d 'Use the UTF-8 text of a file as the clipboard'

complete -c kqtools-cli -n "not __fish_seen_subcommand_from $commands" -a eval -d 'Evaluate a formula for one row'
complete -c kqtools-cli -n "not __fish_seen_subcommand_from $commands" -a template -d 'Compute names with a control expression'
complete -c kqtools-cli -n "not __fish_seen_subcommand_from $commands" -a rename -d 'Rename files with one of the five modes'
complete -c kqtools-cli -n "not __fish_seen_subcommand_from $commands" -a recover -d 'Undo or finish an interrupted rename'
complete -c kqtools-cli -n "not __fish_seen_subcommand_from $commands" -a undo -d 'Undo the last completed rename'
complete -c kqtools-cli -n "not __fish_seen_subcommand_from $commands" -a sort -d 'Sort files by a super-sort rule'
complete -c kqtools-cli -n "not __fish_seen_subcommand_from $commands" -a rules -d 'List, export or import super-sort rules'
complete -c kqtools-cli -n "not __fish_seen_subcommand_from $commands" -a version-file -d 'Read an update version file'
complete -c kqtools-cli -n "not __fish_seen_subcommand_from $commands" -a update -d 'Run the online update in the terminal'
complete -c kqtools-cli -n "not __fish_seen_subcommand_from $commands" -a help -d 'Show the help of a subcommand'

complete -c kqtools-cli -n "__fish_seen_subcommand_from help" -a "$commands"

# eval FORMULA
set -l c "__fish_seen_subcommand_from eval"
complete -c kqtools-cli -n $c -l file -x -d 'File name with extension'
complete -c kqtools-cli -n $c -l folder -x -a '(__fish_complete_directories)' -d 'Folder of the file'
complete -c kqtools-cli -n $c -l index -x -d 'Row number'
complete -c kqtools-cli -n $c -l count -x -d 'Row count'
complete -c kqtools-cli -n $c -l path-index -x -d 'Folder number'
complete -c kqtools-cli -n $c -l index-on-path -x -d 'Number within the folder'
complete -c kqtools-cli -n $c -l var -x -d 'Integer preset variable NAME=INT'
complete -c kqtools-cli -n $c -l json -d 'JSON output'

# template TEMPLATE
set -l c "__fish_seen_subcommand_from template"
complete -c kqtools-cli -n $c -l row -r -F -d 'One row: folder and file name'
complete -c kqtools-cli -n $c -l count -x -d 'File count'
complete -c kqtools-cli -n $c -l json -d 'JSON output'

# rename PATH...
set -l c "__fish_seen_subcommand_from rename"
complete -c kqtools-cli -n $c -F
complete -c kqtools-cli -n $c -l mode -x -a 'simple enhanced list advanced formula' -d 'Naming mode'
complete -c kqtools-cli -n $c -l preset -r -d 'Start from a preset saved in the window'
complete -c kqtools-cli -n $c -l keep-extension -d 'Keep the extension (over a preset)'
complete -c kqtools-cli -n $c -l no-keep-extension -d 'Compute the whole name, extension included'
complete -c kqtools-cli -n $c -l recursive -d 'Include sub-folders'
complete -c kqtools-cli -n $c -l sort -x -a 'name name-desc natural natural-desc folder folder-desc' -d 'Order of the list'
complete -c kqtools-cli -n $c -l super-sort -x -d 'Sort by a super-sort rule (NAME or NAME:desc)'
complete -c kqtools-cli -n $c -l rules -r -F -d 'Rule file'
complete -c kqtools-cli -n $c -l export -r -F -d 'Write the list to a CSV file'
complete -c kqtools-cli -n $c -l dry-run -d 'Show the list only'
complete -c kqtools-cli -n $c -l check -d 'With --dry-run: fail on problem rows'
complete -c kqtools-cli -n $c -l yes -d 'Do not ask'
complete -c kqtools-cli -n $c -l json -d 'JSON output'
complete -c kqtools-cli -n $c -l name -x -d 'Simple: base name'
complete -c kqtools-cli -n $c -l index -d 'Simple: add a running index'
complete -c kqtools-cli -n $c -l start -x -d 'First index'
complete -c kqtools-cli -n $c -l step -x -d 'Index step'
complete -c kqtools-cli -n $c -l repeat -x -d 'Rows per index'
complete -c kqtools-cli -n $c -l digits -x -d 'Index digits'
complete -c kqtools-cli -n $c -l index-after -d 'Simple: index after the name'
complete -c kqtools-cli -n $c -l pattern -x -d 'Enhanced: pattern with *'
complete -c kqtools-cli -n $c -l kind -x -a '0 1 2 3 4 5 6 7' -d 'Enhanced: index kind'
complete -c kqtools-cli -n $c -l enum-list -x -d 'Enhanced: enumeration list'
complete -c kqtools-cli -n $c -l find -x -d 'Text to replace'
complete -c kqtools-cli -n $c -l replace -x -d 'Replacement'
complete -c kqtools-cli -n $c -l regex -d 'Find text is a regular expression'
complete -c kqtools-cli -n $c -l delete-position -x -a '0 1 2 3' -d 'Where to delete characters'
complete -c kqtools-cli -n $c -l delete-count -x -d 'Characters to delete'
complete -c kqtools-cli -n $c -l names-file -r -F -d 'List: file of names'
complete -c kqtools-cli -n $c -l cycle -d 'List: start again at the end'
complete -c kqtools-cli -n $c -l template -x -d 'Advanced: control expression'
complete -c kqtools-cli -n $c -l formula -x -d 'Formula: formula'

# recover, undo
complete -c kqtools-cli -n "__fish_seen_subcommand_from recover" -l finish -d 'Complete the renames instead'
complete -c kqtools-cli -n "__fish_seen_subcommand_from recover" -l json -d 'JSON output'
complete -c kqtools-cli -n "__fish_seen_subcommand_from undo" -l list -d 'List the renames that can be undone'
complete -c kqtools-cli -n "__fish_seen_subcommand_from undo" -l json -d 'JSON output'

# sort PATH...
set -l c "__fish_seen_subcommand_from sort"
complete -c kqtools-cli -n $c -F
complete -c kqtools-cli -n $c -l rules -r -F -d 'Rule file'
complete -c kqtools-cli -n $c -l rule -x -d 'Super-sort rule'
complete -c kqtools-cli -n $c -l descending -d 'Descending order'
complete -c kqtools-cli -n $c -l recursive -d 'Include sub-folders'
complete -c kqtools-cli -n $c -l json -d 'JSON output'

# rules list|export|import
complete -c kqtools-cli -n "__fish_seen_subcommand_from rules; and not __kqtools_cli_rules_action" -a 'list export import'
complete -c kqtools-cli -n "__kqtools_cli_rules_action" -l rules -r -F -d 'Rule file'
complete -c kqtools-cli -n "__kqtools_cli_rules_action list" -l json -d 'JSON output'
complete -c kqtools-cli -n "__kqtools_cli_rules_action export" -l to -r -F -d 'File to write'
complete -c kqtools-cli -n "__kqtools_cli_rules_action import" -F

# version-file FILE, update DESCRIPTOR
set -l c "__fish_seen_subcommand_from version-file"
complete -c kqtools-cli -n $c -F
complete -c kqtools-cli -n $c -l installed -x -d 'Installed version'
complete -c kqtools-cli -n $c -l json -d 'JSON output'
set -l c "__fish_seen_subcommand_from update"
complete -c kqtools-cli -n $c -F
complete -c kqtools-cli -n $c -l yes -d 'Answer yes'
complete -c kqtools-cli -n $c -l no -d 'Answer no'
complete -c kqtools-cli -n $c -l no-start -d 'Print the setup path instead of starting it'
complete -c kqtools-cli -n $c -l json -d 'JSON output'
