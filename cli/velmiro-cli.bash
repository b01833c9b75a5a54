# bash completion for velmiro-cli: its commands, each command's own options, their fixed values.
# shellcheck shell=bash
_velmiro_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]} words
    # bash splits "--format=cs" into "--format", "=", "cs": the option is the word before "=".
    if [ "$cur" = "=" ]; then
        cur=""
    elif [ "$prev" = "=" ] && [ "$COMP_CWORD" -ge 2 ]; then
        prev=${COMP_WORDS[COMP_CWORD - 2]}
    fi
    local judging="--help --mode --sync --tolerance --clock-error --family --device --pll --clock --bclksel"
    # The command is the first word; without one the line is the short form, like compare.
    local options="--version $judging --format"
    case ${COMP_WORDS[1]:-} in
        compare | register | table) options="$judging --format" ;;
        header) options="$judging --prefix" ;;
        crystals) options="$judging --format --min-frequency --max-frequency" ;;
        link) options="$judging --format --peer --peer-clock --peer-clock-error --frame --margin" ;;
    esac
    case $prev in
        --format) words="text csv json" ;;
        --mode) words="000 001 010 011 100 110 0 1 00 01 10" ;;
        --family) words="eusart usart uart18 uart16 pic32 uart33c uart33a dspic30f" ;;
        --bclksel) words="fosc/2 fosc afvco/3" ;;
        --clock) words="fosc fcy fp pbclk pbclk2 pbclk3 fuart afvco" ;;
        --peer) words="ft232r ft232b cp2104 cp2102 exact eusart usart uart18 uart16 pic32 uart33c uart33a dspic30f" ;;
        --frame) words="8N1 8E1 8O1 8N2 7E1 7O1 9N1" ;;
        --tolerance | --clock-error | --prefix | --max-frequency | --min-frequency | --device | --pll | --peer-clock | --peer-clock-error | --margin) return ;;
        *)
            if [[ $cur == -* ]]; then
                words=$options
            elif [ "$COMP_CWORD" -eq 1 ]; then
                words="compare register header table crystals link"
            else
                return
            fi
            ;;
    esac
    mapfile -t COMPREPLY < <(compgen -W "$words" -- "$cur")
}
complete -F _velmiro_cli velmiro-cli
