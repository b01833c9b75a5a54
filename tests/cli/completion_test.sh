#!/usr/bin/env bash
# velmiro-cli's bash completion, as bash calls it: each line a command line typed so far
# (the last word being completed) and the words offered.
# Usage: tests/cli/completion_test.sh cli/velmiro-cli.bash
set -euo pipefail
# shellcheck source=cli/velmiro-cli.bash
source "$1"
failed=0
offered() {
    local expected=$1
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _velmiro_cli || true  # its status is not the test
    if [ "${COMPREPLY[*]}" != "$expected" ]; then
        echo "velmiro-cli ${*:2}: offered '${COMPREPLY[*]}', expected '$expected'" >&2
        failed=1
    fi
}
offered "compare register header table crystals link" velmiro-cli ""
offered "text csv json" velmiro-cli 20M 9600 --format ""
# bash splits --format=j into --format, = and j.
offered "text csv json" velmiro-cli 20M 9600 --format =
offered "json" velmiro-cli 20M 9600 --format = j
offered "usart uart18 uart16 uart33c uart33a" velmiro-cli compare 20M 9600 --family = u
offered "--pll --prefix" velmiro-cli header 20M 9600 --p
offered "fosc/2 fosc" velmiro-cli 100M 9600 --family uart33c --bclksel f
offered "--mode --min-frequency --max-frequency" velmiro-cli crystals 9600 --m
offered "" velmiro-cli 20M 9600 --tolerance ""
offered "--peer --peer-clock --peer-clock-error" velmiro-cli link 20M 9600 --pe
offered "cp2104 cp2102" velmiro-cli link 20M 9600 --peer cp
offered "7E1 7O1" velmiro-cli link 20M 9600 --frame 7
exit $failed
