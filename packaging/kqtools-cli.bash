# bash completion for kqtools-cli
_kqtools_cli()
{
    local cur prev words cword
    _init_completion || return

    local sub="" action="" i
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            --clipboard-file) ((i++)) ;;
            -*) ;;
            *)
                if [[ -z $sub ]]; then
                    sub=${words[i]}
                    [[ $sub == rules ]] || break
                else
                    action=${words[i]}
                    break
                fi ;;
        esac
    done

    case $prev in
        --clipboard-file|--export|--names-file|--row|--folder|--rules|--to)
            _filedir
            return ;;
        --mode)
            COMPREPLY=($(compgen -W "simple enhanced list advanced formula" -- "$cur"))
            return ;;
        --sort)
            COMPREPLY=($(compgen -W "name name-desc natural natural-desc folder folder-desc" -- "$cur"))
            return ;;
        --file|--index|--count|--path-index|--index-on-path|--var|--installed|--rule|--super-sort|\
        --name|--start|--step|--repeat|--digits|--pattern|--kind|--enum-list|--find|--replace|\
        --delete-position|--delete-count|--template|--formula)
            return ;;
    esac

    local commands="eval template rename recover undo sort rules version-file update help"
    local opts
    case $sub in
        "") opts="$commands --version --help --clipboard-file" ;;
        help) opts=$commands ;;
        eval) opts="--file --folder --index --count --path-index --index-on-path --var --json" ;;
        template) opts="--row --count --json" ;;
        rename) opts="--mode --preset --keep-extension --no-keep-extension --recursive --sort --super-sort --rules --export --dry-run --check
                      --yes --json --name --index --start --step --repeat --digits --index-after --pattern
                      --kind --enum-list --find --replace --regex --delete-position --delete-count --names-file
                      --cycle --template --formula" ;;
        recover) opts="--finish --json" ;;
        undo) opts="--list --json" ;;
        sort) opts="--rules --rule --descending --recursive --json" ;;
        rules)
            case $action in
                "") COMPREPLY=($(compgen -W "list export import" -- "$cur")); return ;;
                list) opts="--rules --json" ;;
                export) opts="--rules --to" ;;
                import) opts="--rules" ;;
            esac ;;
        version-file) opts="--installed --json" ;;
        update) opts="--yes --no --no-start --json" ;;
    esac
    if [[ $cur == -* || -z $sub || $sub == help ]]; then
        COMPREPLY=($(compgen -W "$opts" -- "$cur"))
    elif [[ $sub == eval || $sub == template || ($sub == rules && $action != import) ]]; then
        :  # a formula, a template or rule names: nothing to offer
    else
        _filedir
    fi
}
complete -F _kqtools_cli kqtools-cli
