# bash completion for tildora: the commands, their options, and files.
_tildora() {
    local cur prev words cword
    _init_completion || return

    case $prev in
    --store)
        _filedir ini
        return
        ;;
    --out-dir)
        _filedir -d
        return
        ;;
    esac

    # The command is the first word that is neither an option nor --store's
    # value.
    local i orden=""
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
        --store) ((i++)) ;;
        -*) ;;
        *)
            orden=${words[i]}
            break
            ;;
        esac
    done

    if [[ -z $orden ]]; then
        if [[ $cur == -* ]]; then
            mapfile -t COMPREPLY < <(compgen -W '--store --help --version' -- "$cur")
        else
            # A command, or a file to open in the windows.
            mapfile -t COMPREPLY < <(compgen -W 'check fix remember' -- "$cur")
            _filedir
        fi
        return
    fi
    local opciones
    case $orden in
    check) opciones='--help' ;;
    fix) opciones='--force --out-dir --help' ;;
    *) return ;; # remember takes characters, not files
    esac
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$opciones" -- "$cur")
    else
        _filedir
    fi
}
complete -F _tildora tildora
