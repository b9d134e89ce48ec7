#!/bin/sh
# Every subcommand of kqtools-cli and every option its help names must be
# offered by each shell completion, and every subcommand must have its entry
# in the manual page: the help texts are where options are added.
# Usage: completions_test.sh KQTOOLS-CLI MAN-PAGE COMPLETION...
set -eu
cli=$1
man=$2
shift 2
failed=0
subcommands=$("$cli" help | sed -n 's/^  \([a-z][a-z-]*\) .*/\1/p')
[ -n "$subcommands" ] || { echo "no subcommands in '$cli help'" >&2; exit 1; }
for sub in $subcommands; do
    grep -q -- "^\.BI\? \"\?\(kqtools-cli \)\?$sub\( \|\"\|$\)" "$man" ||
        { echo "$man: no entry for $sub" >&2; failed=1; }
    options=$("$cli" help "$sub" | grep -o -- '--[a-z][a-z0-9-]*' | sort -u)
    for file in "$@"; do
        grep -q -- "\(^\|[^a-z-]\)$sub\([^a-z-]\|$\)" "$file" || { echo "$file: no subcommand $sub" >&2; failed=1; }
        for option in $options; do
            case $file in
                *.fish) pattern="-l ${option#--}\( \|$\)" ;;
                *) pattern="$option\([^a-z0-9-]\|$\)" ;;
            esac
            grep -q -- "$pattern" "$file" || { echo "$file: no option $option of $sub" >&2; failed=1; }
        done
    done
done
[ $failed -eq 0 ] && echo "completions and manual page know $(echo $subcommands | wc -w) subcommands"
exit $failed
