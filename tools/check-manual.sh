#!/usr/bin/env bash
# Checks velmiro-cli's manual page as users read it: groff finds nothing to warn about,
# no letter turns into "?" when the page is read in a C locale, and every option that
# some --help lists is in the page.
# Usage: tools/check-manual.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
page="$build/cli/velmiro-cli.1"
cli="$build/cli/velmiro-cli"

warnings=$(LC_ALL=C man --warnings -l "$page" 2>&1 >/dev/null)
if [ -n "$warnings" ]; then
    printf 'man reports:\n%s\n' "$warnings" >&2
    exit 1
fi

# The page's own question marks are the only ones a reader may see, in any locale.
expected=$(grep -o '?' "$page" | wc -l)
for locale in C C.UTF-8; do
    seen=$(LC_ALL=$locale MANWIDTH=80 man -l "$page" 2>/dev/null | grep -o '?' | wc -l)
    if [ "$seen" -ne "$expected" ]; then
        echo "In the $locale locale the page shows $seen '?' where its source has $expected." >&2
        exit 1
    fi
done

text=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$page" 2>/dev/null | col -b)
missing=()
for command in "" compare register header table crystals link; do
    # shellcheck disable=SC2086  # no command: the program's own help
    while IFS= read -r option; do
        grep -qF -- "$option" <<<"$text" || missing+=("$option")
    done < <("$cli" $command --help | grep -oE -- '--[a-z][a-z-]+' | sort -u)
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Options that --help lists and the page lacks: ${missing[*]}" >&2
    exit 1
fi
echo "velmiro-cli.1: no warnings, no lost letters, every option of --help"
