# bash completion for tildora: the commands, their options, and files.
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Tildora maintainers
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
    --from | --to)
        mapfile -t COMPREPLY < <(compgen -W 'windows-1252 utf-8 utf-16le utf-16be' -- "$cur")
        return
        ;;
    --help | -h)
        # Only --verbose, the long help, may follow.
        mapfile -t COMPREPLY < <(compgen -W '--verbose' -- "$cur")
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
            mapfile -t COMPREPLY < <(compgen -W 'check fix remember list forget' -- "$cur")
            _filedir
        fi
        return
    fi
    local opciones
    case $orden in
    check) opciones='--propose --from --help' ;;
    fix) opciones='--force --propose --from --to --out-dir --help' ;;
    remember) opciones='--delete --help' ;;
    list | forget) opciones='--help' ;;
    *) return ;;
    esac
    # Files for check and fix; list takes nothing, remember and forget take
    # characters.
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$opciones" -- "$cur")
    elif [[ $orden == check || $orden == fix ]]; then
        _filedir
    fi
}
complete -F _tildora tildora
