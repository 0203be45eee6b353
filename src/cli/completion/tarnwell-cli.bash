# bash completion for tarnwell-cli                         -*- shell-script -*-
# Completes the options and the --length range. KEYWORD2 is never completed:
# neither a file name nor a word from elsewhere is a site's keyword, and
# keyword 1 is never given on the command line at all.
# Installed as share/bash-completion/completions/tarnwell-cli, where
# bash-completion loads it when tarnwell-cli is first completed; it needs
# nothing of bash-completion itself, so it may also be sourced on its own.

_tarnwell_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev= before=
    ((COMP_CWORD >= 1)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
    ((COMP_CWORD >= 2)) && before=${COMP_WORDS[COMP_CWORD - 2]}
    local options='-l --length --no-numbers --no-uppercase --no-lowercase --symbols
        --no-symbols -q --quiet --confirm -c --copy -h --help -V --version --'
    local -a range=({5..128})
    local lengths=${range[*]} i
    COMPREPLY=()

    # After "--" every word is KEYWORD2.
    for ((i = 1; i < COMP_CWORD; i++)); do
        [[ ${COMP_WORDS[i]} == -- ]] && return 0
    done

    # bash splits "--length=12" at the '=' (it is in COMP_WORDBREAKS), so the
    # value may be the word after "--length", after "--length =", or the
    # part of "--length=12" after the '=' when the '=' is not a break. Not
    # "-l=": the short form takes no '=' ("-l=12" is refused).
    if [[ $prev == --length && $cur == = ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$lengths")
        return 0
    fi
    if [[ $prev == -l || $prev == --length ]] ||
        [[ $prev == = && $before == --length ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$lengths" -- "$cur")
        return 0
    fi
    case $prev in
        --symbols) return 0 ;;  # any text; nothing to offer
        =) [[ $before == --symbols ]] && return 0 ;;
    esac
    case $cur in
        --length=*)
            mapfile -t COMPREPLY < <(compgen -P --length= -W "$lengths" -- "${cur#--length=}")
            ;;
        -l?*)
            mapfile -t COMPREPLY < <(compgen -P -l -W "$lengths" -- "${cur#-l}")
            ;;
        -*)
            mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
            ;;
    esac
    return 0
}
complete -F _tarnwell_cli tarnwell-cli
