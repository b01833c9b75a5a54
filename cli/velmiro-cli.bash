# bash completion for velmiro-cli: its commands, options and their fixed values.
# shellcheck shell=bash
_velmiro_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]} words
    case $prev in
        --format) words="text csv json" ;;
        --mode) words="000 001 010 011 100 110" ;;
        --tolerance | --prefix | --max-frequency | --min-frequency) return ;;
        *)
            if [[ $cur == -* ]]; then
                words="--help --version --mode --sync --tolerance --format --prefix"
                words+=" --max-frequency --min-frequency"
            elif [ "$COMP_CWORD" -eq 1 ]; then
                words="compare register header table crystals"
            else
                return
            fi
            ;;
    esac
    mapfile -t COMPREPLY < <(compgen -W "$words" -- "$cur")
}
complete -F _velmiro_cli velmiro-cli
