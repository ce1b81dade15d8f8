# bash completion for vellum-cli                           -*- shell-script -*-
# Installed as /usr/share/bash-completion/completions/vellum-cli; needs
# nothing from bash-completion itself, so it can also be sourced directly.

# Adds the files (and folders, to walk into) whose names end in one of the
# given extensions, in any case; with no extension every file.
_vellum_cli_files() {
    local cur=$1 ext
    shift
    local IFS=$'\n'
    compopt -o filenames 2>/dev/null
    if [[ $# -eq 0 ]]; then
        COMPREPLY+=($(compgen -f -- "$cur"))
        return
    fi
    COMPREPLY+=($(compgen -d -- "$cur"))
    local shopt_nocase
    shopt_nocase=$(shopt -p nocasematch)
    shopt -s nocasematch
    local file
    while IFS= read -r file; do
        for ext in "$@"; do
            if [[ -f $file && $file == *."$ext" ]]; then
                COMPREPLY+=("$file")
                break
            fi
        done
    done < <(compgen -f -- "$cur")
    eval "$shopt_nocase"
}

_vellum_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()

    # The subcommand is the first word after the program that is not an option.
    local command="" i
    for ((i = 1; i < COMP_CWORD; i++)); do
        if [[ ${COMP_WORDS[i]} != -* ]]; then
            command=${COMP_WORDS[i]}
            break
        fi
    done

    if [[ -z $command ]]; then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W '--help --version' -- "$cur"))
        else
            COMPREPLY=($(compgen -W 'compile decompile check register' -- "$cur"))
        fi
        return
    fi

    # Arguments of the option before the cursor.
    case $prev in
    -n | --name)
        return
        ;;
    -e | --encoding)
        case $command in
        compile | decompile) COMPREPLY=($(compgen -W 'auto utf-8 ti85' -- "$cur")) ;;
        esac
        return
        ;;
    -o | --output)
        case $command in
        compile) _vellum_cli_files "$cur" 85s ;;
        decompile) _vellum_cli_files "$cur" vlm txt ;;
        esac
        return
        ;;
    -g | --group)
        [[ $command == compile ]] && _vellum_cli_files "$cur" 85g
        return
        ;;
    -p | --program)
        compopt -o filenames 2>/dev/null
        COMPREPLY=($(compgen -f -- "$cur"))
        return
        ;;
    esac

    local options
    case $command in
    compile) options='-n --name -o --output -g --group -e --encoding -h --help' ;;
    decompile) options='-o --output -e --encoding --lenient -h --help' ;;
    check) options='-h --help' ;;
    register) options='-p --program -h --help' ;;
    *) return ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi
    case $command in
    compile) _vellum_cli_files "$cur" vlm txt ;;
    decompile | check) _vellum_cli_files "$cur" 85s 85g ;;
    esac
}

complete -F _vellum_cli vellum-cli
